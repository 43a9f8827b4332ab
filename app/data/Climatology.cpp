#include "Climatology.h"

#include "AreaMean.h"
#include "GridMonths.h"
#include "MonthText.h"
#include "OrvexDatabase.h"

Climatology::Climatology(GridMonths& months, const double* latitudeWeights, unsigned int firstYear,
                         unsigned int lastYear)
    : cells(months.getRows() * months.getColumns()), cellMeans(12 * cells, 0.0), global(0.0)
{
    std::vector<unsigned int> years(12 * cells, 0);
    std::vector<double> values;
    std::vector<unsigned int> counts;
    double globalSum = 0.0;
    unsigned int globalMonths = 0;
    for (unsigned int year = firstYear; year <= lastYear; ++year) {
        for (unsigned int month = 1; month <= 12; ++month) {
            if (!months.read(monthNumber(year, month), values, counts))
                continue;
            double* sums = &cellMeans[(month - 1) * cells];
            unsigned int* withValue = &years[(month - 1) * cells];
            for (unsigned int i = 0; i < cells; ++i)
                if (counts[i] != 0) {
                    sums[i] += values[i];
                    ++withValue[i];
                }
            double mean, coverage;
            if (areaMean(values.data(), counts.data(), latitudeWeights, months.getRows(),
                         months.getColumns(), mean, coverage)) {
                globalSum += mean;
                ++globalMonths;
            }
        }
    }
    // A calendar month of a cell needs values in at least half of the years.
    unsigned int periodYears = lastYear - firstYear + 1;
    for (size_t i = 0; i < cellMeans.size(); ++i)
        cellMeans[i] = years[i] != 0 && 2 * years[i] >= periodYears ? cellMeans[i] / years[i]
                                                                   : MISSING_VALUE;
    global = globalMonths > 0 ? globalSum / globalMonths : 0.0;
}
