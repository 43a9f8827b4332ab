// The chart and the stripes at 144 and 192 DPI against the same pictures at
// 96 DPI, measured in the pictures: the plot's frame, the title's letters,
// the stripes and the month under the pointer lie at the 96-DPI places
// times dpi/96.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
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

const int baseWidth = 640;
const int baseHeight = 400;

// Darker than the grid's light grey.
bool dark(std::uint32_t pixel)
{
    return (pixel & 0xFF) + ((pixel >> 8) & 0xFF) + ((pixel >> 16) & 0xFF) < 3 * 200;
}

// The middles of the first and the last run of lines (columns or rows)
// that are dark along at least half their length.
struct Lines {
    double first = -1, last = -1;
};

Lines longDarkLines(const MapCanvas& canvas, bool columns)
{
    int count = columns ? canvas.getWidth() : canvas.getHeight();
    int length = columns ? canvas.getHeight() : canvas.getWidth();
    const std::uint32_t* pixels = canvas.getPixels();
    std::vector<bool> isLong(count);
    for (int i = 0; i < count; ++i) {
        int darkPixels = 0;
        for (int j = 0; j < length; ++j)
            darkPixels += dark(columns ? pixels[j * canvas.getWidth() + i]
                                       : pixels[i * canvas.getWidth() + j]);
        isLong[i] = 2 * darkPixels >= length;
    }
    auto middle = [&](int i, int step) {
        int end = i;
        while (end + step >= 0 && end + step < count && isLong[end + step])
            end += step;
        return (i + end) / 2.0;
    };
    Lines found;
    for (int i = 0; i < count && found.first < 0; ++i)
        if (isLong[i])
            found.first = middle(i, 1);
    for (int i = count - 1; i >= 0 && found.last < 0; --i)
        if (isLong[i])
            found.last = middle(i, -1);
    return found;
}

// The first and one past the last row with a dark pixel above row limit.
std::pair<int, int> inkRows(const MapCanvas& canvas, int limit)
{
    int top = -1, bottom = -1;
    for (int y = 0; y < limit; ++y)
        for (int x = 0; x < canvas.getWidth(); ++x)
            if (dark(canvas.getPixels()[y * canvas.getWidth() + x])) {
                if (top < 0)
                    top = y;
                bottom = y + 1;
                break;
            }
    return {top, bottom};
}

// The stripes' box: the non-white columns of the middle row, and the run of
// the first stripe's colour down its column.
RECT stripesBox(const MapCanvas& canvas)
{
    RECT box = {-1, -1, -1, -1};
    int y = canvas.getHeight() / 2;
    for (int x = 0; x < canvas.getWidth(); ++x)
        if (canvas.getPixel(x, y) != RGB(255, 255, 255)) {
            if (box.left < 0)
                box.left = x;
            box.right = x + 1;
        }
    int x = box.left + 1;
    COLORREF colour = canvas.getPixel(x, y);
    box.top = y;
    while (box.top > 0 && canvas.getPixel(x, box.top - 1) == colour)
        --box.top;
    box.bottom = y + 1;
    while (box.bottom < canvas.getHeight() && canvas.getPixel(x, box.bottom) == colour)
        ++box.bottom;
    return box;
}

struct Measured {
    Lines frameColumns, frameRows;
    std::pair<int, int> titleInk;
    RECT stripes;
    std::vector<ChartHit> hits;
};

// Points of the plot at 96 DPI where the pointer reads a month.
const POINT pointerPlaces[] = {{70, 120}, {211, 300}, {350, 200}, {498, 90}, {615, 360}};

Measured measure(const ChartSeries& series, const ChartOptions& options, const ChartView& view,
                 unsigned int dpi)
{
    int width = MulDiv(baseWidth, dpi, 96), height = MulDiv(baseHeight, dpi, 96);
    Measured result;
    ChartPainter chart(&series, options, view, dpi);
    MapCanvas picture(width, height);
    chart.paint(picture.getDC(), width, height);
    result.frameColumns = longDarkLines(picture, true);
    result.frameRows = longDarkLines(picture, false);
    // The title and the reference line above the frame.
    result.titleInk = inkRows(picture, static_cast<int>(result.frameRows.first) - MulDiv(3, dpi, 96));
    for (const POINT& place : pointerPlaces)
        result.hits.push_back(chart.hitTest(MulDiv(place.x, dpi, 96), MulDiv(place.y, dpi, 96),
                                            width, height));
    MapCanvas stripes(width, height);
    StripesPainter(&series, StripesOptions(), dpi).paint(stripes.getDC(), width, height);
    result.stripes = stripesBox(stripes);
    return result;
}

TEST(ChartDpiTest, HigherResolutionsLayOutAsAt96Scaled)
{
    const std::string path = std::string(ORVEX_RUN_DIR) + "/data/cru/hadcrut4.dat";
    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE, path.c_str());
    PositionCollection positions;
    ChartSeries series(database, positions);
    ChartOptions options;
    options.trend = true;
    options.trendFirstYear = 1970;
    options.trendLastYear = 2000;
    ChartView view(series.monthCount());
    view.showYears(1985, 1994);

    Measured base = measure(series, options, view, 96);
    ASSERT_GT(base.frameColumns.first, 0);
    ASSERT_GT(base.titleInk.first, 0);
    for (unsigned int dpi : {144u, 192u}) {
        SCOPED_TRACE(dpi);
        double factor = dpi / 96.0;
        Measured scaled = measure(series, options, view, dpi);
        EXPECT_NEAR(scaled.frameColumns.first, base.frameColumns.first * factor, 1.0);
        EXPECT_NEAR(scaled.frameColumns.last, base.frameColumns.last * factor, 1.0);
        EXPECT_NEAR(scaled.frameRows.first, base.frameRows.first * factor, 1.0);
        EXPECT_NEAR(scaled.frameRows.last, base.frameRows.last * factor, 1.0);
        // Letters grow with the resolution; hinting moves their edges a little.
        EXPECT_NEAR(scaled.titleInk.first, base.titleInk.first * factor, 2 * factor);
        EXPECT_NEAR(scaled.titleInk.second, base.titleInk.second * factor, 2 * factor);
        EXPECT_NEAR(scaled.stripes.left, base.stripes.left * factor, 1.0);
        EXPECT_NEAR(scaled.stripes.right, base.stripes.right * factor, 1.0);
        EXPECT_NEAR(scaled.stripes.top, base.stripes.top * factor, 1.0);
        EXPECT_NEAR(scaled.stripes.bottom, base.stripes.bottom * factor, 1.0);
        for (size_t i = 0; i < base.hits.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(base.hits[i].valid);
            EXPECT_EQ(scaled.hits[i].valid, base.hits[i].valid);
            EXPECT_EQ(scaled.hits[i].month, base.hits[i].month);
            EXPECT_EQ(scaled.hits[i].yearAverage, base.hits[i].yearAverage);
        }
    }
}

class LibraryEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        WSystem::startup("OrvexChartTests", GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>("chart_tests"), SW_SHOWNORMAL, CS_DBLCLKS);
    }
    void TearDown() override { WSystem::shutdown(); }
};

} // namespace

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new LibraryEnvironment);
    return RUN_ALL_TESTS();
}
