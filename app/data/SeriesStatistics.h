#pragma once

#include <vector>

// Statistics the chart draws over a year series (index 0 = FIRST_YEAR,
// MISSING_VALUE where a year has no value).

// A least-squares line through the years with a value from firstYear to
// lastYear; valid with at least two such years.
struct LinearTrend {
    bool valid = false;
    double perDecade = 0.0; // slope in degrees per decade
    double intercept = 0.0; // the line's value at firstYear
    unsigned int firstYear = 0;
    unsigned int lastYear = 0;

    double valueAt(double year) const { return intercept + perDecade * 0.1 * (year - firstYear); }
};
LinearTrend linearTrend(const std::vector<double>& years, unsigned int firstYear,
                        unsigned int lastYear);

// The centred running mean over windows of span years: element i is the
// mean of the window whose first year is index i, plotted at its middle
// year (FIRST_YEAR + i + (span - 1) / 2.0). A window with a year without a
// value has none. Empty when span is 0 or longer than the series.
std::vector<double> runningMean(const std::vector<double>& years, unsigned int span);
