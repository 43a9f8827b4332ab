// WBitmap and files: saving JPEG and GIF, opening plain and "$" names,
// animation frames, and pictures that are broken or missing.
#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"
#include "WBitmap.h"
#include "WException.h"
#include "WPalette.h"

namespace {
const COLORREF red = RGB(255, 0, 0);
const COLORREF blue = RGB(0, 0, 255);
const COLORREF orange = RGB(240, 160, 32);
const COLORREF teal = RGB(16, 128, 128);

// The first three entries (zig-zag order) of the first quantisation table.
std::vector<int> firstQuantisation(const std::vector<unsigned char>& jpeg)
{
    for (size_t i = 2; i + 8 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDB && (jpeg[i + 4] & 0xF0) == 0)
            return {jpeg[i + 5], jpeg[i + 6], jpeg[i + 7]};
    return {};
}

// Two 1 x 1 frames over the colours red (0) and blue (1): the first shows red
// for 10/100 s and declares blue transparent, the second shows blue for 25/100 s.
std::vector<unsigned char> animatedGif()
{
    return {
        'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0,             // screen, 2 colours
        0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,                               // red, blue
        0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0,
        0x21, 0xF9, 4, 0x01, 10, 0, 1, 0,                                 // delay 10, key 1
        0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0,             // index 0
        0x21, 0xF9, 4, 0x00, 25, 0, 0, 0,                                 // delay 25
        0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x4C, 0x01, 0,             // index 1
        0x3B};
}

// One 2 x 1 frame over red (0) and blue (1), blue declared transparent.
std::vector<unsigned char> transparentGif()
{
    return {
        'G', 'I', 'F', '8', '9', 'a', 2, 0, 1, 0, 0x80, 0, 0,             // screen, 2 colours
        0xFF, 0x00, 0x00, 0x00, 0x00, 0xFF,                               // red, blue
        0x21, 0xF9, 4, 0x01, 0, 0, 1, 0,                                  // key 1
        0x2C, 0, 0, 0, 0, 2, 0, 1, 0, 0, 2, 2, 0x44, 0x0A, 0,             // indices 0, 1
        0x3B};
}
}

TEST(BitmapFile, SavesJpegAndReadsItBack)
{
    ScratchDir dir;
    WBitmap bitmap;
    createScreenPicture(bitmap, 64, 32, orange, teal);

    std::string name = dir.file("karte.JPG");
    bitmap.save(name.c_str(), 85);
    std::vector<unsigned char> bytes = readBytes(name);
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8) << "not a JPEG";
    if (!runningOnWine()) {
        // Quality 85 on the IJG scale: 16, 11, 12 scaled by 0.3. (Wine's GDI+
        // ignores the quality and always writes 75.)
        EXPECT_EQ(firstQuantisation(bytes), (std::vector<int>{5, 3, 4}));
    }

    WBitmap reopened(name.c_str());
    EXPECT_EQ(reopened.getFilename(), name.c_str());
    EXPECT_EQ(reopened.getWidth(), 64u);
    EXPECT_EQ(reopened.getHeight(), 32u);
    EXPECT_EQ(reopened.getFrameCount(), 1u);
    EXPECT_TRUE(colourNear(reopened.getPixel(10, 16), orange, 24)) << hex(reopened.getPixel(10, 16));
    EXPECT_TRUE(colourNear(reopened.getPixel(54, 16), teal, 24)) << hex(reopened.getPixel(54, 16));
    reopened.setFrame(reopened.getFrameCount());
    EXPECT_EQ(reopened.getFrameIdx(), 0u) << "setFrame at the frame count must change nothing";

    // A later save replaces the file rather than writing over its start.
    WBitmap small(static_cast<HBITMAP>(reopened), nullptr);
    small.resample(8, 4);
    // GDI+ keeps a file it decodes open until the picture is closed.
    EXPECT_EQ(thrownMessage([&] { small.save(name.c_str(), 85); }), "Cannot open file: " + name);
    reopened.close();
    small.save(name.c_str(), 85);
    WBitmap replaced(name.c_str());
    EXPECT_EQ(replaced.getWidth(), 8u);

    for (const char* refused : {"karte.jpeg", "karte.png", "karte.bmp", "karte"}) {
        std::string other = dir.file(refused);
        EXPECT_EQ(thrownMessage([&] { bitmap.save(other.c_str(), 85); }),
                  "Bitmap format is not supported for saving!")
            << refused;
        EXPECT_FALSE(fileExists(other)) << refused << " was created";
    }
}

TEST(BitmapFile, SavesGifFromIndexedAndFromScreenPictures)
{
    ScratchDir dir;
    std::vector<RGBQUAD> colours = {{0, 0, 255, 0}, {255, 0, 0, 0}, {0, 255, 0, 0}, {9, 99, 199, 0}};
    WBitmap indexed;
    createIndexedPicture(indexed, 20, 10, colours);
    std::string indexedName = dir.file("palette.GIF");
    indexed.save(indexedName.c_str(), 0);
    WBitmap indexedBack(indexedName.c_str());
    EXPECT_EQ(indexedBack.getWidth(), 20u);
    EXPECT_EQ(indexedBack.getHeight(), 10u);
    EXPECT_EQ(indexedBack.getBPP(), 8u);
    // Index (x + y) % 4: exact colours, since GIF is lossless.
    EXPECT_EQ(indexedBack.getPixel(0, 0), static_cast<unsigned long>(RGB(255, 0, 0)));
    EXPECT_EQ(indexedBack.getPixel(1, 0), static_cast<unsigned long>(RGB(0, 0, 255)));
    EXPECT_EQ(indexedBack.getPixel(1, 1), static_cast<unsigned long>(RGB(0, 255, 0)));
    EXPECT_EQ(indexedBack.getPixel(0, 3), static_cast<unsigned long>(RGB(199, 99, 9)));
    EXPECT_EQ(indexedBack.getPixel(19, 9), static_cast<unsigned long>(RGB(255, 0, 0)));

    // A screen-compatible (32-bit) picture; pure colours survive the reduction
    // to 256 colours.
    WBitmap screen;
    createScreenPicture(screen, 30, 12, red, blue);
    std::string screenName = dir.file("screen.gif");
    screen.save(screenName.c_str(), 0);
    std::vector<unsigned char> bytes = readBytes(screenName);
    ASSERT_GT(bytes.size(), 30u) << "the GIF holds no picture data";
    EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 6), "GIF89a");
    WBitmap screenBack(screenName.c_str());
    EXPECT_EQ(screenBack.getWidth(), 30u);
    EXPECT_EQ(screenBack.getPixel(2, 2), 0x000000FFu) << hex(screenBack.getPixel(2, 2));
    EXPECT_EQ(screenBack.getPixel(27, 10), 0x00FF0000u) << hex(screenBack.getPixel(27, 10));
    EXPECT_EQ(screen.getBPP(), 32u) << "saving must not change the picture itself";
}

TEST(BitmapFile, DollarNamesReadThroughTheFileStream)
{
    ScratchDir dir;
    CurrentDirectory here(dir.path());
    writeBytes("$anim.gif", animatedGif());

    WBitmap animation("$anim.gif");
    EXPECT_EQ(animation.getFilename(), "$anim.gif");
    EXPECT_EQ(animation.getWidth(), 1u);
    ASSERT_EQ(animation.getFrameCount(), 2u);
    EXPECT_EQ(animation.getFrameIdx(), 0u);
    EXPECT_EQ(animation.getFrameDelay(), 100u);
    EXPECT_EQ(animation.getPixel(0, 0), 0x000000FFu);
    HBITMAP firstFrame = animation.getBitmapHandle();
    ASSERT_NE(firstFrame, nullptr);

    animation.setFrame(1);
    EXPECT_EQ(animation.getFrameIdx(), 1u);
    EXPECT_EQ(animation.getFrameDelay(), 250u);
    EXPECT_EQ(animation.getPixel(0, 0), 0x00FF0000u) << hex(animation.getPixel(0, 0));
    EXPECT_EQ(GetObjectType(firstFrame), 0u) << "the handle of the old frame was kept";

    animation.setFrame(2);
    EXPECT_EQ(animation.getFrameIdx(), 1u) << "setFrame at the frame count must change nothing";
    EXPECT_EQ(animation.getPixel(0, 0), 0x00FF0000u);

    // The file stays open through the adapter until close.
    animation.close();
    EXPECT_EQ(animation.getFrameCount(), 0u);
    EXPECT_EQ(animation.getFilename(), "$anim.gif") << "close keeps the name";
    EXPECT_TRUE(DeleteFileA("$anim.gif")) << "close left the file open";

    // A JPEG written and read through "$" names.
    WBitmap bitmap;
    createScreenPicture(bitmap, 16, 16, red, blue);
    bitmap.save("$map.jpg", 85);
    WBitmap viaStream("$map.jpg");
    WBitmap viaFile((dir.path() + "\\$map.jpg").c_str());
    EXPECT_EQ(viaStream.getWidth(), 16u);
    EXPECT_EQ(viaStream.getPixel(3, 8), viaFile.getPixel(3, 8));
    EXPECT_TRUE(colourNear(viaStream.getPixel(3, 8), red, 24)) << hex(viaStream.getPixel(3, 8));
}

TEST(BitmapFile, ColourKeyComesFromTransparentPaletteEntries)
{
    ScratchDir dir;
    std::string name = dir.file("key.gif");
    writeBytes(name, transparentGif());
    WBitmap bitmap(name.c_str());
    unsigned long key = 0;
    ASSERT_TRUE(bitmap.isColorKey()) << "the transparent entry (blue) was not found";
    EXPECT_TRUE(bitmap.getColorKey(key));
    EXPECT_EQ(key, 0x00FF0000u) << hex(key);
    EXPECT_EQ(bitmap.getBPP(), 8u);
    EXPECT_EQ(bitmap.getPixel(0, 0), 0x000000FFu);
    EXPECT_EQ(bitmap.getPixel(1, 0), 0x00FF0000u) << "alpha must be dropped";

    // The handle is made over the key colour: the transparent pixel shows it.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap.getBitmapHandle());
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(0, 0, 255));
    SelectObject(dc, old);
    DeleteDC(dc);

    WPalette palette;
    bitmap.getPalette(palette);
    EXPECT_GE(palette.getColorCount(), 2u);
    RGBQUAD entry = {};
    palette.getColor(1, entry);
    EXPECT_EQ(entry.rgbBlue, 255);
    EXPECT_EQ(entry.rgbRed, 0);
}

TEST(BitmapFile, BrokenAndMissingPicturesThrowAndLeaveTheBitmapEmpty)
{
    ScratchDir dir;
    DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    WBitmap good;
    createScreenPicture(good, 64, 64, orange, teal);
    std::string whole = dir.file("whole.jpg");
    good.save(whole.c_str(), 85);
    std::vector<unsigned char> bytes = readBytes(whole);

    std::string half = dir.file("half.jpg");
    writeBytes(half, std::vector<unsigned char>(bytes.begin(), bytes.begin() + bytes.size() / 2));
    std::string text = dir.file("text.jpg");
    writeBytes(text, std::vector<unsigned char>{'k', 'e', 'i', 'n', ' ', 'B', 'i', 'l', 'd', '\n'});
    std::string empty = dir.file("empty.jpg");
    writeBytes(empty, {});
    std::string missingFolder = dir.file("fehlt\\karte.jpg");

    for (const std::string& name : {text, empty, missingFolder, dir.file("nothing.gif")}) {
        WBitmap bitmap;
        bitmap.open(whole.c_str());
        bitmap.getBitmapHandle();
        EXPECT_EQ(thrownMessage([&] { bitmap.open(name.c_str()); }), "Cannot load bitmap: " + name);
        EXPECT_EQ(bitmap.getFilename(), name.c_str());
        EXPECT_EQ(bitmap.getWidth(), 0u) << name;
        EXPECT_EQ(bitmap.getPixel(1, 1), 0u) << name;
        EXPECT_EQ(bitmap.getFrameCount(), 0u) << name;
        EXPECT_EQ(bitmap.getBitmapHandle(), nullptr) << name;
    }

    // A JPEG cut in half: GDI+ either refuses it or decodes what is there;
    // either way the bitmap is consistent.
    WBitmap cut;
    std::string cutMessage = thrownMessage([&] { cut.open(half.c_str()); });
    if (cutMessage == "(nothing thrown)") {
        EXPECT_EQ(cut.getWidth(), 64u);
        EXPECT_EQ(cut.getHeight(), 64u);
        EXPECT_TRUE(colourNear(cut.getPixel(10, 2), orange, 24)) << hex(cut.getPixel(10, 2));
    } else {
        EXPECT_EQ(cutMessage, "Cannot load bitmap: " + half);
        EXPECT_EQ(cut.getWidth(), 0u);
    }

    {
        CurrentDirectory here(dir.path());
        writeBytes("$empty.jpg", {});
        for (const char* name : {"$empty.jpg", "$missing.jpg", "$fehlt\\karte.jpg"}) {
            WBitmap bitmap;
            EXPECT_EQ(thrownMessage([&] { bitmap.open(name); }),
                      std::string("Cannot load bitmap: ") + name);
            EXPECT_EQ(bitmap.getWidth(), 0u);
        }
        EXPECT_TRUE(DeleteFileA("$empty.jpg")) << "a failed open left the file open";
    }

    // Saving where no file can be made: the file's own exception, nothing left open.
    EXPECT_EQ(thrownMessage([&] { good.save(missingFolder.c_str(), 85); }),
              "File not found: " + missingFolder);
    std::string folder = dir.file("ordner.jpg");
    CreateDirectoryA(folder.c_str(), nullptr);
    EXPECT_EQ(thrownMessage([&] { good.save(folder.c_str(), 85); }), "Cannot open file: " + folder);
    HANDLE locked = CreateFileA(whole.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_EQ(thrownMessage([&] { good.save(whole.c_str(), 85); }), "Cannot open file: " + whole);
    CloseHandle(locked);
    good.save(whole.c_str(), 85);

    good.close();
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore) << "GDI objects leaked";
}
