// The map's conversions between places and pixels.
#include <cmath>

#include "OrvexMap.h"
#include "WSystem.h"

using namespace MapConstants;

namespace {
// Whole degrees and rounded minutes of a non-negative angle in degrees. A
// rest that rounds to 60 minutes is carried into the next degree, and the
// result never passes the limit (90 or 180 degrees).
void splitDegrees(double degrees, int limit, int& wholeDegrees, int& minutes)
{
    // The one-argument arctangent gives no longitude (0 / 0) for a pixel
    // exactly on a pole; any longitude is right there.
    if (!std::isfinite(degrees))
        degrees = 0;
    double whole = std::floor(degrees);
    wholeDegrees = static_cast<int>(whole);
    minutes = roundToInt((degrees - whole) * 60);
    if (minutes >= 60) {
        ++wholeDegrees;
        minutes = 0;
    }
    if (wholeDegrees >= limit) {
        wholeDegrees = limit;
        minutes = 0;
    }
}

void clear(GmsCoordinates& coordinates)
{
    coordinates = GmsCoordinates();
}
}

void OrvexMap::gmsToRadians(const GmsCoordinates& coordinates, double& lon, double& lat) const
{
    int latitudeMinutes = coordinates.latDegrees * 60 + coordinates.latMinutes;
    int longitudeMinutes = coordinates.lonDegrees * 60 + coordinates.lonMinutes;
    lat = latitudeMinutes * latitudeMinutesFactor * halfPi;
    if (coordinates.latSouth)
        lat = -lat;
    lon = longitudeMinutes * longitudeMinutesFactor * pi;
    if (coordinates.lonWest)
        lon = -lon;
}

void OrvexMap::globeCentre(double& lon, double& lat) const
{
    lon = globeCentreLon;
    lat = globeCentreLat;
    if (const Position* viewPosition = positions.find(1))
        gmsToRadians(viewPosition->coordinates, lon, lat);
}

void OrvexMap::projectOrthographic(double centreLon, double centreLat, double lon, double lat,
                                   int centreX, int centreY, int& x, int& y) const
{
    OrthographicView(centreLon, centreLat, centreX, centreY, scaleX).project(lon, lat, x, y);
}

bool OrvexMap::unprojectOrthographic(int x, int y, int centreX, int centreY, double centreLon,
                                     double centreLat, double& lon, double& lat, bool repair) const
{
    OrthographicView view(centreLon, centreLat, centreX, centreY, scaleX);
    double pointLon;
    double pointLat;
    if (!view.unproject(x, y, pointLon, pointLat))
        return false;
    if (repair) {
        double aboveLon = 0.0, aboveLat = 0.0, belowLon = 0.0, belowLat = 0.0;
        view.unproject(x, y - 1, aboveLon, aboveLat);
        bool belowOnGlobe = view.unproject(x, y + 1, belowLon, belowLat);
        pointLon = repairLongitude(pointLon, pointLat, aboveLon, aboveLat, belowLon, belowLat,
                                   belowOnGlobe);
    }
    lon = pointLon;
    lat = pointLat;
    return true;
}

void OrvexMap::positionToPixel(const GmsCoordinates& coordinates, int& x, int& y, bool withBorder,
                               bool flatOnly) const
{
    if (orthographic && !flatOnly) {
        x = mapCentreX;
        y = mapCentreY;
        return;
    }
    double lat = coordinates.latDegrees + coordinates.latMinutes * degreesPerMinute;
    if (coordinates.latSouth)
        lat = -lat;
    double lon = coordinates.lonDegrees + coordinates.lonMinutes * degreesPerMinute;
    if (coordinates.lonWest)
        lon = -lon;
    x = flatPixelX(lon, scaleX, borderFactor, withBorder);
    y = flatPixelY(lat, scaleY, borderFactor, withBorder);
}

unsigned long OrvexMap::samplePicture(const WBitmap& picture, double lon, double lat)
{
    long long column;
    long long row;
    equirectangularPixel(lon, lat, static_cast<long long>(picture.getWidth()),
                         static_cast<long long>(picture.getHeight()), column, row);
    return picture.getPixel(static_cast<int>(column), static_cast<int>(row));
}

bool OrvexMap::pixelToPosition(int x, int y, GmsCoordinates& coordinates) const
{
    clear(coordinates);
    double lat;
    double lon;
    if (!orthographic) {
        // The screen picture's border: 30 pixels at 96 pixels per inch.
        double xs = (x - 30 * borderFactor) / scaleX;
        double ys = (y - 30 * borderFactor) / scaleY;
        if (!(xs >= 0 && xs < 1000 && ys >= 0 && ys < 500))
            return false;
        lon = xs * degreesPerPixel - 180;
        lat = 90 - ys * degreesPerPixel;
        coordinates.latSouth = lat > 0 ? 0 : 1;
        coordinates.lonWest = lon < 0 ? 1 : 0;
    } else {
        double centreLon;
        double centreLat;
        globeCentre(centreLon, centreLat);
        double pointLon = 0;
        double pointLat = 0;
        if (!unprojectOrthographic(mouseX, mouseY, mapCentreX, mapCentreY, centreLon, centreLat,
                                   pointLon, pointLat, true))
            return false;
        double latMinutes = pointLat * twoOverPi * 5400;
        double lonMinutes = pointLon * oneOverTwoPi * 21600;
        while (lonMinutes >= 10800)
            lonMinutes -= 21600;
        while (lonMinutes < -10800)
            lonMinutes += 21600;
        coordinates.latSouth = latMinutes < 0 ? 1 : 0;
        coordinates.lonWest = lonMinutes < 0 ? 1 : 0;
        lat = latMinutes / 60;
        lon = lonMinutes / 60;
    }
    splitDegrees(std::fabs(lat), 90, coordinates.latDegrees, coordinates.latMinutes);
    splitDegrees(std::fabs(lon), 180, coordinates.lonDegrees, coordinates.lonMinutes);
    return true;
}
