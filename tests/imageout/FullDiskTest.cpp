// Saving onto a disk that fills up. run_with_file_limit.sh starts this
// program with a limit on the size of any file it writes, so writes past
// that size really fail in the system; ORVEX_FILE_LIMIT_KB tells the limit.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "AnimatedGifWriter.h"
#include "DibImage.h"
#include "ImageTestSupport.h"
#include "MapSaveTestSupport.h"
#include "MapSaver.h"
#include "WException.h"

namespace {

unsigned long fileLimit()
{
    const char* limit = std::getenv("ORVEX_FILE_LIMIT_KB");
    return limit != nullptr ? std::strtoul(limit, nullptr, 10) * 1024 : 0;
}

// Random pixels: the GIF is about as large as the image.
void noise(DibImage& image, int width, int height)
{
    ASSERT_TRUE(image.create(width, height, 8));
    std::mt19937 random(3);
    for (unsigned int i = 0; i < 256; i++)
        image.setPaletteColor(i, static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i));
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            image.setPixelIndex(x, y, static_cast<int>(random() & 0xFF));
}

// The satellite map at 300 %: its GIF and JPEG are far over the limit.
void prepareLargeSatelliteMap(OrvexMap& map)
{
    writeBackgroundPicture();
    prepareMap(map, 100);
    map.mapType = 2;
    map.scaleX = map.scaleY = 3.0;
    map.loadBackgroundPicture();
}

}

TEST(FullDisk, WriteFailuresAreReportedAndTheFileRemoved)
{
    const unsigned long limit = fileLimit();
    ASSERT_GT(limit, 0u) << "run through run_with_file_limit.sh";
    TempDir dir;

    DibImage small;
    noise(small, 64, 64);
    std::string name = dir.file("small.gif");
    ASSERT_TRUE(small.save(name.c_str(), DibImage::FORMAT_GIF)) << small.getLastError();
    EXPECT_TRUE(fileExists(name)) << "files below the limit are written";

    DibImage large;
    noise(large, 1060, 610);
    ASSERT_GT(1060ul * 610, 2 * limit);
    name = dir.file("large.gif");
    EXPECT_FALSE(large.save(name.c_str(), DibImage::FORMAT_GIF));
    EXPECT_STREQ("Write Error in GIF file", large.getLastError());
    EXPECT_FALSE(fileExists(name)) << "no partial GIF is left";

    name = dir.file("large.bmp");
    EXPECT_FALSE(large.save(name.c_str(), DibImage::FORMAT_BMP));
    EXPECT_STREQ("Write Error in BMP file", large.getLastError());
    EXPECT_FALSE(fileExists(name)) << "no partial BMP is left";
}

// The map saver reports a GIF that did not fit and leaves no file; a map
// that fits is saved.
TEST(FullDisk, FailedAnimationIsReportedAndRemoved)
{
    const unsigned long limit = fileLimit();
    ASSERT_GT(limit, 0u) << "run through run_with_file_limit.sh";
    TempDir dir;
    std::vector<RGBQUAD> colours(200, quad(1, 2, 3));
    std::mt19937 random(5);
    std::vector<unsigned char> frame(400 * 300);
    std::string name = dir.file("animation.gif");
    writeFile(name, "old");
    AnimatedGifWriter writer;
    ASSERT_TRUE(writer.open(name.c_str(), 400, 300, colours.data(), 200, 0));
    bool failed = false;
    // Frames of noise until the file passes the limit.
    for (unsigned long written = 0; !failed && written < 4 * limit; written += frame.size()) {
        for (unsigned char& index : frame)
            index = static_cast<unsigned char>(random() % 200);
        failed = !writer.addFrame(frame.data(), 5);
    }
    ASSERT_TRUE(failed);
    EXPECT_STREQ("Write Error in GIF file", writer.getLastError());
    EXPECT_EQ(std::vector<unsigned char>({'o', 'l', 'd'}), readFileBytes(name))
        << "the old file stays";
}

TEST(FullDisk, MapSaverReportsTheFailedGif)
{
    ASSERT_GT(fileLimit(), 0u) << "run through run_with_file_limit.sh";
    ScratchDir scratch;
    OrvexMap small;
    prepareMap(small, 75);
    MapSaver(small).saveGif("small.gif");
    EXPECT_TRUE(fileExists("small.gif"));

    writeBackgroundPicture();
    OrvexMap large;
    prepareMap(large, 100);
    large.mapType = 2;
    large.loadBackgroundPicture();
    std::string message = "(nothing thrown)";
    try {
        MapSaver(large).saveGif("large.gif");
    } catch (const WException& e) {
        message = static_cast<const char*>(e.getMessage());
        EXPECT_EQ(-3, e.getId());
    }
    EXPECT_EQ("GIF-Datei konnte nicht gespeichert werden. (Write Error in GIF file)", message);
    EXPECT_FALSE(fileExists("large.gif"));
}

// A JPEG that does not fit fails in the library's encoder; the partial file
// goes too.
TEST(FullDisk, FailedJpegLeavesNoFile)
{
    ASSERT_GT(fileLimit(), 0u) << "run through run_with_file_limit.sh";
    ScratchDir scratch;
    OrvexMap large;
    prepareLargeSatelliteMap(large);
    std::string message = "(nothing thrown)";
    try {
        MapSaver(large).saveJpeg("large.jpg");
    } catch (const WException& e) {
        message = static_cast<const char*>(e.getMessage());
    }
    EXPECT_EQ("Error while saving image!", message);
    EXPECT_FALSE(fileExists("large.jpg"));
}

// A metafile is written when it is closed; one that does not fit fails
// there and leaves no file.
TEST(FullDisk, FailedMetafileLeavesNoFile)
{
    ASSERT_GT(fileLimit(), 0u) << "run through run_with_file_limit.sh";
    ScratchDir scratch;
    OrvexMap map;
    prepareMap(map, 75);
    std::string message = "(nothing thrown)";
    try {
        MapSaver(map).saveEmf("large.emf");
    } catch (const WException& e) {
        message = static_cast<const char*>(e.getMessage());
    }
    EXPECT_EQ("Cannot create EMF-File.", message);
    EXPECT_FALSE(fileExists("large.emf"));
    EXPECT_EQ(0.75, map.scaleX);
}

// A save that fails over an existing file leaves that file byte for byte as
// it was and nothing beside it, whichever writer failed.
TEST(FullDisk, FailedSavesKeepTheOldFile)
{
    ASSERT_GT(fileLimit(), 0u) << "run through run_with_file_limit.sh";
    ScratchDir scratch;
    OrvexMap large;
    prepareLargeSatelliteMap(large);
    DibImage image;
    noise(image, 1060, 610);
    const struct {
        const char* name;
        std::function<void()> save;
    } cases[] = {
        {"image.gif", [&] { EXPECT_FALSE(image.save("image.gif", DibImage::FORMAT_GIF)); }},
        {"image.bmp", [&] { EXPECT_FALSE(image.save("image.bmp", DibImage::FORMAT_BMP)); }},
        {"map.gif", [&] { EXPECT_THROW(MapSaver(large).saveGif("map.gif"), WException); }},
        {"map.jpg", [&] { EXPECT_THROW(MapSaver(large).saveJpeg("map.jpg"), WException); }},
        {"map.emf", [&] { EXPECT_THROW(MapSaver(large).saveEmf("map.emf"), WException); }},
    };
    const std::string old = "the picture saved before\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(c.name, old);
        c.save();
        std::vector<unsigned char> kept = readFileBytes(c.name);
        EXPECT_EQ(old, std::string(kept.begin(), kept.end()));
        WIN32_FIND_DATAW entry;
        HANDLE left = FindFirstFileW(L"*.part.*", &entry);
        EXPECT_EQ(INVALID_HANDLE_VALUE, left) << "nothing is left beside it";
        if (left != INVALID_HANDLE_VALUE)
            FindClose(left);
    }
}
