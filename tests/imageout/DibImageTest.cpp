// DibImage: the block layout, pixel access at the edges, palettes, and the
// nearest-colour search against a plain scan of the palette.
#include <gtest/gtest.h>

#include <cstring>

#include "DibImage.h"
#include "ImageTestSupport.h"

namespace {

// The search as a scan of every candidate in index order: the reference
// for DibImage::nearestIndex.
int scanNearest(const std::vector<RGBQUAD>& palette, unsigned int candidates, RGBQUAD colour)
{
    int best = 200000, found = 0;
    for (unsigned int i = 0; i < candidates; i++) {
        int db = palette[i].rgbBlue - colour.rgbBlue;
        int dg = palette[i].rgbGreen - colour.rgbGreen;
        int dr = palette[i].rgbRed - colour.rgbRed;
        int d = db * db + dg * dg + dr * dr;
        if (d == 0)
            return static_cast<int>(i);
        if (d < best) {
            best = d;
            found = static_cast<int>(i);
        }
    }
    return found;
}

}

TEST(DibImage, CreateLaysOutOneBlockWithPaddedRows)
{
    struct Case {
        int askedBits, bits, width, stride;
        unsigned int colours;
    } cases[] = {{0, 1, 33, 8, 2},   {1, 1, 1, 4, 2},   {2, 4, 9, 8, 16},
                 {4, 4, 8, 4, 16},   {5, 8, 5, 8, 256}, {8, 8, 4, 4, 256},
                 {16, 24, 3, 12, 0}, {24, 24, 1, 4, 0}, {32, 24, 5, 16, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE("bits " + std::to_string(c.askedBits) + ", width " + std::to_string(c.width));
        DibImage image;
        ASSERT_TRUE(image.create(c.width, 3, c.askedBits));
        EXPECT_EQ(c.bits, image.getBitCount());
        EXPECT_EQ(static_cast<unsigned int>(c.stride), image.getStride());
        EXPECT_EQ(c.colours, image.getClrUsed());
        EXPECT_EQ(0u, image.getClrImportant());
        const BITMAPINFOHEADER* dib = image.getPackedDib();
        ASSERT_NE(nullptr, dib);
        EXPECT_EQ(40u, dib->biSize);
        EXPECT_EQ(c.width, dib->biWidth);
        EXPECT_EQ(3, dib->biHeight);
        EXPECT_EQ(1, dib->biPlanes);
        EXPECT_EQ(static_cast<DWORD>(c.stride * 3), dib->biSizeImage);
        EXPECT_EQ(c.colours, dib->biClrUsed);
        EXPECT_EQ(reinterpret_cast<const unsigned char*>(dib) + 40,
                  reinterpret_cast<const unsigned char*>(image.getPalette()));
        EXPECT_EQ(reinterpret_cast<const unsigned char*>(dib) + 40 + 4 * c.colours,
                  image.getRow(0));
    }

    DibImage image;
    EXPECT_FALSE(image.create(-1, 5, 8));
    EXPECT_TRUE(image.isEmpty());
    EXPECT_FALSE(image.create(70000, 70000, 24)) << "too large for a DIB";
    EXPECT_TRUE(image.isEmpty());
    ASSERT_TRUE(image.create(0, 5, 8));
    EXPECT_EQ(0u, image.getStride());
    image.setPixelIndex(0, 0, 3);
    EXPECT_EQ(0, image.getPixelIndex(0, 0));
}

// Every pixel of odd-width images written and read back at every depth;
// the row padding and the neighbouring rows stay untouched, and positions
// outside the picture are ignored on writing and read as the background.
TEST(DibImage, PixelsStayInsideTheirRows)
{
    std::mt19937 random(17);
    for (int bits : {1, 4, 8, 24}) {
        for (int width : {1, 3, 5, 7, 9, 31, 33}) {
            SCOPED_TRACE("bits " + std::to_string(bits) + ", width " + std::to_string(width));
            const int height = 3;
            DibImage image;
            ASSERT_TRUE(image.create(width, height, bits));
            std::vector<int> indices;
            std::vector<RGBQUAD> colours;
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++) {
                    indices.push_back(static_cast<int>(random() & 0xFF) | 0x100);
                    colours.push_back(quad(random() & 0xFF, random() & 0xFF, random() & 0xFF));
                    if (bits == 24)
                        image.setPixelColor(x, y, colours.back());
                    else
                        image.setPixelIndex(x, y, indices.back());
                }
            for (int x : {-1, width})
                for (int y : {-1, 0, height}) {
                    image.setPixelIndex(x, y, 0xFF);
                    image.setPixelColor(x, y, quad(255, 255, 255));
                }
            const int mask = bits == 24 ? 0 : (1 << bits) - 1;
            for (int y = 0; y < height; y++)
                for (int x = 0; x < width; x++) {
                    size_t i = static_cast<size_t>(y * width + x);
                    if (bits == 24) {
                        EXPECT_TRUE(sameColour(colours[i], image.getPixelColor(x, y)));
                        EXPECT_EQ(0, image.getPixelIndex(x, y));
                    } else {
                        EXPECT_EQ(indices[i] & mask, image.getPixelIndex(x, y));
                    }
                }
            const unsigned int used = (bits * width + 7) / 8;
            for (int y = 0; y < height; y++) {
                const unsigned char* row = image.getRow(y);
                for (unsigned int b = used; b < image.getStride(); b++)
                    EXPECT_EQ(0, row[b]) << "padding of row " << y;
                // Bits past the last pixel of the last used byte stay clear too.
                if ((bits * width) % 8 != 0) {
                    EXPECT_EQ(0, row[used - 1] & ((1 << (8 - (bits * width) % 8)) - 1));
                }
            }
        }
    }

    DibImage image;
    ASSERT_TRUE(image.create(2, 2, 8));
    image.setPaletteColor(7, 1, 2, 3);
    EXPECT_EQ(0, image.getPixelIndex(-1, 0));
    EXPECT_TRUE(sameColour(quad(0, 0, 0), image.getPixelColor(2, 0)));
    image.setBackgroundIndex(7);
    EXPECT_EQ(7, image.getPixelIndex(0, 2));
    EXPECT_TRUE(sameColour(quad(1, 2, 3), image.getPixelColor(0, -1)));
    EXPECT_EQ(0, image.getPixelColor(0, -1).rgbReserved);
}

TEST(DibImage, PaletteSettersKeepToThePalette)
{
    DibImage image;
    ASSERT_TRUE(image.create(2, 2, 4));
    image.setPaletteColor(15, 9, 8, 7);
    image.setPaletteColor(16, 1, 1, 1);
    EXPECT_TRUE(sameColour(quad(9, 8, 7), image.getPalette()[15]));
    // The block after the palette starts with the pixel rows: untouched.
    EXPECT_EQ(0, image.getRow(0)[0]);

    // A short table sets only its entries; a long one only the palette's.
    std::vector<RGBQUAD> table(300, quad(50, 60, 70));
    image.setPalette(table.data(), 3);
    EXPECT_TRUE(sameColour(quad(50, 60, 70), image.getPalette()[2]));
    EXPECT_TRUE(sameColour(quad(0, 0, 0), image.getPalette()[3]));
    image.setPalette(table.data(), 300);
    EXPECT_TRUE(sameColour(quad(50, 60, 70), image.getPalette()[15]));
    EXPECT_EQ(0, image.getRow(0)[0]);

    struct Case {
        int bits;
        unsigned int asked, kept;
    } cases[] = {{8, 300, 0}, {8, 256, 256}, {8, 0, 0}, {8, 17, 17}, {4, 17, 16},
                 {4, 257, 0}, {4, 3, 3},     {1, 5, 2}, {1, 1, 1},   {24, 5, 0}};
    for (const Case& c : cases) {
        DibImage sized;
        ASSERT_TRUE(sized.create(1, 1, c.bits));
        sized.setClrImportant(c.asked);
        EXPECT_EQ(c.kept, sized.getClrImportant()) << c.bits << " bits, " << c.asked;
        EXPECT_EQ(c.kept, sized.getPackedDib()->biClrImportant);
    }

    DibImage source, target;
    ASSERT_TRUE(source.create(3, 2, 8));
    source.setPixelIndex(2, 1, 9);
    source.setBackgroundIndex(4);
    source.setFrameDelay(12);
    const BITMAPINFOHEADER* block = source.getPackedDib();
    ASSERT_TRUE(target.create(5, 5, 1));
    target.transfer(source);
    EXPECT_TRUE(source.isEmpty());
    EXPECT_EQ(block, target.getPackedDib());
    EXPECT_EQ(9, target.getPixelIndex(2, 1));
    EXPECT_EQ(4, target.getBackgroundIndex());
    EXPECT_EQ(12, target.getFrameDelay());
}

// The search of DibImage::nearestIndex finds what the scan finds: random
// palettes of every size, clustered and repeated colours, a limited number
// of important entries, and colours placed exactly on entries and on the
// midpoints between two entries (equal distances).
TEST(DibImage, NearestIndexMatchesTheScan)
{
    std::mt19937 random(2024);
    int compared = 0;
    for (int round = 0; round < 120; round++) {
        DibImage image;
        const int bits = round % 3 == 0 ? 4 : 8;
        ASSERT_TRUE(image.create(1, 1, bits));
        const unsigned int size = image.getClrUsed();
        std::vector<RGBQUAD> palette(size);
        const int spread = round % 4 == 0 ? 24 : 256;
        const int base = static_cast<int>(random() % (256 - spread + 1));
        for (RGBQUAD& entry : palette)
            entry =
                quad(base + random() % spread, base + random() % spread, base + random() % spread);
        if (round % 5 == 0)
            for (unsigned int i = 1; i < size; i += 3)
                palette[i] = palette[i - 1];
        image.setPalette(palette.data(), size);
        unsigned int candidates = size;
        if (round % 7 == 3) {
            candidates = 1 + random() % size;
            image.setClrImportant(candidates);
            candidates = image.getClrImportant() != 0 ? image.getClrImportant() : size;
        }

        std::vector<RGBQUAD> colours = {quad(0, 0, 0), quad(255, 255, 255), quad(255, 0, 0),
                                        quad(0, 255, 255)};
        for (int i = 0; i < 3000; i++)
            colours.push_back(quad(random() & 0xFF, random() & 0xFF, random() & 0xFF));
        for (int i = 0; i < 300; i++) {
            const RGBQUAD& a = palette[random() % size];
            const RGBQUAD& b = palette[random() % size];
            colours.push_back(a);
            colours.push_back(quad((a.rgbRed + b.rgbRed) / 2, (a.rgbGreen + b.rgbGreen) / 2,
                                   (a.rgbBlue + b.rgbBlue) / 2));
        }
        for (const RGBQUAD& colour : colours) {
            int expected = scanNearest(palette, candidates, colour);
            int actual = image.nearestIndex(colour);
            if (expected != actual) {
                ADD_FAILURE() << "round " << round << ": colour " << int(colour.rgbRed) << ","
                              << int(colour.rgbGreen) << "," << int(colour.rgbBlue) << " scan "
                              << expected << ", search " << actual;
                return;
            }
            compared++;
        }
    }
    EXPECT_GT(compared, 400000);

    // Two entries at the same distance: the lower index, wherever it sits.
    DibImage image;
    ASSERT_TRUE(image.create(1, 1, 8));
    image.setPaletteColor(3, 12, 10, 10);
    image.setPaletteColor(5, 10, 10, 10);
    for (unsigned int i = 0; i < 256; i++)
        if (i != 3 && i != 5)
            image.setPaletteColor(i, 200, 200, 200);
    EXPECT_EQ(3, image.nearestIndex(quad(11, 10, 10)));
    image.setPaletteColor(1, 12, 10, 10);
    EXPECT_EQ(1, image.nearestIndex(quad(11, 10, 10))) << "a palette change is seen";

    DibImage colour;
    ASSERT_TRUE(colour.create(1, 1, 24));
    EXPECT_EQ(0, colour.nearestIndex(quad(11, 10, 10)));
}

namespace {

// A DIB section of the depth with the colour table given (short tables
// allowed); pixel (x, y) of the picture, top line first, gets index
// (x + 2 * y) % colours.size().
HBITMAP paletteSection(int width, int height, int bits, const std::vector<RGBQUAD>& colours)
{
    std::vector<unsigned char> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
    BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = -height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biClrUsed = static_cast<DWORD>(colours.size());
    std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), colours.data(),
                colours.size() * sizeof(RGBQUAD));
    void* pixelBits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()),
                                      DIB_RGB_COLORS, &pixelBits, nullptr, 0);
    if (bitmap == nullptr)
        return nullptr;
    const int stride = ((bits * width + 31) / 32) * 4;
    unsigned char* rows = static_cast<unsigned char*>(pixelBits);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            int index = (x + 2 * y) % static_cast<int>(colours.size());
            unsigned char* cell = rows + y * stride + x * bits / 8;
            int shift = 8 - bits - (x * bits) % 8;
            *cell = static_cast<unsigned char>(*cell | (index << shift));
        }
    return bitmap;
}

}

// GDI bitmaps of every kind copied into images: palette sections keep their
// depth, colour table and indices (a short table fills the first entries),
// screen bitmaps become 24-bit images of the same colours.
TEST(DibImage, CopiesGdiBitmaps)
{
    std::mt19937 random(4);
    struct Case {
        int bits;
        unsigned int colours;
    } cases[] = {{1, 2}, {4, 16}, {4, 5}, {8, 256}, {8, 16}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bits) + " bits, " + std::to_string(c.colours) + " colours");
        std::vector<RGBQUAD> colours = randomPalette(random, c.colours);
        HBITMAP bitmap = paletteSection(13, 7, c.bits, colours);
        ASSERT_NE(nullptr, bitmap);
        DibImage image;
        ASSERT_TRUE(image.createFromBitmap(bitmap)) << image.getLastError();
        DeleteObject(bitmap);
        EXPECT_EQ(c.bits, image.getBitCount());
        ASSERT_EQ(13, image.getWidth());
        ASSERT_EQ(7, image.getHeight());
        EXPECT_EQ(1u << c.bits, image.getClrUsed());
        for (unsigned int i = 0; i < image.getClrUsed(); i++)
            EXPECT_TRUE(
                sameColour(i < c.colours ? colours[i] : quad(0, 0, 0), image.getPalette()[i]))
                << "entry " << i;
        int wrong = 0;
        for (int line = 0; line < 7; line++)
            for (int x = 0; x < 13; x++)
                wrong += image.getPixelIndex(x, 6 - line) !=
                         (x + 2 * line) % static_cast<int>(c.colours);
        EXPECT_EQ(0, wrong);
    }

    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 9, 4);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 9; x++)
            SetPixel(dc, x, y, RGB(x * 25, y * 60, 200 - x * 10));
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    DibImage image;
    ASSERT_TRUE(image.createFromBitmap(bitmap)) << image.getLastError();
    DeleteObject(bitmap);
    EXPECT_EQ(24, image.getBitCount());
    EXPECT_EQ(0u, image.getClrUsed());
    int wrong = 0;
    for (int y = 0; y < 4; y++)
        for (int x = 0; x < 9; x++)
            wrong += !sameColour(quad(x * 25, y * 60, 200 - x * 10), image.getPixelColor(x, 3 - y));
    EXPECT_EQ(0, wrong);

    EXPECT_FALSE(image.createFromBitmap(nullptr));
    EXPECT_TRUE(image.isEmpty());
}
