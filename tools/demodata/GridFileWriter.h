// Writes grid files of fixed-size month blocks as the map program reads them:
// a header line, then 36 row lines of 72 values, row 0 the band 90N-85N,
// each row from 180W eastwards. Lines end with CR LF.
//
// A row line holds the values right-aligned in fields of a fixed width,
// joined by single spaces, so that every row line has the same length. The
// header line takes up what the block leaves: its text is padded with spaces.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace demodata {

struct GridFileLayout {
    const char* fileName;  // e.g. "hadcrut4.dat"
    std::size_t blockSize;  // bytes per month
    int valueWidth;  // characters per value, sign included
    int decimals;

    std::size_t rowLineBytes() const;
    std::size_t headerLineBytes() const;  // 0 if the rows alone do not fit
    std::size_t headerTextLimit() const;  // characters of header text that fit
};

class GridFileWriter {
public:
    // Creates (or truncates) the file; throws std::runtime_error on failure.
    GridFileWriter(const std::filesystem::path& path, const GridFileLayout& layout);
    GridFileWriter(const GridFileWriter&) = delete;
    GridFileWriter& operator=(const GridFileWriter&) = delete;

    // Appends the next month: values holds one number per cell (kCells, row by row).
    void writeMonth(const std::string& headerText, const double* values);
    // Flushes and closes; throws if anything failed to reach the disk.
    void close();

    int monthsWritten() const { return months; }
    std::uint64_t bytesWritten() const { return static_cast<std::uint64_t>(months) * layout.blockSize; }

    // One whole block; values that are not strictly inside -99..99 are written as missing.
    static std::string formatBlock(const GridFileLayout& layout, const std::string& headerText, const double* values);
    // A value right-aligned in `width` characters, rounded half away from zero.
    static void formatValue(double value, int width, int decimals, char* out);

private:
    GridFileLayout layout;
    std::filesystem::path path;
    std::ofstream file;
    int months = 0;
};

} // namespace demodata
