// The globe's per-view table: one table serves many months, and a new
// centre or scale makes a new one. Every fast picture is compared pixel for
// pixel with the straightforward renderer's.
#include <gtest/gtest.h>

#include <cmath>

#include "MapTestSupport.h"
#include "WBitmap.h"

namespace {

double monthValue(int month, int row, int column)
{
    int k = row * 72 + column;
    if ((k * (month + 3)) % 7 == 0)
        return -99.9;
    return std::cos(k * 0.41 + month * 1.3) * 7;
}

void writePicture()
{
    MapCanvas canvas(1000, 500);
    std::uint32_t* pixels = const_cast<std::uint32_t*>(canvas.getPixels());
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 1000; ++x)
            pixels[y * 1000 + x] = ((x * 3 + y) & 0xFF) << 16 | ((x ^ y) & 0xFF) << 8 | (y & 0xFF);
    WBitmap picture;
    picture.create(canvas.getBitmap(), nullptr);
    picture.save("weltkarte1.jpg", 90);
}

std::string fastAgainstReference(OrvexMap& map)
{
    MapLayout layout = map.layout();
    MapCanvas fast(layout.pictureWidth, layout.pictureHeight);
    MapCanvas reference(layout.pictureWidth, layout.pictureHeight);
    map.renderPath = OrvexMap::RenderPath::Fast;
    map.renderMap(fast.getDC(), true, false);
    map.renderPath = OrvexMap::RenderPath::Reference;
    map.renderMap(reference.getDC(), true, false);
    return pixelDifferences(fast, reference);
}

}

TEST(GlobeTableTest, OneTableForManyMonthsAndANewOneForANewView)
{
    ScratchDir scratch;
    writeTestGrid(monthValue);
    writeWorldmap({"0.1,0.2 0.3,0.25 0.45,0.5 0.2,0.6", "2 0", "0.6,0.1 0.9,0.3 0.7,0.45"});
    writePicture();
    OrvexMap map;
    loadTestMonth(map, 1);
    map.orthographic = true;

    struct Step {
        const char* what;
        std::function<void()> change;
    } steps[] = {
        {"March", [&] { map.database.load(1850, 3, false); }},
        {"February", [&] { map.database.load(1850, 2, false); }},
        {"centre on position 1",
         [&] { map.positions.add(makePosition("Sydney", -33, 151), true); }},
        {"January, same centre", [&] { map.database.load(1850, 1, false); }},
        {"position 1 removed: the last centre stays", [&] { map.positions.remove(1); }},
        {"another centre", [&] { map.globeCentreLat = 1.2, map.globeCentreLon = -2.9; }},
        {"scale 50 %", [&] { map.scaleX = map.scaleY = 0.5, map.scalePercent = 50; }},
        {"March at 50 %", [&] { map.database.load(1850, 3, false); }},
        {"outlines", [&] { map.mapType = 1, map.loadBackgroundPicture(); }},
        {"scale 100 %, outlines", [&] { map.scaleX = map.scaleY = 1.0, map.scalePercent = 100; }},
        {"satellite at 100 %", [&] { map.mapType = 2, map.loadBackgroundPicture(); }},
        {"back to 75 %", [&] { map.scaleX = map.scaleY = 0.75, map.scalePercent = 75; }},
    };
    map.mapType = 2;
    map.loadBackgroundPicture();
    EXPECT_EQ("", fastAgainstReference(map)) << "January";
    for (const Step& step : steps) {
        step.change();
        EXPECT_EQ("", fastAgainstReference(map)) << step.what;
    }
}
