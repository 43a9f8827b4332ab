#pragma once

#include <cstdint>

#include "ColourScale.h"

// How a GDI+ fill with one of the scale's colours at alpha 128 comes out on
// the pixels of a 32-bit surface, byte by byte: each byte of a pixel (0 the
// lowest, blue; 3 the top byte) becomes the table's entry for that colour,
// that byte and its old value. GDI+ versions and kinds of surface round
// differently, so the entries are measured at run time (PlatformBlend).
class BlendTable {
public:
    // Every entry 0.
    BlendTable() : results{} {}

    unsigned char get(int colour, int byte, int value) const
    {
        return results[colour][byte][value];
    }
    void set(int colour, int byte, int value, unsigned char result)
    {
        results[colour][byte][value] = result;
    }
    std::uint32_t blend(int colour, std::uint32_t pixel) const
    {
        const unsigned char(&bytes)[4][256] = results[colour];
        return (static_cast<std::uint32_t>(bytes[3][pixel >> 24]) << 24) |
               (static_cast<std::uint32_t>(bytes[2][(pixel >> 16) & 0xFF]) << 16) |
               (static_cast<std::uint32_t>(bytes[1][(pixel >> 8) & 0xFF]) << 8) |
               bytes[0][pixel & 0xFF];
    }

private:
    unsigned char results[anomalyColourCount][4][256];
};
