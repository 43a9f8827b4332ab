// Layout, flat and globe mappings, sampling and the mouse conversion.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ColourScale.h"
#include "MapTestSupport.h"
#include "OrvexMap.h"
#include "WSystem.h"

namespace {
const double degree = 3.14159265 / 180;

GmsCoordinates place(int latitude, int longitude, int latMinutes = 0, int lonMinutes = 0)
{
    return makePosition("", latitude, longitude, latMinutes, lonMinutes).coordinates;
}

// Signed decimal degrees of a converted place.
double latitudeOf(const GmsCoordinates& c)
{
    return (c.latDegrees + c.latMinutes / 60.0) * (c.latSouth ? -1 : 1);
}
double longitudeOf(const GmsCoordinates& c)
{
    return (c.lonDegrees + c.lonMinutes / 60.0) * (c.lonWest ? -1 : 1);
}

void setScale(OrvexMap& map, int percent)
{
    map.scalePercent = percent;
    map.scaleX = map.scaleY = percent / 100.0;
}
}

TEST(MapGeometryTest, FreshStateAndLayoutAtEachScale)
{
    OrvexMap map;
    EXPECT_EQ(2, map.mapType);
    EXPECT_EQ(75, map.scalePercent);
    EXPECT_EQ(0.75, map.scaleX);
    EXPECT_EQ(0.75, map.scaleY);
    EXPECT_EQ(1.0, map.borderFactor);
    EXPECT_FALSE(map.orthographic);
    EXPECT_EQ(0u, map.positions.size());
    EXPECT_EQ(0u, map.database.getRows());
    EXPECT_EQ(0u, map.backgroundPicture.getWidth());
    EXPECT_EQ(0u, map.mapPicture.getWidth());
    // 10 E and 45 N exactly as written, not a unit in the last place above.
    EXPECT_EQ(0.174532925, map.globeCentreLon);
    EXPECT_EQ(0.7853981625, map.globeCentreLat);
    EXPECT_STREQ("Times New Roman", map.titleFont.getName());
    EXPECT_EQ(12u, map.titleFont.getHeight());
    EXPECT_EQ(400u, map.titleFont.getWeight());
    EXPECT_STREQ("Arial", map.legendFont.getName());
    EXPECT_EQ(8u, map.legendFont.getHeight());

    struct Expected {
        double scale, border;
        int width, height, centreX, centreY, radius;
    } cases[] = {
        {0.5, 1, 560, 360, 280, 155, 125},
        {0.75, 1, 810, 485, 405, 217, 188},
        {1.0, 1, 1060, 610, 530, 280, 250},
        {10.0, 10, 10600, 6100, 5300, 2800, 2500},
    };
    for (const Expected& e : cases) {
        MapLayout layout(e.scale, e.border);
        SCOPED_TRACE(e.scale);
        EXPECT_EQ(e.width, layout.pictureWidth);
        EXPECT_EQ(e.height, layout.pictureHeight);
        EXPECT_EQ(e.centreX, layout.centreX);
        EXPECT_EQ(e.centreY, layout.centreY);
        EXPECT_EQ(e.radius, layout.globePixelRadius);
        EXPECT_EQ(250 * e.scale, layout.globeRadius);
        EXPECT_EQ(static_cast<int>(30 * e.border), layout.border);
    }
    MapLayout screen(0.75, 1);
    EXPECT_EQ(750, screen.mapWidth);
    EXPECT_EQ(375, screen.mapHeight);
}

TEST(MapGeometryTest, PixelRoundingIsTheLibrarysRounding)
{
    // Halves, near-halves, negatives, the values the map formulas produce.
    std::vector<double> values = {0.0,
                                  0.5,
                                  -0.5,
                                  1.5,
                                  -1.5,
                                  2.4999999999999996,
                                  217.5,
                                  -0.49999999999999994,
                                  0.49999999999999994,
                                  1e7 + 0.5,
                                  -1e7 - 0.5};
    for (int i = -200000; i <= 200000; ++i)
        values.push_back(i * 0.0625 + (i % 7) * 1e-12);
    for (int i = 0; i < 100000; ++i)
        values.push_back(std::sin(i * 0.7) * 1100.0);
    for (double v : values)
        ASSERT_EQ(static_cast<int>(WSystem::round(v, 0)), roundToInt(v)) << v;
}

TEST(MapGeometryTest, FlatPixelsOfPlacesAndCells)
{
    OrvexMap map;
    int x, y;
    map.positionToPixel(place(0, 0), x, y, true, false);
    EXPECT_EQ(405, x);
    EXPECT_EQ(218, y);
    map.positionToPixel(place(90, -180), x, y, true, false);
    EXPECT_EQ(30, x);
    EXPECT_EQ(30, y);
    map.positionToPixel(place(-90, 180), x, y, true, false);
    EXPECT_EQ(780, x);
    EXPECT_EQ(405, y);
    map.positionToPixel(place(0, 0), x, y, false, false);
    EXPECT_EQ(375, x);
    EXPECT_EQ(188, y);
    // Minutes count: 52 deg 30' N / 13 deg 30' W.
    map.positionToPixel(place(52, -13, 30, 30), x, y, true, false);
    EXPECT_EQ(static_cast<int>(WSystem::round((180 - 13.5) * 2.7777777777777777 * 0.75 + 30, 0)),
              x);
    EXPECT_EQ(static_cast<int>(WSystem::round((90 - 52.5) * 2.7777777777777777 * 0.75 + 30, 0)), y);

    // The first cell of a 5-degree grid covers pixels 30..39 both ways.
    EXPECT_EQ(30, flatPixelX(-180, 0.75, 1, true));
    EXPECT_EQ(30, flatPixelY(90, 0.75, 1, true));
    EXPECT_EQ(40, flatPixelX(-175, 0.75, 1, true));
    EXPECT_EQ(40, flatPixelY(85, 0.75, 1, true));

    // In the globe view every position sits at the globe's centre pixel,
    // unless the flat pixel is asked for.
    map.orthographic = true;
    map.mapCentreX = 405;
    map.mapCentreY = 217;
    for (const GmsCoordinates& c : {place(0, 0), place(-33, 151), place(90, 180)}) {
        map.positionToPixel(c, x, y, true, false);
        EXPECT_EQ(405, x);
        EXPECT_EQ(217, y);
    }
    map.positionToPixel(place(0, 0), x, y, true, true);
    EXPECT_EQ(405, x);
    EXPECT_EQ(218, y);
}

TEST(MapGeometryTest, GlobeMappingCentreEdgeAndPoleRepair)
{
    OrvexMap map;
    const int cx = 405, cy = 217;
    double lon0 = map.globeCentreLon, lat0 = map.globeCentreLat;
    double lon = 7, lat = 7;
    ASSERT_TRUE(map.unprojectOrthographic(cx, cy, cx, cy, lon0, lat0, lon, lat, true));
    EXPECT_EQ(lon0, lon);
    EXPECT_DOUBLE_EQ(lat0, lat);
    // Forward and back agree to the pixel.
    int x, y;
    map.projectOrthographic(lon0, lat0, 30 * degree, 20 * degree, cx, cy, x, y);
    ASSERT_TRUE(map.unprojectOrthographic(x, y, cx, cy, lon0, lat0, lon, lat, false));
    EXPECT_NEAR(30 * degree, lon, 0.6 * degree);
    EXPECT_NEAR(20 * degree, lat, 0.6 * degree);

    // 187.5 pixels from the centre is off the globe; the outputs stay.
    lon = lat = 7;
    EXPECT_FALSE(map.unprojectOrthographic(cx + 188, cy, cx, cy, lon0, lat0, lon, lat, true));
    EXPECT_FALSE(map.unprojectOrthographic(cx, cy - 188, cx, cy, lon0, lat0, lon, lat, false));
    EXPECT_FALSE(map.unprojectOrthographic(cx + 133, cy + 133, cx, cy, lon0, lat0, lon, lat, true));
    EXPECT_EQ(7, lon);
    EXPECT_EQ(7, lat);
    EXPECT_TRUE(map.unprojectOrthographic(cx + 187, cy, cx, cy, lon0, lat0, lon, lat, true));
    EXPECT_TRUE(map.unprojectOrthographic(cx, cy - 187, cx, cy, lon0, lat0, lon, lat, true));

    // With the view at 45 N the north pole lies in row 217 - round(132.58) = 84.
    map.projectOrthographic(lon0, lat0, 0, 1.570796325, cx, cy, x, y);
    EXPECT_EQ(cx, x);
    EXPECT_EQ(84, y);
    // Pixels above the pole's row look at the far side: next to the centre
    // column their longitude is about 180 degrees from the longitude below
    // the pole.
    for (int column : {cx - 3, cx + 3}) {
        double lonBelow, latBelow, lonAbove, latAbove;
        ASSERT_TRUE(
            map.unprojectOrthographic(column, 120, cx, cy, lon0, lat0, lonBelow, latBelow, true));
        ASSERT_TRUE(
            map.unprojectOrthographic(column, 60, cx, cy, lon0, lat0, lonAbove, latAbove, true));
        double difference = std::remainder(lonAbove - lonBelow, 2 * 3.14159265);
        EXPECT_NEAR(180 * degree, std::fabs(difference), 25 * degree) << column;
        // Without the repair the arctangent keeps both on the near side.
        ASSERT_TRUE(
            map.unprojectOrthographic(column, 60, cx, cy, lon0, lat0, lonAbove, latAbove, false));
        EXPECT_LT(std::fabs(lonAbove - lon0), 90 * degree) << column;
    }
    // Between the top of the globe and the pole's row the repaired longitude
    // is the true one (the two-argument arctangent); the rows next to the
    // pole's row are where the repair has to guess.
    for (int column = cx - 60; column <= cx + 60; column += 5) {
        for (int row = 40; row < 82; ++row) {
            if (!map.unprojectOrthographic(column, row - 1, cx, cy, lon0, lat0, lon, lat, false))
                continue;
            ASSERT_TRUE(map.unprojectOrthographic(column, row, cx, cy, lon0, lat0, lon, lat, true));
            double px = (column - cx) / 187.5, py = (cy - row) / 187.5;
            double rho = std::sqrt(px * px + py * py), c = std::asin(rho);
            double truth =
                lon0 + std::atan2(std::sin(c) * px, rho * std::cos(c) * std::cos(lat0) -
                                                        py * std::sin(c) * std::sin(lat0));
            ASSERT_NEAR(0, std::remainder(lon - truth, 2 * 3.14159265), 1e-6)
                << column << ", " << row;
        }
    }

    // Visibility: 90 degrees from the centre is hidden.
    OrthographicView equatorial(0, 0, cx, cy, 0.75), view(lon0, lat0, cx, cy, 0.75);
    EXPECT_TRUE(equatorial.isVisible(89 * degree, 0));
    EXPECT_FALSE(equatorial.isVisible(1.570796325, 0));
    EXPECT_FALSE(view.isVisible(-170 * degree, 0));
    EXPECT_TRUE(view.isVisible(-170 * degree, 60 * degree));
}

TEST(MapGeometryTest, ViewCentreFollowsPositionOne)
{
    OrvexMap map;
    double lon, lat;
    map.globeCentre(lon, lat);
    EXPECT_EQ(map.globeCentreLon, lon);
    EXPECT_EQ(map.globeCentreLat, lat);
    map.positions.add(makePosition("Quito", 0, -78, 13, 30), false);
    map.positions.add(makePosition("Other", 50, 50), false);
    map.globeCentre(lon, lat);
    EXPECT_EQ(-(78 * 60 + 30) * 9.259259259259259e-05 * 3.14159265, lon);
    EXPECT_EQ((0 * 60 + 13) * 0.00018518518518518518 * 1.570796325, lat);
    // The globe keeps using the last centre once position 1 is gone.
    map.orthographic = true;
    map.mapType = 1;
    ScratchDir scratch;
    writeWorldmap({});
    RenderedMap rendered(map);
    EXPECT_EQ(lon, map.globeCentreLon);
    EXPECT_EQ(lat, map.globeCentreLat);
    map.positions.remove(1);
    double keptLon, keptLat;
    map.globeCentre(keptLon, keptLat);
    EXPECT_EQ(lon, keptLon);
    EXPECT_EQ(lat, keptLat);
}

TEST(MapGeometryTest, SamplingWrapsColumnsAndReadsBlackBeyondThePoles)
{
    HBITMAP handle;
    {
        MapCanvas canvas(8, 4);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                SetPixel(canvas.getDC(), x, y, RGB(10 * x + 1, 50 * y + 1, 7));
        WBitmap picture;
        handle = canvas.getBitmap();
        picture.create(handle, nullptr);
        auto sample = [&](double lonDegrees, double latDegrees) {
            return OrvexMap::samplePicture(picture, lonDegrees * degree, latDegrees * degree);
        };
        EXPECT_EQ(RGB(1, 1, 7), sample(-180, 90));
        EXPECT_EQ(RGB(1, 1, 7), sample(180, 90));         // column 8 wraps to 0
        EXPECT_EQ(RGB(1, 1, 7), sample(-181, 90));        // column round(-0.02) = 0
        EXPECT_EQ(RGB(71, 1, 7), sample(-210, 90));       // column -1 wraps to 7
        EXPECT_EQ(RGB(11, 1, 7), sample(-180 + 405, 90)); // 405 degrees: column 9 -> 1
        EXPECT_EQ(RGB(41, 101, 7), sample(0, 0));         // column 4, row 2
        EXPECT_EQ(RGB(41, 151, 7), sample(0, -60));       // row round(3.33) = 3
        EXPECT_EQ(0u, sample(0, -90));                    // row 4: outside
    }
}

TEST(MapGeometryTest, MousePixelsGiveValidDegreesAndMinutes)
{
    OrvexMap map;
    GmsCoordinates c;
    c.latDegrees = 5;
    c.label = "old";
    EXPECT_FALSE(map.pixelToPosition(29, 100, c));
    EXPECT_EQ(0, c.latDegrees);
    EXPECT_STREQ("", c.label);
    EXPECT_FALSE(map.pixelToPosition(100, 30 + 375, c));
    EXPECT_FALSE(map.pixelToPosition(780, 100, c));
    ASSERT_TRUE(map.pixelToPosition(30, 30, c));
    EXPECT_STREQ("90° 0' N / 180° 0' W", c.getLabel());
    ASSERT_TRUE(map.pixelToPosition(405, 218, c));
    EXPECT_STREQ("0° 14' S / 0° 0' O", c.getLabel());
    // 25 pixels below the top edge: 90 - 33.33.. * 0.36 comes out a hair
    // under 78 degrees; the 60 minutes carry into 78 degrees 0 minutes.
    ASSERT_TRUE(map.pixelToPosition(100, 55, c));
    EXPECT_EQ(78, c.latDegrees);
    EXPECT_EQ(0, c.latMinutes);

    // Every pixel of the map, in both views and at every scale, gives a
    // place the position dialog accepts, within half a minute of the pixel.
    for (int percent : {50, 75, 100}) {
        setScale(map, percent);
        double s = percent / 100.0;
        map.orthographic = false;
        MapLayout layout = map.layout();
        for (int k = 0; k < layout.mapWidth; ++k) {
            ASSERT_TRUE(map.pixelToPosition(30 + k, 30 + k % layout.mapHeight, c));
            ASSERT_LT(c.lonMinutes, 60) << percent << "% x " << 30 + k;
            ASSERT_LT(c.latMinutes, 60) << percent << "% y " << 30 + k % layout.mapHeight;
            ASSERT_NEAR(k / s * 0.36 - 180, longitudeOf(c), 1 / 120.0 + 1e-9);
            ASSERT_NEAR(90 - (k % layout.mapHeight) / s * 0.36, latitudeOf(c), 1 / 120.0 + 1e-9);
        }
        map.orthographic = true;
        map.mapCentreX = layout.centreX;
        map.mapCentreY = layout.centreY;
        int onGlobe = 0;
        for (int y = layout.centreY - layout.globePixelRadius;
             y <= layout.centreY + layout.globePixelRadius; ++y) {
            for (int x = layout.centreX - layout.globePixelRadius;
                 x <= layout.centreX + layout.globePixelRadius; ++x) {
                map.mouseX = x;
                map.mouseY = y;
                // The arguments are not used in the globe view.
                if (!map.pixelToPosition(-1000, -1000, c))
                    continue;
                ++onGlobe;
                ASSERT_LT(c.latMinutes, 60);
                ASSERT_LT(c.lonMinutes, 60);
                ASSERT_LE(c.latDegrees, 90);
                ASSERT_LE(c.lonDegrees, 180);
                ASSERT_TRUE(c.latDegrees < 90 || c.latMinutes == 0);
                ASSERT_TRUE(c.lonDegrees < 180 || c.lonMinutes == 0);
            }
        }
        EXPECT_NEAR(3.14159265 * 250 * s * 250 * s, onGlobe, 8 * 250 * s);
    }
    // The centre pixel of the globe is the centre of view, 10 E 45 N.
    setScale(map, 75);
    map.mapCentreX = map.mouseX = 405;
    map.mapCentreY = map.mouseY = 217;
    ASSERT_TRUE(map.pixelToPosition(0, 0, c));
    EXPECT_STREQ("45° 0' N / 10° 0' O", c.getLabel());
    map.mouseX = 405 + 188;
    EXPECT_FALSE(map.pixelToPosition(405, 217, c));
}

TEST(MapGeometryTest, ColourScaleBandsAndMonthNames)
{
    auto entry = [](double value) {
        COLORREF colour = colourForValue(value);
        for (int i = 0; i < anomalyColourCount; ++i)
            if (anomalyColours[i].colour == colour)
                return i + 1;
        return 0;
    };
    EXPECT_EQ(1, entry(-99.0));
    EXPECT_EQ(1, entry(-5.0001));
    EXPECT_EQ(2, entry(-5.0));
    EXPECT_EQ(6, entry(-0.2));
    EXPECT_EQ(7, entry(0.0));
    EXPECT_EQ(10, entry(4.999));
    EXPECT_EQ(11, entry(5.0));
    EXPECT_EQ(11, entry(9.999));
    EXPECT_EQ(11, entry(10.0));
    EXPECT_EQ(11, entry(250.0));
    EXPECT_EQ(RGB(64, 55, 187), anomalyColours[0].colour);
    EXPECT_EQ(RGB(254, 19, 18), anomalyColours[10].colour);

    EXPECT_STREQ("Jan", OrvexMap::monthAbbreviation(1));
    EXPECT_STREQ("M\xE4r", OrvexMap::monthAbbreviation(3));
    EXPECT_STREQ("Dez", OrvexMap::monthAbbreviation(12));
    EXPECT_STREQ("", OrvexMap::monthAbbreviation(0));
    EXPECT_STREQ("", OrvexMap::monthAbbreviation(13));
}
