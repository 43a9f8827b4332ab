#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"

// The process-wide facts that library start-up records.
class QUARN2_API WSystemInfo {
public:
    HINSTANCE getInstance() const { return instance; }
    const WString& getCommandLine() const { return commandLine; }
    const WString& getProgramName() const { return programName; }
    const WString& getProgramDirectory() const { return programDirectory; }
    const WString& getProgramFilename() const { return programFilename; }
    HCURSOR getCurrentCursorHandle() const { return currentCursor; }

private:
    friend class WSystem;

    HINSTANCE instance = nullptr;
    WString commandLine;
    WString programName;
    WString programDirectory;
    WString programFilename;
    HCURSOR currentCursor = nullptr;
    bool cursorShown = true;
};
