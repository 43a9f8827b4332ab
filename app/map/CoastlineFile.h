#pragma once

#include <windows.h>

#include <vector>

#include "Coastlines.h"

// The points of a coastline file, kept between renderings while it is the
// same file unchanged: the same file of the same volume (a file moved or
// copied over the old one has another identity), of the same size, written
// and changed last at the same times.
class CoastlineFile {
public:
    // Opens the file every time, so that a missing file throws the file
    // layer's exception as reading it line by line does. Reads the points
    // exactly as line-by-line reading and readCoastlinePoint give them, in
    // pieces, so that neither a file of any size nor a line of any length
    // has to fit in memory.
    const std::vector<CoastlinePoint>& points(const char* name);
    // Changes whenever the points are read anew.
    unsigned long getVersion() const { return version; }

private:
    struct Identity {
        DWORD volume = 0;
        ULONGLONG index = 0;
        ULONGLONG size = 0;
        LARGE_INTEGER lastWrite = {};
        LARGE_INTEGER lastChange = {};
        bool operator==(const Identity& other) const;
    };
    // False when the system does not tell; the file is then read every time.
    static bool identify(HANDLE file, Identity& identity);

    std::vector<CoastlinePoint> kept;
    Identity keptIdentity;
    bool valid = false;
    unsigned long version = 0;
};
