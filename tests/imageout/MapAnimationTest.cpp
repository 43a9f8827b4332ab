// Animations of the map: every frame, as the independent decoders put it
// together, is that month's picture (the straightforward renderer's) mapped
// onto the animation's colour table; cancelling and failing leave no file
// and an old one as it was.
#include <gtest/gtest.h>

#include <cmath>
#include <unordered_map>

#include "AnimationTestSupport.h"
#include "MapAnimation.h"
#include "MapSaveTestSupport.h"
#include "WException.h"

namespace {

// Three months with every band, missing cells in changing places.
double monthValue(int month, int row, int column)
{
    int k = row * 72 + column;
    if ((k * (month + 2)) % 13 == 0 || (month == 3 && row > 28))
        return -99.9;
    return std::sin(k * 0.29 + month * 0.8) * 6 + (row - 18) * 0.05 * month;
}

std::string animationFolder()
{
    static const std::string folder = [] {
        wchar_t current[MAX_PATH + 1];
        GetCurrentDirectoryW(MAX_PATH + 1, current);
        std::string name = TempDir::toUtf8(current) + "\\animation";
        CreateDirectoryW(TempDir::toWide(name).c_str(), nullptr);
        return name;
    }();
    return folder;
}
const std::string startFolder = animationFolder();

// The nearest of the first count table entries by a plain scan: smallest
// squared distance, ties to the lower index.
class PlainNearest {
public:
    PlainNearest(const std::vector<unsigned char>& table, unsigned int count)
        : table(table), count(count)
    {
    }
    unsigned char operator()(std::uint32_t pixel)
    {
        pixel &= 0xFFFFFF;
        auto known = memo.find(pixel);
        if (known != memo.end())
            return known->second;
        int red = pixel >> 16, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
        int best = 0;
        long bestDistance = -1;
        for (unsigned int i = 0; i < count; i++) {
            long dr = red - table[3 * i], dg = green - table[3 * i + 1],
                 db = blue - table[3 * i + 2];
            long distance = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || distance < bestDistance) {
                best = static_cast<int>(i);
                bestDistance = distance;
            }
        }
        memo[pixel] = static_cast<unsigned char>(best);
        return static_cast<unsigned char>(best);
    }

private:
    const std::vector<unsigned char>& table;
    unsigned int count;
    std::unordered_map<std::uint32_t, unsigned char> memo;
};

struct Case {
    const char* name;
    int mapType;
    bool globe;
    int percent;
    bool viewPosition;
};

}

TEST(MapAnimation, EveryFrameIsThatMonthsMapOnTheAnimationsTable)
{
    const Case cases[] = {
        {"flat-satellite-75", 2, false, 75, false},
        {"flat-outlines-50", 1, false, 50, false},
        {"globe-satellite-50", 2, true, 50, true},
        {"globe-outlines-75", 1, true, 75, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir scratch;
        writeBackgroundPicture();
        writeTestGrid(monthValue);
        writeWorldmap({"0.1,0.2 0.3,0.25 0.45,0.5 0.2,0.6", "0.6,0.1 0.9,0.3 0.7,0.45"});
        OrvexMap map;
        loadTestMonth(map, 1);
        map.mapType = c.mapType;
        map.loadBackgroundPicture();
        map.scalePercent = c.percent;
        map.scaleX = map.scaleY = c.percent / 100.0;
        map.orthographic = c.globe;
        if (c.viewPosition)
            map.positions.add(makePosition("Hamburg", 53, 10), true);
        AnimationRange range;
        range.firstMonth = 1;
        range.lastMonth = 3;
        MapAnimation animation(map, range);
        std::string name = animationFolder() + "\\" + c.name + ".gif";
        std::vector<int> progress;
        ASSERT_TRUE(animation.write(name.c_str(), 12, 150, 0, [&](int done, int total) {
            progress.push_back(done * 10 + total);
            return true;
        }));
        EXPECT_EQ(std::vector<int>({13, 23, 33}), progress);

        GifAnimationFacts facts = readGifBlocks(readFileBytes(name));
        ASSERT_EQ("", facts.error);
        ASSERT_EQ(3u, facts.frames.size());
        EXPECT_EQ(12, facts.frames[0].delay);
        EXPECT_EQ(150, facts.frames[2].delay) << "the last frame holds";
        EXPECT_EQ(0, facts.loop);
        unsigned int colours = animation.getColourCount();
        ASSERT_GE(colours, 13u) << "at least the scale, black and white";
        ASSERT_LE(colours, 255u);

        // The pictures of the straightforward renderer.
        map.renderPath = OrvexMap::RenderPath::Reference;
        PlainNearest nearest(facts.table, colours);
        std::vector<ExpectedFrame> expected;
        for (unsigned int month = 1; month <= 3; month++) {
            map.database.load(1850, month, false);
            RenderedMap rendered(map, true, false);
            const std::uint32_t* pixels = rendered.canvas.getPixels();
            ExpectedFrame frame{month == 3 ? 150 : 12, {}};
            size_t count = static_cast<size_t>(rendered.canvas.getWidth()) *
                           rendered.canvas.getHeight();
            for (size_t i = 0; i < count; i++)
                frame.indices.push_back(nearest(pixels[i]));
            expected.push_back(frame);
        }
        EXPECT_TRUE(expectAnimation(animationFolder(), c.name, facts.width, facts.height, 0,
                                    facts.table, expected));
    }
}

TEST(MapAnimation, CancellingAndFailingLeaveNoFile)
{
    ScratchDir scratch;
    OrvexMap map;
    prepareMap(map, 50);
    AnimationRange range;
    range.lastMonth = 3;
    MapAnimation animation(map, range);
    EXPECT_FALSE(animation.write("cancelled.gif", 10, 10, 0, [](int done, int) {
        return done < 2;
    }));
    EXPECT_FALSE(fileExists("cancelled.gif"));

    // A file chosen to be overwritten stays when the animation is cancelled
    // and is replaced when it is finished.
    writeFile("kept.gif", "old");
    EXPECT_FALSE(animation.write("kept.gif", 10, 10, 0, [](int done, int) { return done < 2; }));
    EXPECT_EQ(std::vector<unsigned char>({'o', 'l', 'd'}), readFileBytes("kept.gif"));
    EXPECT_TRUE(animation.write("kept.gif", 10, 10, 0));
    GifAnimationFacts written = readGifBlocks(readFileBytes("kept.gif"));
    EXPECT_EQ("", written.error);
    EXPECT_EQ(3u, written.frames.size());

    try {
        animation.write("fehlt\\a.gif", 10, 10, 0);
        ADD_FAILURE() << "no exception";
    } catch (const WException& e) {
        EXPECT_STREQ("GIF-Datei konnte nicht gespeichert werden. (Can't open GIF for writing)",
                     static_cast<const char*>(e.getMessage()));
    }
    EXPECT_FALSE(fileExists("fehlt\\a.gif"));
}

TEST(MapAnimation, RangesOfMonthsAndYears)
{
    struct RangeCase {
        unsigned int firstYear, firstMonth, lastYear, lastMonth;
        bool years;
        int frames;
        unsigned int lastFrameYear, lastFrameMonth;
    } cases[] = {
        {1850, 1, 1850, 1, false, 1, 1850, 1},      {1850, 1, 2024, 12, false, 2100, 2024, 12},
        {1990, 11, 1991, 2, false, 4, 1991, 2},     {1990, 6, 1990, 5, false, 0, 0, 0},
        {1850, 1, 2024, 12, true, 175, 2024, 1},    {1990, 7, 1990, 3, true, 1, 1990, 7},
        {1991, 1, 1990, 12, true, 0, 0, 0},
    };
    for (const RangeCase& c : cases) {
        AnimationRange range;
        range.firstYear = c.firstYear;
        range.firstMonth = c.firstMonth;
        range.lastYear = c.lastYear;
        range.lastMonth = c.lastMonth;
        range.yearAverage = c.years;
        SCOPED_TRACE(std::to_string(c.firstYear) + "-" + std::to_string(c.firstMonth) + " to " +
                     std::to_string(c.lastYear) + "-" + std::to_string(c.lastMonth));
        ASSERT_EQ(c.frames, range.frameCount());
        if (c.frames == 0)
            continue;
        unsigned int year, month;
        range.frame(0, year, month);
        EXPECT_EQ(c.firstYear, year);
        EXPECT_EQ(c.firstMonth, month);
        range.frame(c.frames - 1, year, month);
        EXPECT_EQ(c.lastFrameYear, year);
        EXPECT_EQ(c.lastFrameMonth, month);
    }
}
