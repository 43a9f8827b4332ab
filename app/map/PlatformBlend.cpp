#include "PlatformBlend.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "GdiPlusHandles.h"
#include "MapCanvas.h"
#include "WGdiSelection.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {
const int rowsPerColour = 3;
const int probeWidth = 256;
const int probeHeight = rowsPerColour * anomalyColourCount;

std::uint32_t bytes(int top, int red, int green, int blue)
{
    return (static_cast<std::uint32_t>(top & 0xFF) << 24) |
           (static_cast<std::uint32_t>(red & 0xFF) << 16) |
           (static_cast<std::uint32_t>(green & 0xFF) << 8) |
           static_cast<std::uint32_t>(blue & 0xFF);
}

// Row 0 is grey, every byte the same value, and gives the table. In rows 1
// and 2 each byte runs through all values in its own order (an odd factor
// modulo 256 leaves none out), so that a byte whose result depends on
// another byte shows.
std::uint32_t probePixel(int row, int v)
{
    switch (row) {
    case 0: return bytes(v, v, v, v);
    case 1: return bytes(v * 89 + 17, 255 - v, v * 151 + 101, v * 43 + 7);
    default: return bytes(255 - v, v * 197 + 3, v * 13 + 200, v * 89 + 17);
    }
}

// The probe rows before and after GDI+ filled them, as 32-bit top-down
// pixels, on one kind of surface.
class Probe {
public:
    explicit Probe(bool onScreenBitmap) : before(probeWidth * probeHeight), after(before.size())
    {
        for (int y = 0; y < probeHeight; ++y)
            for (int x = 0; x < probeWidth; ++x)
                before[y * probeWidth + x] = probePixel(y % rowsPerColour, x);
        if (onScreenBitmap)
            drawOnScreenBitmap();
        else
            drawOnDibSection();
    }

    int getDepth() const { return depth; }

    BlendTable table() const
    {
        BlendTable table;
        for (int colour = 0; colour < anomalyColourCount; ++colour)
            for (int v = 0; v < probeWidth; ++v) {
                std::uint32_t pixel = after[colour * rowsPerColour * probeWidth + v];
                for (int byte = 0; byte < 4; ++byte)
                    table.set(colour, byte, v, static_cast<unsigned char>(pixel >> (8 * byte)));
            }
        return table;
    }

    // True when the table gives every probe pixel in the bits of mask.
    bool follows(const BlendTable& table, std::uint32_t mask) const
    {
        if (!drawn)
            return false;
        for (int y = 0; y < probeHeight; ++y)
            for (int x = 0; x < probeWidth; ++x) {
                int i = y * probeWidth + x;
                if (((table.blend(y / rowsPerColour, before[i]) ^ after[i]) & mask) != 0)
                    return false;
            }
        return true;
    }

private:
    // One fill per colour over its rows, as the renderers fill a cell.
    bool fill(HDC dc)
    {
        GdiPlusGraphics graphics = gdiPlusGraphicsOn(dc);
        if (!graphics)
            return false;
        for (int colour = 0; colour < anomalyColourCount; ++colour) {
            GpSolidFill* brush = nullptr;
            if (GdipCreateSolidFill(gdiPlusColour(cellAlpha, anomalyColours[colour].colour),
                                    &brush) != Ok)
                return false;
            GdiPlusBrush owned(brush);
            if (GdipFillRectangleI(graphics.get(), brush, 0, colour * rowsPerColour, probeWidth,
                                   rowsPerColour) != Ok)
                return false;
        }
        return true;
    }

    void drawOnDibSection()
    {
        MapCanvas canvas(probeWidth, probeHeight);
        std::uint32_t* pixels = canvas.getPixels();
        std::copy(before.begin(), before.end(), pixels);
        drawn = fill(canvas.getDC());
        pixels = canvas.getPixels();
        std::copy(pixels, pixels + after.size(), after.begin());
        depth = 32;
    }

    void drawOnScreenBitmap()
    {
        HDC screen = GetDC(nullptr);
        GdiObject bitmap(CreateCompatibleBitmap(screen, probeWidth, probeHeight));
        HDC memory = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        BITMAP shape;
        if (memory == nullptr || GetObject(bitmap, sizeof shape, &shape) != sizeof shape) {
            if (memory != nullptr)
                DeleteDC(memory);
            return;
        }
        depth = shape.bmBitsPixel;
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = probeWidth;
        info.bmiHeader.biHeight = -probeHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        HBITMAP handle = static_cast<HBITMAP>(static_cast<HGDIOBJ>(bitmap));
        drawn = SetDIBits(memory, handle, 0, probeHeight, before.data(), &info, DIB_RGB_COLORS) ==
                probeHeight;
        if (drawn) {
            WGdiSelection selected(memory, bitmap);
            drawn = fill(memory);
        }
        drawn = drawn && GetDIBits(memory, handle, 0, probeHeight, after.data(), &info,
                                   DIB_RGB_COLORS) == probeHeight;
        DeleteDC(memory);
    }

    std::vector<std::uint32_t> before;
    std::vector<std::uint32_t> after;
    bool drawn = false;
    int depth = 0;
};
}

PlatformBlend::PlatformBlend(const BlendTable& dibSection, const BlendTable& screenBitmap,
                             int screenDepth)
    : given(true), dib(dibSection), screen(screenBitmap), depth(screenDepth)
{
}

const BlendTable& PlatformBlend::dibSection()
{
    learn();
    return dib;
}

const BlendTable& PlatformBlend::screenBitmap()
{
    learn();
    return screen;
}

bool PlatformBlend::dibSectionHolds()
{
    learn();
    return dibHolds;
}

bool PlatformBlend::screenBitmapHolds()
{
    learn();
    return screenHolds;
}

bool PlatformBlend::screenIs32Bit()
{
    learn();
    return depth == 32;
}

void PlatformBlend::learn()
{
    if (learnt)
        return;
    learnt = true;
    Probe onDibSection(false);
    Probe onScreenBitmap(true);
    if (!given) {
        dib = onDibSection.table();
        screen = onScreenBitmap.table();
        depth = onScreenBitmap.getDepth();
    }
    // The picture keeps the top byte; the globe reads only colours from its
    // data layer.
    dibHolds = onDibSection.follows(dib, 0xFFFFFFFF);
    screenHolds = onScreenBitmap.follows(screen, 0x00FFFFFF);
}
