#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>

class NearestColourIndex;

// A device-independent bitmap of 1, 4, 8 or 24 bits per pixel held in one
// heap block laid out as a packed DIB: BITMAPINFOHEADER, the palette (blue,
// green, red, reserved), then the pixel rows, bottom row first, each padded
// to a multiple of 4 bytes. Row 0 is the bottom line of the picture.
//
// Failures are reported as false results with a text in getLastError(), not
// as exceptions: the image is used on the worker, and callers decide what to
// show.
class DibImage {
public:
    enum ImageFormat { FORMAT_BMP = 0, FORMAT_GIF = 1 };

    DibImage();
    DibImage(const DibImage&) = delete;
    DibImage& operator=(const DibImage&) = delete;
    ~DibImage();

    // Frees the old block and makes an image of the size with the bit count
    // raised to 1, 4, 8 or 24. Palette and pixels start zeroed. False (and
    // an empty image) for a negative size or when the block cannot be had.
    bool create(int width, int height, int bits);
    // Copies a GDI bitmap: palette bitmaps keep their depth and colour table,
    // deeper ones become 24-bit images. False with "GetDIBits failed" when
    // the conversion fails.
    bool createFromBitmap(HBITMAP bitmap);
    void clear();

    bool isEmpty() const { return block == nullptr; }
    int getWidth() const { return header.biWidth; }
    int getHeight() const { return header.biHeight; }
    int getBitCount() const { return header.biBitCount; }
    unsigned int getClrUsed() const { return header.biClrUsed; }
    unsigned int getClrImportant() const { return header.biClrImportant; }
    unsigned int getStride() const { return stride; }
    // The packed DIB (header, palette, rows) as one block; null when empty.
    const BITMAPINFOHEADER* getPackedDib() const
    {
        return reinterpret_cast<const BITMAPINFOHEADER*>(block);
    }
    const unsigned char* getRow(int y) const { return pixels + static_cast<size_t>(y) * stride; }
    const RGBQUAD* getPalette() const { return palette; }

    // Palette images only; outside the picture the background index (or 0).
    int getPixelIndex(int x, int y) const;
    void setPixelIndex(int x, int y, int index);
    // Palette colour of the pixel, or the stored colour of a 24-bit image;
    // outside the picture the background index's colour, else black.
    RGBQUAD getPixelColor(int x, int y) const;
    // Palette images store the nearest palette entry.
    void setPixelColor(int x, int y, RGBQUAD colour);
    // The palette entry nearest to the colour (squared distance, ties to the
    // lower index) among the first clrImportant entries, or all when that is
    // 0; 0 without palette.
    int nearestIndex(RGBQUAD colour) const;

    void setPaletteColor(unsigned int index, BYTE red, BYTE green, BYTE blue);
    void setPalette(const RGBQUAD* table, unsigned int count);
    // 0 or more than 256 means "all entries"; limited to the palette size.
    void setClrImportant(unsigned int count);

    // Takes over other's block and settings; other becomes empty.
    void transfer(DibImage& other);

    // Redraws the image with bits per pixel and the given palette, nearest
    // colour per pixel, optionally spreading each pixel's colour error onto
    // its right and upper neighbours (weights 7, 2, 4, 1 of 16).
    bool reduceColours(int bits, bool errorDiffusion, const RGBQUAD* table, unsigned int important);

    // -1: no background index; otherwise written as the GIF's transparent index.
    int getBackgroundIndex() const { return backgroundIndex; }
    void setBackgroundIndex(int index) { backgroundIndex = index; }
    unsigned short getFrameDelay() const { return frameDelay; }
    void setFrameDelay(unsigned short delay) { frameDelay = delay; }

    // name is UTF-8. The file is written beside it and moved over it when
    // complete: a failure leaves no file and an old one as it was.
    bool save(const char* name, int format);
    bool encode(FILE* file, int format);

    const char* getLastError() const { return lastError; }
    void setLastError(const char* message);

private:
    // A view shares source's block and settings without owning the block;
    // the writers work on one and leave their messages in it.
    enum ViewTag { VIEW };
    DibImage(const DibImage& source, ViewTag);

    void resetFields();
    void storeHeader();
    unsigned char* rowAt(int y) { return pixels + static_cast<size_t>(y) * stride; }
    bool inside(int x, int y) const
    {
        return block != nullptr && x >= 0 && y >= 0 && x < header.biWidth && y < header.biHeight;
    }
    void paletteChanged();
    void reduceTrueColour(DibImage& target, bool errorDiffusion);
    void reducePaletteColours(DibImage& target, bool errorDiffusion);

    BITMAPINFOHEADER header;
    unsigned char* block;
    RGBQUAD* palette;
    unsigned char* pixels;
    unsigned int stride;
    int backgroundIndex;
    unsigned short frameDelay;
    bool isView;
    char lastError[256];
    // Built on the first nearestIndex after a palette change.
    mutable std::unique_ptr<NearestColourIndex> nearest;
};
