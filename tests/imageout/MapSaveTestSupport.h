#pragma once

#include <cmath>
#include <cstdint>

#include "MapTestSupport.h"
#include "WBitmap.h"

// Maps for the saving tests, drawn in the current (scratch) directory.

// January: every colour of the scale in diagonal bands, a few cells missing.
inline double bandValue(int, int row, int column)
{
    static const double anomalies[] = {-6, -4, -2, -0.7, -0.3, -0.1, 0.1, 0.5, 2, 4, 7};
    if ((row * 72 + column) % 9 == 4)
        return -99.9;
    return anomalies[(row + column) % 11];
}

// A map of the test grid with coastlines and one position (whose marker
// must never reach a saved picture).
inline void prepareMap(OrvexMap& map, int percent)
{
    writeTestGrid(bandValue);
    writeWorldmap({"0.1,0.2 0.3,0.25 0.45,0.5 0.2,0.6", "0.6,0.1 0.9,0.3 0.7,0.45"});
    map.mapType = 1;
    map.scalePercent = percent;
    map.scaleX = map.scaleY = percent / 100.0;
    loadTestMonth(map, 1);
    map.positions.add(makePosition("Hamburg", 53, 10), false);
}

// "weltkarte1.jpg": smooth stripes of many colours, 1000 x 500.
inline void writeBackgroundPicture()
{
    MapCanvas picture(1000, 500);
    std::uint32_t* pixels = const_cast<std::uint32_t*>(picture.getPixels());
    for (int y = 0; y < 500; y++)
        for (int x = 0; x < 1000; x++)
            pixels[y * 1000 + x] =
                (static_cast<std::uint32_t>(128 + 127 * std::sin(x / 37.0)) << 16) |
                (static_cast<std::uint32_t>(y / 2) << 8) | static_cast<std::uint32_t>((x + y) / 6);
    WBitmap bitmap;
    bitmap.create(picture.getBitmap(), nullptr);
    bitmap.save("weltkarte1.jpg", 90);
}
