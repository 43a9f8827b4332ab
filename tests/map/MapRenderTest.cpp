// The renderers' pictures: cells, colours, coastlines, legend, globe extent.
#include <gtest/gtest.h>

#include <cmath>

#include "ColourScale.h"
#include "MapTestSupport.h"
#include "WException.h"

namespace {
const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF blue = RGB(0, 0, 255);
const double anomalies[] = {-6, -4, -2, -0.7, -0.3, -0.1, 0.1, 0.5, 2, 4, 7};

// Month 1: the northern half in every colour of the scale, column after
// column, with every seventh cell and the whole southern half missing.
double patternValue(int, int row, int column)
{
    if (row >= 18 || (row * 72 + column) % 7 == 3)
        return -99.9;
    return anomalies[(row + column) % 11];
}

COLORREF patternColour(int row, int column)
{
    return colourForValue(anomalies[(row + column) % 11]);
}

double distanceFromCentre(int x, int y, int cx, int cy)
{
    return std::sqrt(static_cast<double>((x - cx) * (x - cx) + (y - cy) * (y - cy)));
}
}

TEST(MapRenderTest, FlatOutlineMapCellsCoastlinesFrameAndLegend)
{
    ScratchDir scratch;
    writeTestGrid(patternValue);
    writeWorldmap({"0,5 0,25", "0.5 0.3"});
    OrvexMap map;
    map.mapType = 1;
    loadTestMonth(map, 1);
    RenderedMap rendered(map);
    EXPECT_EQ(405, map.mapCentreX);
    EXPECT_EQ(217, map.mapCentreY);

    // Each cell fills its rectangle inside the frame lines; cell (0, 0) is
    // pixels 30..39 both ways (the frame covers row and column 30).
    for (int row = 0; row < 18; ++row) {
        for (int column = 0; column < 72; ++column) {
            int left = flatPixelX(-180 + column * 5, 0.75, 1, true);
            int top = flatPixelY(90 - row * 5, 0.75, 1, true);
            int right = flatPixelX(-175 + column * 5, 0.75, 1, true);
            int bottom = flatPixelY(85 - row * 5, 0.75, 1, true);
            COLORREF expected = (row * 72 + column) % 7 == 3 ? white : patternColour(row, column);
            RECT inner = {left + 1, top + 1, right - 1, bottom - 1};
            int area = (inner.right - inner.left) * (inner.bottom - inner.top);
            ASSERT_EQ(area, countColour(rendered.canvas, inner, expected))
                << "cell " << row << ", " << column;
        }
    }
    EXPECT_EQ(patternColour(0, 0), rendered.at(39, 39));
    EXPECT_EQ(patternColour(0, 1), rendered.at(40, 39));
    EXPECT_EQ(patternColour(1, 0), rendered.at(39, 40));
    RECT south = {36, 219, 775, 400}; // inside the ticks
    EXPECT_EQ((775 - 36) * (400 - 219), countColour(rendered.canvas, south, white));

    // The coastline from 0 E on the equator, (405, 218), up to 18 N, (405, 180).
    for (int y = 181; y <= 218; ++y)
        ASSERT_EQ(black, rendered.at(405, y)) << y;
    EXPECT_NE(black, rendered.at(405, 179));

    // Frame lines, ticks at 60 W (x = 280) and 30 N (y = 155).
    for (int x = 30; x <= 779; x += 7)
        ASSERT_EQ(black, rendered.at(x, 30)) << x;
    EXPECT_EQ(black, rendered.at(30, 300));
    EXPECT_EQ(black, rendered.at(780, 300));
    EXPECT_EQ(black, rendered.at(400, 405));
    EXPECT_EQ(black, rendered.at(280, 34));
    EXPECT_EQ(black, rendered.at(280, 401));
    EXPECT_EQ(black, rendered.at(34, 155));
    EXPECT_EQ(black, rendered.at(776, 155));

    // The colour legend: 11 boxes of 68 x 15 from x = 31, y = 425.
    for (int x = 31; x < 31 + 11 * 68; ++x) {
        ASSERT_EQ(anomalyColours[(x - 31) / 68].colour, rendered.at(x, 425)) << x;
        ASSERT_EQ(anomalyColours[(x - 31) / 68].colour, rendered.at(x, 439)) << x;
    }
    EXPECT_EQ(white, rendered.at(30, 430));
    EXPECT_EQ(white, rendered.at(779, 430));
    EXPECT_EQ(white, rendered.at(100, 424));
    EXPECT_EQ(white, rendered.at(50, 440));
    // Without labels nothing is written above the map but the top of "90N".
    RECT top = {0, 0, 810, 24};
    EXPECT_EQ(810 * 24, countColour(rendered.canvas, top, white));
}

TEST(MapRenderTest, LegendAtFullAndHalfScale)
{
    ScratchDir scratch;
    writeTestGrid([](int, int, int) { return -99.9; });
    writeWorldmap({});
    OrvexMap map;
    map.mapType = 1;
    loadTestMonth(map, 1);
    map.scalePercent = 100;
    map.scaleX = map.scaleY = 1.0;
    {
        RenderedMap rendered(map);
        EXPECT_EQ(530, map.mapCentreX);
        EXPECT_EQ(280, map.mapCentreY);
        for (int x = 30; x < 30 + 11 * 91; ++x)
            ASSERT_EQ(anomalyColours[(x - 30) / 91].colour, rendered.at(x, 557)) << x;
        EXPECT_EQ(white, rendered.at(29, 557));
        EXPECT_EQ(white, rendered.at(30 + 11 * 91, 557));
        EXPECT_EQ(white, rendered.at(100, 549));
        EXPECT_EQ(black, rendered.at(1030, 300));
        // No data: inside the ticks everything is white.
        RECT inside = {36, 36, 1025, 525};
        EXPECT_EQ((1025 - 36) * (525 - 36), countColour(rendered.canvas, inside, white));
    }
    map.scalePercent = 50;
    map.scaleX = map.scaleY = 0.5;
    RenderedMap half(map);
    // Boxes round(45.45) = 45 wide from 30 + (500 - 495) / 2 = 32, top 300.
    for (int x = 32; x < 32 + 11 * 45; ++x)
        ASSERT_EQ(anomalyColours[(x - 32) / 45].colour, half.at(x, 300)) << x;
    EXPECT_EQ(white, half.at(31, 300));
    EXPECT_EQ(white, half.at(32, 299));
}

TEST(MapRenderTest, GlobeStaysInsideItsSquareAndCircle)
{
    ScratchDir scratch;
    writeTestGrid([](int, int, int) { return 0.1; });
    writeWorldmap({});
    OrvexMap map;
    map.mapType = 1;
    map.orthographic = true;
    loadTestMonth(map, 1);
    RenderedMap rendered(map);
    const COLORREF cell = colourForValue(0.1);
    int rimPixels = 0;
    for (int y = 0; y < 420; ++y) {
        for (int x = 0; x < 810; ++x) {
            COLORREF pixel = rendered.at(x, y);
            double r = distanceFromCentre(x, y, 405, 217);
            if (x < 217 || x > 593 || y < 29 || y > 405 || r > 189.0)
                ASSERT_EQ(white, pixel) << x << ", " << y;
            else if (r < 186.0)
                ASSERT_TRUE(pixel == cell || pixel == blue) << x << ", " << y;
            else if (pixel == blue)
                ++rimPixels;
        }
    }
    EXPECT_GT(rimPixels, 900);
    for (POINT p : {POINT{218, 217}, POINT{592, 217}, POINT{405, 30}, POINT{405, 404}})
        EXPECT_NE(white, rendered.at(p.x, p.y)) << p.x << ", " << p.y;
    // The globe view has no frame and no degree labels, but the legend.
    EXPECT_EQ(white, rendered.at(30, 100));
    EXPECT_EQ(white, rendered.at(780, 100));
    EXPECT_EQ(anomalyColours[0].colour, rendered.at(31, 425));
    // A meridian runs through the centre of view (10 E is not on the grid,
    // but 15 E is): its pixel on the equator is blue.
    int x, y;
    map.projectOrthographic(map.globeCentreLon, map.globeCentreLat,
                            15 * 0.005555555555555556 * 3.14159265, 0, 405, 217, x, y);
    EXPECT_EQ(blue, rendered.at(x, y));
}

TEST(MapRenderTest, CoastlinesOnTheFlatMap)
{
    ScratchDir scratch;
    OrvexMap map;
    map.mapType = 1;
    writeWorldmap({
        "0,5 0,25", // (405, 218), the first point: a move
        "0.5 0.3",  // line up to (405, 180)
        "2 0",
        "0.25 0.25", // (218, 218)
        "",
        "0.25 0.3", // an empty line does not lift the pen
        "2 0",
        "0.75 0.25", // (593, 218)
        "2 0",
        "0.75 0.3",  // (593, 180): reached with a move
        "0.75 0.35", // (593, 143)
    });
    MapCanvas canvas(810, 485);
    PatBlt(canvas.getDC(), 0, 0, 810, 485, WHITENESS);
    map.drawCoastlines(canvas.getDC());
    for (int y = 181; y <= 218; ++y) {
        ASSERT_EQ(black, canvas.getPixel(405, y)) << y;
        ASSERT_EQ(black, canvas.getPixel(218, y)) << y;
        ASSERT_EQ(white, canvas.getPixel(593, y)) << y;
    }
    for (int y = 144; y <= 180; ++y)
        ASSERT_EQ(black, canvas.getPixel(593, y)) << y;
    // Nothing joins the separate lines.
    EXPECT_EQ(white, canvas.getPixel(300, 218));
    EXPECT_EQ(white, canvas.getPixel(500, 200));
    RECT all = {0, 0, 810, 485};
    EXPECT_EQ(38 + 38 + 37, countColour(canvas, all, black));

    // A missing file is the file layer's exception.
    DeleteFileA("worldmap.txt");
    EXPECT_THROW(map.drawCoastlines(canvas.getDC()), WFileNotFoundException);
    ScratchDir other;
    writeTestGrid(patternValue);
    loadTestMonth(map, 1);
    MapCanvas target(810, 485);
    EXPECT_THROW(map.renderFlatMap(target.getDC(), false, false), WFileNotFoundException);
    map.orthographic = true;
    EXPECT_THROW(map.renderGlobe(target.getDC(), false, false), WFileNotFoundException);
    // With a picture no coastlines are read.
    map.mapType = 2;
    EXPECT_NO_THROW(map.renderGlobe(target.getDC(), false, false));
}

TEST(MapRenderTest, CoastlinesOnTheGlobeBreakBehindIt)
{
    ScratchDir scratch;
    OrvexMap map;
    map.orthographic = true;
    map.mapCentreX = 405;
    map.mapCentreY = 217;
    // 170 W: x = 10 / 360. The equator (y = 0.25) is on the far side of a
    // globe centred at 10 E 45 N; 60 N and 70 N (beyond the pole) are seen.
    writeWorldmap({"0.0277778 0.25", "0.0277778 0.4166667", "0.0277778 0.4444444", "0.0277778 0.25",
                   "0.0277778 0.4722222"});
    MapCanvas canvas(810, 485);
    PatBlt(canvas.getDC(), 0, 0, 810, 485, WHITENESS);
    map.drawCoastlines(canvas.getDC());
    auto projected = [&](float x, float y) {
        int px, py;
        map.projectOrthographic(map.globeCentreLon, map.globeCentreLat, x * 6.2831853 - 3.14159265,
                                y * 6.2831853 - 1.570796325, 405, 217, px, py);
        return POINT{px, py};
    };
    POINT hidden = projected(0.0277778f, 0.25f);
    POINT seen60 = projected(0.0277778f, 0.4166667f);
    POINT seen62 = projected(0.0277778f, 0.4444444f);
    POINT after = projected(0.0277778f, 0.4722222f);
    EXPECT_EQ(white, canvas.getPixel(hidden.x, hidden.y));
    EXPECT_EQ(black, canvas.getPixel(seen60.x, seen60.y));
    EXPECT_EQ(white, canvas.getPixel(after.x, after.y));
    ASSERT_GT(std::abs(seen62.y - seen60.y), 3);
    // Only the two seen points are joined, with a 2-pixel pen; the point
    // after the hidden one just starts a new line.
    RECT all = {0, 0, 810, 485};
    int length = std::abs(seen62.y - seen60.y) + std::abs(seen62.x - seen60.x);
    int drawn = countColour(canvas, all, black);
    EXPECT_GE(drawn, length);
    EXPECT_LE(drawn, 3 * (length + 2));
}
