#include "ObservingNetwork.h"

#include "Grid.h"
#include "LandMask.h"
#include "PortableMath.h"
#include "Random.h"

#include <cmath>
#include <cstddef>

namespace demodata {

namespace {

constexpr double kNever = 1.0e9;
constexpr double kEarthRadiusKm = 6371.0;

// Salts keep the independent random decisions apart.
constexpr std::uint64_t kStartSalt = 0x5A17A27ull;
constexpr std::uint64_t kNeverSalt = 0xDEADC0DEull;
constexpr std::uint64_t kFullNetworkSalt = 0xF011ull;
constexpr std::uint64_t kDropoutSalt = 0xD209ull;
constexpr std::uint64_t kRegionDropoutSalt = 0x2E610ull;

struct LatLon {
    double lat;
    double lon;
};

// Shipping lanes (latitude, longitude), with the year from which they carry
// observers. None crosses the date line; the Pacific lanes are cut there.
constexpr LatLon kNewYorkLane[] = {{49, -6}, {47, -20}, {44, -40}, {41, -60}, {40, -72}};
constexpr LatLon kCanadaLane[] = {{56, -8}, {55, -30}, {50, -50}, {47, -60}};
constexpr LatLon kCaribbeanLane[] = {{45, -10}, {35, -25}, {25, -50}, {18, -70}, {24, -85}, {28, -92}};
constexpr LatLon kCapeLane[] = {{45, -10}, {30, -17}, {12, -24}, {0, -27}, {-15, -30}, {-30, -20}, {-38, 0}, {-36, 20}};
constexpr LatLon kIndiaLane[] = {{-36, 20}, {-38, 40}, {-30, 55}, {-10, 65}, {5, 75}, {7, 80}, {15, 87}, {21, 89}};
constexpr LatLon kAustraliaLane[] = {{-38, 40}, {-40, 80}, {-40, 115}, {-38, 145}, {-34, 151}};
constexpr LatLon kChinaLane[] = {{-30, 55}, {-15, 95}, {-6, 105}, {5, 108}, {15, 113}, {22, 115}, {31, 123}};
constexpr LatLon kRiverPlateLane[] = {{0, -27}, {-13, -35}, {-23, -42}, {-35, -55}};
constexpr LatLon kCapeHornLane[] = {{-35, -55}, {-48, -62}, {-57, -67}, {-50, -80}, {-33, -74}, {-12, -79}, {8, -90}, {20, -108}, {37, -123}};
constexpr LatLon kNorthPacificEast[] = {{37, -123}, {40, -140}, {42, -160}, {41, -180}};
constexpr LatLon kNorthPacificWest[] = {{41, 180}, {38, 160}, {35, 140}};
constexpr LatLon kSuezLane[] = {{31, 32}, {20, 38}, {12, 45}, {12, 55}, {8, 70}, {7, 80}};
constexpr LatLon kAdenAustraliaLane[] = {{12, 55}, {-10, 90}, {-32, 115}};
constexpr LatLon kSouthPacificEast[] = {{37, -123}, {21, -157}, {0, -170}, {-15, -180}};
constexpr LatLon kSouthPacificWest[] = {{-15, 180}, {-18, 178}, {-34, 151}};
constexpr LatLon kPanamaLane[] = {{9, -80}, {15, -95}, {20, -108}};
constexpr LatLon kHornAustraliaEast[] = {{-50, -180}, {-55, -120}, {-57, -67}};
constexpr LatLon kHornAustraliaWest[] = {{-45, 150}, {-50, 180}};

struct Lane {
    double year;
    const LatLon* points;
    std::size_t count;
};

template <std::size_t N>
constexpr Lane lane(double year, const LatLon (&points)[N])
{
    return Lane{year, points, N};
}

constexpr Lane kLanes[] = {
    lane(1850, kNewYorkLane), lane(1850, kCanadaLane), lane(1850, kCaribbeanLane), lane(1850, kCapeLane),
    lane(1850, kIndiaLane), lane(1856, kAustraliaLane), lane(1860, kChinaLane), lane(1855, kRiverPlateLane),
    lane(1860, kCapeHornLane), lane(1870, kNorthPacificEast), lane(1870, kNorthPacificWest),
    lane(1870, kSuezLane), lane(1880, kAdenAustraliaLane), lane(1875, kSouthPacificEast),
    lane(1875, kSouthPacificWest), lane(1915, kPanamaLane), lane(1885, kHornAustraliaEast),
    lane(1885, kHornAustraliaWest),
};

// Observers reached cells further from a lane later: 10 years per 1000 km.
constexpr double kYearsPerLaneKm = 10.0 / 1000.0;

// For each cell: the distance to the nearest lane (km) and the year the
// lanes first reached it.
void laneHistory(std::vector<double>& distanceKm, std::vector<double>& reachedYear)
{
    std::vector<pm::Vector3> centres(kCells);
    for (int cell = 0; cell < kCells; ++cell)
        centres[cell] = pm::unitVector(cellLatitude(cell / kColumns), cellLongitude(cell % kColumns));
    distanceKm.assign(kCells, 2.0 * kEarthRadiusKm);
    reachedYear.assign(kCells, kNever);
    for (const Lane& lane : kLanes) {
        for (std::size_t i = 0; i + 1 < lane.count; ++i) {
            // Sample the leg every degree or so; plenty for 5-degree cells.
            const LatLon& a = lane.points[i];
            const LatLon& b = lane.points[i + 1];
            int steps = 1 + static_cast<int>(std::fmax(std::fabs(b.lat - a.lat), std::fabs(b.lon - a.lon)));
            for (int s = 0; s <= steps; ++s) {
                double t = double(s) / steps;
                pm::Vector3 p = pm::unitVector(a.lat + t * (b.lat - a.lat), a.lon + t * (b.lon - a.lon));
                for (int cell = 0; cell < kCells; ++cell) {
                    const pm::Vector3& c = centres[cell];
                    double km = std::sqrt(pm::chordSquared(c, p)) * kEarthRadiusKm;
                    distanceKm[cell] = std::fmin(distanceKm[cell], km);
                    reachedYear[cell] = std::fmin(reachedYear[cell], lane.year + kYearsPerLaneKm * km);
                }
            }
        }
    }
}

bool inBox(double lat, double lon, double south, double north, double west, double east)
{
    return lat >= south && lat <= north && lon >= west && lon <= east;
}

// First report of a land cell in the smaller network; u spreads the start
// over the region's span, v picks the cells that stay without stations.
double landStart(double lat, double lon, double u, double v)
{
    auto span = [u](double first, double last) { return first + (last - first) * u; };
    if (lat > 75.0)
        return kNever;
    if (lat < -62.0)  // Antarctica: a few coastal stations from the Geophysical Year
        return (lat > -75.0 && v < 0.5) ? span(1957, 1967) : kNever;
    if (lat > 60.0 && lon > -75.0 && lon < -10.0)  // Greenland: coast only
        return v < 0.55 ? span(1880, 1910) : kNever;
    if (inBox(lat, lon, 35, 72, -12, 45))  // Europe; the east's records begin later
        return span(1835, 1855) + 0.6 * std::fmax(0.0, lon - 10.0);
    if (inBox(lat, lon, 25, 52, -100, -55))
        return span(1838, 1858) + 0.7 * std::fmax(0.0, -80.0 - lon);
    if (inBox(lat, lon, 25, 52, -170, -100))
        return span(1865, 1885);
    if (inBox(lat, lon, 5, 25, -120, -55))
        return span(1875, 1900);
    if (lat > 52.0 && lon < -50.0) {  // Canada and Alaska
        if (lat < 62.5)
            return span(1870, 1895);
        if (lat < 72.0)
            return span(1895, 1930);
        return v < 0.4 ? span(1948, 1960) : kNever;
    }
    if (lat > 45.0 && (lon > 45.0 || lon < -165.0))  // Russia and Siberia
        return lat > 70.0 ? span(1925, 1950) : span(1870, 1905);
    if (inBox(lat, lon, 27, 40, 75, 103))  // Tibet
        return v < 0.3 ? kNever : span(1950, 1962);
    if (inBox(lat, lon, 35, 45, 45, 100))
        return span(1880, 1905);
    if (inBox(lat, lon, 18, 45, 100, 150))
        return span(1865, 1900);
    if (inBox(lat, lon, 5, 35, 60, 100))  // India
        return span(1842, 1870);
    if (inBox(lat, lon, -12, 18, 92, 155))
        return span(1865, 1900);
    if (inBox(lat, lon, 12, 37, 33, 60))
        return (lat > 30.0 && lon < 37.0) ? span(1855, 1870) : span(1900, 1940);
    if (inBox(lat, lon, 27.5, 38, -20, 33))
        return span(1855, 1875);
    if (inBox(lat, lon, 15, 27.5, -20, 35))  // Sahara
        return v < 0.35 ? kNever : span(1930, 1958);
    if (inBox(lat, lon, -12, 8, 8, 32))  // central Africa
        return v < 0.7 ? kNever : span(1950, 1965);
    if (inBox(lat, lon, 0, 15, -20, 8))
        return span(1895, 1930);
    if (inBox(lat, lon, -12, 15, 32, 55))
        return span(1895, 1930);
    if (inBox(lat, lon, -40, -12, 10, 55))
        return lat < -27.0 ? span(1842, 1865) : span(1880, 1910);
    if (inBox(lat, lon, -60, 13, -85, -30)) {  // South America
        if (lat < -42.0)
            return span(1895, 1925);
        if (lat < -22.0)
            return span(1865, 1890);
        if (inBox(lat, lon, -20, 2, -72, -45))  // Amazon basin
            return v < 0.45 ? kNever : span(1915, 1955);
        return span(1875, 1900);
    }
    if (inBox(lat, lon, -45, -10, 110, 155)) {  // Australia
        if (lat < -27.0 && lon > 138.0)
            return span(1848, 1865);
        if (inBox(lat, lon, -30, -18, 120, 140))
            return span(1895, 1925);
        return span(1870, 1895);
    }
    if (lat < -33.0 && lon > 165.0)  // New Zealand
        return span(1860, 1866);
    return span(1880, 1920);
}

// First report of an ocean cell: shipping lanes first, the rest of each basin
// as traffic and later buoys spread; the far south and the ice stay empty.
double oceanStart(double lat, double lon, double u, double v, double laneKm, double reachedYear)
{
    if (lat < -60.0 || lat > 75.0)
        return kNever;
    if (lat < -55.0 && v < 0.75 && laneKm > 400.0)
        return kNever;
    if (lat < -50.0 && v < 0.5 && laneKm > 400.0)
        return kNever;
    if (lat > 70.0 && !(lon > -20.0 && lon < 60.0))  // ice-bound, except the Barents Sea
        return kNever;
    if (inBox(lat, lon, 30, 47, -6, 42))  // Mediterranean and Black Sea
        return 1845.0 + 10.0 * u;
    // The lanes of 1850 had been sailed for decades: many cells near them
    // report from the first month on.
    double alongLanes = reachedYear - 25.0 + 20.0 * u;
    double basin = 1900.0 + 45.0 * u;
    if (lat < -45.0)
        basin = v < 0.3 ? kNever : 1930.0 + 40.0 * u;
    else if (lat > 62.0)
        basin = v < 0.5 ? kNever : 1930.0 + 30.0 * u;
    return std::fmin(alongLanes, basin);
}

} // namespace

ObservingNetwork::ObservingNetwork(Size size, const std::vector<double>& landFractions)
    : size(size), landFraction(landFractions), start(kCells), recordStart(kCells)
{
    std::vector<double> reachedYear;
    laneHistory(laneDistanceKm, reachedYear);
    for (int cell = 0; cell < kCells; ++cell) {
        double lat = cellLatitude(cell / kColumns);
        double lon = cellLongitude(cell % kColumns);
        bool land = isLandCell(landFraction[cell]);
        double u = hashUniform(cell, 1, kStartSalt);
        double v = hashUniform(cell, 2, kNeverSalt);
        double first = land ? landStart(lat, lon, u, v) : oceanStart(lat, lon, u, v, laneDistanceKm[cell], reachedYear[cell]);
        if (size == kFull) {
            double w = hashUniform(cell, 3, kFullNetworkSalt);
            if (first < kNever)
                first = std::fmax(1850.0, first - (land ? 6.0 : 2.0));
            else if (land && lat > 60.0 && lat < 80.0)
                first = w < 0.7 ? 1935.0 + 20.0 * u : kNever;
            else if (land && lat < -62.0 && lat > -75.0)
                first = 1957.0 + 8.0 * u;
            else if (lat > -57.5 && lat < 75.0 && w < 0.2)
                first = 1950.0 + 15.0 * u;
        }
        recordStart[cell] = first;
        start[cell] = std::fmax(1850.0, first);  // records before 1850 are not part of the data
    }
}

double ObservingNetwork::dropoutChance(int cell, double year) const
{
    double lat = cellLatitude(cell / kColumns);
    double lon = cellLongitude(cell % kColumns);
    bool land = isLandCell(landFraction[cell]);
    bool pacific = lon > 110.0 || lon < -80.0;

    double chance = 0.035 + 0.25 * pm::exp(-(year - recordStart[cell]) / 15.0);
    if (!land) {
        // Away from the lanes, ships passed only now and then until the 1950s.
        double remoteness = 1.0 - pm::exp(-laneDistanceKm[cell] / 1000.0);
        chance += 0.35 * remoteness * (1.0 - pm::smoothStep(1930.0, 1960.0, year));
        if (lat < -45.0)
            chance += 0.1;
    }
    if (year >= 1914.6 && year < 1919.0) {  // First World War: few ships, fewer reports
        if (!land)
            chance += 0.30;
        else if (inBox(lat, lon, 40, 60, 15, 45))
            chance += 0.25;
    }
    if (year >= 1939.7 && year < 1946.0) {  // Second World War
        if (!land)
            chance += pacific ? 0.55 : 0.40;
        else if (inBox(lat, lon, 40, 70, 10, 60))
            chance += 0.35;
        else if (inBox(lat, lon, -10, 50, 95, 150))
            chance += 0.45;
        else if (inBox(lat, lon, 25, 37, -10, 35))
            chance += 0.30;
    }
    if (size == kFull)
        chance *= 0.75;
    return std::fmin(chance, 0.97);
}

bool ObservingNetwork::reports(int cell, int monthIndex) const
{
    double year = decimalYear(monthIndex);
    if (year < start[cell])
        return false;
    // Missing reports come in regional clusters (15-degree squares), not as single cells.
    int row = cell / kColumns;
    int column = cell % kColumns;
    int region = (row / 3) * (kColumns / 3) + column / 3;
    double regional = 0.4 + 1.2 * hashUniform(region, monthIndex, kRegionDropoutSalt);
    return hashUniform(cell, monthIndex, kDropoutSalt) >= dropoutChance(cell, year) * regional;
}

} // namespace demodata
