#include "MapCanvas.h"

#include "WException.h"

MapCanvas::MapCanvas(int width, int height)
    : width(width), height(height), bits(nullptr), bitmap(nullptr), dc(nullptr), previous(nullptr)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    if (bitmap == nullptr || dc == nullptr) {
        if (dc != nullptr)
            DeleteDC(dc);
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        throw WException("Cannot create map canvas.", -2);
    }
    bits = static_cast<std::uint32_t*>(pixels);
    previous = SelectObject(dc, bitmap);
}

MapCanvas::~MapCanvas()
{
    SelectObject(dc, previous);
    DeleteDC(dc);
    if (bitmap != nullptr)
        DeleteObject(bitmap);
}

HBITMAP MapCanvas::release()
{
    GdiFlush();
    SelectObject(dc, previous);
    HBITMAP picture = bitmap;
    bitmap = nullptr;
    bits = nullptr;
    return picture;
}

const std::uint32_t* MapCanvas::getPixels() const
{
    GdiFlush();
    return bits;
}

std::uint32_t* MapCanvas::getPixels()
{
    GdiFlush();
    return bits;
}

COLORREF MapCanvas::getPixel(int x, int y) const
{
    std::uint32_t pixel = getPixels()[static_cast<long>(y) * width + x];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}
