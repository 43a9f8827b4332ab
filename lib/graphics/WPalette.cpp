#include "WPalette.h"

#include <cstring>

#include "WException.h"
#include "WMemory.h"

WPalette::WPalette() : colorDepth(0), block(nullptr), palette(nullptr) {}

WPalette::WPalette(const WPalette& other) : colorDepth(0), block(nullptr), palette(nullptr)
{
    *this = other;
}

WPalette& WPalette::operator=(const WPalette& other)
{
    if (this == &other)
        return *this;
    close();
    colorDepth = other.colorDepth;
    if (other.block != nullptr) {
        allocate(other.block->palNumEntries, other.colorDepth);
        std::memcpy(block->palPalEntry, other.block->palPalEntry,
                    other.block->palNumEntries * sizeof(PALETTEENTRY));
        makePalette();
    }
    return *this;
}

WPalette::~WPalette()
{
    close();
}

void WPalette::create(unsigned long count, unsigned long bits)
{
    close();
    allocate(count, bits);
    makePalette();
}

void WPalette::create(const RGBQUAD* colours, unsigned long count, unsigned long bits)
{
    close();
    allocate(count, bits);
    for (unsigned long i = 0; i < count; ++i) {
        PALETTEENTRY& entry = block->palPalEntry[i];
        entry.peRed = colours[i].rgbRed;
        entry.peGreen = colours[i].rgbGreen;
        entry.peBlue = colours[i].rgbBlue;
    }
    makePalette();
}

void WPalette::close()
{
    if (palette != nullptr) {
        DeleteObject(palette);
        palette = nullptr;
    }
    if (block != nullptr) {
        WMemory::freeMemory(block);
        block = nullptr;
    }
    colorDepth = 0;
}

unsigned long WPalette::getColorCount() const
{
    return block == nullptr ? 0 : block->palNumEntries;
}

void WPalette::setColor(unsigned long index, const RGBQUAD& colour)
{
    checkIndex(index);
    PALETTEENTRY entry = {colour.rgbRed, colour.rgbGreen, colour.rgbBlue, 0};
    if (SetPaletteEntries(palette, index, 1, &entry) == 1)
        block->palPalEntry[index] = entry;
}

void WPalette::getColor(unsigned long index, RGBQUAD& colour) const
{
    checkIndex(index);
    PALETTEENTRY entry;
    if (GetPaletteEntries(palette, index, 1, &entry) != 1)
        return;
    colour.rgbRed = entry.peRed;
    colour.rgbGreen = entry.peGreen;
    colour.rgbBlue = entry.peBlue;
}

WPalette::operator const PALETTEENTRY*() const
{
    return block == nullptr ? nullptr : block->palPalEntry;
}

// A zeroed block of count entries; validates the arguments first.
void WPalette::allocate(unsigned long count, unsigned long bits)
{
    if (bits >= 9)
        throw WPaletteException("Invalid color deept.");
    if (count > 256)
        throw WPaletteException("To many colors.");
    unsigned long size = sizeof(LOGPALETTE) + (count > 0 ? count - 1 : 0) * sizeof(PALETTEENTRY);
    block = static_cast<LOGPALETTE*>(WMemory::allocMemory(size));
    std::memset(block, 0, size);
    block->palVersion = 0x300;
    block->palNumEntries = static_cast<WORD>(count);
    colorDepth = bits;
}

void WPalette::makePalette()
{
    palette = CreatePalette(block);
    if (palette == nullptr) {
        WPaletteException failure("Cannot create palette.");
        close();
        throw failure;
    }
}

void WPalette::checkIndex(unsigned long index) const
{
    if (palette == nullptr || index >= block->palNumEntries)
        throw WPaletteException("Invalid palette index.");
}
