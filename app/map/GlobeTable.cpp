#include "GlobeTable.h"

#include "MapGeometry.h"

bool GlobeTable::View::operator==(const View& other) const
{
    return centreLon == other.centreLon && centreLat == other.centreLat &&
           centreX == other.centreX && centreY == other.centreY && scale == other.scale &&
           pixelRadius == other.pixelRadius && layerWidth == other.layerWidth &&
           layerHeight == other.layerHeight && pictureWidth == other.pictureWidth &&
           pictureHeight == other.pictureHeight;
}

void GlobeTable::prepare(const View& view)
{
    if (made && view == current)
        return;
    current = view;
    build();
    made = true;
}

// Two columns at a time, mirrored about the centre column: the inverse of
// every pixel from one above the square to one below it, so that each
// pixel's repair finds its neighbours' inverses ready (0.0 for a neighbour
// off the globe).
void GlobeTable::build()
{
    pixels.clear();
    columnEnds.clear();
    OrthographicView view(current.centreLon, current.centreLat, current.centreX, current.centreY,
                          current.scale);
    const int radius = current.pixelRadius;
    const int top = current.centreY - radius;
    const int count = 2 * radius + 1;
    std::vector<double> westLons(count + 2);
    std::vector<double> eastLons(count + 2);
    std::vector<double> lats(count + 2);
    std::vector<char> onGlobe(count + 2);
    auto addColumn = [&](int x, const std::vector<double>& lons) {
        for (int i = 1; i <= count; ++i) {
            int y = top - 1 + i;
            if (!onGlobe[i] || x < 0 || x >= current.pictureWidth || y < 0 ||
                y >= current.pictureHeight)
                continue;
            double lon = repairLongitude(lons[i], lats[i], lons[i - 1], lats[i - 1], lons[i + 1],
                                         lats[i + 1], onGlobe[i + 1] != 0);
            long long column;
            long long row;
            equirectangularPixel(lon, lats[i], current.layerWidth, current.layerHeight, column,
                                 row);
            std::int32_t source = black;
            if (column >= 0 && column < current.layerWidth && row >= 0 &&
                row < current.layerHeight)
                source = static_cast<std::int32_t>(row * current.layerWidth + column);
            pixels.push_back(Pixel{x, y, source});
        }
        columnEnds.push_back(static_cast<std::uint32_t>(pixels.size()));
    };
    for (int d = 0; d <= radius; ++d) {
        for (int i = 0; i < count + 2; ++i) {
            westLons[i] = eastLons[i] = lats[i] = 0.0;
            onGlobe[i] = view.unprojectMirrored(d, top - 1 + i, westLons[i], eastLons[i], lats[i]);
        }
        addColumn(current.centreX - d, westLons);
        if (d > 0)
            addColumn(current.centreX + d, eastLons);
    }
}
