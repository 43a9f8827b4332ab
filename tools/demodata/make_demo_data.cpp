// make_demo_data <output folder>
//
// Writes synthetic grid files to <output folder>/data/cru/ so the program has
// something realistic to show without the real data sets: HadCRUT4
// (1850-2024), HadCRUT3, HadCRUT3v and HadSST2 (1850-2014) anomalies and the
// abstem3 climatology of absolute temperatures (twelve months). The output is
// the same, byte for byte, on every run and with every compiler.
#include "Climatology.h"
#include "DemoClimate.h"
#include "GridFileWriter.h"
#include "LandMask.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace demodata;

namespace {

// The block sizes are fixed by the reader; widths chosen so that 36 rows fit.
const GridFileLayout kHadCrut4{"hadcrut4.dat", 20856, 7, 3};
const GridFileLayout kHadCrut3{"hadcrut3.dat", 28613, 10, 3};
const GridFileLayout kHadCrut3v{"hadcrut3v.dat", 28613, 10, 3};
const GridFileLayout kHadSst2{"hadsst2.dat", 20780, 7, 3};
const GridFileLayout kAbsTem3{"abstem3.dat", 28561, 10, 3};

// Written under a temporary name and renamed when complete, so that an
// interrupted run never leaves a plausible-looking short file behind.
class OutputFile {
public:
    OutputFile(const fs::path& folder, const GridFileLayout& layout)
        : finalPath(folder / layout.fileName), partPath(folder / (std::string(layout.fileName) + ".part")),
          writer(partPath, layout)
    {
    }

    void write(const std::string& header, const std::vector<double>& values) { writer.writeMonth(header, values.data()); }

    void finish()
    {
        writer.close();
        fs::remove(finalPath);
        fs::rename(partPath, finalPath);
    }

    fs::path finalPath;
    fs::path partPath;
    GridFileWriter writer;
};

struct AnomalySeries {
    DataSet set;
    const GridFileLayout& layout;
    int lastMonth;
    const char* description;
    std::unique_ptr<OutputFile> file = nullptr;
    double firstDecadeCoverage = 0.0;  // summed area share, for the summary line
    double lastDecadeCoverage = 0.0;
};

// "YYYYMM" and, where the block leaves room, what the file holds.
std::string anomalyHeader(const GridFileLayout& layout, int monthIndex, const char* description)
{
    char text[128];
    std::snprintf(text, sizeof text, "%04d%02d", yearOfMonthIndex(monthIndex), monthOfMonthIndex(monthIndex));
    std::string header = text;
    std::string longer = header + " " + description;
    return longer.size() <= layout.headerTextLimit() ? longer : header;
}

double coveredShare(const std::vector<double>& values)
{
    double covered = 0.0;
    double total = 0.0;
    for (int row = 0; row < kRows; ++row) {
        double w = DemoClimate::areaWeight(row);
        for (int column = 0; column < kColumns; ++column) {
            total += w;
            if (values[cellIndex(row, column)] != kMissingValue)
                covered += w;
        }
    }
    return covered / total;
}

void writeAnomalies(const fs::path& folder)
{
    AnomalySeries series[] = {
        {DataSet::HadCRUT4, kHadCrut4, monthIndexOf(2024, 12), "HadCRUT4-style demo: land and sea temperature anomaly, deg C vs 1961-90"},
        {DataSet::HadCRUT3, kHadCrut3, monthIndexOf(2014, 12), "HadCRUT3-style demo anomaly, deg C vs 1961-90"},
        {DataSet::HadCRUT3v, kHadCrut3v, monthIndexOf(2014, 12), "HadCRUT3v-style demo anomaly, variance adjusted"},
        {DataSet::HadSST2, kHadSst2, monthIndexOf(2014, 12), "HadSST2-style demo sea-surface anomaly"},
    };
    int lastMonth = 0;
    for (AnomalySeries& s : series) {
        s.file = std::make_unique<OutputFile>(folder, s.layout);
        lastMonth = std::max(lastMonth, s.lastMonth);
    }

    DemoClimate climate;
    std::vector<double> values;
    for (int k = 1; k <= lastMonth; ++k) {
        climate.advance();
        for (AnomalySeries& s : series) {
            if (k > s.lastMonth)
                continue;
            climate.anomalies(s.set, values);
            s.file->write(anomalyHeader(s.layout, k, s.description), values);
            if (k <= 120)
                s.firstDecadeCoverage += coveredShare(values);
            if (k > s.lastMonth - 120)
                s.lastDecadeCoverage += coveredShare(values);
        }
    }

    for (AnomalySeries& s : series) {
        s.file->finish();
        const GridFileWriter& w = s.file->writer;
        std::printf("%s: %d months %d-01..%d-12 x %zu bytes = %llu bytes; coverage %.0f%% in %d-%d, %.0f%% in %d-%d\n",
                    s.file->finalPath.generic_string().c_str(), w.monthsWritten(), kFirstYear, yearOfMonthIndex(s.lastMonth),
                    s.layout.blockSize, static_cast<unsigned long long>(w.bytesWritten()),
                    100.0 * s.firstDecadeCoverage / 120.0, kFirstYear, kFirstYear + 9,
                    100.0 * s.lastDecadeCoverage / 120.0, yearOfMonthIndex(s.lastMonth) - 9,
                    yearOfMonthIndex(s.lastMonth));
    }
}

void writeClimatology(const fs::path& folder)
{
    OutputFile file(folder, kAbsTem3);
    const std::vector<double> land = landFractions();
    std::vector<double> values;
    double lowest = 1e9;
    double highest = -1e9;
    for (int month = 1; month <= 12; ++month) {
        absoluteClimatology(month, land, values);
        char header[32];
        std::snprintf(header, sizeof header, "month %02d", month);
        file.write(header, values);
        for (double v : values) {
            lowest = std::min(lowest, v);
            highest = std::max(highest, v);
        }
    }
    file.finish();
    std::printf("%s: %d months (climatology) x %zu bytes = %llu bytes; %.1f..%.1f deg C\n",
                file.finalPath.generic_string().c_str(), file.writer.monthsWritten(), kAbsTem3.blockSize,
                static_cast<unsigned long long>(file.writer.bytesWritten()), lowest, highest);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_data <output folder>\n"
                             "writes <output folder>/data/cru/{hadcrut4,hadcrut3,hadcrut3v,hadsst2,abstem3}.dat\n");
        return 2;
    }
    try {
        fs::path folder = fs::path(argv[1]) / "data" / "cru";
        fs::create_directories(folder);
        writeAnomalies(folder);
        writeClimatology(folder);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_demo_data: %s\n", e.what());
        return 1;
    }
    return 0;
}
