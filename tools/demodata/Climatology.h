// Absolute monthly mean temperatures (degrees C) of a typical year, the kind
// of 1961-90 climatology the anomalies are measured against: warm tropics,
// cold poles and high ground, wide seasons inside the continents.
#pragma once

#include <vector>

namespace demodata {

// Fills values (one per cell, every cell has data) for month 1..12.
void absoluteClimatology(int month, const std::vector<double>& landFractions, std::vector<double>& values);

} // namespace demodata
