#include "ProductUpdate.h"

#include <memory>

#include "DataSets.h"
#include "DownloadFile.h"
#include "DownloadRecord.h"
#include "FileNameText.h"
#include "FolderListing.h"
#include "GridImport.h"
#include "GzipSink.h"
#include "HttpsDownload.h"
#include "ImportFailure.h"
#include "ImportFolders.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "WException.h"
#include "YearRange.h"

namespace {

// A listing page is small; one this large is no listing.
const unsigned long long listingLimit = 16ULL << 20;

std::string gridFileOf(const std::string& target, const std::string& workFolder)
{
    const DataSet* set = dataSetByName(target);
    std::string file = set != nullptr ? set->file : "data/cru/" + target + ".dat";
    for (char& c : file)
        if (c == '/')
            c = '\\';
    bool separated = !workFolder.empty() && (workFolder.back() == '\\' || workFolder.back() == '/');
    return workFolder + (separated ? "" : "\\") + file;
}

// "28,4 MB", "734 KB": sizes as the report shows them.
std::string sizeText(unsigned long long bytes)
{
    if (bytes < (1ULL << 20))
        return std::to_string((bytes + 1023) / 1024) + " KB";
    unsigned long long tenths = (bytes * 10 + (1ULL << 19)) >> 20;
    return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " MB";
}

std::string untilText(int lastMonth)
{
    return lastMonth > 0 ? "bis " + germanMonthText(lastMonth) : "ohne Daten";
}

std::string changeText(int before, int after)
{
    int added = after - before;
    if (added == 1)
        return "1 neuer Monat";
    if (added > 1)
        return std::to_string(added) + " neue Monate";
    if (added == 0)
        return "keine neuen Monate";
    return std::to_string(-added) + (added == -1 ? " Monat" : " Monate") + " weniger als bisher";
}

// The import's progress and cancel, passed on to the update's.
class ImportSteps : public ImportProgress {
public:
    explicit ImportSteps(UpdateProgress& progress) : progress(progress) {}
    void advance(int done, int total) override { progress.imported(done, total); }
    bool cancelled() const override { return progress.cancelled(); }

private:
    UpdateProgress& progress;
};

// The folders a download into a missing data folder made, removed again
// unless the update succeeded.
class MadeFolders {
public:
    explicit MadeFolders(const std::string& folder)
    {
        try {
            made = createFolders(folder);
        } catch (const ImportFailure& failure) {
            throw UpdateFailure(failure.german());
        }
    }
    ~MadeFolders() { removeFolders(made); }
    MadeFolders(const MadeFolders&) = delete;
    MadeFolders& operator=(const MadeFolders&) = delete;

    void keep() { made.clear(); }

private:
    std::vector<std::string> made;
};

} // namespace

int lastMonthOfDataSet(const std::string& target, const std::string& workFolder)
{
    const DataSet* set = dataSetByName(target);
    if (set == nullptr)
        return 0;
    try {
        OrvexDatabase database;
        // The block size by the data set: the database tells it only from
        // the relative path the program itself uses.
        database.open(OrvexDatabase::TYPE_GRID_FILE, gridFileOf(target, workFolder).c_str(), set->blockSize);
        for (unsigned int month = database.getMonthCount(); month > 0; --month) {
            database.load(FIRST_YEAR + (month - 1) / 12, (month - 1) % 12 + 1, false);
            if (database.getCellsWithData() > 0)
                return static_cast<int>(month);
        }
    } catch (const WException&) {
        // A missing or unreadable file holds no month.
    }
    return 0;
}

std::string productOfDataSet(const std::string& target, const std::string& workFolder)
{
    std::string gridFile = gridFileOf(target, workFolder);
    DownloadRecord record = readDownloadRecord(gridFile);
    return recordFitsGridFile(record, gridFile) ? record.product : std::string();
}

UpdateResult updateProduct(const Product& product, const std::string& workFolder, UpdateProgress& progress)
{
    UpdateResult result;
    result.gridFile = gridFileOf(product.target, workFolder);
    result.lastMonthBefore = lastMonthOfDataSet(product.target, workFolder);

    HttpsDownload download;
    std::string address = product.address;
    if (isPatternAddress(address)) {
        ListingText listing;
        download.fetch(listingAddress(address), CachedCopy(), listingLimit, listing, progress);
        address = newestListedFile(listing.page(), product.address);
        if (address.empty())
            throw UpdateFailure("die Seite " + shownText(listingAddress(product.address)) +
                                " verweist auf keine Datei, die zu " +
                                shownText(product.address.substr(product.address.rfind('/') + 1)) + " passt");
    }

    DownloadRecord record = readDownloadRecord(result.gridFile);
    CachedCopy cached;
    if (record.product == product.name && record.address == product.address && record.source == address &&
        recordFitsGridFile(record, result.gridFile))
        cached = record.validators;

    MadeFolders folders(parentFolder(result.gridFile));
    DownloadFile file(result.gridFile, PRODUCT_SIZE_LIMIT);
    std::unique_ptr<GzipSink> unpacking(product.gzip ? new GzipSink(file) : nullptr);
    DownloadSink& sink = product.gzip ? static_cast<DownloadSink&>(*unpacking) : file;
    DownloadResult fetched = download.fetch(address, cached, PRODUCT_SIZE_LIMIT, sink, progress);
    if (fetched.notModified) {
        result.unchanged = true;
        result.lastMonth = result.lastMonthBefore;
        result.german = product.name + ": unverändert, " + untilText(result.lastMonth);
        return result;
    }

    ImportRequest request;
    request.input = file.path();
    request.target = product.target;
    request.variable = product.variable;
    request.outDir = workFolder;
    ImportSteps steps(progress);
    ImportReport report;
    try {
        report = runImport(request, steps);
    } catch (const ImportFailure& failure) {
        throw UpdateFailure("die geladene Datei lässt sich nicht importieren: " + failure.german());
    }
    folders.keep();

    record.product = product.name;
    record.address = product.address;
    record.source = address;
    record.validators = {fetched.etag, fetched.lastModified};
    // Without a record the next update fetches the whole file again, which
    // costs time but nothing else.
    writeDownloadRecord(result.gridFile, record);

    result.lastMonth = report.lastMonthWithData;
    result.fileSize = fetched.received;
    result.german = product.name + ": " + changeText(result.lastMonthBefore, result.lastMonth) + ", " +
                    untilText(result.lastMonth) + " (" + sizeText(result.fileSize) + ")";
    return result;
}
