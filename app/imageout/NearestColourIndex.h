#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

// Finds the palette entry nearest to a colour exactly as a scan of all
// entries in index order does: the smallest squared distance over blue,
// green and red, ties to the lower index.
//
// Colour space is cut into cubes. For a cube, an entry can be nearest to a
// colour inside only if the cube's closest point to it is no farther than
// the farthest point of the cube from the best-placed entry; such entries
// are listed once per cube met, in index order, and only they are scanned.
// Cubes of 32 colours a side are listed from the whole palette, cubes of 8
// from the list of the large cube around them. The last colours looked up
// are remembered with their answers.
class NearestColourIndex {
public:
    // count may be 0; find then answers 0.
    NearestColourIndex(const RGBQUAD* palette, unsigned int count);
    NearestColourIndex(const NearestColourIndex&) = delete;
    NearestColourIndex& operator=(const NearestColourIndex&) = delete;

    int find(BYTE red, BYTE green, BYTE blue);

private:
    struct Cube {
        uint32_t first;
        uint32_t count;
    };
    static constexpr uint32_t NOT_LISTED = 0xFFFFFFFFu;
    static constexpr int MEMO_BITS = 12;

    // The cube of cubes holding the colour, listed from count entries of
    // source starting at first when met for the first time.
    const Cube& listed(std::vector<Cube>& cubes, int cubeBits, int red, int green, int blue,
                       const std::vector<uint8_t>& source, uint32_t first, uint32_t count);
    int scan(const Cube& cube, BYTE red, BYTE green, BYTE blue) const;

    std::vector<RGBQUAD> entries;
    std::vector<uint8_t> everyEntry;
    std::vector<Cube> largeCubes;
    std::vector<Cube> smallCubes;
    std::vector<uint8_t> candidates;
    // Colour (with bit 24 set) and answer of recent look-ups.
    std::vector<uint32_t> memoColour;
    std::vector<uint8_t> memoIndex;
};
