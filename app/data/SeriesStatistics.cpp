#include "SeriesStatistics.h"

#include "OrvexDatabase.h"
#include "YearRange.h"

LinearTrend linearTrend(const std::vector<double>& years, unsigned int firstYear,
                        unsigned int lastYear)
{
    LinearTrend line;
    line.firstYear = firstYear;
    line.lastYear = lastYear;
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (unsigned int year = firstYear; year <= lastYear && year >= FIRST_YEAR; ++year) {
        size_t index = year - FIRST_YEAR;
        if (index >= years.size() || years[index] == MISSING_VALUE)
            continue;
        double x = year - firstYear;
        n += 1;
        sx += x;
        sy += years[index];
        sxx += x * x;
        sxy += x * years[index];
    }
    double denominator = n * sxx - sx * sx;
    if (n < 2 || denominator == 0.0)
        return line;
    double slope = (n * sxy - sx * sy) / denominator;
    line.valid = true;
    line.perDecade = slope * 10.0;
    line.intercept = (sy - slope * sx) / n;
    return line;
}

std::vector<double> runningMean(const std::vector<double>& years, unsigned int span)
{
    std::vector<double> means;
    if (span == 0 || span > years.size())
        return means;
    for (size_t first = 0; first + span <= years.size(); ++first) {
        double sum = 0.0;
        bool complete = true;
        for (size_t i = first; i < first + span && complete; ++i) {
            complete = years[i] != MISSING_VALUE;
            sum += years[i];
        }
        means.push_back(complete ? sum / span : MISSING_VALUE);
    }
    return means;
}
