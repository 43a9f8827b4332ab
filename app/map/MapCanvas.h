#pragma once

#include <windows.h>

#include <cstdint>

// A 32-bit top-down DIB section selected into a memory device context: the
// surface a map is rendered into off screen. Pixels are 0x00RRGGBB words,
// row after row.
class MapCanvas {
public:
    // Failure: WException "Cannot create map canvas." (id -2).
    MapCanvas(int width, int height);
    MapCanvas(const MapCanvas&) = delete;
    MapCanvas& operator=(const MapCanvas&) = delete;
    ~MapCanvas();

    HDC getDC() const { return dc; }
    HBITMAP getBitmap() const { return bitmap; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    // Flushes GDI's pending drawing first.
    const std::uint32_t* getPixels() const;
    std::uint32_t* getPixels();
    // COLORREF 0x00BBGGRR of a pixel inside the canvas.
    COLORREF getPixel(int x, int y) const;
    // Hands the DIB section over (see WBitmap::adopt), drawing finished: the
    // canvas holds no picture afterwards and is only destroyed.
    HBITMAP release();

private:
    int width;
    int height;
    std::uint32_t* bits;
    HBITMAP bitmap;
    HDC dc;
    HGDIOBJ previous;
};
