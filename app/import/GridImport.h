#pragma once

#include <string>
#include <vector>

// Importing a netCDF temperature grid into one of the program's grid files.
// Paths and the variable's name are UTF-8; every text meant to be shown
// (names, messages, report lines) is Windows-1252.

// What to import, as the console importer's options say it.
struct ImportRequest {
    std::string input;     // the netCDF file
    std::string inputName; // its name in the grid file's headers; empty: the input's file name
    std::string target;    // "hadcrut4", "hadcrut3", "hadcrut3v", "hadsst2" or "abstem3"
    std::string variable;  // the file's own name; empty: chosen by the importer's rules
    bool hasLevel = false; // level: the value of the level coordinate to take
    double level = 0.0;
    std::string outDir;    // the working folder; the file goes to outDir\data\cru\<target>.dat
};

// A variable the user may choose: one with latitude, longitude and more.
struct ImportCandidate {
    std::string name;      // as shown
    std::string longName;  // empty when the file gives none
    std::string units;     // empty when the file gives none
    std::string variable;  // as the file names it, for ImportRequest::variable
};

// What a file holds, looked at before anything is written, for the dialog.
struct ImportPreview {
    // Made for a climatology target: the steps are the 12 calendar months.
    bool climatology = false;
    std::vector<ImportCandidate> candidates;
    // The variable the request names or the rules choose; -1 when neither
    // decides (then `problem` says why and the user chooses).
    int chosen = -1;
    // Why the chosen variable cannot be imported as requested (no time
    // axis, irregular grid, a level to choose ...); empty when it can.
    std::string problemEnglish;
    std::string problemGerman;
    // Of the chosen variable:
    std::string grid;          // in German: "5 x 5 Grad, 36 x 72 Zellen" (step; latitudes x longitudes)
    int firstMonth = 0;        // months from January 1850 (1 = 1850-01) of the
    int lastMonth = 0;         // first and last time step; 0 when unknown
    std::string levelAxis;     // "'DEPTH' (METERS, positive down)"; empty without levels
    std::vector<std::string> levels;  // the levels as --level takes them ("0", "10", "2.5")
    bool levelNeeded = false;  // several levels and none chosen in the request
};

// Progress of a running import, reported from the importing thread.
class ImportProgress {
public:
    virtual ~ImportProgress() = default;
    // done of total time steps have been read.
    virtual void advance(int done, int total) = 0;
    // Polled between slices of time steps; true makes the import throw ImportCancelled.
    virtual bool cancelled() const = 0;
};

// What was written: the report's lines as the console prints them, and in German.
struct ImportReport {
    std::string path;          // the grid file written (UTF-8)
    int lastMonthWithData = 0; // month from January 1850 (1 = 1850-01)
    std::vector<std::string> english;
    std::vector<std::string> german;
};

// True for the target written as a climatology of 12 months ("abstem3");
// the others take a series of months, and a file previews alike for them.
bool isClimatologyTarget(const std::string& target);

// Both may be called on any thread: they take turns at the netCDF library
// (LibraryLock), so a preview waits while an import runs.

// The file as runImport would read it for request.target. Throws
// ImportFailure only when the file is missing, a folder, not netCDF or
// shorter than its header declares; every other refusal (several
// candidates, a level to choose, an irregular grid, a time axis without
// units ...) is the preview's problem, with what could
// be found up to it. Reads the coordinates only; nothing is written.
ImportPreview previewImport(const ImportRequest& request);

// Imports as the request says; throws ImportFailure (nothing written, the
// old file untouched) or ImportCancelled.
ImportReport runImport(const ImportRequest& request, ImportProgress& progress);
