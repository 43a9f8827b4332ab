// The octree quantizer and colour reduction with error diffusion.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "DibImage.h"
#include "ImageTestSupport.h"
#include "OctreeQuantizer.h"

namespace {

unsigned int rgbOf(const RGBQUAD& q)
{
    return (static_cast<unsigned int>(q.rgbRed) << 16) | (q.rgbGreen << 8) | q.rgbBlue;
}

// A 24-bit image showing the colours one after another, bottom row first.
void fillWith(DibImage& image, const std::vector<RGBQUAD>& colours, int width)
{
    const int height = static_cast<int>((colours.size() + width - 1) / width);
    ASSERT_TRUE(image.create(width, height, 24));
    for (size_t i = 0; i < colours.size(); i++)
        image.setPixelColor(static_cast<int>(i % width), static_cast<int>(i / width), colours[i]);
    for (size_t i = colours.size(); i < static_cast<size_t>(width * height); i++)
        image.setPixelColor(static_cast<int>(i % width), static_cast<int>(i / width), colours[0]);
}

// Colour reduction as plainly as it can be written: every candidate
// scanned, the error spread with 7, 2, 4 and 1 sixteenths to the right,
// upper-left, upper and upper-right neighbours (rows are stored bottom-up).
std::vector<int> plainReduction(std::vector<RGBQUAD> source, int width, int height,
                                const std::vector<RGBQUAD>& palette)
{
    std::vector<int> result(source.size());
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            RGBQUAD c = source[y * width + x];
            int best = 200000, index = 0;
            for (size_t i = 0; i < palette.size(); i++) {
                int dr = palette[i].rgbRed - c.rgbRed, dg = palette[i].rgbGreen - c.rgbGreen,
                    db = palette[i].rgbBlue - c.rgbBlue;
                int d = dr * dr + dg * dg + db * db;
                if (d < best) {
                    best = d;
                    index = static_cast<int>(i);
                }
            }
            result[y * width + x] = index;
            int er = c.rgbRed - palette[index].rgbRed, eg = c.rgbGreen - palette[index].rgbGreen,
                eb = c.rgbBlue - palette[index].rgbBlue;
            const int spread[4][3] = {{1, 0, 7}, {-1, 1, 2}, {0, 1, 4}, {1, 1, 1}};
            for (const auto& s : spread) {
                int nx = x + s[0], ny = y + s[1];
                if (nx < 0 || nx >= width || ny >= height)
                    continue;
                RGBQUAD& n = source[ny * width + nx];
                n.rgbRed = static_cast<BYTE>(std::min(255, std::max(0, n.rgbRed + er * s[2] / 16)));
                n.rgbGreen =
                    static_cast<BYTE>(std::min(255, std::max(0, n.rgbGreen + eg * s[2] / 16)));
                n.rgbBlue =
                    static_cast<BYTE>(std::min(255, std::max(0, n.rgbBlue + eb * s[2] / 16)));
            }
        }
    return result;
}

}

// Up to 256 colours: one exact entry per colour, and the reduced image shows
// every pixel in its own colour (nothing is left to diffuse).
TEST(Octree, FewColoursGiveExactEntriesAndExactPixels)
{
    std::mt19937 random(7);
    for (unsigned int count : {1u, 2u, 200u, 256u}) {
        SCOPED_TRACE("colours " + std::to_string(count));
        std::vector<RGBQUAD> colours = randomPalette(random, count);
        std::vector<RGBQUAD> pixels;
        for (int i = 0; i < 61 * 50; i++)
            pixels.push_back(colours[random() % count]);
        DibImage image;
        fillWith(image, pixels, 61);

        OctreeQuantizer quantizer(256, 8);
        ASSERT_TRUE(quantizer.processImage(image.getPackedDib()));
        std::set<unsigned int> used;
        for (const RGBQUAD& p : pixels)
            used.insert(rgbOf(p));
        ASSERT_EQ(used.size(), quantizer.getLeafCount());
        std::vector<RGBQUAD> table(256, quad(0, 0, 0));
        quantizer.setColourTable(table.data());
        std::multiset<unsigned int> entries;
        for (unsigned int i = 0; i < quantizer.getLeafCount(); i++)
            entries.insert(rgbOf(table[i]));
        EXPECT_EQ(std::multiset<unsigned int>(used.begin(), used.end()), entries);

        std::vector<RGBQUAD> before;
        for (int y = 0; y < image.getHeight(); y++)
            for (int x = 0; x < image.getWidth(); x++)
                before.push_back(image.getPixelColor(x, y));
        ASSERT_TRUE(image.reduceColours(8, true, table.data(), 256));
        EXPECT_EQ(8, image.getBitCount());
        size_t i = 0, wrong = 0;
        for (int y = 0; y < image.getHeight(); y++)
            for (int x = 0; x < image.getWidth(); x++)
                wrong += !sameColour(before[i++], image.getPixelColor(x, y));
        EXPECT_EQ(0u, wrong);
    }
}

// 257 colours: the first reduction folds the most recently made node of
// level 7. Made by the last colour, that node has one child, so folding it
// frees nothing and the next one is folded, until the node holding the two
// colours that differ only in their last blue bit becomes one leaf.
TEST(Octree, ReductionFoldsTheNewestDeepestNode)
{
    for (bool pairLast : {true, false}) {
        SCOPED_TRACE(pairLast ? "pair last" : "pair early");
        std::vector<RGBQUAD> colours;
        for (int i = 0; i < 255; i++)
            colours.push_back(quad(i, (i * 3) & 0xFF, 2 * (i & 0x7F)));
        const RGBQUAD a = quad(7, 200, 100), b = quad(7, 200, 101);
        colours.insert(pairLast ? colours.end() : colours.begin() + 100, {a, b});
        DibImage image;
        fillWith(image, colours, 257);

        OctreeQuantizer quantizer(256, 8);
        ASSERT_TRUE(quantizer.processImage(image.getPackedDib()));
        ASSERT_EQ(256u, quantizer.getLeafCount());
        std::vector<RGBQUAD> table(256);
        quantizer.setColourTable(table.data());
        std::set<unsigned int> entries;
        for (const RGBQUAD& entry : table)
            entries.insert(rgbOf(entry));
        EXPECT_EQ(256u, entries.size());
        EXPECT_EQ(1u, entries.count(rgbOf(quad(7, 200, 100)))) << "the mean of the pair";
        EXPECT_EQ(0u, entries.count(rgbOf(b)));
        for (int i = 0; i < 255; i++)
            EXPECT_EQ(1u, entries.count(rgbOf(colours[pairLast ? i : (i < 100 ? i : i + 2)])));
    }

    // One colour: one leaf.
    std::vector<RGBQUAD> grey(500, quad(128, 128, 128));
    DibImage image;
    fillWith(image, grey, 25);
    OctreeQuantizer quantizer(256, 8);
    ASSERT_TRUE(quantizer.processImage(image.getPackedDib()));
    EXPECT_EQ(1u, quantizer.getLeafCount());
    RGBQUAD entry;
    quantizer.setColourTable(&entry);
    EXPECT_TRUE(sameColour(quad(128, 128, 128), entry));
}

// Palette images feed their palette colours (the reserved byte as alpha);
// fewer than 16 colours wanted merge neighbouring leaves by pixel count.
TEST(Octree, PaletteSourcesAndSmallTables)
{
    DibImage mono;
    ASSERT_TRUE(mono.create(9, 2, 1));
    RGBQUAD pair[2] = {quad(0, 0, 40), quad(250, 250, 250)};
    pair[0].rgbReserved = 8;
    mono.setPalette(pair, 2);
    for (int x = 0; x < 9; x++)
        mono.setPixelIndex(x, 1, x < 3);
    OctreeQuantizer quantizer(256, 8);
    ASSERT_TRUE(quantizer.processImage(mono.getPackedDib()));
    ASSERT_EQ(2u, quantizer.getLeafCount());
    RGBQUAD table[2];
    quantizer.setColourTable(table);
    EXPECT_TRUE(sameColour(pair[0], table[0]));
    EXPECT_EQ(8, table[0].rgbReserved);
    EXPECT_TRUE(sameColour(pair[1], table[1]));

    // Four leaves, weights 1, 3, 2, 2, merged into two entries.
    DibImage four;
    ASSERT_TRUE(four.create(8, 1, 4));
    four.setPaletteColor(0, 0, 0, 0);
    four.setPaletteColor(1, 0, 0, 200);
    four.setPaletteColor(2, 0, 200, 0);
    four.setPaletteColor(3, 200, 0, 0);
    const int indices[8] = {0, 1, 1, 1, 2, 2, 3, 3};
    for (int x = 0; x < 8; x++)
        four.setPixelIndex(x, 0, indices[x]);
    OctreeQuantizer small(2, 8);
    ASSERT_TRUE(small.processImage(four.getPackedDib()));
    ASSERT_EQ(4u, small.getLeafCount());
    RGBQUAD merged[2];
    small.setColourTable(merged);
    // Leaves in child order: black, blue, green, red.
    EXPECT_TRUE(sameColour(quad(0, 0, 150), merged[0]));
    EXPECT_TRUE(sameColour(quad(100, 100, 0), merged[1]));

    // A packed DIB from elsewhere with a table shorter than its depth
    // allows: indices past the table count as black.
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
        unsigned char pixels[4];
    } foreign = {{sizeof(BITMAPINFOHEADER), 3, 1, 1, 8, BI_RGB, 4, 0, 0, 2, 0},
                 {quad(10, 20, 30), quad(40, 50, 60)},
                 {1, 1, 200, 0}};
    OctreeQuantizer shortTable(256, 8);
    ASSERT_TRUE(shortTable.processImage(&foreign.header));
    ASSERT_EQ(2u, shortTable.getLeafCount());
    RGBQUAD found[2];
    shortTable.setColourTable(found);
    EXPECT_TRUE(sameColour(quad(0, 0, 0), found[0]));
    EXPECT_TRUE(sameColour(quad(40, 50, 60), found[1]));

    DibImage sixteen;
    ASSERT_TRUE(sixteen.create(1, 1, 16));
    BITMAPINFOHEADER odd = *sixteen.getPackedDib();
    odd.biBitCount = 16;
    EXPECT_FALSE(quantizer.processImage(&odd));
    EXPECT_EQ(2u, quantizer.getLeafCount());
}

// Error diffusion, whole images against the plain reduction, and the edge
// cases worked out by hand.
TEST(ReduceColours, DiffusesErrorsAsThePlainReduction)
{
    std::mt19937 random(99);
    for (int round = 0; round < 4; round++) {
        const int width = 97 + round, height = 61 - round;
        std::vector<RGBQUAD> source;
        for (int i = 0; i < width * height; i++)
            source.push_back(quad(random() & 0xFF, (i * 5) & 0xFF, (i / width) * 4));
        DibImage image;
        fillWith(image, source, width);
        std::vector<RGBQUAD> palette = randomPalette(random, 256);
        ASSERT_TRUE(image.reduceColours(8, true, palette.data(), 256));
        std::vector<int> expected = plainReduction(source, width, height, palette);
        int wrong = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++)
                wrong += image.getPixelIndex(x, y) != expected[y * width + x];
        EXPECT_EQ(0, wrong) << "round " << round;
    }

    // 2 x 2 grey pixels, black and white as the only candidates. The bottom
    // right pixel (200 -> white) sends -55: to the upper left 2/16 and the
    // upper 4/16; the 7/16 for its right would, wrapped, turn the upper left
    // pixel (140 - 6 = 134, white) black (140 - 6 - 24 = 110).
    std::vector<RGBQUAD> palette(256, quad(0, 0, 0));
    palette[1] = quad(255, 255, 255);
    DibImage image;
    ASSERT_TRUE(image.create(2, 2, 24));
    const int grey[4] = {0, 200, 140, 250};
    for (int i = 0; i < 4; i++)
        image.setPixelColor(i % 2, i / 2, quad(grey[i], grey[i], grey[i]));
    ASSERT_TRUE(image.reduceColours(8, true, palette.data(), 2));
    EXPECT_EQ(2u, image.getClrImportant());
    EXPECT_EQ(0, image.getPixelIndex(0, 0));
    EXPECT_EQ(1, image.getPixelIndex(1, 0));
    EXPECT_EQ(1, image.getPixelIndex(0, 1));
    EXPECT_EQ(1, image.getPixelIndex(1, 1));

    // One line, error pushed right only: 100 -> black, 100 + 43 = 143 ->
    // white, 100 - 49 = 51 -> black; nothing reaches past the picture.
    for (int bits : {8, 4, 1}) {
        DibImage line;
        ASSERT_TRUE(line.create(3, 1, 24));
        for (int x = 0; x < 3; x++)
            line.setPixelColor(x, 0, quad(100, 100, 100));
        ASSERT_TRUE(line.reduceColours(bits, true, palette.data(), 2));
        EXPECT_EQ(bits, line.getBitCount());
        EXPECT_EQ(0, line.getPixelIndex(0, 0));
        EXPECT_EQ(1, line.getPixelIndex(1, 0));
        EXPECT_EQ(0, line.getPixelIndex(2, 0));
    }

    // Without diffusion every pixel takes its nearest entry.
    DibImage plain;
    ASSERT_TRUE(plain.create(3, 1, 24));
    for (int x = 0; x < 3; x++)
        plain.setPixelColor(x, 0, quad(100, 100, 100));
    ASSERT_TRUE(plain.reduceColours(8, false, palette.data(), 2));
    for (int x = 0; x < 3; x++)
        EXPECT_EQ(0, plain.getPixelIndex(x, 0));
}

// Palette sources: the error goes to the neighbours through the source's
// own palette (a neighbour takes the source entry nearest to its changed
// colour), written out here as plainly as it is said.
TEST(ReduceColours, PaletteSourcesDiffuseThroughTheirPalette)
{
    std::mt19937 random(41);
    auto nearest = [](const std::vector<RGBQUAD>& palette, size_t count, RGBQUAD c) {
        int best = 200000, index = 0;
        for (size_t i = 0; i < count; i++) {
            int dr = palette[i].rgbRed - c.rgbRed, dg = palette[i].rgbGreen - c.rgbGreen,
                db = palette[i].rgbBlue - c.rgbBlue;
            int d = dr * dr + dg * dg + db * db;
            if (d < best) {
                best = d;
                index = static_cast<int>(i);
            }
        }
        return index;
    };
    for (int bits : {4, 1}) {
        SCOPED_TRACE("to " + std::to_string(bits) + " bits");
        const int width = 23, height = 17;
        std::vector<RGBQUAD> sourcePalette = randomPalette(random, 256);
        std::vector<RGBQUAD> targetPalette = randomPalette(random, 256);
        DibImage image;
        ASSERT_TRUE(image.create(width, height, 8));
        image.setPalette(sourcePalette.data(), 256);
        std::vector<int> indices(width * height);
        for (int i = 0; i < width * height; i++) {
            indices[i] = static_cast<int>(random() & 0xFF);
            image.setPixelIndex(i % width, i / width, indices[i]);
        }
        ASSERT_TRUE(image.reduceColours(bits, true, targetPalette.data(), 0));

        const size_t targetCount = size_t(1) << bits;
        const int spread[4][3] = {{1, 0, 7}, {-1, 1, 2}, {0, 1, 4}, {1, 1, 1}};
        int wrong = 0;
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                RGBQUAD c = sourcePalette[indices[y * width + x]];
                int index = nearest(targetPalette, targetCount, c);
                wrong += image.getPixelIndex(x, y) != index;
                const RGBQUAD& e = targetPalette[index];
                int er = c.rgbRed - e.rgbRed, eg = c.rgbGreen - e.rgbGreen,
                    eb = c.rgbBlue - e.rgbBlue;
                for (const auto& s : spread) {
                    int nx = x + s[0], ny = y + s[1];
                    if (nx < 0 || nx >= width || ny >= height)
                        continue;
                    RGBQUAD n = sourcePalette[indices[ny * width + nx]];
                    n.rgbRed =
                        static_cast<BYTE>(std::min(255, std::max(0, n.rgbRed + er * s[2] / 16)));
                    n.rgbGreen =
                        static_cast<BYTE>(std::min(255, std::max(0, n.rgbGreen + eg * s[2] / 16)));
                    n.rgbBlue =
                        static_cast<BYTE>(std::min(255, std::max(0, n.rgbBlue + eb * s[2] / 16)));
                    indices[ny * width + nx] = nearest(sourcePalette, 256, n);
                }
            }
        EXPECT_EQ(0, wrong);
        EXPECT_EQ(bits, image.getBitCount());
    }
}

TEST(ReduceColours, RefusesWhatItCannotDo)
{
    std::vector<RGBQUAD> palette(256, quad(1, 2, 3));
    DibImage empty;
    EXPECT_FALSE(empty.reduceColours(8, true, palette.data(), 256));

    DibImage four;
    ASSERT_TRUE(four.create(2, 2, 4));
    EXPECT_FALSE(four.reduceColours(8, true, palette.data(), 256)) << "fewer bits than asked";
    EXPECT_TRUE(four.reduceColours(4, true, palette.data(), 0)) << "already there";
    EXPECT_FALSE(sameColour(quad(1, 2, 3), four.getPalette()[0]));

    DibImage colour;
    ASSERT_TRUE(colour.create(2, 2, 24));
    EXPECT_FALSE(colour.reduceColours(2, true, palette.data(), 0)) << "no such depth";
    EXPECT_FALSE(colour.reduceColours(8, true, nullptr, 0)) << "no palette";
    EXPECT_EQ(24, colour.getBitCount());

    // Same depth with fewer important entries than asked: unchanged.
    DibImage eight;
    ASSERT_TRUE(eight.create(2, 2, 8));
    eight.setClrImportant(4);
    EXPECT_TRUE(eight.reduceColours(8, true, palette.data(), 16));
    EXPECT_FALSE(sameColour(quad(1, 2, 3), eight.getPalette()[0]));
    EXPECT_TRUE(eight.reduceColours(8, true, palette.data(), 2));
    EXPECT_TRUE(sameColour(quad(1, 2, 3), eight.getPalette()[0]));
    EXPECT_EQ(2u, eight.getClrImportant());

    // A 1-bit image keeps black and white.
    DibImage mono;
    ASSERT_TRUE(mono.create(3, 3, 1));
    mono.setPaletteColor(0, 9, 9, 9);
    mono.setBackgroundIndex(1);
    ASSERT_TRUE(mono.reduceColours(1, true, palette.data(), 1));
    EXPECT_TRUE(sameColour(quad(0, 0, 0), mono.getPalette()[0]));
    EXPECT_TRUE(sameColour(quad(255, 255, 255), mono.getPalette()[1]));
    EXPECT_EQ(1, mono.getBackgroundIndex());
}
