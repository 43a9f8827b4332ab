#pragma once

#include <cstdint>
#include <string>

// The bytes a classic netCDF file (CDF-1, CDF-2 or CDF-5) declares in its
// header: the end of its last variable's data. netCDF-C reads zeros past the
// end of a cut file instead of failing, so the importer compares this with
// the file's size before it reads anything. Only called on a file netCDF-C
// has opened, whose header it has therefore read through.
struct ClassicLayout {
    uint64_t declared = 0;  // 0 when the header cannot tell (a stream)
    uint64_t actual = 0;
};

// Throws ImportFailure when the file cannot be read.
ClassicLayout classicLayout(const std::wstring& path, const std::string& shownPath);
