#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Finds the palette entry nearest to a colour exactly as a scan of all
// entries in index order does: the smallest squared distance over blue,
// green and red, ties to the lower index. Colour space is cut into cubes of
// 8 x 8 x 8 colours; for each cube met the entries that can be nearest to
// some colour inside it are listed once (an entry whose closest point of the
// cube is farther than the farthest point of the best-placed entry cannot),
// and only those are scanned, in index order.
class NearestColourIndex {
public:
    // count may be 0; find then answers 0.
    NearestColourIndex(const RGBQUAD* palette, unsigned int count);
    NearestColourIndex(const NearestColourIndex&) = delete;
    NearestColourIndex& operator=(const NearestColourIndex&) = delete;

    int find(BYTE red, BYTE green, BYTE blue);

private:
    static constexpr int CELL_BITS = 3;
    static constexpr int CELLS_PER_AXIS = 256 >> CELL_BITS;
    static constexpr uint32_t NOT_LISTED = 0xFFFFFFFFu;

    struct Cell {
        uint32_t first;
        uint32_t count;
    };

    const Cell& cellFor(int red, int green, int blue);

    std::vector<RGBQUAD> entries;
    std::vector<Cell> cells;
    std::vector<uint8_t> candidates;
};
