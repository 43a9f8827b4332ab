// The chart and the stripes at 144 and 192 DPI against the same pictures at
// 96 DPI, measured in the pictures: the plot's frame, the title's letters,
// the stripes and the month under the pointer lie at the 96-DPI places
// times dpi/96.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "ChartPainter.h"
#include "ChartSeries.h"
#include "MapCanvas.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "StripesPainter.h"
#include "WSystem.h"

namespace {

using Test = std::function<bool(COLORREF)>;
const Test darkerThanGrid = [](COLORREF c) {
    return GetRValue(c) + GetGValue(c) + GetBValue(c) < 600;
};
const Test notWhite = [](COLORREF c) { return c != RGB(255, 255, 255); };

// Where the first of the lines (columns, or rows above limit) with at least
// minimum pixels passing the test begins and the last one ends; minimum 0:
// half the line's length.
std::vector<double> lines(const MapCanvas& picture, const Test& test, bool columns, int limit,
                          int minimum = 0)
{
    int count = columns ? picture.getWidth() : std::min(limit, picture.getHeight());
    int length = columns ? picture.getHeight() : picture.getWidth();
    std::vector<double> found;
    for (int i = 0; i < count; ++i) {
        int hits = 0;
        for (int j = 0; j < length; ++j)
            hits += test(columns ? picture.getPixel(i, j) : picture.getPixel(j, i));
        if (hits < (minimum > 0 ? minimum : (length + 1) / 2))
            continue;
        if (found.empty())
            found = {double(i), 0.0};
        found[1] = i + 1;
    }
    return found;
}

TEST(ChartDpiTest, HigherResolutionsLayOutAsAt96Scaled)
{
    WSystem::startup("ChartDpiTest");
    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE,
                  (std::string(ORVEX_RUN_DIR) + "/data/cru/hadcrut4.dat").c_str());
    PositionCollection positions;
    ChartSeries series(database, positions);
    ChartOptions options;
    options.trend = true;
    options.trendFirstYear = 1970;
    options.trendLastYear = 2000;
    ChartView view(series.monthCount());
    view.showYears(1985, 1994);
    const POINT pointer[] = {{70, 120}, {211, 300}, {350, 200}, {498, 90}, {615, 360}};

    std::vector<std::vector<double>> base;
    for (unsigned int dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        int width = MulDiv(640, dpi, 96), height = MulDiv(400, dpi, 96);
        ChartPainter chart(&series, options, view, dpi);
        MapCanvas drawn(width, height), stripes(width, height);
        chart.paint(drawn.getDC(), width, height);
        StripesPainter(&series, StripesOptions(), dpi).paint(stripes.getDC(), width, height);
        std::vector<std::vector<double>> measured = {
            lines(drawn, darkerThanGrid, true, 0), lines(drawn, darkerThanGrid, false, height),
            lines(stripes, notWhite, true, 0), lines(stripes, notWhite, false, height)};
        // The title's and the reference's letters above the frame.
        ASSERT_EQ(2u, measured[1].size());
        measured.push_back(lines(drawn, darkerThanGrid, false, int(measured[1][0]) - 2, 1));
        for (const POINT& place : pointer) {
            ChartHit hit =
                chart.hitTest(MulDiv(place.x, dpi, 96), MulDiv(place.y, dpi, 96), width, height);
            EXPECT_TRUE(hit.valid);
            measured.push_back({double(hit.month), double(hit.yearAverage)});
        }
        if (base.empty())
            base = measured;
        for (size_t i = 0; i < measured.size(); ++i)
            for (size_t j = 0; j < 2; ++j) {
                ASSERT_EQ(2u, measured[i].size()) << i;
                // Letters are hinted: their edges may move a little more.
                double scaled = i < 5 ? base[i][j] * dpi / 96 : base[i][j];
                EXPECT_NEAR(measured[i][j], scaled,
                            i == 4  ? 2.0 * dpi / 96
                            : i < 4 ? 1.0
                                    : 0.0)
                    << i << ", " << j;
            }
    }
    WSystem::shutdown();
}

} // namespace
