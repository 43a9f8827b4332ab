#pragma once

#include <string>
#include <vector>

// A data set the program knows: a grid file of month blocks (see
// OrvexDatabase) under data/cru, relative to the program's folder.
struct DataSet {
    const char* name;       // "hadcrut4": what orvex_render --data and import_grid --as take
    const char* file;       // "data/cru/hadcrut4.dat"
    unsigned int blockSize; // bytes of one month block
    int fieldWidth;         // characters of one value in the row lines the importer writes
    const char* offeredAs;  // the name "Datensatz laden" shows, or null: not offered
};

// The block size of a grid file opened under a name that is none of the
// data sets' files.
constexpr unsigned int DEFAULT_BLOCK_SIZE = 28613;

// hadcrut4, hadcrut3, hadcrut3v, hadsst2, abstem3: the offered ones in the
// order "Datensatz laden" lists them.
const std::vector<DataSet>& dataSets();

// The data set with this name; null when there is none.
const DataSet* dataSetByName(const std::string& name);

// The data set whose file has the file name of this path (its last part,
// letters in either case, as Windows compares them); null when none has.
const DataSet* dataSetByFileName(const std::string& path);
