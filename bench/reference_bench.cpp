// reference_bench: times the reference periods, seasons and trend maps on
// the generated hadcrut4 data set: the first field after choosing a
// reference (its climatology read from the file), a trend map of every
// year, and the arrow steps with a reference active.
//
// Run with the run folder as the current directory (data/cru/*.dat there).
// Each figure is the best of several rounds; the first two start from a
// freshly opened data set, so nothing is cached.
#include <cstdio>

#include "BenchClock.h"
#include "OrvexDatabase.h"
#include "WException.h"

namespace {

const char* const dataSet = "data/cru/hadcrut4.dat";

void report(const char* what, double ms, double targetMs)
{
    std::printf("%-52s %10.3f ms   target <= %8.1f ms   %s\n", what, ms, targetMs,
                ms <= targetMs ? "met" : "MISSED");
}

double fresh(int rounds, void (*work)(OrvexDatabase&))
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        OrvexDatabase db;
        db.open(OrvexDatabase::TYPE_GRID_FILE, dataSet);
        db.load(2024, 7, false);
        double start = nowMs();
        work(db);
        double elapsed = nowMs() - start;
        best = elapsed < best ? elapsed : best;
    }
    return best;
}

ReferencePeriod perCell(unsigned int first, unsigned int last)
{
    ReferencePeriod reference;
    reference.method = ReferencePeriod::PER_CELL;
    reference.firstYear = first;
    reference.lastYear = last;
    return reference;
}

} // namespace

int main()
{
    try {
        std::printf("Reference periods and trend maps on %s\n", dataSet);
        report("first field after choosing 1991-2020 per cell",
               fresh(5, [](OrvexDatabase& db) { db.setReference(perCell(1991, 2020)); }), 50.0);
        report("trend map of the year averages 1850-2024", fresh(3, [](OrvexDatabase& db) {
                   TrendSpan span;
                   span.firstYear = 1850;
                   span.lastYear = 2024;
                   db.loadTrend(span);
               }),
               150.0);

        OrvexDatabase db;
        db.open(OrvexDatabase::TYPE_GRID_FILE, dataSet);
        db.load(2000, 1, false);
        double plainMonth = bestOf(50, [&] { db.nextMonth(); });
        db.setReference(perCell(1850, 1900));
        db.load(2000, 1, false);
        double month = bestOf(50, [&] { db.nextMonth(); });
        db.loadSeason(1990, DJF);
        double season = bestOf(50, [&] { db.nextMonth(); });
        std::printf("%-52s %10.3f ms\n", "month step without a reference", plainMonth);
        std::printf("%-52s %10.3f ms\n", "month step, 1850-1900 per cell", month);
        // A season reads three months: its step costs three month steps,
        // both a small part of a frame beside the map's painting.
        std::printf("%-52s %10.3f ms\n", "season step, 1850-1900 per cell (3 months)", season);
    } catch (const WException& e) {
        std::printf("%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return 0;
}
