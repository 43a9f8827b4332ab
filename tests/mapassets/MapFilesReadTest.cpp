// The map files in the run folder as the program reads them: the pictures
// through the library's GDI+ bitmaps, the coastlines through its line reader
// and "%f %f" into floats.

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>

#include "WBitmap.h"
#include "WFile.h"
#include "WImageCodecs.h"
#include "WString.h"

namespace {

class CodecEnvironment : public ::testing::Environment {
public:
    void SetUp() override { WImageCodecs::startup(); }
    void TearDown() override { WImageCodecs::shutdown(); }
};
[[maybe_unused]] const auto* codecEnvironment =
    ::testing::AddGlobalTestEnvironment(new CodecEnvironment);

std::string runFile(const char* name)
{
    return std::string(ORVEX_RUN_DIR) + "/" + name;
}

// The pixel of an equirectangular 1000 x 500 picture at a place.
unsigned long pixelAt(const WBitmap& picture, double lat, double lon)
{
    return picture.getPixel(static_cast<int>((lon + 180.0) / 360.0 * 1000.0),
                            static_cast<int>((90.0 - lat) / 180.0 * 500.0));
}

bool closeTo(unsigned long colour, int red, int green, int blue)
{
    return std::abs(static_cast<int>(colour & 0xFF) - red) <= 12 &&
           std::abs(static_cast<int>((colour >> 8) & 0xFF) - green) <= 12 &&
           std::abs(static_cast<int>((colour >> 16) & 0xFF) - blue) <= 12;
}

}  // namespace

TEST(MapFilesReadTest, PicturesOpenAsWholeEarthsOf1000By500)
{
    for (const char* name : {"weltkarte1.jpg", "weltkarte2.jpg", "weltkarte3.jpg"}) {
        SCOPED_TRACE(name);
        WBitmap picture;
        ASSERT_NO_THROW(picture.open(runFile(name).c_str()));
        EXPECT_EQ(1000u, picture.getWidth());
        EXPECT_EQ(500u, picture.getHeight());
    }
    // The land/water picture's two colours (tools/mapassets/landwater.py).
    WBitmap landWater(runFile("weltkarte3.jpg").c_str());
    EXPECT_TRUE(closeTo(pixelAt(landWater, 23.0, 10.0), 214, 204, 168));   // Sahara
    EXPECT_TRUE(closeTo(pixelAt(landWater, 0.0, -160.0), 170, 206, 232));  // mid-Pacific
}

TEST(MapFilesReadTest, CoastlinesReadAsPointsAndPenUps)
{
    WFile file;
    file.open(runFile("worldmap.txt").c_str(), static_cast<unsigned long>(WFile::MODE_READ));
    WString line;
    unsigned long points = 0, penUps = 0;
    float west = 1, east = 0, south = 1, north = 0;
    while (file.readln(line)) {
        ASSERT_GT(line.length(), 0u) << "after point " << points;
        line.replace(',', '.');
        float x = 0, y = 0;
        ASSERT_EQ(2, std::sscanf(line, "%f %f", &x, &y)) << static_cast<const char*>(line);
        if (x > 1.0f) {
            EXPECT_EQ(0.0f, y);
            ++penUps;
            continue;
        }
        ++points;
        west = std::min(west, x);
        east = std::max(east, x);
        south = std::min(south, y);
        north = std::max(north, y);
    }
    EXPECT_GT(points, 50000u);
    EXPECT_GT(penUps, 1000u);
    // The whole earth: both map edges, Antarctica near 90 S, the Arctic
    // islands beyond 83 N.
    EXPECT_EQ(0.0f, west);
    EXPECT_EQ(1.0f, east);
    EXPECT_LT(south, (-85.0f + 90.0f) / 360.0f);
    EXPECT_GT(north, (83.0f + 90.0f) / 360.0f);
}
