// import_write_bench: times the writing half of the importer on inputs of
// the length of the real records (2 100 months, 1850-2024): placing a
// 1-degree grid (180 x 360, averaged) and a 5-degree grid (copied) on the
// 5-degree cells, formatting the grid file blocks with their coverages, and
// writing them through AtomicFile. Inputs go through in slices of 60 months,
// as the importer reads them.
//
// Run under Wine from any folder; it writes its file to the temp folder.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "AtomicFile.h"
#include "BenchClock.h"
#include "BenchFiles.h"
#include "CellMapping.h"
#include "CoverageSummary.h"
#include "GridBlocks.h"
#include "ImportFailure.h"

namespace {

const int months = 2100;
const int slice = 60;

std::vector<double> centres(double first, double step, int count)
{
    std::vector<double> values;
    for (int i = 0; i < count; ++i)
        values.push_back(first + step * i);
    return values;
}

// One slice of input: anomalies with a fifth of the values missing.
std::vector<double> sliceValues(size_t cellsPerMonth)
{
    std::mt19937 random(1850);
    std::normal_distribution<double> anomaly(0.0, 1.5);
    std::uniform_real_distribution<double> share(0.0, 1.0);
    std::vector<double> values(cellsPerMonth * slice);
    for (double& v : values)
        v = share(random) < 0.2 ? NAN : anomaly(random);
    return values;
}

// Milliseconds to place 2 100 months of the grid on the 5-degree cells.
double timeRegrid(const char* what, const std::vector<double>& latitudes,
                  const std::vector<double>& longitudes, std::vector<double>& cells)
{
    CellMapping mapping(latitudes, longitudes);
    std::vector<double> values = sliceValues(latitudes.size() * longitudes.size());
    cells.resize(size_t(months) * GridLayout::cells);
    double ms = bestOf(3, [&] {
        for (int first = 0; first < months; first += slice)
            mapping.apply(values.data(), slice, &cells[size_t(first) * GridLayout::cells]);
    });
    std::printf("%-52s %9.1f ms\n", what, ms);
    return ms;
}

} // namespace

int main()
{
    try {
        std::vector<double> cells;
        timeRegrid("regrid 2100 months, 1 degree (180 x 360, averaged)", centres(89.5, -1.0, 180),
                   centres(-179.5, 1.0, 360), cells);
        timeRegrid("regrid 2100 months, 5 degrees (36 x 72, copied)", centres(-87.5, 5.0, 36),
                   centres(2.5, 5.0, 72), cells);

        for (const char* target : {"hadcrut4", "hadcrut3"}) {
            const GridLayout& layout = *gridLayoutByName(target);
            std::vector<std::string> headers(
                slice, "185001 tas_mean HadCRUT.5.0.2.0.analysis.anomalies.ensemble_mean.nc");
            std::string bytes;
            std::vector<unsigned char> valid;
            double format = bestOf(3, [&] {
                CoverageSummary summary(months);
                for (int first = 0; first < months; first += slice) {
                    formatGridBlocks(layout, headers, &cells[size_t(first) * GridLayout::cells], bytes,
                                     valid);
                    summary.add(first + 1, valid.data(), slice);
                }
            });
            std::printf("format 2100 blocks with coverages, %-17s %9.1f ms\n", target, format);

            const std::string path = tempFile("orvex_import_write_bench.dat");
            double write = bestOf(3, [&] {
                AtomicFile file(path);
                for (int first = 0; first < months; first += slice) {
                    formatGridBlocks(layout, headers, &cells[size_t(first) * GridLayout::cells], bytes,
                                     valid);
                    file.write(bytes.data(), bytes.size());
                }
                file.commit();
            });
            std::printf("format and write 2100 blocks (%4.1f MB), %-10s %9.1f ms\n",
                        months * double(layout.blockSize) / 1048576.0, target, write);
            DeleteFileA(path.c_str());
        }
    } catch (const ImportFailure& failure) {
        std::printf("%s\n", failure.english().c_str());
        return 1;
    }
    return 0;
}
