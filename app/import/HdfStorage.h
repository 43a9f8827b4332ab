#pragma once

#include <cstdint>
#include <string>

// How much of a variable a netCDF-4 file stores. netCDF-C gives fill values
// for chunks that were never written, so a variable of which nothing was
// written would be read in full to end in "no value", and a time axis that
// claims far more steps than were written would be read into gigabytes.
enum class Storage { Complete, Partial, None };

// A netCDF-4 file opened a second time through HDF5, read-only, to ask how
// its datasets are stored. When HDF5 cannot open it, every variable counts
// as complete.
class HdfStorage {
public:
    // utf8Path as netCDF-C was given it; a netCDF-4 file.
    explicit HdfStorage(const std::string& utf8Path);
    HdfStorage(const HdfStorage&) = delete;
    HdfStorage& operator=(const HdfStorage&) = delete;
    ~HdfStorage();

    // Of a variable at the file's top level.
    Storage of(const std::string& variable) const;
    // Values stored of it, at most: whole chunks count.
    uint64_t storedValues(const std::string& variable) const;

private:
    int64_t file = -1;  // hid_t
};
