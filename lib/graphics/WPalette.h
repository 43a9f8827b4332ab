#pragma once

#include <windows.h>

#include "WExport.h"

// Owner of a GDI logical palette and of the block it was made from. Copies
// duplicate the block and make a palette of their own. Failures are
// WPaletteException.
class QUARN2_API WPalette {
public:
    WPalette();
    WPalette(const WPalette& other);
    WPalette& operator=(const WPalette& other);
    virtual ~WPalette();

    // count zeroed entries for a picture of bits per pixel (at most 8).
    void create(unsigned long count, unsigned long bits);
    // Entries from the colours' red, green and blue, flags 0.
    void create(const RGBQUAD* colours, unsigned long count, unsigned long bits);
    void close();

    unsigned long getColorCount() const;
    unsigned long getBPP() const { return colorDepth; }
    void setColor(unsigned long index, const RGBQUAD& colour);
    // Leaves the reserved byte alone; colour stays unchanged when the system
    // call fails.
    void getColor(unsigned long index, RGBQUAD& colour) const;

    operator HPALETTE() const { return palette; }
    operator const PALETTEENTRY*() const;

private:
    void allocate(unsigned long count, unsigned long bits);
    void makePalette();
    void checkIndex(unsigned long index) const;

    unsigned long colorDepth;
    LOGPALETTE* block;
    HPALETTE palette;
};
