#include "ChartSeries.h"

#include <exception>
#include <memory>
#include <thread>

#include "AreaMean.h"
#include "Climatology.h"
#include "GridMonths.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "WFile.h"
#include "YearRange.h"

namespace {

// What every month and year needs besides the file: the grid, the weights,
// the reference and the positions' cells.
struct SeriesInput {
    unsigned int rows;
    unsigned int columns;
    unsigned int monthCount;
    const double* weights;
    ReferencePeriod reference;
    const Climatology* climatology; // null as stored
    std::vector<unsigned int> positionCells;
    std::vector<bool> positionInGrid;
};

// The series' vectors, filled at the indices of the months and years a
// reader takes.
struct SeriesOutput {
    std::vector<double>& global;
    std::vector<double>& northern;
    std::vector<double>& southern;
    std::vector<double>& coverage;
    std::vector<double>& yearGlobal;
    std::vector<double>& yearNorthern;
    std::vector<double>& yearSouthern;
    std::vector<double>& yearCoverage;
    std::vector<PositionSeries>& positions;
};

// The global value, the two halves' means and the coverage of a field.
void fieldMeans(const SeriesInput& in, const std::vector<double>& values,
                const std::vector<unsigned int>& counts, double& global, double& northern,
                double& southern, double& coverage)
{
    unsigned int half = in.rows / 2;
    size_t southStart = static_cast<size_t>(half) * in.columns;
    if (!areaMean(values.data(), counts.data(), in.weights, in.rows, in.columns, global, coverage))
        global = MISSING_VALUE;
    double unused;
    if (!areaMean(values.data(), counts.data(), in.weights, half, in.columns, northern, unused))
        northern = MISSING_VALUE;
    if (!areaMean(values.data() + southStart, counts.data() + southStart, in.weights + half,
                  in.rows - half, in.columns, southern, unused))
        southern = MISSING_VALUE;
}

// The years firstYear..lastYear - 1 (as indices from FIRST_YEAR) of one
// reader: each month referred as the map refers it, and each year's field
// by the year-average rule.
void readYears(GridMonths& months, const SeriesInput& in, unsigned int firstIndex,
               unsigned int endIndex, SeriesOutput& out)
{
    size_t cells = static_cast<size_t>(in.rows) * in.columns;
    std::vector<double> values, yearValues(cells);
    std::vector<unsigned int> counts, yearCounts(cells);
    bool perCell = in.reference.method == ReferencePeriod::PER_CELL;
    double shift =
        in.reference.method == ReferencePeriod::GLOBAL ? in.climatology->globalMean() : 0.0;
    for (unsigned int index = firstIndex; index < endIndex; ++index) {
        yearValues.assign(cells, 0.0);
        yearCounts.assign(cells, 0);
        for (unsigned int month = 1; month <= 12; ++month) {
            long long k = monthNumber(FIRST_YEAR + index, month);
            if (!months.read(k, values, counts))
                continue;
            for (size_t i = 0; i < cells; ++i) {
                if (counts[i] == 0)
                    continue;
                if (perCell) {
                    double mean = in.climatology->cellMean(month, static_cast<unsigned int>(i));
                    if (mean == MISSING_VALUE) {
                        counts[i] = 0;
                        continue;
                    }
                    values[i] -= mean;
                    yearValues[i] += values[i];
                } else {
                    yearValues[i] += values[i];
                    values[i] -= shift;
                }
                ++yearCounts[i];
            }
            size_t m = static_cast<size_t>(k - 1);
            fieldMeans(in, values, counts, out.global[m], out.northern[m], out.southern[m],
                       out.coverage[m]);
            for (size_t p = 0; p < out.positions.size(); ++p) {
                unsigned int cell = in.positionCells[p];
                out.positions[p].months[m] =
                    in.positionInGrid[p] && counts[cell] != 0 ? values[cell] : MISSING_VALUE;
            }
        }
        // As the map averages a year: the sums less the shift per month,
        // divided by the months with a value.
        for (size_t i = 0; i < cells; ++i)
            if (yearCounts[i] != 0) {
                if (!perCell)
                    yearValues[i] -= shift * yearCounts[i];
                yearValues[i] /= yearCounts[i];
            }
        fieldMeans(in, yearValues, yearCounts, out.yearGlobal[index], out.yearNorthern[index],
                   out.yearSouthern[index], out.yearCoverage[index]);
        for (size_t p = 0; p < out.positions.size(); ++p) {
            unsigned int cell = in.positionCells[p];
            out.positions[p].years[index] =
                in.positionInGrid[p] && yearCounts[cell] != 0 ? yearValues[cell] : MISSING_VALUE;
        }
    }
}

bool anyValue(const std::vector<double>& series)
{
    for (double value : series)
        if (value != MISSING_VALUE)
            return true;
    return false;
}

} // namespace

ChartSeries::ChartSeries(OrvexDatabase& database, PositionCollection& positionList)
    : period(database.getReference())
{
    std::string fullName = static_cast<const char*>(database.getName());
    name = fullName.substr(fullName.find_last_of("/\\") + 1);
    unsigned int monthCount = database.getMonthCount();
    if (monthCount == 0)
        return;

    SeriesInput in;
    in.rows = database.getRows();
    in.columns = database.getColumns();
    in.monthCount = monthCount;
    std::vector<double> weights(in.rows);
    for (unsigned int row = 0; row < in.rows; ++row)
        weights[row] = database.getLatitudeWeight(row);
    in.weights = weights.data();
    in.reference = period;

    positionList.reset();
    while (positionList.hasMoreElements()) {
        const Position& position = positionList.nextPosition();
        PositionSeries series;
        series.number = positionList.getCurrentNumber();
        series.name = static_cast<const char*>(position.name);
        unsigned int cell = 0;
        in.positionInGrid.push_back(database.cellIndex(position.coordinates, cell));
        in.positionCells.push_back(cell);
        positionSeries.push_back(series);
    }

    unsigned int years = (monthCount + 11) / 12;
    global.assign(monthCount, MISSING_VALUE);
    northern = southern = global;
    coverage.assign(monthCount, 0.0);
    yearGlobal.assign(years, MISSING_VALUE);
    yearNorthern = yearSouthern = yearGlobal;
    yearCoverage.assign(years, 0.0);
    for (PositionSeries& series : positionSeries) {
        series.months.assign(monthCount, MISSING_VALUE);
        series.years.assign(years, MISSING_VALUE);
    }
    SeriesOutput out{global,       northern,     southern,     coverage,      yearGlobal,
                     yearNorthern, yearSouthern, yearCoverage, positionSeries};

    // Two readers on handles of their own, each taking a run of years.
    WFile firstFile, secondFile;
    firstFile.open(database.getName(), false);
    GridMonths first(firstFile, database.getBlockSize(), in.rows, in.columns);
    std::unique_ptr<Climatology> climatology;
    if (!period.isStored())
        climatology.reset(new Climatology(first, in.weights, period.firstYear, period.lastYear));
    in.climatology = climatology.get();
    std::unique_ptr<GridMonths> second;
    try {
        secondFile.open(database.getName(), false);
        second.reset(new GridMonths(secondFile, database.getBlockSize(), in.rows, in.columns));
    } catch (const WException&) {
        // Then the first reader reads every year.
    }
    unsigned int split = second ? years / 2 : years;
    std::exception_ptr failure;
    std::thread other;
    if (second)
        other = std::thread([&] {
            try {
                readYears(*second, in, split, years, out);
            } catch (...) {
                failure = std::current_exception();
            }
        });
    try {
        readYears(first, in, 0, split, out);
    } catch (...) {
        if (other.joinable())
            other.join();
        throw;
    }
    if (other.joinable())
        other.join();
    if (failure)
        std::rethrow_exception(failure);

    withData = anyValue(global);
    for (PositionSeries& series : positionSeries)
        if (!anyValue(series.months)) {
            series.outsideReason = "keine Daten in ihrer Gitterzelle";
            series.months.clear();
            series.years.clear();
        }
    for (size_t p = 0; p < positionSeries.size(); ++p)
        if (!in.positionInGrid[p])
            positionSeries[p].outsideReason = "außerhalb des Gitters";
}

double ChartSeries::referenceMean(int position) const
{
    if (period.isStored())
        return 0.0;
    const std::vector<double>& years =
        position < 0 ? yearGlobal : positionSeries[static_cast<size_t>(position)].years;
    double sum = 0.0;
    unsigned int count = 0;
    for (unsigned int year = period.firstYear; year <= period.lastYear; ++year) {
        size_t index = year - FIRST_YEAR;
        if (index < years.size() && years[index] != MISSING_VALUE) {
            sum += years[index];
            ++count;
        }
    }
    return count > 0 ? sum / count : 0.0;
}
