#pragma once

// The arithmetic of the map picture, free of any window or device context:
// the layout at a scale, the flat and the orthographic mappings and the
// visibility test. The map uses truncated values of pi throughout; they are
// part of its behaviour (pixels depend on them) and must not be "improved".

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

// Rounds half away from zero to a whole number (WSystem::round, 0 digits).
int roundToInt(double value);

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
    double globeRadius;    // 250 s, for the formulas
    int globePixelRadius;  // round(250 s), for the pixel loops
};

// Flat (equirectangular) pixel of a place in decimal degrees. The term
// 30 * b is added inside the rounding only for picture coordinates.
int flatPixelX(double longitude, double scale, double borderFactor, bool withBorder);
int flatPixelY(double latitude, double scale, double borderFactor, bool withBorder);

// True when the point (radians) lies on the visible side of a globe centred
// at (centreLon, centreLat); a point exactly 90 degrees away is hidden.
bool isVisibleOnGlobe(double centreLon, double centreLat, double lon, double lat);

// Forward orthographic mapping about the centre of view; no visibility test.
void projectOrthographicPoint(double centreLon, double centreLat, double lon, double lat,
                              int centreX, int centreY, double scale, int& x, int& y);

// Inverse orthographic mapping of one pixel without the quadrant repair:
// false (outputs untouched) when the pixel is not on the globe. The
// longitude lies within centreLon +- pi/2.
bool unprojectOrthographicPoint(int x, int y, int centreX, int centreY, double centreLon,
                                double centreLat, double scale, double& lon, double& lat);

// The quadrant repair for a pixel whose own inverse is (lon, lat), given the
// inverse of the pixel above and below (0.0 when off the globe). Returns the
// repaired longitude; the latitude stays.
double repairLongitude(double lon, double lat, double aboveLon, double aboveLat,
                       double belowLon, double belowLat, bool belowOnGlobe);
