#include "NearestColourIndex.h"

#include <algorithm>

namespace {

// Squared distances from a palette colour to the nearest and to the farthest
// colour of the cube [low, low + size - 1] along one channel.
inline void axisDistances(int value, int low, int size, int& nearest, int& farthest)
{
    int high = low + size - 1;
    int d = value < low ? low - value : (value > high ? value - high : 0);
    int span = std::max(value > low ? value - low : low - value,
                        value > high ? value - high : high - value);
    nearest = d * d;
    farthest = span * span;
}

}

NearestColourIndex::NearestColourIndex(const RGBQUAD* palette, unsigned int count)
    : entries(palette, palette + std::min(count, 256u)),
      cells(CELLS_PER_AXIS * CELLS_PER_AXIS * CELLS_PER_AXIS, Cell{NOT_LISTED, 0})
{
}

const NearestColourIndex::Cell& NearestColourIndex::cellFor(int red, int green, int blue)
{
    int r = red >> CELL_BITS, g = green >> CELL_BITS, b = blue >> CELL_BITS;
    Cell& cell = cells[(r * CELLS_PER_AXIS + g) * CELLS_PER_AXIS + b];
    if (cell.first != NOT_LISTED)
        return cell;

    const int size = 1 << CELL_BITS;
    int nearest[256];
    int bestFarthest = 0x7FFFFFFF;
    for (size_t i = 0; i < entries.size(); i++) {
        int nr, fr, ng, fg, nb, fb;
        axisDistances(entries[i].rgbRed, r * size, size, nr, fr);
        axisDistances(entries[i].rgbGreen, g * size, size, ng, fg);
        axisDistances(entries[i].rgbBlue, b * size, size, nb, fb);
        nearest[i] = nr + ng + nb;
        bestFarthest = std::min(bestFarthest, fr + fg + fb);
    }
    cell.first = static_cast<uint32_t>(candidates.size());
    for (size_t i = 0; i < entries.size(); i++) {
        if (nearest[i] <= bestFarthest)
            candidates.push_back(static_cast<uint8_t>(i));
    }
    cell.count = static_cast<uint32_t>(candidates.size()) - cell.first;
    return cell;
}

int NearestColourIndex::find(BYTE red, BYTE green, BYTE blue)
{
    if (entries.empty())
        return 0;
    const Cell& cell = cellFor(red, green, blue);
    const uint8_t* index = candidates.data() + cell.first;
    int best = 200000;
    int found = 0;
    for (uint32_t k = 0; k < cell.count; k++) {
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
