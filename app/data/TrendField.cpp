#include "TrendField.h"

#include <exception>
#include <thread>

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

// The means of the years firstIndex, firstIndex + 1, ... below endIndex
// of the span, per cell (sums), and whether the cell has one (counts).
void readYearMeans(GridMonths& months, const TrendSpan& span, size_t firstIndex, size_t endIndex,
                   std::vector<std::vector<double>>& sums, std::vector<std::vector<unsigned int>>& counts)
{
    size_t cells = static_cast<size_t>(months.getRows()) * months.getColumns();
    std::vector<double> values;
    std::vector<unsigned int> monthCounts;
    for (size_t index = firstIndex; index < endIndex; ++index) {
        std::vector<double>& sum = sums[index];
        std::vector<unsigned int>& count = counts[index];
        sum.assign(cells, 0.0);
        count.assign(cells, 0);
        for (long long month : monthsOfYear(span, span.firstYear + static_cast<unsigned int>(index))) {
            if (!months.read(month, values, monthCounts))
                continue;
            for (size_t i = 0; i < cells; ++i)
                if (monthCounts[i] != 0) {
                    sum[i] += values[i];
                    ++count[i];
                }
        }
        for (size_t i = 0; i < cells; ++i)
            if (count[i] != 0)
                sum[i] /= count[i];
    }
}

} // namespace

TrendField::TrendField(const std::vector<GridMonths*>& readers, const double* latitudeWeights,
                       const TrendSpan& span)
    : global(0.0)
{
    unsigned int rows = readers[0]->getRows();
    unsigned int columns = readers[0]->getColumns();
    size_t cells = static_cast<size_t>(rows) * columns;
    size_t years = span.lastYear - span.firstYear + 1;

    // Each reader takes a run of years; the first one on this thread.
    std::vector<std::vector<double>> sums(years);
    std::vector<std::vector<unsigned int>> counts(years);
    std::vector<std::thread> threads;
    std::vector<std::exception_ptr> failures(readers.size());
    for (size_t r = 1; r < readers.size(); ++r)
        threads.emplace_back([&, r] {
            try {
                readYearMeans(*readers[r], span, years * r / readers.size(), years * (r + 1) / readers.size(),
                              sums, counts);
            } catch (...) {
                failures[r] = std::current_exception();
            }
        });
    try {
        readYearMeans(*readers[0], span, 0, years / readers.size(), sums, counts);
    } catch (...) {
        failures[0] = std::current_exception();
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const std::exception_ptr& failure : failures)
        if (failure)
            std::rethrow_exception(failure);

    std::vector<LineSums> cellLines(cells);
    LineSums globalLine;
    for (size_t index = 0; index < years; ++index) {
        double x = static_cast<double>(index);
        for (size_t i = 0; i < cells; ++i)
            if (counts[index][i] != 0)
                cellLines[i].add(x, sums[index][i]);
        double mean, coverage;
        if (areaMean(sums[index].data(), counts[index].data(), latitudeWeights, rows, columns, mean, coverage))
            globalLine.add(x, mean);
    }
    // Degrees per year to degrees per decade; a cell needs means in at
    // least two thirds of the years.
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
