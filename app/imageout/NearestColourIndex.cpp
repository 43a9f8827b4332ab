#include "NearestColourIndex.h"

#include <algorithm>

namespace {

constexpr int LARGE_BITS = 5;
constexpr int SMALL_BITS = 3;

// Squared distances along one channel from an entry's value to the nearest
// and to the farthest value of the cube side [low, low + size - 1].
inline void axisDistances(int value, int low, int size, int& nearest, int& farthest)
{
    int high = low + size - 1;
    int inside = value < low ? low - value : (value > high ? value - high : 0);
    int span = std::max(value > low ? value - low : low - value,
                        value > high ? value - high : high - value);
    nearest = inside * inside;
    farthest = span * span;
}

}

NearestColourIndex::NearestColourIndex(const RGBQUAD* palette, unsigned int count)
    : entries(palette, palette + std::min(count, 256u)),
      largeCubes(1u << (3 * (8 - LARGE_BITS)), Cube{NOT_LISTED, 0}),
      smallCubes(1u << (3 * (8 - SMALL_BITS)), Cube{NOT_LISTED, 0}), memoColour(1u << MEMO_BITS, 0),
      memoIndex(1u << MEMO_BITS, 0)
{
    for (size_t i = 0; i < entries.size(); i++)
        everyEntry.push_back(static_cast<uint8_t>(i));
}

const NearestColourIndex::Cube& NearestColourIndex::listed(std::vector<Cube>& cubes, int cubeBits,
                                                           int red, int green, int blue,
                                                           const std::vector<uint8_t>& source,
                                                           uint32_t first, uint32_t count)
{
    const int perAxis = 256 >> cubeBits;
    const int r = red >> cubeBits, g = green >> cubeBits, b = blue >> cubeBits;
    Cube& cube = cubes[(r * perAxis + g) * perAxis + b];
    if (cube.first != NOT_LISTED)
        return cube;

    const int size = 1 << cubeBits;
    int nearest[256];
    int bestFarthest = 0x7FFFFFFF;
    for (uint32_t k = 0; k < count; k++) {
        const RGBQUAD& e = entries[source[first + k]];
        int nr, fr, ng, fg, nb, fb;
        axisDistances(e.rgbRed, r * size, size, nr, fr);
        axisDistances(e.rgbGreen, g * size, size, ng, fg);
        axisDistances(e.rgbBlue, b * size, size, nb, fb);
        nearest[k] = nr + ng + nb;
        bestFarthest = std::min(bestFarthest, fr + fg + fb);
    }
    // source may be candidates itself, which grows here: read by position.
    const uint32_t listStart = static_cast<uint32_t>(candidates.size());
    for (uint32_t k = 0; k < count; k++) {
        if (nearest[k] <= bestFarthest)
            candidates.push_back(source[first + k]);
    }
    cube.first = listStart;
    cube.count = static_cast<uint32_t>(candidates.size()) - listStart;
    return cube;
}

int NearestColourIndex::scan(const Cube& cube, BYTE red, BYTE green, BYTE blue) const
{
    const uint8_t* index = candidates.data() + cube.first;
    int best = 200000;
    int found = 0;
    for (uint32_t k = 0; k < cube.count; k++) {
        const RGBQUAD& e = entries[index[k]];
        int db = e.rgbBlue - blue, dg = e.rgbGreen - green, dr = e.rgbRed - red;
        int d = db * db + dg * dg + dr * dr;
        if (d < best) {
            best = d;
            found = index[k];
            if (d == 0)
                break;
        }
    }
    return found;
}

int NearestColourIndex::find(BYTE red, BYTE green, BYTE blue)
{
    if (entries.empty())
        return 0;
    const uint32_t colour = 0x1000000u | (red << 16) | (green << 8) | blue;
    const uint32_t slot = (colour * 2654435761u) >> (32 - MEMO_BITS);
    if (memoColour[slot] == colour)
        return memoIndex[slot];

    const Cube& large = listed(largeCubes, LARGE_BITS, red, green, blue, everyEntry, 0,
                               static_cast<uint32_t>(everyEntry.size()));
    const Cube& small =
        listed(smallCubes, SMALL_BITS, red, green, blue, candidates, large.first, large.count);
    int index = scan(small, red, green, blue);
    memoColour[slot] = colour;
    memoIndex[slot] = static_cast<uint8_t>(index);
    return index;
}
