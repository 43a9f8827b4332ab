// The GIF and BMP writers: whole files byte for byte, the images they refuse,
// and writes that fail.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "DibImage.h"
#include "ImageTestSupport.h"
#include "TempDir.h"

namespace {

typedef std::vector<unsigned char> Bytes;

void append(Bytes& out, std::initializer_list<unsigned char> bytes)
{
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Codes (value, width) packed least significant bit first, as GIF data
// sub-blocks of at most 254 bytes.
Bytes subBlocks(const std::vector<std::pair<int, int>>& codes)
{
    Bytes data;
    uint64_t pending = 0;
    int bits = 0;
    for (const auto& code : codes) {
        pending |= static_cast<uint64_t>(code.first) << bits;
        bits += code.second;
        for (; bits >= 8; bits -= 8, pending >>= 8)
            data.push_back(static_cast<unsigned char>(pending & 0xFF));
    }
    if (bits > 0)
        data.push_back(static_cast<unsigned char>(pending & 0xFF));
    Bytes blocks;
    for (size_t at = 0; at < data.size(); at += 254) {
        size_t length = std::min<size_t>(254, data.size() - at);
        blocks.push_back(static_cast<unsigned char>(length));
        blocks.insert(blocks.end(), data.begin() + at, data.begin() + at + length);
    }
    return blocks;
}

// Everything before the LZW data of an 8-bit image with no background index.
Bytes gifHead8(int width, int height, const DibImage& image)
{
    Bytes head = {'G', 'I', 'F', '8', '7', 'a'};
    append(head, {static_cast<unsigned char>(width), static_cast<unsigned char>(width >> 8),
                  static_cast<unsigned char>(height), static_cast<unsigned char>(height >> 8), 0xE7,
                  0x00, 0x00});
    for (int i = 0; i < 256; i++)
        append(head, {image.getPalette()[i].rgbRed, image.getPalette()[i].rgbGreen,
                      image.getPalette()[i].rgbBlue});
    append(head, {0x21, 0xF9, 0x04, 0x00, 0x00, 0x00, 0xFF, 0x00});
    append(head, {0x2C, 0x00, 0x00, 0x00, 0x00, static_cast<unsigned char>(width),
                  static_cast<unsigned char>(width >> 8), static_cast<unsigned char>(height),
                  static_cast<unsigned char>(height >> 8), 0x00, 0x08});
    return head;
}

void fillPalette(DibImage& image)
{
    for (unsigned int i = 0; i < image.getClrUsed(); i++)
        image.setPaletteColor(i, static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                              static_cast<BYTE>(i / 2));
}

Bytes savedGif(DibImage& image, const TempDir& dir, const std::string& name)
{
    std::string path = dir.file(name);
    EXPECT_TRUE(image.save(path.c_str(), DibImage::FORMAT_GIF)) << image.getLastError();
    return readFileBytes(path);
}

// Width of the k-th code after a clear code, while every code stands for
// one pixel: the decoder's table passes 512, 1024 and 2048 entries after
// codes 254, 766 and 1790, and stays at 12 bits from there.
int widthOfCode(int k)
{
    return k <= 254 ? 9 : (k <= 766 ? 10 : (k <= 1790 ? 11 : 12));
}

}

TEST(GifFile, OneByOneImageIsWrittenExactly)
{
    TempDir dir;
    DibImage image;
    ASSERT_TRUE(image.create(1, 1, 8));
    fillPalette(image);
    image.setPixelIndex(0, 0, 0x5A);

    Bytes expected = gifHead8(1, 1, image);
    // Clear (256), the pixel (0x5A) and end (257), 9 bits each: 27 bits in 4 bytes.
    append(expected, {0x04, 0x00, 0xB5, 0x04, 0x04, 0x00, 0x3B});
    EXPECT_EQ(expected, savedGif(image, dir, "one.gif"));
    EXPECT_EQ(6 + 7 + 768 + 8 + 10 + 1 + 5 + 2, static_cast<int>(expected.size()));
}

// 8064 pixels in which no two neighbours repeat a pair, so every code stands
// for one pixel: the code widths, the table reset after code 4095 and the
// sub-blocks are all fixed, and the whole file is known in advance.
TEST(GifFile, CodeWidthsTableResetAndSubBlocksAreExact)
{
    TempDir dir;
    DibImage image;
    const int width = 128, height = 63;
    ASSERT_TRUE(image.create(width, height, 8));
    fillPalette(image);
    // Runs of 256 pixels stepping by an odd amount; each step size makes
    // pairs no other run makes.
    std::vector<int> sequence;
    for (int step = 1; sequence.size() < width * height; step += 2)
        for (int k = 0; k < 256; k++)
            sequence.push_back((k * step) & 0xFF);
    sequence.resize(width * height);
    for (int line = 0; line < height; line++)
        for (int x = 0; x < width; x++)
            image.setPixelIndex(x, height - 1 - line, sequence[line * width + x]);

    std::vector<std::pair<int, int>> codes = {{256, 9}};
    int k = 0;
    for (size_t i = 0; i < sequence.size(); i++, k++) {
        if (k == 3839) {
            // Code 4095 was given away with the previous code: the clear code
            // follows at 12 bits and the widths start again at 9.
            codes.push_back({256, 12});
            k = 0;
        }
        codes.push_back({sequence[i], widthOfCode(k)});
    }
    codes.push_back({257, widthOfCode(k)});

    Bytes expected = gifHead8(width, height, image);
    Bytes data = subBlocks(codes);
    expected.insert(expected.end(), data.begin(), data.end());
    append(expected, {0x00, 0x3B});
    Bytes actual = savedGif(image, dir, "pairs.gif");
    EXPECT_EQ(expected, actual);

    // The same facts, spelt out for a failure message.
    size_t at = gifHead8(width, height, image).size();
    int fullBlocks = 0;
    while (at < actual.size() && actual[at] == 0xFE) {
        fullBlocks++;
        at += 1 + 0xFE;
    }
    ASSERT_LT(at, actual.size());
    EXPECT_GT(fullBlocks, 30) << "sub-blocks of 254 data bytes";
    EXPECT_GT(actual[at], 0) << "a shorter last sub-block";
    EXPECT_LT(actual[at], 0xFE);
    EXPECT_EQ(at + 1 + actual[at] + 2, actual.size()) << "then the terminator and the trailer";
}

// Small depths, odd and degenerate sizes: the header bytes the writer must
// produce; the pixels are checked by the independent decoders (referee test).
TEST(GifFile, SmallDepthsAndDegenerateSizes)
{
    TempDir dir;
    std::mt19937 random(91);

    DibImage mono;
    ASSERT_TRUE(mono.create(13, 9, 1));
    mono.setPaletteColor(0, 10, 20, 30);
    mono.setPaletteColor(1, 200, 210, 220);
    for (int y = 0; y < 9; y++)
        for (int x = 0; x < 13; x++)
            mono.setPixelIndex(x, y, static_cast<int>(random() & 1));
    Bytes bytes = savedGif(mono, dir, "mono.gif");
    ASSERT_GT(bytes.size(), 40u);
    EXPECT_EQ(Bytes({13, 0, 9, 0, 0x80, 0, 0, 10, 20, 30, 200, 210, 220}),
              Bytes(bytes.begin() + 6, bytes.begin() + 19));
    EXPECT_EQ(0x02, bytes[19 + 8 + 10]) << "minimum code size 2 for 1-bit images";

    DibImage sixteen;
    ASSERT_TRUE(sixteen.create(5, 3, 4));
    fillPalette(sixteen);
    bytes = savedGif(sixteen, dir, "sixteen.gif");
    ASSERT_GT(bytes.size(), 13u + 48 + 19);
    EXPECT_EQ(0xE3, bytes[10]);
    EXPECT_EQ(0x04, bytes[13 + 48 + 18]) << "minimum code size 4 for 4-bit images";

    // No pixels at all: the data is a clear code and the end code.
    DibImage empty;
    ASSERT_TRUE(empty.create(0, 0, 8));
    fillPalette(empty);
    Bytes expected = gifHead8(0, 0, empty);
    append(expected, {0x03, 0x00, 0x03, 0x02, 0x00, 0x3B});
    EXPECT_EQ(expected, savedGif(empty, dir, "empty.gif"));

    // A transparent image carries its index and delay in the control block.
    DibImage keyed;
    ASSERT_TRUE(keyed.create(2, 2, 8));
    keyed.setBackgroundIndex(0x1C3);
    keyed.setFrameDelay(0x1234);
    bytes = savedGif(keyed, dir, "keyed.gif");
    ASSERT_GT(bytes.size(), 13u + 768 + 8);
    EXPECT_EQ(Bytes({0x21, 0xF9, 0x04, 0x01, 0x34, 0x12, 0xC3, 0x00}),
              Bytes(bytes.begin() + 13 + 768, bytes.begin() + 13 + 768 + 8));
}

TEST(GifFile, FailuresAreReportedAndLeaveNoFile)
{
    TempDir dir;
    DibImage colour;
    ASSERT_TRUE(colour.create(4, 4, 24));
    std::string name = dir.file("colour.gif");
    EXPECT_FALSE(colour.save(name.c_str(), DibImage::FORMAT_GIF));
    EXPECT_STREQ("GIF Images must be 8 bit or less", colour.getLastError());
    EXPECT_FALSE(fileExists(name)) << "a refused image leaves no file";

    DibImage image;
    ASSERT_TRUE(image.create(3, 3, 8));
    name = dir.file("unknown.xyz");
    EXPECT_FALSE(image.save(name.c_str(), 2));
    EXPECT_STREQ("Unsupported operation for this format", image.getLastError());
    EXPECT_FALSE(fileExists(name));
    EXPECT_FALSE(image.encode(nullptr, -1));
    EXPECT_STREQ("Unsupported operation for this format", image.getLastError());

    name = dir.file("no such folder\\map.gif");
    EXPECT_FALSE(image.save(name.c_str(), DibImage::FORMAT_GIF));
    EXPECT_STREQ("Can't open GIF for writing", image.getLastError());
    EXPECT_FALSE(fileExists(name));
    EXPECT_FALSE(image.save(dir.file("no such folder\\map.bmp").c_str(), DibImage::FORMAT_BMP));

    DibImage wide;
    ASSERT_TRUE(wide.create(70000, 1, 8));
    EXPECT_FALSE(wide.save(dir.file("wide.gif").c_str(), DibImage::FORMAT_GIF));
    EXPECT_STREQ("GIF Images must be 65535 pixels wide and high or less", wide.getLastError());
    EXPECT_FALSE(fileExists(dir.file("wide.gif")));

    DibImage nothing;
    EXPECT_FALSE(nothing.save(dir.file("nothing.gif").c_str(), DibImage::FORMAT_GIF));
    EXPECT_STREQ("Image is empty", nothing.getLastError());
    EXPECT_FALSE(fileExists(dir.file("nothing.gif")));

    // A stream the system refuses to write to: every write fails.
    std::string readOnly = dir.file("read-only.gif");
    ASSERT_TRUE(image.save(readOnly.c_str(), DibImage::FORMAT_GIF));
    FILE* file = _wfopen(TempDir::toWide(readOnly).c_str(), L"rb");
    ASSERT_NE(nullptr, file);
    EXPECT_FALSE(image.encode(file, DibImage::FORMAT_GIF));
    EXPECT_STREQ("Write Error in GIF file", image.getLastError());
    EXPECT_FALSE(image.encode(file, DibImage::FORMAT_BMP));
    EXPECT_STREQ("Write Error in BMP file", image.getLastError());
    std::fclose(file);

    // The next successful save clears the message.
    EXPECT_TRUE(image.save(dir.file("fine.gif").c_str(), DibImage::FORMAT_GIF));
    EXPECT_STREQ("", image.getLastError());
}

// A BMP file is the 14-byte file header and the image's block as held.
TEST(BmpFile, HeaderAndBlockForEveryDepth)
{
    TempDir dir;
    std::mt19937 random(5);
    for (int bits : {1, 4, 8, 24}) {
        SCOPED_TRACE("bits " + std::to_string(bits));
        DibImage image;
        ASSERT_TRUE(image.create(7, 3, bits));
        fillPalette(image);
        for (int y = 0; y < 3; y++)
            for (int x = 0; x < 7; x++) {
                image.setPixelIndex(x, y, static_cast<int>(random() & 0xFF));
                if (bits == 24)
                    image.setPixelColor(x, y, quad(random() & 0xFF, x * 30, y * 70));
            }
        std::string name = dir.file("image" + std::to_string(bits) + ".bmp");
        ASSERT_TRUE(image.save(name.c_str(), DibImage::FORMAT_BMP)) << image.getLastError();

        const unsigned int colours = bits == 24 ? 0 : 1u << bits;
        const unsigned int stride = ((bits * 7 + 31) / 32) * 4;
        const unsigned int blockSize = 40 + 4 * colours + stride * 3;
        const unsigned int fileSize = 14 + blockSize, offset = 14 + 40 + 4 * colours;
        Bytes expected = {'B',
                          'M',
                          static_cast<unsigned char>(fileSize),
                          static_cast<unsigned char>(fileSize >> 8),
                          0,
                          0,
                          0,
                          0,
                          0,
                          0,
                          static_cast<unsigned char>(offset),
                          static_cast<unsigned char>(offset >> 8),
                          0,
                          0};
        const unsigned char* block = reinterpret_cast<const unsigned char*>(image.getPackedDib());
        expected.insert(expected.end(), block, block + blockSize);
        EXPECT_EQ(expected, readFileBytes(name));
        EXPECT_EQ(stride, image.getStride());
    }
}
