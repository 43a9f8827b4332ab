#include "MapGeometry.h"

#include <cmath>
#include <cstdlib>

using namespace MapConstants;

MapLayout::MapLayout(double scale, double borderFactor)
    : border(roundToInt(30 * borderFactor)), mapWidth(roundToInt(1000 * scale)),
      mapHeight(roundToInt(500 * scale)),
      pictureWidth(roundToInt(1000 * scale + 60 * borderFactor)),
      pictureHeight(roundToInt(500 * scale + 110 * borderFactor)), centreX(border + mapWidth / 2),
      centreY(border + mapHeight / 2), globeRadius(250 * scale),
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

void equirectangularPixel(double lon, double lat, long long width, long long height,
                          long long& column, long long& row)
{
    column = roundToInt((lon + pi) * oneOverTwoPi * width);
    row = std::llabs(roundToInt((lat - halfPi) * oneOverPi * height));
    if (width <= 0)
        return;
    if (column >= width)
        column %= width;
    else if (column < 0)
        column = width - (-column % width);
}

OrthographicView::OrthographicView(double centreLon, double centreLat, int centreX, int centreY,
                                   double scale)
    : centreLon(centreLon), centreLat(centreLat), sinCentreLat(std::sin(centreLat)),
      cosCentreLat(std::cos(centreLat)), centreX(centreX), centreY(centreY), scale(scale)
{
}

bool OrthographicView::isVisible(double lon, double lat) const
{
    return std::acos(std::cos(centreLon - lon) * std::cos(lat) * cosCentreLat +
                     std::sin(lat) * sinCentreLat) < halfPi;
}

void OrthographicView::project(double lon, double lat, int& x, int& y) const
{
    double delta = lon - centreLon;
    double cosLat = std::cos(lat);
    x = centreX + roundToInt(std::sin(delta) * cosLat * scale * 250);
    y = centreY -
        roundToInt((cosCentreLat * std::sin(lat) - std::cos(delta) * sinCentreLat * cosLat) *
                   scale * 250);
}

bool OrthographicView::unproject(int x, int y, double& lon, double& lat) const
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
    lat = std::asin(cosCentreLat * sinC * py / rho + sinCentreLat * cosC);
    lon = centreLon + std::atan(sinC * px / (cosC * cosCentreLat * rho - sinCentreLat * sinC * py));
    return true;
}

// The same expressions as unproject: px of the western pixel is exactly the
// negative of the eastern one's, and px enters everything but the arctangent
// only squared.
bool OrthographicView::unprojectMirrored(int d, int y, double& westLon, double& eastLon,
                                         double& lat) const
{
    int dy = y - centreY;
    double radius = 250 * scale;
    double r = std::sqrt(static_cast<double>(d * d + dy * dy));
    if (!(r < radius))
        return false;
    double eastPx = d / radius;
    double westPx = -d / radius;
    double py = (centreY - y) / radius;
    double rho;
    double c;
    if (d == 0 && y == centreY) {
        rho = 0.0001;
        c = 0;
    } else {
        rho = std::sqrt(eastPx * eastPx + py * py);
        c = std::asin(rho);
    }
    double sinC = std::sin(c);
    double cosC = std::cos(c);
    lat = std::asin(cosCentreLat * sinC * py / rho + sinCentreLat * cosC);
    double denominator = cosC * cosCentreLat * rho - sinCentreLat * sinC * py;
    westLon = centreLon + std::atan(sinC * westPx / denominator);
    eastLon = centreLon + std::atan(sinC * eastPx / denominator);
    return true;
}

double repairLongitude(double lon, double lat, double aboveLon, double aboveLat, double belowLon,
                       double belowLat, bool belowOnGlobe)
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
