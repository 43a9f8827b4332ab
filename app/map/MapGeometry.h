#pragma once

// The arithmetic of the map picture, free of any window or device context:
// the layout at a scale, the flat and the orthographic mappings and the
// visibility test. The map uses truncated values of pi throughout; they are
// part of its behaviour (pixels depend on them) and must not be "improved".

#include <cmath>

namespace MapConstants {
constexpr double pi = 3.14159265;
constexpr double halfPi = 1.570796325;
constexpr double twoPi = 6.2831853;
constexpr double oneOverTwoPi = 0.15915494327375637;
constexpr double oneOverPi = 0.31830988654751274;
constexpr double twoOverPi = 0.6366197723675814;
constexpr double pixelsPerDegree = 2.7777777777777777;
constexpr double degreesPerPixel = 0.36;
constexpr double degreesPerMinute = 0.016666666666666666;
// Degrees * 60 + minutes to radians.
constexpr double latitudeMinutesFactor = 0.00018518518518518518;
constexpr double longitudeMinutesFactor = 9.259259259259259e-05;
// Whole degrees to radians in the grid-line loops.
constexpr double longitudeDegreeFactor = 0.005555555555555556;
constexpr double latitudeDegreeFactor = 0.011111111111111112;
}

// Rounds half away from zero to a whole number: WSystem::round(value, 0)
// step for step (times 10, plus or minus 5, truncated tenth), written out so
// that the pixel loops can inline it.
inline int roundToInt(double value)
{
    double t = value * 10;
    t = value >= 0 ? t + 5 : t - 5;
    return static_cast<int>(std::trunc(t / 10));
}

// The geometry of one map picture at scale s and border factor b: a border
// of 30 * b left and top, the map area of round(1000 s) x round(500 s) and
// a band of 80 * b below it for the legend.
struct MapLayout {
    MapLayout(double scale, double borderFactor);

    int border;        // left and top edge of the map area
    int mapWidth;      // round(1000 s)
    int mapHeight;     // round(500 s)
    int pictureWidth;  // round(1000 s + 60 b)
    int pictureHeight; // round(500 s + 110 b)
    int centreX;       // middle of the map area
    int centreY;
    double globeRadius;   // 250 s, for the formulas
    int globePixelRadius; // round(250 s), for the pixel loops
};

// Flat (equirectangular) pixel of a place in decimal degrees. The term
// 30 * b is added inside the rounding only for picture coordinates.
int flatPixelX(double longitude, double scale, double borderFactor, bool withBorder);
int flatPixelY(double latitude, double scale, double borderFactor, bool withBorder);

// The equirectangular pixel of a place in a picture of width x height: the
// column wrapped into the picture, the row possibly outside it (then the
// pixel reads as black).
void equirectangularPixel(double lon, double lat, long long width, long long height,
                          long long& column, long long& row);

// The globe as seen from above its centre of view, drawn about a centre
// pixel with radius 250 * scale. Angles are radians.
class OrthographicView {
public:
    OrthographicView(double centreLon, double centreLat, int centreX, int centreY, double scale);

    // True when the point lies on the visible side; a point exactly 90
    // degrees from the centre is hidden.
    bool isVisible(double lon, double lat) const;
    // Forward mapping; no visibility test.
    void project(double lon, double lat, int& x, int& y) const;
    // Inverse mapping of one pixel without the quadrant repair: false
    // (outputs untouched) when the pixel is not on the globe. The longitude
    // lies within centreLon +- pi/2 (the one-argument arctangent).
    bool unproject(int x, int y, double& lon, double& lat) const;
    // The inverse of the two pixels (centreX - d, y) and (centreX + d, y),
    // d >= 0, at once: the same numbers as unproject gives for each, with
    // everything but the last arctangent computed once.
    bool unprojectMirrored(int d, int y, double& westLon, double& eastLon, double& lat) const;

private:
    double centreLon;
    double centreLat;
    double sinCentreLat;
    double cosCentreLat;
    int centreX;
    int centreY;
    double scale;
};

// The quadrant repair for a pixel whose own inverse is (lon, lat), given the
// inverses of the pixels above and below it (0.0 for one off the globe).
// Returns the repaired longitude; the latitude stays.
double repairLongitude(double lon, double lat, double aboveLon, double aboveLat, double belowLon,
                       double belowLat, bool belowOnGlobe);
