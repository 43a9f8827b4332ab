// WBitmap in memory: pictures made from GDI handles, pixels, handles,
// drawing and resampling.
#include <gtest/gtest.h>
#include <objidl.h>
#include <gdiplus.h>

#include <type_traits>

#include "GraphicsTestSupport.h"
#include "WBitmap.h"
#include "WException.h"
#include "WImageCodecs.h"
#include "WPalette.h"

namespace {
const COLORREF red = RGB(255, 0, 0);
const COLORREF green = RGB(0, 255, 0);
const COLORREF blue = RGB(0, 0, 255);
const COLORREF white = RGB(255, 255, 255);

// A white 32-bit DIB section selected into a memory DC, read back pixel by pixel.
class Canvas {
public:
    Canvas(int width, int height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        old = SelectObject(dc, bitmap);
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(white);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas()
    {
        SelectObject(dc, old);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HDC get() const { return dc; }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }

private:
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ old;
};

// Size and colour of a GDI bitmap as the program would use it.
struct HandleView {
    LONG width = 0;
    LONG height = 0;
    COLORREF topLeft = CLR_INVALID;
};

HandleView inspect(HBITMAP handle)
{
    HandleView view;
    BITMAP info;
    if (GetObject(handle, sizeof(info), &info) != sizeof(info))
        return view;
    view.width = info.bmWidth;
    view.height = info.bmHeight;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, handle);
    view.topLeft = GetPixel(dc, 0, 0);
    SelectObject(dc, old);
    DeleteDC(dc);
    return view;
}
}

// Copies would share the GDI+ picture and free it twice.
static_assert(!std::is_copy_constructible<WBitmap>::value && !std::is_copy_assignable<WBitmap>::value,
              "WBitmap must not be copyable");

TEST(ImageCodecs, StartupTwiceKeepsTheEncoders)
{
    WImageCodecs::startup();
    const CLSID none = {};
    EXPECT_FALSE(IsEqualCLSID(WImageCodecs::getJpegEncoder(), none)) << "no image/jpeg encoder";
    EXPECT_FALSE(IsEqualCLSID(WImageCodecs::getGifEncoder(), none)) << "no image/gif encoder";
}

TEST(Bitmap, EmptyBitmapAnswersZeroAndNeverThrows)
{
    WBitmap empty;
    EXPECT_EQ(empty.getWidth(), 0u);
    EXPECT_EQ(empty.getHeight(), 0u);
    EXPECT_EQ(empty.getPixel(0, 0), 0u);
    EXPECT_EQ(empty.getBPP(), 0u);
    EXPECT_EQ(empty.getFrameCount(), 0u);
    EXPECT_EQ(empty.getFrameDelay(), 0u);
    EXPECT_EQ(empty.getBitmapHandle(), nullptr);
    EXPECT_EQ(empty.getGDIPlusObject(), nullptr);
    EXPECT_FALSE(empty.isColorKey());
    empty.setPixel(0, 0, red);
    empty.setFrame(0);
    empty.resample(10, 10);
    EXPECT_EQ(empty.getWidth(), 0u) << "resample made a picture out of nothing";

    WPalette palette;
    palette.create(4, 2);
    empty.getPalette(palette);
    EXPECT_EQ(palette.getColorCount(), 4u) << "getPalette of an empty bitmap must leave it alone";

    Canvas canvas(10, 10);
    RECT all = {0, 0, 10, 10};
    POINT corners[3] = {{0, 0}, {10, 0}, {0, 10}};
    empty.toDevice(canvas.get(), 0, 0);
    empty.toDevice(canvas.get(), all, all);
    empty.toDevice(canvas.get(), corners, 3, true);
    EXPECT_EQ(canvas.at(5, 5), white) << "an empty bitmap drew something";

    EXPECT_EQ(thrownMessage([&] { empty.save("leer.jpg", 85); }), "Error while saving image!");
    EXPECT_FALSE(fileExists("leer.jpg")) << "a failed save left a file behind";
}

TEST(Bitmap, CreateCopiesThePixelsOfTheCallersHandle)
{
    HBITMAP handle = makeScreenBitmap(40, 20, red, blue);
    ASSERT_NE(handle, nullptr);
    WBitmap bitmap(handle, nullptr);
    // The caller may delete its handle right away (the renderer does).
    ASSERT_TRUE(DeleteObject(handle));

    EXPECT_EQ(bitmap.getWidth(), 40u);
    EXPECT_EQ(bitmap.getHeight(), 20u);
    EXPECT_EQ(bitmap.getPixel(5, 5), 0x000000FFu) << "pure red must read 0x000000FF, got "
                                                  << hex(bitmap.getPixel(5, 5));
    EXPECT_EQ(bitmap.getPixel(30, 5), 0x00FF0000u) << "pure blue, got " << hex(bitmap.getPixel(30, 5));
    EXPECT_EQ(bitmap.getBPP(), 32u);
    EXPECT_EQ(bitmap.getFrameCount(), 1u);
    EXPECT_EQ(bitmap.getFrameDelay(), 0u);
    EXPECT_FALSE(bitmap.isColorKey());
    unsigned long key = 0x123456;
    EXPECT_FALSE(bitmap.getColorKey(key));
    EXPECT_EQ(key, 0x123456u) << "getColorKey without a key must not touch its argument";

    // Outside the picture GDI+ fails: 0, and writing there changes nothing.
    EXPECT_EQ(bitmap.getPixel(40, 0), 0u);
    EXPECT_EQ(bitmap.getPixel(-1, 0), 0u);
    bitmap.setPixel(-1, -1, green);

    bitmap.setPixel(3, 4, green);
    EXPECT_EQ(bitmap.getPixel(3, 4), 0x0000FF00u);

    // The frame count is 1: index 1 is out of range and ignored.
    bitmap.setFrame(1);
    EXPECT_EQ(bitmap.getFrameIdx(), 0u);
    EXPECT_EQ(bitmap.getPixel(5, 5), 0x000000FFu);

    WPalette palette;
    bitmap.getPalette(palette);
    EXPECT_EQ(palette.getColorCount(), 0u) << "a 32-bit picture has no palette";

    EXPECT_EQ(thrownMessage([] { WBitmap none(static_cast<HBITMAP>(nullptr), nullptr); }),
              "Cannot create bitmap.");
}

TEST(Bitmap, BitmapHandleIsKeptUntilThePictureChanges)
{
    WBitmap bitmap;
    createScreenPicture(bitmap, 40, 20, red, blue);

    HBITMAP first = bitmap.getBitmapHandle();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(bitmap.getBitmapHandle(), first) << "a second call must return the kept handle";
    EXPECT_EQ(static_cast<HBITMAP>(bitmap), first);
    HandleView view = inspect(first);
    EXPECT_EQ(view.width, 40);
    EXPECT_EQ(view.height, 20);
    EXPECT_EQ(view.topLeft, red);

    bitmap.resample(20, 10);
    EXPECT_EQ(bitmap.getWidth(), 20u);
    EXPECT_EQ(bitmap.getHeight(), 10u);
    EXPECT_EQ(GetObjectType(first), 0u) << "resample must delete the old handle";
    HBITMAP second = bitmap.getBitmapHandle();
    ASSERT_NE(second, nullptr);
    view = inspect(second);
    EXPECT_EQ(view.width, 20) << "the handle after resample still shows the old picture";
    EXPECT_EQ(view.height, 10);
    EXPECT_TRUE(colourNear(bitmap.getPixel(2, 5), red, 8)) << hex(bitmap.getPixel(2, 5));
    EXPECT_TRUE(colourNear(bitmap.getPixel(17, 5), blue, 8)) << hex(bitmap.getPixel(17, 5));

    bitmap.setPixel(0, 0, green);
    HBITMAP third = bitmap.getBitmapHandle();
    EXPECT_EQ(inspect(third).topLeft, green) << "the handle does not show the changed pixel";

    bitmap.resample(0, 10);
    EXPECT_EQ(bitmap.getWidth(), 20u) << "an impossible size must leave the picture";
    EXPECT_EQ(bitmap.getBitmapHandle(), third);

    bitmap.close();
    EXPECT_EQ(GetObjectType(third), 0u) << "close must delete the handle";
    EXPECT_EQ(bitmap.getBitmapHandle(), nullptr);
}

TEST(Bitmap, DrawsUnscaledStretchedAndIntoParallelograms)
{
    WBitmap bitmap;
    createScreenPicture(bitmap, 40, 20, red, blue);

    // At 48 dpi GDI+ would draw the picture twice as large by default.
    Gdiplus::DllExports::GdipBitmapSetResolution(bitmap.getGDIPlusObject(), 48.0f, 48.0f);
    Canvas unscaled(100, 100);
    bitmap.toDevice(unscaled.get(), 5, 5);
    EXPECT_EQ(unscaled.at(5, 5), red);
    EXPECT_EQ(unscaled.at(44, 24), blue);
    EXPECT_EQ(unscaled.at(45, 24), white) << "the picture was drawn scaled";
    EXPECT_EQ(unscaled.at(44, 25), white) << "the picture was drawn scaled";
    EXPECT_EQ(unscaled.at(4, 5), white);

    // The right (blue) half stretched to 40 x 40.
    Canvas stretched(100, 100);
    RECT rightHalf = {20, 0, 40, 20};
    RECT target = {50, 50, 90, 90};
    bitmap.toDevice(stretched.get(), rightHalf, target);
    EXPECT_TRUE(colourNear(stretched.at(70, 70), blue, 8)) << hex(stretched.at(70, 70));
    EXPECT_TRUE(colourNear(stretched.at(52, 52), blue, 40)) << hex(stretched.at(52, 52));
    EXPECT_EQ(stretched.at(45, 70), white);
    EXPECT_EQ(stretched.at(70, 95), white);

    // Mirrored horizontally: upper-left at x 40, upper-right at x 0.
    POINT mirrored[4] = {{40, 0}, {0, 0}, {40, 20}, {0, 20}};
    for (int count : {3, 4}) {
        Canvas canvas(60, 30);
        bitmap.toDevice(canvas.get(), mirrored, count, false);
        EXPECT_EQ(canvas.at(5, 10), blue) << count << " points";
        EXPECT_EQ(canvas.at(35, 10), red) << count << " points";
        EXPECT_EQ(canvas.at(50, 10), white) << count << " points";
    }
    Canvas none(60, 30);
    bitmap.toDevice(none.get(), mirrored, 2, true);
    bitmap.toDevice(none.get(), mirrored, 5, true);
    EXPECT_EQ(none.at(5, 10), white) << "2 or 5 points must draw nothing";
}

TEST(Bitmap, IndexedPictureGivesItsPalette)
{
    std::vector<RGBQUAD> colours;
    for (int i = 0; i < 256; ++i)
        colours.push_back(RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(255 - i),
                                  static_cast<BYTE>(i / 2), 0});
    WBitmap bitmap;
    createIndexedPicture(bitmap, 16, 8, colours);

    EXPECT_EQ(bitmap.getBPP(), 8u);
    // Pixel (3, 2) has index 5: blue 5, green 250, red 2.
    EXPECT_EQ(bitmap.getPixel(3, 2), static_cast<unsigned long>(RGB(2, 250, 5)))
        << hex(bitmap.getPixel(3, 2));

    WPalette palette;
    bitmap.getPalette(palette);
    ASSERT_EQ(palette.getColorCount(), 256u);
    EXPECT_EQ(palette.getBPP(), 8u);
    RGBQUAD entry = {};
    palette.getColor(200, entry);
    EXPECT_EQ(entry.rgbBlue, 200);
    EXPECT_EQ(entry.rgbGreen, 55);
    EXPECT_EQ(entry.rgbRed, 100);

    // Where GDI+ cannot draw into an indexed picture, resample leaves it as it
    // was; where it can, the palette is kept, so the colours stay exact.
    bitmap.resample(32, 16);
    if (bitmap.getWidth() == 32u) {
        WPalette after;
        bitmap.getPalette(after);
        ASSERT_EQ(after.getColorCount(), 256u);
        after.getColor(200, entry);
        EXPECT_EQ(entry.rgbBlue, 200);
        EXPECT_EQ(bitmap.getPixel(6, 4), static_cast<unsigned long>(RGB(2, 250, 5)))
            << hex(bitmap.getPixel(6, 4));
    } else {
        EXPECT_EQ(bitmap.getWidth(), 16u);
        EXPECT_EQ(bitmap.getPixel(3, 2), static_cast<unsigned long>(RGB(2, 250, 5)));
    }
}
