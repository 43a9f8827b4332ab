// Coastlines from "worldmap.txt": one point per line as fractions of the full
// circle, x = (lon + 180) / 360 and y = (lat + 90) / 360, a decimal point or
// comma; a line whose first number exceeds 1 lifts the pen.
#include <cstdio>

#include "GdiPlusHandles.h"
#include "OrvexMap.h"
#include "WFile.h"
#include "WGdiSelection.h"

using namespace MapConstants;

void OrvexMap::drawCoastlines(HDC dc)
{
    GdiObject pen(CreatePen(PS_SOLID, orthographic ? 2 : 1, RGB(0, 0, 0)));
    WGdiSelection selected(dc, pen);
    MapLayout picture = layout();
    double centreLon = 0;
    double centreLat = 0;
    if (orthographic)
        globeCentre(centreLon, centreLat);

    bool penUp = true;
    WFile file;
    file.open("worldmap.txt", static_cast<unsigned long>(WFile::MODE_READ));
    WString line;
    while (file.readln(line)) {
        if (line.length() == 0)
            continue;
        line.replace(',', '.');
        float x = 0;
        float y = 0;
        std::sscanf(line, "%f %f", &x, &y);
        if (x > 1.0) {
            penUp = true;
            continue;
        }
        int pixelX;
        int pixelY;
        if (orthographic) {
            double lon = x * twoPi - pi;
            double lat = y * twoPi - halfPi;
            if (!isVisibleOnGlobe(centreLon, centreLat, lon, lat)) {
                penUp = true;
                continue;
            }
            projectOrthographic(centreLon, centreLat, lon, lat, mapCentreX, mapCentreY, pixelX,
                                pixelY);
        } else {
            pixelX = roundToInt(x * scaleX * 1000) + picture.border;
            pixelY = roundToInt(500 * scaleY - y * scaleY * 1000) + picture.border;
        }
        if (penUp)
            MoveToEx(dc, pixelX, pixelY, nullptr);
        else
            LineTo(dc, pixelX, pixelY);
        penUp = false;
    }
    file.close();
}
