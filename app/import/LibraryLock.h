#pragma once

#include <windows.h>

// Held while the importer calls netCDF-C and HDF5: both are built without
// thread safety, so one call at a time in the whole process. A preview
// asked for on another thread waits until a running import has finished.
class LibraryLock {
public:
    LibraryLock();
    ~LibraryLock();
    LibraryLock(const LibraryLock&) = delete;
    LibraryLock& operator=(const LibraryLock&) = delete;
};
