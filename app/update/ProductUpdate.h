#pragma once

#include <string>

#include "ProductCatalogue.h"
#include "UpdateFailure.h"
#include "UpdateProgress.h"

// Bringing one product's data set up to date: the published file is
// downloaded (HTTPS through the system's WinHTTP) into a temporary file
// beside the data set, checked to be whole and netCDF, and imported; the
// data set itself changes only by the import's own atomic replace. A record
// beside the data set ("<target>.update") keeps the server's ETag and
// Last-Modified, so that an unchanged file is not fetched again.

struct UpdateResult {
    bool unchanged = false;          // the server's file is the one imported last; nothing written
    std::string gridFile;            // the data set written ("...\data\cru\hadcrut4.dat", UTF-8)
    int lastMonthBefore = 0;         // last month with data before, from January 1850 (1 = 1850-01); 0 none
    int lastMonth = 0;               // and after
    unsigned long long fileSize = 0; // bytes received (as sent, before unpacking); 0 when unchanged
    // One line for the console and the dialog's report: "HadCRUT5: 2 neue
    // Monate, bis März 2026 (28,4 MB)" or "HadCRUT5: unverändert ...".
    std::string german;
};

// The largest file a product may have, received or unpacked.
constexpr unsigned long long PRODUCT_SIZE_LIMIT = 1ULL << 30;

// Updates the product's data set under workFolder (UTF-8; the data set is
// workFolder\data\cru\<target>.dat). Throws UpdateFailure (the old data
// set unchanged, no temporary file left) or ImportCancelled.
UpdateResult updateProduct(const Product& product, const std::string& workFolder, UpdateProgress& progress);

// The last month with data of the product's data set under workFolder
// (1 = 1850-01); 0 when the file is missing or holds no value.
int lastMonthOfDataSet(const std::string& target, const std::string& workFolder);

// The name of the product the data set under workFolder was last updated
// from; empty when none (or it has been replaced since by other means).
std::string productOfDataSet(const std::string& target, const std::string& workFolder);
