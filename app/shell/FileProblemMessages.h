#pragma once

#include <set>
#include <string>

class WException;
class WWindowContext;

// Tells the user what went wrong with one of the program's files and what to
// do about it: a German sentence above the failure's own line, in the
// "Error" box. The coastline file and the background pictures are read for
// every rebuild of the map, so their problems are told once per file and
// session; a save the user asked for is always answered.
//
// Used by the window thread and by the worker, never by both at once: the
// window thread waits while the worker runs.
class FileProblemMessages {
public:
    // The file the outline maps are drawn from.
    static const char* const COASTLINE_FILE;

    explicit FileProblemMessages(WWindowContext* owner) : owner(owner) {}
    FileProblemMessages(const FileProblemMessages&) = delete;
    FileProblemMessages& operator=(const FileProblemMessages&) = delete;

    // The data set could not be opened or read; the map stays empty.
    void dataSet(const char* name, const WException& e);
    // The file chosen for import is no netCDF file the importer reads;
    // reason is the importer's German line.
    void importRefused(const char* file, const char* reason);
    // The coastline file cannot be opened for rebuilding or for saving an
    // outline map.
    void coastlinesForMap(const WException& e);
    void coastlinesForSaving(const WException& e);
    // The picture of the chosen map type could not be loaded; the map is
    // drawn without it.
    void backgroundPicture(const char* name, const WException& e);

private:
    // True the first time a problem with the file is told.
    bool firstTime(const char* file);

    WWindowContext* owner;
    std::set<std::string> told;
};
