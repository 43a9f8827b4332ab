#pragma once

#include <string>
#include <vector>

// The program's grid files: fixed-size month blocks of a header line and 36
// row lines of 72 values, row 0 the band 90N-85N, each row from 180W
// eastwards, block 1 January 1850. Lines end with CR LF. A row line holds
// the values right-aligned in fields of a fixed width joined by single
// spaces, so that every row line has the same length; the header line takes
// what the block leaves.
struct GridLayout {
    static const int rows = 36;
    static const int columns = 72;
    static const int cells = rows * columns;

    GridLayout(const std::string& name, int blockSize, int width, int decimals);

    std::string name;      // the data set: "hadcrut4", ...
    int blockSize;         // the block size the program reads the file with
    int width;             // characters of one value field
    int decimals;
    int rowLineBytes;      // 72 fields, 71 spaces, CR LF
    int headerBytes;       // the header line with its CR LF

    std::string fileName() const { return name + ".dat"; }
};

// The five targets, the program's data sets in their order (hadcrut4,
// hadcrut3, hadcrut3v, hadsst2, abstem3), with their block sizes and field
// widths.
const std::vector<GridLayout>& gridLayouts();

// The layout of the target with this name; null when there is none.
const GridLayout* gridLayoutByName(const std::string& name);
