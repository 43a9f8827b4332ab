#pragma once

#include "SettingsFiles.h"
#include "WString.h"

class PositionCollection;
class WWindowContext;

// The settings files of one program run, read once at start and written once
// at the end. A file that exists but could not be read, or not to its end,
// is not written by the run: that would replace what the user kept there with
// the defaults or with a part of it. Failures are shown to the user with a
// German sentence on what happened and what to do above the failure's line.
class SettingsSession {
public:
    explicit SettingsSession(const char* initFile = SettingsFiles::INIT_FILE,
                             const char* positionsFile = SettingsFiles::POSITIONS_FILE);

    // Fills the settings and the positions from the files; a missing file
    // leaves the defaults or no positions.
    void load(WWindowContext* owner, ProgramSettings& settings, PositionCollection& positions);
    // Writes the settings file, then the positions file, each unless load()
    // could not read it. A file that cannot be written is reported and left
    // as it was, and the other one is still written.
    void save(WWindowContext* owner, const ProgramSettings& settings,
              PositionCollection& positions);

private:
    WString initFile;
    WString positionsFile;
    bool initFileKept;
    bool positionsFileKept;
};
