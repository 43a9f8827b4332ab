// data_bench: times the grid reader on the generated data sets and prints
// the decade means of the global value and of the coverage.
//
// Run with the run folder as the current directory (data/cru/*.dat there).
// Figures are wall-clock times under whatever the machine does meanwhile:
// each is the best of several rounds.
#include <windows.h>

#include <cstdio>
#include <functional>
#include <vector>

#include "BenchClock.h"
#include "OrvexDatabase.h"
#include "WException.h"
#include "WFile.h"

namespace {

unsigned monthsIn(const char* name)
{
    WFile file(name);
    return file.getSize() / OrvexDatabase::blockSizeForName(name);
}

void report(const char* what, double ms, double targetMs)
{
    std::printf("%-46s %10.3f ms   target <= %8.1f ms   %s\n", what, ms, targetMs,
                ms <= targetMs ? "met" : "MISSED");
}

void timeReader(const char* name)
{
    unsigned months = monthsIn(name);
    std::printf("Reader timings on %s (%u months)\n", name, months);
    OrvexDatabase db;
    db.open(1, name);
    report("one month (readField)", bestOf(50, [&] { db.load(1990, 6, false); }), 2.0);
    report("one year average", bestOf(20, [&] { db.load(1990, 1, true); }), 20.0);
    double pass = bestOf(3, [&] {
        for (unsigned i = 0; i < months; ++i)
            db.load(1850 + i / 12, i % 12 + 1, false);
    });
    report("every month, one load each", pass, 1500.0);

    // For comparison, the blocks read line by line as the reader once did:
    // position on each block and read its 37 lines with WFile::readln.
    unsigned blockSize = OrvexDatabase::blockSizeForName(name);
    WFile file(name);
    WString line;
    double lines = bestOf(3, [&] {
        for (unsigned i = 0; i < months; ++i) {
            file.setPos(static_cast<int>(i * blockSize));
            for (int n = 0; n < 37; ++n)
                file.readln(line);
        }
    });
    std::printf("%-46s %10.3f ms   (%.0f%% of the pass)\n", "  line by line, WFile::readln + setPos",
                lines, 100.0 * lines / pass);
    std::printf("\n");
}

void decadeTable(const char* name)
{
    unsigned months = monthsIn(name);
    OrvexDatabase db;
    db.open(1, name);
    std::printf("Decade means of %s\n", name);
    // "padded" is the former value m * (2 - coverage / 100), m being the
    // weighted sum over the cells with data, for comparison.
    std::printf("%-10s %8s %14s %14s %12s\n", "decade", "months", "global value", "coverage %",
                "padded");
    unsigned firstYear = 1850;
    unsigned lastYear = 1850 + (months - 1) / 12;
    for (unsigned decade = firstYear; decade <= lastYear; decade += 10) {
        double global = 0.0;
        double padded = 0.0;
        double coverage = 0.0;
        unsigned counted = 0;
        unsigned withData = 0;
        for (unsigned year = decade; year < decade + 10 && year <= lastYear; ++year) {
            for (unsigned month = 1; month <= 12 && (year - 1850) * 12 + month <= months; ++month) {
                db.load(year, month, false);
                ++counted;
                coverage += db.getCoverage();
                if (db.getCellsWithData() > 0) {
                    double share = db.getCoverage() / 100.0;
                    global += db.getGlobalMean();
                    padded += db.getGlobalMean() * share * (2.0 - share);
                    ++withData;
                }
            }
        }
        std::printf("%u-%-5u %8u %14.4f %14.2f %12.4f\n", decade, decade + 9, counted,
                    withData > 0 ? global / withData : 0.0, coverage / counted,
                    withData > 0 ? padded / withData : 0.0);
    }
    std::printf("\n");
}

} // namespace

int main()
{
    try {
        timeReader("data/cru/hadcrut3v.dat");
        timeReader("data/cru/hadcrut4.dat");
        decadeTable("data/cru/hadcrut3v.dat");
        decadeTable("data/cru/hadcrut4.dat");
    } catch (const WException& e) {
        std::printf("%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return 0;
}
