#pragma once

#include <string>
#include <vector>

#include "FieldChoice.h"

class OrvexDatabase;
class PositionCollection;

// A position's series in a chart: its cell's value in every month and year
// average, as the series export reads it. A position whose cell never has
// a value is outside the data: its series stays empty and reason says why.
struct PositionSeries {
    unsigned int number = 0;
    std::string name;           // Windows-1252
    std::string outsideReason;  // German; empty when the position has data
    std::vector<double> months; // per month (index 0 = month 1), or MISSING_VALUE
    std::vector<double> years;  // per year from FIRST_YEAR, or MISSING_VALUE
};

// Every series a chart of one data set under one reference period shows:
// per month and per year average the global value, the northern and
// southern hemisphere means (area-weighted like the global value over each
// half) and the coverage, and each position's value. A year average is the
// map's: the mean of each cell over the year's months with a value, then
// the area mean, so that every number is the one the map's title shows for
// the same month or year. Values are MISSING_VALUE where no cell has data.
//
// The whole file is read once, on two threads with a file handle each; the
// result does not depend on the number of threads.
class ChartSeries {
public:
    // Reads the database's open grid file under its reference period, and
    // the positions' cells. Throws what reading the file throws.
    ChartSeries(OrvexDatabase& database, PositionCollection& positions);

    const std::string& dataSetName() const { return name; } // without the folder
    const ReferencePeriod& reference() const { return period; }
    unsigned int monthCount() const { return static_cast<unsigned int>(global.size()); }
    // Years from FIRST_YEAR that hold at least one month of the file.
    unsigned int yearCount() const { return static_cast<unsigned int>(yearGlobal.size()); }
    // Whether any month has a value.
    bool hasData() const { return withData; }

    // Per month, index 0 = month 1 (January of FIRST_YEAR).
    const std::vector<double>& globalMonths() const { return global; }
    const std::vector<double>& northernMonths() const { return northern; }
    const std::vector<double>& southernMonths() const { return southern; }
    const std::vector<double>& coverageMonths() const
    {
        return coverage;
    } // percent, 0 without data
    // Per year, index 0 = FIRST_YEAR.
    const std::vector<double>& globalYears() const { return yearGlobal; }
    const std::vector<double>& northernYears() const { return yearNorthern; }
    const std::vector<double>& southernYears() const { return yearSouthern; }
    const std::vector<double>& coverageYears() const { return yearCoverage; }
    // In the positions' order.
    const std::vector<PositionSeries>& positions() const { return positionSeries; }

    // The reference period's mean of the year averages (of a position when
    // position is its index, of the global value for -1); 0 as stored or
    // without a year. The warming stripes are centred on it.
    double referenceMean(int position) const;

private:
    std::string name;
    ReferencePeriod period;
    bool withData = false;
    std::vector<double> global, northern, southern, coverage;
    std::vector<double> yearGlobal, yearNorthern, yearSouthern, yearCoverage;
    std::vector<PositionSeries> positionSeries;
};
