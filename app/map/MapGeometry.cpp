#include "MapGeometry.h"

#include <cmath>

#include "WSystem.h"

using namespace MapConstants;

int roundToInt(double value)
{
    return static_cast<int>(WSystem::round(value, 0));
}

MapLayout::MapLayout(double scale, double borderFactor)
    : border(roundToInt(30 * borderFactor)),
      mapWidth(roundToInt(1000 * scale)),
      mapHeight(roundToInt(500 * scale)),
      pictureWidth(roundToInt(1000 * scale + 60 * borderFactor)),
      pictureHeight(roundToInt(500 * scale + 110 * borderFactor)),
      centreX(border + mapWidth / 2),
      centreY(border + mapHeight / 2),
      globeRadius(250 * scale),
      globePixelRadius(roundToInt(250 * scale))
{
}

int flatPixelX(double longitude, double scale, double borderFactor, bool withBorder)
{
    double x = (longitude + 180) * pixelsPerDegree * scale;
    return roundToInt(withBorder ? x + 30 * borderFactor : x);
}

int flatPixelY(double latitude, double scale, double borderFactor, bool withBorder)
{
    double y = (90 - latitude) * pixelsPerDegree * scale;
    return roundToInt(withBorder ? y + 30 * borderFactor : y);
}

bool isVisibleOnGlobe(double centreLon, double centreLat, double lon, double lat)
{
    return std::acos(std::cos(centreLon - lon) * std::cos(lat) * std::cos(centreLat) +
                     std::sin(lat) * std::sin(centreLat)) < halfPi;
}

void projectOrthographicPoint(double centreLon, double centreLat, double lon, double lat,
                              int centreX, int centreY, double scale, int& x, int& y)
{
    double delta = lon - centreLon;
    x = centreX + roundToInt(std::sin(delta) * std::cos(lat) * scale * 250);
    y = centreY - roundToInt((std::cos(centreLat) * std::sin(lat) -
                              std::cos(delta) * std::sin(centreLat) * std::cos(lat)) *
                             scale * 250);
}

bool unprojectOrthographicPoint(int x, int y, int centreX, int centreY, double centreLon,
                                double centreLat, double scale, double& lon, double& lat)
{
    int dx = x - centreX;
    int dy = y - centreY;
    double radius = 250 * scale;
    double r = std::sqrt(static_cast<double>(dx * dx + dy * dy));
    if (!(r < radius))
        return false;
    double px = dx / radius;
    double py = (centreY - y) / radius;
    double rho;
    double c;
    if (x == centreX && y == centreY) {
        rho = 0.0001;
        c = 0;
    } else {
        rho = std::sqrt(px * px + py * py);
        c = std::asin(rho);
    }
    double sinC = std::sin(c);
    double cosC = std::cos(c);
    double sinCentreLat = std::sin(centreLat);
    double cosCentreLat = std::cos(centreLat);
    lat = std::asin(cosCentreLat * sinC * py / rho + sinCentreLat * cosC);
    lon = centreLon + std::atan(sinC * px / (cosC * cosCentreLat * rho - sinCentreLat * sinC * py));
    return true;
}

double repairLongitude(double lon, double lat, double aboveLon, double aboveLat,
                       double belowLon, double belowLat, bool belowOnGlobe)
{
    if (!belowOnGlobe)
        return lon;
    // Latitude rising downward means the pixel lies beyond a visible pole.
    if (aboveLat < lat && belowLat > lat)
        return lon + pi;
    if (aboveLat < lat)
        return aboveLon + pi;
    if (belowLat > lat)
        return belowLon + pi;
    return lon;
}
