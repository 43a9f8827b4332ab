#pragma once

#include "BlendTable.h"

// What the fast path may assume of this platform's half-transparent cells,
// learnt on first use: the blend tables on the two kinds of surface the map
// blends on (the picture's 32-bit DIB section and the globe's data layer, a
// bitmap compatible with the screen) and the depth of the latter. Each table
// is checked against GDI+ itself: every scale colour is filled at alpha 128
// over rows holding every value in every byte, in three different orders of
// the bytes, and the table must give every resulting pixel. A platform whose
// result on one byte depends on the others, or that fails to draw, fails the
// check, and the map is then drawn the straightforward way.
class PlatformBlend {
public:
    // Measures this platform.
    PlatformBlend() = default;
    // Stands for a platform that blends as the tables say and whose screen
    // has the given bits per pixel; the tables are checked against this
    // platform as measured ones are.
    PlatformBlend(const BlendTable& dibSection, const BlendTable& screenBitmap, int screenDepth);

    const BlendTable& dibSection();
    const BlendTable& screenBitmap();
    // True when this platform blends as the table says.
    bool dibSectionHolds();
    bool screenBitmapHolds();
    // True when bitmaps compatible with the screen hold 32 bits per pixel.
    bool screenIs32Bit();

private:
    void learn();

    bool given = false;
    bool learnt = false;
    BlendTable dib;
    BlendTable screen;
    int depth = 0;
    bool dibHolds = false;
    bool screenHolds = false;
};
