// chart_bench: times the time-series chart on the generated hadcrut4 data
// set (2 100 months) at the tab's size: the first paint of a freshly opened
// data set (its series read from the file), a paint again with the series
// kept, a hover readout and a wheel zoom step with its repaint.
//
// Run with the run folder as the current directory (data/cru/*.dat there).
// Each figure is the best of several rounds.
#include <cstdio>

#include "BenchClock.h"
#include "ChartPainter.h"
#include "ChartSeriesCache.h"
#include "MapCanvas.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "WException.h"
#include "WSystem.h"

namespace {

const char* const dataSet = "data/cru/hadcrut4.dat";
const int width = 1000;
const int height = 560;

void report(const char* what, double ms, double targetMs)
{
    std::printf("%-52s %10.3f ms   target <= %8.1f ms   %s\n", what, ms, targetMs,
                ms <= targetMs ? "met" : "MISSED");
}

} // namespace

int main()
{
    WSystem::startup("ChartBench");
    try {
        MapCanvas canvas(width, height);
        ChartOptions options;
        options.trend = true;
        options.trendFirstYear = 1975;
        options.trendLastYear = 2024;
        options.runningYears = 11;
        OrvexDatabase database;
        PositionCollection positions;
        ChartSeriesCache cache;
        const ChartSeries* series = nullptr;
        double first = bestOf(5, [&] {
            database.open(OrvexDatabase::TYPE_GRID_FILE, dataSet);
            cache.clear();
            series = &cache.get(database, positions);
            ChartView view(series->monthCount());
            ChartPainter(series, options, view).paint(canvas.getDC(), width, height);
            GdiFlush();
        });
        std::printf("Chart of %s, %u months, %d x %d\n", dataSet, series->monthCount(), width,
                    height);
        report("first paint (series read, chart drawn)", first, 150.0);
        report("  of which the series read",
               bestOf(5,
                      [&] {
                          database.open(OrvexDatabase::TYPE_GRID_FILE, dataSet);
                          cache.clear();
                          series = &cache.get(database, positions);
                      }),
               150.0);
        ChartView view(series->monthCount());
        report("paint again (series kept)",
               bestOf(10,
                      [&] {
                          ChartPainter(&cache.get(database, positions), options, view)
                              .paint(canvas.getDC(), width, height);
                          GdiFlush();
                      }),
               20.0);
        int x = 200;
        report(
            "hover readout",
            bestOf(
                50,
                [&] {
                    ChartPainter(series, options, view).readout(x++ % 800 + 60, 200, width, height);
                }),
            16.0);
        report("wheel zoom step and repaint",
               bestOf(20,
                      [&] {
                          view.zoomAround(1800.0, 0.8);
                          ChartPainter(series, options, view).paint(canvas.getDC(), width, height);
                          GdiFlush();
                      }),
               16.0);
    } catch (const WException& e) {
        std::fprintf(stderr, "chart_bench: %s\n", static_cast<const char*>(e.getMessage()));
        WSystem::shutdown();
        return 1;
    }
    WSystem::shutdown();
    return 0;
}
