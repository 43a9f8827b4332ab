#pragma once

#include <string>

#include "HttpsDownload.h"

// What the last update of a data set fetched, kept beside it
// ("data\cru\hadcrut4.update", lines "KEY=value"): the product, the file's
// address and the server's validators, and the grid file as the import left
// it. A later update asks the server for the file only if it changed, and
// only while the grid file is still the one imported then.
struct DownloadRecord {
    std::string product;
    std::string address;      // as the catalogue gives it (a pattern, perhaps)
    std::string source;       // the file fetched
    CachedCopy validators;
    unsigned long long gridSize = 0;
    unsigned long long gridTime = 0; // the grid file's last write, in FILETIME units
};

// The record's file for a grid file ("...\hadcrut4.dat" gives "...\hadcrut4.update").
std::string recordFile(const std::string& gridFile);

// The record; empty (no product) when there is none or it cannot be read.
DownloadRecord readDownloadRecord(const std::string& gridFile);

// Keeps the record, with the grid file's size and time as they are now.
// False when it cannot be written (the next update then fetches the whole
// file again).
bool writeDownloadRecord(const std::string& gridFile, DownloadRecord record);

// Whether the grid file is still the one the record was written for.
bool recordFitsGridFile(const DownloadRecord& record, const std::string& gridFile);
