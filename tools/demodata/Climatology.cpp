#include "Climatology.h"

#include "Grid.h"
#include "LandMask.h"
#include "PortableMath.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace demodata {

namespace {

// Broad highlands as elliptic bumps: centre, half-widths in degrees, height in km.
struct Highland {
    double lat, lon, latWidth, lonWidth, heightKm;
};
constexpr Highland kHighlands[] = {
    {33, 88, 6, 12, 4.5},     // Tibet
    {-80, 80, 10, 70, 2.8},   // East Antarctic plateau
    {-80, -100, 6, 30, 1.6},  // West Antarctica
    {73, -40, 8, 12, 2.4},    // Greenland ice sheet
    {40, -110, 8, 8, 2.0},    // Rocky Mountains
    {-18, -68, 6, 3, 3.5},    // Altiplano
    {-40, -70, 12, 3, 1.5},   // southern Andes
    {2, -76, 6, 3, 2.0},      // northern Andes
    {9, 39, 4, 4, 1.8},       // Ethiopian highlands
    {33, 55, 5, 8, 1.2},      // Iranian plateau
    {46, 102, 5, 10, 1.5},    // Mongolia
    {-25, 25, 6, 8, 1.2},     // southern African plateau
    {22, -102, 5, 5, 1.6},    // Mexican plateau
};

double elevationKm(double lat, double lon)
{
    double height = 0.0;
    for (const Highland& h : kHighlands) {
        double dLon = std::fabs(lon - h.lon);
        dLon = std::fmin(dLon, 360.0 - dLon);
        double d2 = pm::square((lat - h.lat) / h.latWidth) + pm::square(dLon / h.lonWidth);
        if (d2 < 9.0)
            height = std::fmax(height, h.heightKm * pm::exp(-0.5 * d2));
    }
    return height;
}

// Distance from the sea in cells (breadth-first), 0 for sea cells.
std::vector<int> distanceFromSea(const std::vector<double>& landFractions)
{
    std::vector<int> distance(kCells, -1);
    std::deque<int> queue;
    for (int cell = 0; cell < kCells; ++cell) {
        if (!isLandCell(landFractions[cell])) {
            distance[cell] = 0;
            queue.push_back(cell);
        }
    }
    while (!queue.empty()) {
        int cell = queue.front();
        queue.pop_front();
        int row = cell / kColumns;
        int column = cell % kColumns;
        const int neighbours[4][2] = {{row - 1, column}, {row + 1, column}, {row, column - 1}, {row, column + 1}};
        for (const auto& n : neighbours) {
            if (n[0] < 0 || n[0] >= kRows)
                continue;
            int next = cellIndex(n[0], (n[1] + kColumns) % kColumns);
            if (distance[next] < 0) {
                distance[next] = distance[cell] + 1;
                queue.push_back(next);
            }
        }
    }
    for (int& d : distance)
        d = std::max(d, 0);  // a land-only row band would stay unreached; none exists
    return distance;
}

// Land cells between the cell and the sea upwind in the westerlies: what
// makes Siberian winters so much harsher than Scandinavian ones.
std::vector<int> landRunFromWest(const std::vector<double>& landFractions)
{
    std::vector<int> run(kCells, 0);
    for (int row = 0; row < kRows; ++row) {
        for (int column = 0; column < kColumns; ++column) {
            int n = 0;
            while (n < kColumns && isLandCell(landFractions[cellIndex(row, (column - n + kColumns) % kColumns)]))
                ++n;
            run[cellIndex(row, column)] = n;
        }
    }
    return run;
}

} // namespace

void absoluteClimatology(int month, const std::vector<double>& landFractions, std::vector<double>& values)
{
    const std::vector<int> seaDistance = distanceFromSea(landFractions);
    const std::vector<int> westRun = landRunFromWest(landFractions);
    values.assign(kCells, 0.0);
    for (int row = 0; row < kRows; ++row) {
        double lat = cellLatitude(row);
        double s = std::fabs(lat) / 90.0;
        double coslat = pm::cos(lat * pm::kDegree);
        for (int column = 0; column < kColumns; ++column) {
            int cell = cellIndex(row, column);
            double lon = cellLongitude(column);
            double land = landFractions[cell];
            double westerlies = pm::smoothStep(25.0, 40.0, std::fabs(lat));
            double upwindLand = pm::clamp(westerlies * westRun[cell] / 15.0, 0.0, 1.0);
            double continental = std::fmax(pm::clamp(seaDistance[cell] / 5.0, 0.0, 1.0), upwindLand);

            // Annual mean at sea level: 27 C at the equator, -20 C at the poles.
            double annual = -20.0 + 47.0 * pm::pow(coslat, 1.2);
            if (lat < -60.0)
                annual -= 9.0 * land;  // the Antarctic continent is colder than any ocean
            if (std::fabs(lat) > 12.0 && std::fabs(lat) < 35.0)
                annual += 3.0 * land * pm::smoothStep(0.0, 0.5, continental);  // hot deserts
            annual -= 6.5 * elevationKm(lat, lon) * land;  // lapse rate
            annual -= 6.0 * land * upwindLand * pm::smoothStep(40.0, 60.0, lat);  // long Siberian winters
            // The North Atlantic Drift keeps the Norwegian Sea and northern Europe mild in winter.
            double drift = pm::exp(-pm::square((lat - 58.0) / 14.0) - pm::square((lon + 2.0) / 28.0));
            annual += 6.0 * drift;

            // Half the difference between the warmest and the coldest month.
            double seaRange = 1.0 + 6.0 * s * s + 12.0 * pm::smoothStep(60.0, 80.0, std::fabs(lat));
            double landRange = 2.0 + 32.0 * s * std::sqrt(s) * (0.35 + 0.65 * continental);
            if (std::fabs(lat) > 12.0 && std::fabs(lat) < 35.0)
                landRange += 4.0 * continental;
            if (lat < 0.0)
                landRange *= 0.45;  // small southern continents, and Antarctica's coreless winter
            double range = ((1.0 - land) * seaRange + land * landRange) * (1.0 - 0.4 * drift);

            // Coldest in January in the north, in July in the south; the sea lags a month.
            double coldest = (lat >= 0.0 ? 1.0 : 7.0) + (1.0 - land);
            double hemisphere = pm::clamp(std::fabs(lat) / 10.0, 0.0, 1.0);
            double season = -pm::cos(2.0 * pm::kPi * (month - coldest) / 12.0);
            values[cell] = annual + hemisphere * range * season;
        }
    }
}

} // namespace demodata
