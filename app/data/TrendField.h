#pragma once

#include <vector>

#include "FieldChoice.h"

class GridMonths;

// The trend map of a span: per cell the least-squares slope of its means
// (year, season or month, by the year-average rule) against the year, in
// degrees per decade, where the cell has means in at least two thirds of
// the years; and the same slope of the global value.
//
// Reading the months is most of the work (every month of 175 years for the
// year averages), so it can be shared among readers of the same file, each
// on a thread of its own and taking a run of years; the year means are then
// added up in the order of the years, so that the result is the same bit
// for bit whatever the number of readers.
class TrendField {
public:
    // readers: one or more of the same grid file. Throws FieldChoiceError
    // when no cell meets the two-thirds rule, and what the readers throw.
    TrendField(const std::vector<GridMonths*>& readers, const double* latitudeWeights,
               const TrendSpan& span);

    // Per cell (row-major), or MISSING_VALUE.
    const std::vector<double>& cellTrends() const { return trends; }
    // Of the global value over the years that have one; 0 with fewer than two.
    double globalTrend() const { return global; }

private:
    std::vector<double> trends;
    double global;
};
