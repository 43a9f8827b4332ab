#pragma once

#include <cstddef>
#include <vector>

#include "GridToken.h"

class WFile;

// What a month block adds to: per cell (row-major) the sum of its valid
// values and their count.
struct GridSums {
    double* values;
    unsigned int* counts;
    unsigned int rows;
    unsigned int columns;
};

// Reads one month block of a grid file from the file's position: a header
// line, then one line per grid row whose tokens (separated by blanks) go to
// the row's cells from column 0; tokens past the last column go nowhere.
//
// The block is read in one piece and scanned in memory, with the results of
// reading it line by line: a line ends at a line feed only, a carriage
// return before it is no part of it, and a row may run on past the block up
// to the end of the file. Memory stays at one block and time grows linearly
// with the bytes up to the last row's end, whatever the file holds.
class GridBlockReader {
public:
    GridBlockReader();
    GridBlockReader(const GridBlockReader&) = delete;
    GridBlockReader& operator=(const GridBlockReader&) = delete;

    // The block must lie within the file. Throws WException (id -4) when its
    // header line does not end within the block: then it is no grid file.
    void read(WFile& file, unsigned int blockSize, const GridSums& sums);
    // Throws like read when the file's first block has such a header; a
    // file shorter than one block holds no month and passes.
    void checkFirstHeader(WFile& file, unsigned int blockSize);

private:
    // Reads the next n bytes into the chunk: how many arrived.
    size_t fill(WFile& file, size_t n);
    // The end of the header line within the first `got` bytes of the chunk.
    const char* headerEnd(const WFile& file, size_t got) const;
    void scanRows(const char* p, const char* end);
    void keepTokenBytes(const char* begin, const char* end);
    void endToken(bool atLineEnd);
    void addValue(const char* begin, const char* end);

    std::vector<char> chunk;
    bool atFileEnd;
    GridSums sums;
    unsigned int row;
    unsigned int column;
    // A token that runs across two chunks: its first bytes, its full length
    // and its last byte.
    char token[GridToken::maxLength + 1];
    size_t tokenLength;
    char tokenLastByte;
};
