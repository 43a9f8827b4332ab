#pragma once

#include <vector>

#include "GridBlockReader.h"

class WFile;

// The months of an open grid file read one by one as values per cell, for
// computations over many years. Consecutive months are read without
// repositioning the file.
class GridMonths {
public:
    // The file stays the caller's and must stay open while this is used.
    GridMonths(WFile& file, unsigned int blockSize, unsigned int rows, unsigned int columns);
    GridMonths(const GridMonths&) = delete;
    GridMonths& operator=(const GridMonths&) = delete;

    // Month k (1 = January of FIRST_YEAR), one value per cell (row-major)
    // and a count of 1 where the cell has a value, 0 where it has none.
    // False, the arrays untouched, when the month is not in the file.
    bool read(long long monthIndex, std::vector<double>& values, std::vector<unsigned int>& counts);
    unsigned int getMonthCount() const { return monthCount; }
    unsigned int getRows() const { return rows; }
    unsigned int getColumns() const { return columns; }

private:
    WFile& file;
    unsigned int blockSize;
    unsigned int rows;
    unsigned int columns;
    unsigned int monthCount;
    long long nextMonth; // the month the file's position is at, or 0
    GridBlockReader reader;
};
