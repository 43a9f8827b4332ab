#include "TrendField.h"

#include "AreaMean.h"
#include "GridMonths.h"
#include "MonthText.h"
#include "OrvexDatabase.h"

namespace {

// Sums of a least-squares line through points (x, y).
struct LineSums {
    double n = 0, x = 0, y = 0, xx = 0, xy = 0;

    void add(double px, double py)
    {
        n += 1;
        x += px;
        y += py;
        xx += px * px;
        xy += px * py;
    }
    double slope() const { return (n * xy - x * y) / (n * xx - x * x); }
};

// The months whose mean is the year's value in the span.
std::vector<long long> monthsOfYear(const TrendSpan& span, unsigned int year)
{
    std::vector<long long> months;
    if (span.season != NO_SEASON) {
        long long first = seasonFirstMonth(year, span.season);
        months = {first, first + 1, first + 2};
    } else if (span.month != 0) {
        months = {monthNumber(year, span.month)};
    } else {
        for (unsigned int month = 1; month <= 12; ++month)
            months.push_back(monthNumber(year, month));
    }
    return months;
}

} // namespace

TrendField::TrendField(GridMonths& months, const double* latitudeWeights, const TrendSpan& span)
    : global(0.0)
{
    unsigned int rows = months.getRows();
    unsigned int columns = months.getColumns();
    size_t cells = static_cast<size_t>(rows) * columns;
    std::vector<LineSums> cellLines(cells);
    LineSums globalLine;
    std::vector<double> sums, values;
    std::vector<unsigned int> counts, monthCounts;
    for (unsigned int year = span.firstYear; year <= span.lastYear; ++year) {
        // The year's mean per cell over the months with a value.
        sums.assign(cells, 0.0);
        counts.assign(cells, 0);
        for (long long month : monthsOfYear(span, year)) {
            if (!months.read(month, values, monthCounts))
                continue;
            for (size_t i = 0; i < cells; ++i)
                if (monthCounts[i] != 0) {
                    sums[i] += values[i];
                    ++counts[i];
                }
        }
        double x = year - span.firstYear;
        for (size_t i = 0; i < cells; ++i)
            if (counts[i] != 0) {
                sums[i] /= counts[i];
                cellLines[i].add(x, sums[i]);
            }
        double mean, coverage;
        if (areaMean(sums.data(), counts.data(), latitudeWeights, rows, columns, mean, coverage))
            globalLine.add(x, mean);
    }
    // Degrees per year to degrees per decade; a cell needs means in at
    // least two thirds of the years.
    unsigned int years = span.lastYear - span.firstYear + 1;
    trends.assign(cells, MISSING_VALUE);
    bool any = false;
    for (size_t i = 0; i < cells; ++i)
        if (cellLines[i].n >= 2 && 3 * cellLines[i].n >= 2.0 * years) {
            trends[i] = cellLines[i].slope() * 10.0;
            any = true;
        }
    if (!any)
        throw FieldChoiceError("Im Zeitraum " + yearSpanText(span.firstYear, span.lastYear) +
                               " hat keine Zelle Werte in mindestens zwei Dritteln der Jahre.");
    global = globalLine.n >= 2 ? globalLine.slope() * 10.0 : 0.0;
}
