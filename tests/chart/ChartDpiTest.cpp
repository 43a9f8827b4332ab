// The chart and the stripes at 144 and 192 DPI, measured in the pictures:
// the plot's frame, the title's letters, the stripes and the month under the
// pointer lie at the 96-DPI picture's places times dpi/96.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ChartPainter.h"
#include "ChartSeries.h"
#include "MapCanvas.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "StripesPainter.h"
#include "WSystem.h"

// Where the first of the lines (columns, or rows above limit) with at least
// minimum pixels darker than the brightness (R+G+B) begins and the last one
// ends; minimum 0: half the line's length.
static std::vector<double> lines(const MapCanvas& picture, int brightness, bool columns, int limit,
                                 int minimum = 0)
{
    int count = columns ? picture.getWidth() : std::min(limit, picture.getHeight());
    int length = columns ? picture.getHeight() : picture.getWidth();
    std::vector<double> found;
    for (int i = 0; i < count; ++i) {
        int hits = 0;
        for (int j = 0; j < length; ++j) {
            COLORREF c = columns ? picture.getPixel(i, j) : picture.getPixel(j, i);
            hits += GetRValue(c) + GetGValue(c) + GetBValue(c) < brightness;
        }
        if (hits >= (minimum > 0 ? minimum : (length + 1) / 2))
            found = {found.empty() ? double(i) : found[0], double(i + 1)};
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
    ChartView view(series.monthCount());
    view.showYears(1985, 1994);
    const POINT pointer[] = {{70, 120}, {211, 300}, {350, 200}, {498, 90}, {615, 360}};
    const int dark = 600, notWhite = 765; // darker than the grid's light grey; anything drawn
    std::vector<std::vector<double>> base;
    for (unsigned int dpi : {96u, 144u, 192u}) {
        SCOPED_TRACE(dpi);
        int width = MulDiv(640, dpi, 96), height = MulDiv(400, dpi, 96);
        ChartPainter chart(&series, ChartOptions(), view, dpi);
        MapCanvas drawn(width, height), stripes(width, height);
        chart.paint(drawn.getDC(), width, height);
        StripesPainter(&series, StripesOptions(), dpi).paint(stripes.getDC(), width, height);
        std::vector<std::vector<double>> measured = {
            lines(drawn, dark, true, 0), lines(drawn, dark, false, height),
            lines(stripes, notWhite, true, 0), lines(stripes, notWhite, false, height)};
        ASSERT_EQ(2u, measured[1].size());
        // The title's and the reference's letters above the frame.
        measured.push_back(lines(drawn, dark, false, int(measured[1][0]) - 2, 1));
        for (const POINT& p : pointer) {
            ChartHit hit = chart.hitTest(MulDiv(p.x, dpi, 96), MulDiv(p.y, dpi, 96), width, height);
            EXPECT_TRUE(hit.valid);
            measured.push_back({double(hit.month), double(hit.yearAverage)});
        }
        if (base.empty())
            base = measured;
        for (size_t i = 0; i < measured.size(); ++i) {
            ASSERT_EQ(2u, measured[i].size()) << i;
            // Pixels scale to within one, letters (hinted) to within two; months stay.
            double factor = i < 5 ? dpi / 96.0 : 1.0, slack = i < 4 ? 1.0 : i == 4 ? 2 * factor : 0;
            for (size_t j = 0; j < 2; ++j)
                EXPECT_NEAR(measured[i][j], base[i][j] * factor, slack) << i << ", " << j;
        }
    }
    WSystem::shutdown();
}
