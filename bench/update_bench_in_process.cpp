// The update of one product timed inside the process, as the dialog runs it:
// without Wine's start, which a console run of import_grid.exe adds. The
// product is fetched into an empty folder, then asked for again unchanged.
//
//     update_bench_in_process.exe WORK_FOLDER PRODUCT

#include <cstdio>

#include "BenchClock.h"
#include "FileNameText.h"
#include "ImportFailure.h"
#include "ProductUpdate.h"

namespace {

class Quiet : public UpdateProgress {
public:
    void downloaded(unsigned long long, unsigned long long) override {}
    void imported(int, int) override {}
    bool cancelled() const override { return false; }
};

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fputs("usage: update_bench_in_process.exe WORK_FOLDER PRODUCT\n", stderr);
        return 2;
    }
    std::string folder = utf8FileName(argv[1]);
    try {
        ProductCatalogue catalogue = readProductCatalogue(catalogueFile(folder));
        const Product* product = productByName(catalogue, utf8FileName(argv[2]));
        if (product == nullptr) {
            std::fputs("no such product\n", stderr);
            return 2;
        }
        Quiet quiet;
        for (const char* round : {"updated", "unchanged"}) {
            double start = nowMs();
            UpdateResult result = updateProduct(*product, folder, quiet);
            std::printf("  in the process, %s: %.0f ms: %s\n", round, nowMs() - start, result.german.c_str());
        }
    } catch (const UpdateFailure& failure) {
        std::fprintf(stderr, "%s\n", failure.german().c_str());
        return 1;
    }
    return 0;
}
