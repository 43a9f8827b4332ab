// The animated GIF writer: every picture decodes back (the independent
// decoders check that, animation_referees.py), and the blocks say what the
// writer stored: the changed rectangles, transparency, delays and the loop.
#include <gtest/gtest.h>

#include <random>

#include "AnimatedGifWriter.h"
#include "AnimationTestSupport.h"

namespace {

const char* const folder = "animation";

struct Rect {
    int left, top, width, height;
};

struct Animation {
    const char* name;
    int width, height;
    unsigned int colours;
    unsigned int loop;
    std::vector<ExpectedFrame> frames;
    // The rectangle each frame must store; empty: not checked.
    std::vector<Rect> rectangles;
};

std::vector<unsigned char> runs(std::mt19937& random, int width, int height, unsigned colours)
{
    std::vector<unsigned char> indices(static_cast<size_t>(width) * height);
    int run = 0;
    unsigned char index = 0;
    for (unsigned char& i : indices) {
        if (run-- <= 0) {
            run = static_cast<int>(random() % 30);
            index = static_cast<unsigned char>(random() % colours);
        }
        i = index;
    }
    return indices;
}

std::vector<unsigned char> tableOf(const std::vector<RGBQUAD>& colours)
{
    std::vector<unsigned char> table(768, 0);
    for (size_t i = 0; i < colours.size(); i++) {
        table[3 * i] = colours[i].rgbRed;
        table[3 * i + 1] = colours[i].rgbGreen;
        table[3 * i + 2] = colours[i].rgbBlue;
    }
    return table;
}

std::vector<Animation> animations()
{
    std::mt19937 random(2024);
    std::vector<Animation> list;
    const int w = 97, h = 61;

    Animation moving{"moving-runs", w, h, 200, 0, {}, {}};
    std::vector<unsigned char> picture = runs(random, w, h, 200);
    for (int f = 0; f < 6; f++) {
        // A block of new runs wanders over an unchanged picture; every other
        // frame the whole picture is new.
        if (f % 3 == 2) {
            picture = runs(random, w, h, 200);
        } else if (f > 0) {
            std::vector<unsigned char> block = runs(random, 20, 15, 200);
            for (int y = 0; y < 15; y++)
                for (int x = 0; x < 20; x++)
                    picture[(5 + 7 * f + y) * w + 3 + 11 * f + x] = block[y * 20 + x];
        }
        moving.frames.push_back({5 + f, picture});
    }
    list.push_back(moving);

    Animation pixel{"one-pixel", w, h, 17, 2, {}, {}};
    picture = runs(random, w, h, 17);
    pixel.frames.push_back({10, picture});
    picture[30 * w + 40] = static_cast<unsigned char>((picture[30 * w + 40] + 1) % 17);
    pixel.frames.push_back({10, picture});
    pixel.rectangles = {{0, 0, w, h}, {40, 30, 1, 1}};
    list.push_back(pixel);

    Animation corners{"corners", w, h, 255, 0, {}, {}};
    picture = runs(random, w, h, 255);
    corners.frames.push_back({4, picture});
    picture[0] ^= 1;
    corners.frames.push_back({4, picture});
    picture[(h - 1) * w + w - 1] ^= 1;
    corners.frames.push_back({4, picture});
    picture[w - 1] ^= 1;
    picture[(h - 1) * w] ^= 1;
    corners.frames.push_back({4, picture});
    corners.rectangles = {{0, 0, w, h}, {0, 0, 1, 1}, {w - 1, h - 1, 1, 1}, {0, 0, w, h}};
    list.push_back(corners);

    Animation same{"unchanged", w, h, 40, 0, {}, {}};
    picture = runs(random, w, h, 40);
    same.frames = {{3, picture}, {3, picture}, {250, picture}};
    same.rectangles = {{0, 0, w, h}, {0, 0, 1, 1}, {0, 0, 1, 1}};
    list.push_back(same);

    Animation single{"one-frame", 33, 1, 9, 7, {}, {}};
    single.frames = {{100, runs(random, 33, 1, 9)}};
    single.rectangles = {{0, 0, 33, 1}};
    list.push_back(single);

    // Every entry is a colour: no index is left for transparency.
    Animation full{"full-table", w, h, 256, 0, {}, {}};
    picture = runs(random, w, h, 256);
    full.frames.push_back({6, picture});
    picture[10 * w + 10] = static_cast<unsigned char>(picture[10 * w + 10] + 1);
    full.frames.push_back({6, picture});
    full.frames.push_back({6, picture});
    full.rectangles = {{0, 0, w, h}, {10, 10, 1, 1}, {0, 0, 1, 1}};
    list.push_back(full);
    return list;
}

}

TEST(AnimatedGif, FramesStoreOnlyWhatChangedAndDecodeToEveryPicture)
{
    CreateDirectoryW(L"animation", nullptr);
    std::mt19937 random(1850);
    for (const Animation& a : animations()) {
        SCOPED_TRACE(a.name);
        std::vector<RGBQUAD> colours = randomPalette(random, a.colours);
        std::string name = std::string(folder) + "\\" + a.name + ".gif";
        {
            AnimatedGifWriter writer;
            ASSERT_TRUE(writer.open(name.c_str(), a.width, a.height, colours.data(),
                                    a.colours, a.loop))
                << writer.getLastError();
            EXPECT_EQ(a.colours < 256 ? static_cast<int>(a.colours) : -1,
                      writer.getTransparentIndex());
            for (const ExpectedFrame& frame : a.frames)
                ASSERT_TRUE(writer.addFrame(frame.indices.data(),
                                            static_cast<unsigned short>(frame.delay)))
                    << writer.getLastError();
            ASSERT_TRUE(writer.finish()) << writer.getLastError();
        }

        GifAnimationFacts facts = readGifBlocks(readFileBytes(name));
        ASSERT_EQ("", facts.error);
        EXPECT_EQ("GIF89a", facts.signature);
        EXPECT_EQ(a.width, facts.width);
        EXPECT_EQ(a.height, facts.height);
        EXPECT_EQ(static_cast<int>(a.loop), facts.loop);
        EXPECT_EQ(tableOf(colours), facts.table) << "one global table of 256 entries";
        ASSERT_EQ(a.frames.size(), facts.frames.size());
        for (size_t f = 0; f < facts.frames.size(); f++) {
            const GifFrameFacts& frame = facts.frames[f];
            SCOPED_TRACE("frame " + std::to_string(f));
            EXPECT_EQ(a.frames[f].delay, frame.delay);
            EXPECT_EQ(1, frame.disposal) << "left in place";
            if (a.colours == 256 || f == 0) {
                EXPECT_FALSE(frame.transparent);
            }
            if (frame.transparent) {
                EXPECT_EQ(static_cast<int>(a.colours), frame.transparentIndex);
            }
            if (f < a.rectangles.size()) {
                const Rect& r = a.rectangles[f];
                EXPECT_EQ(r.left, frame.left);
                EXPECT_EQ(r.top, frame.top);
                EXPECT_EQ(r.width, frame.width);
                EXPECT_EQ(r.height, frame.height);
            }
        }
        if (std::string(a.name) == "unchanged") {
            EXPECT_TRUE(facts.frames[1].transparent) << "an unchanged frame shows nothing new";
        }
        if (std::string(a.name) == "corners") {
            EXPECT_TRUE(facts.frames[3].transparent)
                << "two changed pixels in a whole frame: the rest is transparent";
        }
        EXPECT_TRUE(expectAnimation(folder, a.name, a.width, a.height, static_cast<int>(a.loop),
                                    tableOf(colours), a.frames));
    }
}

TEST(AnimatedGif, FailuresAndCancellingLeaveNoFile)
{
    TempDir dir;
    RGBQUAD colours[2] = {quad(0, 0, 0), quad(255, 255, 255)};
    std::vector<unsigned char> frame(16 * 8, 1);
    {
        AnimatedGifWriter writer;
        std::string missing = dir.file("fehlt\\a.gif");
        EXPECT_FALSE(writer.open(missing.c_str(), 16, 8, colours, 2, 0));
        EXPECT_STREQ("Can't open GIF for writing", writer.getLastError());
        EXPECT_FALSE(writer.addFrame(frame.data(), 5));
        EXPECT_FALSE(fileExists(missing));
    }
    {
        AnimatedGifWriter writer;
        std::string name = dir.file("nothing.gif");
        ASSERT_TRUE(writer.open(name.c_str(), 16, 8, colours, 2, 0));
        EXPECT_FALSE(writer.finish()) << "an animation without frames";
        EXPECT_FALSE(fileExists(name));
    }
    std::string cancelled = dir.file("cancelled.gif");
    std::string dropped = dir.file("dropped.gif");
    {
        AnimatedGifWriter writer;
        ASSERT_TRUE(writer.open(cancelled.c_str(), 16, 8, colours, 2, 0));
        ASSERT_TRUE(writer.addFrame(frame.data(), 5));
        EXPECT_FALSE(fileExists(cancelled)) << "written beside its name until finished";
        writer.abandon();
        EXPECT_FALSE(fileExists(cancelled)) << "cancelled";

        AnimatedGifWriter unfinished;
        ASSERT_TRUE(unfinished.open(dropped.c_str(), 16, 8, colours, 2, 0));
        ASSERT_TRUE(unfinished.addFrame(frame.data(), 5));
    }
    EXPECT_FALSE(fileExists(dropped)) << "a writer destroyed before finish";
    for (int size : {0, 65536}) {
        AnimatedGifWriter writer;
        std::string name = dir.file("size.gif");
        EXPECT_FALSE(writer.open(name.c_str(), size, 8, colours, 2, 0)) << size;
        EXPECT_FALSE(fileExists(name));
    }
}
