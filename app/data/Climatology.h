#pragma once

#include <vector>

class GridMonths;

// A data set's means over a reference period: per cell and calendar month
// the mean of the values in the period's years (missing when fewer than
// half of the years have one), and the mean of the global value over the
// period's months that have one.
class Climatology {
public:
    // Reads every month of the years firstYear..lastYear that the file holds.
    // latitudeWeights: one per row, as OrvexDatabase computes them.
    Climatology(GridMonths& months, const double* latitudeWeights, unsigned int firstYear,
                unsigned int lastYear);

    // The mean of the cell (row-major index) in calendar month 1..12, or
    // MISSING_VALUE.
    double cellMean(unsigned int month, unsigned int cell) const
    {
        return cellMeans[(month - 1) * cells + cell];
    }
    // The period's mean of the global value; 0 when no month has one.
    double globalMean() const { return global; }

private:
    unsigned int cells;
    std::vector<double> cellMeans; // 12 x cells
    double global;
};
