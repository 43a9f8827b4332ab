#include "WBitmap.h"

#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "WException.h"
#include "WFileStream.h"
#include "WImageCodecs.h"
#include "WMemory.h"
#include "WPalette.h"
#include "WSystem.h"
#include "WUnicode.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
// {6aedbd6d-3fb5-418a-83a6-7f45229dc872}
const GUID frameDimensionTime = {
    0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
// {1d5be4b5-fa4a-452d-9cdd-5db35105e7eb}
const GUID encoderQuality = {
    0x1d5be4b5, 0xfa4a, 0x452d, {0x9c, 0xdd, 0x5d, 0xb3, 0x51, 0x05, 0xe7, 0xeb}};

const PROPID frameDelayTag = 0x5100;
const UINT hasAlphaFlag = 2;
const ARGB opaque = 0xFF000000;

struct ImageDisposer {
    void operator()(GpBitmap* image) const { GdipDisposeImage(image); }
};
using OwnedImage = std::unique_ptr<GpBitmap, ImageDisposer>;

struct GraphicsDeleter {
    void operator()(GpGraphics* graphics) const { GdipDeleteGraphics(graphics); }
};
using OwnedGraphics = std::unique_ptr<GpGraphics, GraphicsDeleter>;

struct MemoryFreer {
    void operator()(void* block) const { WMemory::freeMemory(block); }
};
using OwnedPalette = std::unique_ptr<ColorPalette, MemoryFreer>;

template <typename T> std::unique_ptr<T, MemoryFreer> allocArray(unsigned long count)
{
    return std::unique_ptr<T, MemoryFreer>(
        static_cast<T*>(WMemory::allocMemory(count * sizeof(T))));
}

// The picture's palette, null when it has none or GDI+ cannot read it.
OwnedPalette readPalette(GpBitmap* picture)
{
    INT size = 0;
    if (GdipGetImagePaletteSize(picture, &size) != Ok ||
        size < static_cast<INT>(sizeof(ColorPalette)))
        return nullptr;
    OwnedPalette palette(static_cast<ColorPalette*>(WMemory::allocMemory(size)));
    if (GdipGetImagePalette(picture, palette.get(), size) != Ok || palette->Count == 0)
        return nullptr;
    return palette;
}

unsigned long toColorRef(ARGB colour)
{
    return RGB((colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF);
}

ARGB toOpaqueArgb(unsigned long colour)
{
    return opaque | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

OwnedGraphics graphicsOn(HDC dc)
{
    GpGraphics* graphics = nullptr;
    if (dc == nullptr || GdipCreateFromHDC(dc, &graphics) != Ok)
        return nullptr;
    return OwnedGraphics(graphics);
}
}

WBitmap::WBitmap()
    : picture(nullptr), bitmapHandle(nullptr), adoptedSection(nullptr), frameIdx(0), frameCount(0),
      frameDelays(nullptr), colorKey(0), hasColorKey(false), stream(nullptr)
{
}

WBitmap::WBitmap(const char* name) : WBitmap()
{
    open(name);
}

WBitmap::WBitmap(HBITMAP bitmap, HPALETTE palette) : WBitmap()
{
    create(bitmap, palette);
}

WBitmap::~WBitmap()
{
    close();
}

void WBitmap::open(const char* name)
{
    close();
    fileName = name;
    GpBitmap* loaded = nullptr;
    if (name[0] == '$') {
        std::unique_ptr<WFileStream> adapter(new WFileStream);
        try {
            adapter->getFile().open(name, static_cast<unsigned long>(WFile::MODE_READ));
        } catch (const WException&) {
            throw WBitmapException(WFormattedString("Cannot load bitmap: %s", name));
        }
        if (GdipCreateBitmapFromStream(adapter.get(), &loaded) != Ok || loaded == nullptr) {
            OwnedImage failed(loaded);
            throw WBitmapException(WFormattedString("Cannot load bitmap: %s", name));
        }
        stream = adapter.release();
    } else {
        // A name that does not fit or convert stays empty and fails to load.
        wchar_t wide[MAX_PATH + 1];
        WUnicode::toWide(name, wide, MAX_PATH + 1);
        if (GdipCreateBitmapFromFile(wide, &loaded) != Ok || loaded == nullptr) {
            OwnedImage failed(loaded);
            throw WBitmapException(WFormattedString("Cannot load bitmap: %s", name));
        }
    }
    picture = loaded;
    readProperties();
}

void WBitmap::create(HBITMAP bitmap, HPALETTE palette)
{
    close();
    GpBitmap* copy = nullptr;
    if (GdipCreateBitmapFromHBITMAP(bitmap, palette, &copy) != Ok || copy == nullptr) {
        OwnedImage failed(copy);
        throw WBitmapException("Cannot create bitmap.");
    }
    picture = copy;
    readProperties();
}

void WBitmap::adopt(HBITMAP dibSection, int width, int height)
{
    close();
    DIBSECTION section = {};
    GpBitmap* made = nullptr;
    bool usable = dibSection != nullptr &&
                  GetObject(dibSection, sizeof section, &section) == sizeof section &&
                  section.dsBm.bmBits != nullptr && section.dsBm.bmBitsPixel == 32 &&
                  section.dsBm.bmWidth == width && section.dsBm.bmHeight == height;
    // The rows lie top-down at 4 bytes a pixel: GDI+ reads them in place.
    if (!usable || GdipCreateBitmapFromScan0(width, height, section.dsBm.bmWidthBytes,
                                             PixelFormat32bppRGB,
                                             static_cast<BYTE*>(section.dsBm.bmBits),
                                             &made) != Ok ||
        made == nullptr) {
        OwnedImage failed(made);
        if (dibSection != nullptr)
            DeleteObject(dibSection);
        throw WBitmapException("Cannot create bitmap.");
    }
    picture = made;
    adoptedSection = dibSection;
    readProperties();
}

void WBitmap::dropAdoptedSection()
{
    if (adoptedSection != nullptr) {
        DeleteObject(adoptedSection);
        adoptedSection = nullptr;
    }
}

void WBitmap::close()
{
    dropBitmapHandle();
    if (picture != nullptr) {
        GdipDisposeImage(picture);
        picture = nullptr;
    }
    dropAdoptedSection();
    // GDI+ may read from the stream until the picture is gone.
    delete stream;
    stream = nullptr;
    if (frameDelays != nullptr) {
        WMemory::freeMemory(frameDelays);
        frameDelays = nullptr;
    }
    frameIdx = 0;
    frameCount = 0;
    colorKey = 0;
    hasColorKey = false;
}

unsigned long WBitmap::getWidth() const
{
    UINT width = 0;
    if (picture == nullptr || GdipGetImageWidth(picture, &width) != Ok)
        return 0;
    return width;
}

unsigned long WBitmap::getHeight() const
{
    UINT height = 0;
    if (picture == nullptr || GdipGetImageHeight(picture, &height) != Ok)
        return 0;
    return height;
}

unsigned long WBitmap::getPixel(int x, int y) const
{
    ARGB colour = 0;
    if (picture == nullptr || GdipBitmapGetPixel(picture, x, y, &colour) != Ok)
        return 0;
    return toColorRef(colour);
}

void WBitmap::setPixel(int x, int y, unsigned long colour)
{
    if (picture != nullptr && GdipBitmapSetPixel(picture, x, y, toOpaqueArgb(colour)) == Ok)
        dropBitmapHandle();
}

unsigned long WBitmap::getBPP() const
{
    PixelFormat format = 0;
    if (picture == nullptr || GdipGetImagePixelFormat(picture, &format) != Ok)
        return 0;
    switch (format) {
    case PixelFormat1bppIndexed:
        return 1;
    case PixelFormat4bppIndexed:
        return 4;
    case PixelFormat8bppIndexed:
        return 8;
    case PixelFormat16bppRGB555:
    case PixelFormat16bppRGB565:
    case PixelFormat16bppARGB1555:
    case PixelFormat16bppGrayScale:
        return 16;
    case PixelFormat24bppRGB:
        return 24;
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
        return 32;
    case PixelFormat48bppRGB:
        return 48;
    case PixelFormat64bppARGB:
    case PixelFormat64bppPARGB:
        return 64;
    default:
        return 0;
    }
}

void WBitmap::getPalette(WPalette& palette) const
{
    if (picture == nullptr)
        return;
    INT size = 0;
    if (GdipGetImagePaletteSize(picture, &size) != Ok)
        throw WBitmapException("Cannot load palette from bitmap.");
    if (size < static_cast<INT>(sizeof(ColorPalette)))
        return;
    try {
        OwnedPalette source(static_cast<ColorPalette*>(WMemory::allocMemory(size)));
        if (GdipGetImagePalette(picture, source.get(), size) != Ok)
            throw WBitmapException("Cannot load palette from bitmap.");
        if (source->Count == 0)
            return;
        auto colours = allocArray<RGBQUAD>(source->Count);
        for (UINT i = 0; i < source->Count; ++i) {
            ARGB entry = source->Entries[i];
            RGBQUAD& colour = colours.get()[i];
            colour.rgbBlue = entry & 0xFF;
            colour.rgbGreen = (entry >> 8) & 0xFF;
            colour.rgbRed = (entry >> 16) & 0xFF;
            colour.rgbReserved = 0;
        }
        palette.create(colours.get(), source->Count, getBPP());
    } catch (const WException&) {
        throw WBitmapException("Cannot load palette from bitmap.");
    }
}

bool WBitmap::getColorKey(unsigned long& colour) const
{
    if (hasColorKey)
        colour = colorKey;
    return hasColorKey;
}

void WBitmap::setFrame(unsigned long index)
{
    if (index >= frameCount ||
        GdipImageSelectActiveFrame(picture, &frameDimensionTime, index) != Ok)
        return;
    frameIdx = index;
    dropBitmapHandle();
}

unsigned long WBitmap::getFrameDelay() const
{
    if (frameDelays == nullptr || frameDelays->value == nullptr ||
        frameDelays->length / sizeof(LONG) <= frameIdx)
        return 0;
    return 10 * static_cast<unsigned long>(static_cast<const LONG*>(frameDelays->value)[frameIdx]);
}

HBITMAP WBitmap::getBitmapHandle() const
{
    if (adoptedSection != nullptr)
        return adoptedSection;
    if (picture != nullptr && bitmapHandle == nullptr) {
        ARGB background = hasColorKey ? toOpaqueArgb(colorKey) : opaque;
        HBITMAP made = nullptr;
        if (GdipCreateHBITMAPFromBitmap(picture, &made, background) == Ok)
            bitmapHandle = made;
    }
    return bitmapHandle;
}

void WBitmap::toDevice(HDC dc, int x, int y) const
{
    if (picture == nullptr)
        return;
    // Explicit size: GDI+ would otherwise scale by the picture's resolution.
    OwnedGraphics graphics = graphicsOn(dc);
    if (graphics)
        GdipDrawImageRectI(graphics.get(), picture, x, y, getWidth(), getHeight());
}

void WBitmap::toDevice(HDC dc, const RECT& source, const RECT& target) const
{
    if (picture == nullptr)
        return;
    OwnedGraphics graphics = graphicsOn(dc);
    if (!graphics)
        return;
    GdipSetInterpolationMode(graphics.get(), InterpolationModeHighQuality);
    GdipDrawImageRectRectI(graphics.get(), picture, target.left, target.top,
                           target.right - target.left, target.bottom - target.top, source.left,
                           source.top, source.right - source.left, source.bottom - source.top,
                           UnitPixel, nullptr, nullptr, nullptr);
}

void WBitmap::toDevice(HDC dc, const POINT* points, int count, bool smooth) const
{
    if (picture == nullptr || (count != 3 && count != 4))
        return;
    OwnedGraphics graphics = graphicsOn(dc);
    if (!graphics)
        return;
    GdipSetInterpolationMode(graphics.get(), smooth ? InterpolationModeHighQuality
                                                    : InterpolationModeNearestNeighbor);
    // GDI+ takes the three corners only; a fourth is implied by them.
    GpPoint corners[3];
    for (int i = 0; i < 3; ++i) {
        corners[i].X = points[i].x;
        corners[i].Y = points[i].y;
    }
    GdipDrawImagePointsI(graphics.get(), picture, corners, 3);
}

void WBitmap::resample(unsigned long width, unsigned long height)
{
    PixelFormat format = 0;
    if (picture == nullptr || GdipGetImagePixelFormat(picture, &format) != Ok)
        return;
    GpBitmap* made = nullptr;
    if (GdipCreateBitmapFromScan0(width, height, 0, format, nullptr, &made) != Ok ||
        made == nullptr)
        return;
    OwnedImage scaled(made);
    if ((format & PixelFormatIndexed) != 0) {
        OwnedPalette palette = readPalette(picture);
        if (palette)
            GdipSetImagePalette(scaled.get(), palette.get());
    }
    GpGraphics* context = nullptr;
    if (GdipGetImageGraphicsContext(scaled.get(), &context) != Ok || context == nullptr)
        return;
    OwnedGraphics graphics(context);
    if (GdipDrawImageRectI(graphics.get(), picture, 0, 0, width, height) != Ok)
        return;
    graphics.reset();
    dropBitmapHandle();
    GdipDisposeImage(picture);
    picture = scaled.release();
    dropAdoptedSection();
}

void WBitmap::save(const char* name, unsigned long quality) const
{
    WString extension;
    WSystem::extractFileExtension(name, extension);
    extension.toLowerCase();
    bool jpeg = extension.equals("jpg");
    if (!jpeg && !extension.equals("gif"))
        throw WBitmapException("Bitmap format is not supported for saving!");
    if (picture == nullptr)
        throw WBitmapException("Error while saving image!");

    ULONG qualityValue = quality;
    EncoderParameters parameters;
    parameters.Count = 1;
    parameters.Parameter[0].Guid = encoderQuality;
    parameters.Parameter[0].NumberOfValues = 1;
    parameters.Parameter[0].Type = EncoderParameterValueTypeLong;
    parameters.Parameter[0].Value = &qualityValue;

    // GIF holds at most 256 colours; a picture with more is reduced to the
    // halftone palette first, since not every platform encoder does it.
    GpBitmap* source = picture;
    OwnedImage reduced;
    PixelFormat format = 0;
    if (!jpeg && GdipGetImagePixelFormat(picture, &format) == Ok &&
        (format & PixelFormatIndexed) == 0) {
        GpBitmap* made = nullptr;
        if (GdipCloneBitmapAreaI(0, 0, getWidth(), getHeight(), PixelFormat8bppIndexed, picture,
                                 &made) == Ok &&
            made != nullptr) {
            reduced.reset(made);
            source = made;
        }
    }

    WFileStream file;
    file.getFile().create(name, false);
    Status status = jpeg ? GdipSaveImageToStream(source, &file, &WImageCodecs::getJpegEncoder(),
                                                 &parameters)
                         : GdipSaveImageToStream(source, &file, &WImageCodecs::getGifEncoder(),
                                                 nullptr);
    if (status != Ok) {
        // No half-written picture is left behind.
        file.getFile().close();
        wchar_t wide[MAX_PATH + 1];
        if (WUnicode::toWide(name, wide, MAX_PATH + 1))
            DeleteFileW(wide);
        throw WBitmapException("Error while saving image!");
    }
}

void WBitmap::readProperties()
{
    frameCount = 1;
    UINT dimensions = 0;
    if (GdipImageGetFrameDimensionsCount(picture, &dimensions) == Ok && dimensions > 0) {
        auto list = allocArray<GUID>(dimensions);
        UINT count = 0;
        if (GdipImageGetFrameDimensionsList(picture, list.get(), dimensions) == Ok &&
            GdipImageGetFrameCount(picture, list.get(), &count) == Ok && count > 0)
            frameCount = count;
        UINT size = 0;
        if (GdipGetPropertyItemSize(picture, frameDelayTag, &size) == Ok && size > 0) {
            frameDelays = static_cast<PropertyItem*>(WMemory::allocMemory(size));
            if (GdipGetPropertyItem(picture, frameDelayTag, size, frameDelays) != Ok) {
                WMemory::freeMemory(frameDelays);
                frameDelays = nullptr;
            }
        }
    }

    UINT flags = 0;
    if (GdipGetImageFlags(picture, &flags) != Ok || (flags & hasAlphaFlag) == 0)
        return;
    OwnedPalette palette = readPalette(picture);
    if (!palette)
        return;
    for (UINT i = 0; i < palette->Count; ++i) {
        if ((palette->Entries[i] >> 24) == 0) {
            colorKey = toColorRef(palette->Entries[i]);
            hasColorKey = true;
        }
    }
}

void WBitmap::dropBitmapHandle()
{
    if (bitmapHandle != nullptr) {
        DeleteObject(bitmapHandle);
        bitmapHandle = nullptr;
    }
}
