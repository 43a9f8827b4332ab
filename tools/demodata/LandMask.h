// A coarse land mask for the 5-degree grid, drawn from rough outlines of the
// continents. It only has to look right on a 5-degree map: it steers where
// anomalies vary more, where the ocean data set has cells and where the
// absolute climatology has continental seasons.
#pragma once

#include <vector>

namespace demodata {

// True if the point (degrees, longitude -180..180) lies on land.
bool isLandPoint(double latitude, double longitude);

// Share of each grid cell that is land (0..1), sampled on a 1-degree lattice.
std::vector<double> landFractions();

// A cell counts as land when at least half of it is.
inline bool isLandCell(double fraction) { return fraction >= 0.5; }

} // namespace demodata
