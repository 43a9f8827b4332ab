#pragma once

#include <vector>

#include "FieldChoice.h"

class GridMonths;

// The trend map of a span: per cell the least-squares slope of its means
// (year, season or month, by the year-average rule) against the year, in
// degrees per decade, where the cell has means in at least two thirds of
// the years; and the same slope of the global value.
class TrendField {
public:
    // Throws FieldChoiceError when no cell meets the two-thirds rule.
    TrendField(GridMonths& months, const double* latitudeWeights, const TrendSpan& span);

    // Per cell (row-major), or MISSING_VALUE.
    const std::vector<double>& cellTrends() const { return trends; }
    // Of the global value over the years that have one; 0 with fewer than two.
    double globalTrend() const { return global; }

private:
    std::vector<double> trends;
    double global;
};
