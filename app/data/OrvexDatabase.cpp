#include "OrvexDatabase.h"

#include <climits>
#include <cmath>

#include "AreaMean.h"
#include "Climatology.h"
#include "DataSets.h"
#include "GmsCoordinates.h"
#include "GridMonths.h"
#include "MonthText.h"
#include "TrendField.h"
#include "WException.h"
#include "WMemory.h"
#include "YearRange.h"

namespace {

// The area weights are defined with these truncated constants, exactly.
const double degreesToRadians = 0.0174532925;
const double halfPi = 1.570796325;
const double twoPi = 6.2831853;
const double fourPi = 12.5663706;
const double earthRadius = 6371.0;

// Climatologies kept per open data set; each holds 12 values per cell.
const size_t keptClimatologies = 8;

} // namespace

OrvexDatabase::OrvexDatabase()
    : dbType(TYPE_CLOSED),
      latitudeWeights(nullptr),
      cellValues(nullptr),
      cellCounts(nullptr),
      resolution(0),
      columns(0),
      rows(0),
      year(0),
      month(0),
      globalMean(0.0),
      yearAverage(false),
      cellsWithData(0),
      coverage(0.0),
      blockSize(0),
      season(NO_SEASON),
      trendShown(false),
      globalTrend(0.0)
{
}

OrvexDatabase::~OrvexDatabase()
{
    close();
}

void OrvexDatabase::open(unsigned int type, const char* fileName)
{
    open(type, fileName, blockSizeForName(fileName));
}

void OrvexDatabase::open(unsigned int type, const char* fileName, unsigned int blockSize)
{
    close();
    this->blockSize = blockSize;
    dbType = type;
    if (type == TYPE_GRID_FILE) {
        resolution = 5;
        name = fileName;
        file.open(fileName, false);
        try {
            blockReader.checkFirstHeader(file, blockSize);
        } catch (const WException&) {
            // Left as a set that could not be opened: no grid.
            file.close();
            throw;
        }
    } else if (type == TYPE_ONE_DEGREE) {
        resolution = 1;
        name = fileName;
    } else {
        dbType = TYPE_CLOSED;
        throw WException("Unkown orvex database dbType.");
    }
    unsigned int newColumns = 360 / resolution;
    unsigned int newRows = 180 / resolution;
    unsigned long cells = static_cast<unsigned long>(newColumns) * newRows;
    latitudeWeights = static_cast<double*>(WMemory::allocMemory(newRows * sizeof(double)));
    cellValues = static_cast<double*>(WMemory::allocMemory(cells * sizeof(double)));
    cellCounts = static_cast<unsigned int*>(WMemory::allocMemory(cells * sizeof(unsigned int)));
    columns = newColumns;
    rows = newRows;
    computeLatitudeWeights();
    clearField();
    trendShown = false;
    referenceNotice.clear();
    try {
        checkReference(reference, getMonthCount());
    } catch (const FieldChoiceError&) {
        std::string file(fileName);
        file = file.substr(file.find_last_of("/\\") + 1);
        referenceNotice = "Der Datensatz " + file +
                          " reicht nicht über den Bezugszeitraum " +
                          yearSpanText(reference.firstYear, reference.lastYear) +
                          "; die Karte zeigt seine Abweichungen wie gespeichert.";
        reference = ReferencePeriod();
    }
}

void OrvexDatabase::close()
{
    WMemory::freeMemory(latitudeWeights);
    WMemory::freeMemory(cellValues);
    WMemory::freeMemory(cellCounts);
    latitudeWeights = nullptr;
    cellValues = nullptr;
    cellCounts = nullptr;
    dropCaches();
    file.close();
    dbType = TYPE_CLOSED;
    resolution = 0;
    columns = 0;
    rows = 0;
    cellsWithData = 0;
    globalMean = 0.0;
    coverage = 0.0;
}

void OrvexDatabase::load(unsigned int year, unsigned int month, bool yearAverage)
{
    this->year = year;
    this->month = month;
    this->yearAverage = yearAverage;
    season = NO_SEASON;
    trendShown = false;
    if (dbType == TYPE_GRID_FILE)
        readField();
}

void OrvexDatabase::loadSeason(unsigned int year, unsigned int season)
{
    checkSeason(year, season, getMonthCount());
    this->year = year;
    this->season = season;
    yearAverage = false;
    trendShown = false;
    readField();
}

void OrvexDatabase::loadTrend(const TrendSpan& span)
{
    checkTrend(span, getMonthCount());
    // A second reader, on a handle of its own, takes half of the years on
    // a second thread.
    std::vector<GridMonths*> readers = {&months()};
    WFile secondFile;
    std::unique_ptr<GridMonths> second;
    try {
        secondFile.open(name, false);
        second.reset(new GridMonths(secondFile, blockSize, rows, columns));
        readers.push_back(second.get());
    } catch (const WException&) {
        // Then the first reader reads every year.
    }
    TrendField field(readers, latitudeWeights, span);
    unsigned long cells = static_cast<unsigned long>(rows) * columns;
    for (unsigned long i = 0; i < cells; ++i) {
        cellValues[i] = field.cellTrends()[i];
        cellCounts[i] = cellValues[i] != MISSING_VALUE ? 1 : 0;
    }
    averageField();
    trend = span;
    globalTrend = field.globalTrend();
    trendShown = true;
}

void OrvexDatabase::setReference(const ReferencePeriod& newReference)
{
    checkReference(newReference, getMonthCount());
    if (!newReference.isStored())
        climatology(newReference.firstYear, newReference.lastYear);
    reference = newReference;
    if (!trendShown)
        readField();
}

void OrvexDatabase::nextYear()
{
    if (trendShown)
        return;
    ++year;
    if (dbType == TYPE_GRID_FILE)
        readField();
}

void OrvexDatabase::previousYear()
{
    if (trendShown)
        return;
    --year;
    if (dbType == TYPE_GRID_FILE)
        readField();
}

bool OrvexDatabase::nextMonth()
{
    if (yearAverage || trendShown)
        return false;
    if (season != NO_SEASON) {
        if (season < SON) {
            ++season;
        } else {
            if (year == UINT_MAX)
                return true;
            ++year;
            season = DJF;
        }
    } else if (month >= 12) {
        if (year == UINT_MAX)
            return true;
        ++year;
        month = 1;
    } else {
        ++month;
    }
    if (dbType == TYPE_GRID_FILE)
        readField();
    return true;
}

bool OrvexDatabase::previousMonth()
{
    if (yearAverage || trendShown)
        return false;
    if (season != NO_SEASON) {
        if (season > DJF) {
            --season;
        } else {
            if (year <= FIRST_YEAR)
                return true;
            --year;
            season = SON;
        }
    } else if (month <= 1) {
        if (year <= FIRST_YEAR)
            return true;
        --year;
        month = 12;
    } else {
        --month;
    }
    if (dbType == TYPE_GRID_FILE)
        readField();
    return true;
}

unsigned int OrvexDatabase::blockSizeForName(const char* name)
{
    // Matched at the start of the name only: the same file opened under
    // another form of its path is read with the default size.
    WString text(name);
    for (const DataSet& set : dataSets())
        if (text.startsWith(set.file))
            return set.blockSize;
    return DEFAULT_BLOCK_SIZE;
}

void OrvexDatabase::computeLatitudeWeights()
{
    double delta = resolution * degreesToRadians;
    double cellsPerRow = 360.0 / resolution;
    double sphere = earthRadius * earthRadius * fourPi;
    double upper = halfPi;
    double lower = halfPi - delta;
    for (unsigned int row = 0; row < rows; ++row) {
        latitudeWeights[row] = std::fabs(std::sin(lower) - std::sin(upper)) * (1.0 / cellsPerRow) *
                               (earthRadius * earthRadius) * twoPi * (1.0 / sphere);
        lower -= delta;
        upper -= delta;
    }
}

void OrvexDatabase::clearField()
{
    unsigned long cells = static_cast<unsigned long>(rows) * columns;
    for (unsigned long i = 0; i < cells; ++i) {
        cellValues[i] = MISSING_VALUE;
        cellCounts[i] = 0;
    }
    cellsWithData = 0;
    globalMean = 0.0;
    coverage = 0.0;
}

void OrvexDatabase::fillField(double value)
{
    if (cellValues == nullptr)
        return;
    unsigned long cells = static_cast<unsigned long>(rows) * columns;
    for (unsigned long i = 0; i < cells; ++i) {
        cellValues[i] = value;
        cellCounts[i] = 1;
    }
    cellsWithData = static_cast<unsigned int>(cells);
    globalMean = value;
    coverage = 100.0;
}

unsigned int OrvexDatabase::getMonthCount()
{
    if (dbType != TYPE_GRID_FILE || !file.isOpen())
        return 0;
    return static_cast<unsigned int>(file.getSize() / blockSize);
}

std::vector<long long> OrvexDatabase::fieldMonths() const
{
    // Signed 64-bit month numbers: months before January 1850 (and years far
    // out) must land outside the file, never wrap back into it.
    if (season != NO_SEASON) {
        long long first = seasonFirstMonth(year, season);
        return {first, first + 1, first + 2};
    }
    if (!yearAverage)
        return {monthNumber(year, month)};
    std::vector<long long> months;
    for (unsigned int m = 1; m <= 12; ++m)
        months.push_back(monthNumber(year, m));
    return months;
}

void OrvexDatabase::readField()
{
    // Without a grid (the file failed to open) there is nothing to read; a
    // trend map is no month's field.
    if (cellValues == nullptr || !file.isOpen() || trendShown)
        return;
    bool monthMode = !yearAverage && season == NO_SEASON;
    if (monthMode && (month < 1 || month > 12)) {
        clearField();
        return;
    }
    try {
        if (reference.method == ReferencePeriod::PER_CELL) {
            readFieldPerCell();
            return;
        }
        unsigned long cells = static_cast<unsigned long>(rows) * columns;
        for (unsigned long i = 0; i < cells; ++i) {
            cellValues[i] = 0.0;
            cellCounts[i] = 0;
        }
        cellsWithData = 0;
        // A year or season averages the months the data set has.
        bool anyMonth = false;
        for (long long k : fieldMonths())
            anyMonth = readMonthBlock(k) || anyMonth;
        if (monthMode && !anyMonth) {
            clearField();
            return;
        }
        if (reference.method == ReferencePeriod::GLOBAL) {
            double shift = climatology(reference.firstYear, reference.lastYear).globalMean();
            for (unsigned long i = 0; i < cells; ++i)
                if (cellCounts[i] != 0)
                    cellValues[i] -= shift * cellCounts[i];
        }
    } catch (const WException&) {
        // Half-added sums are no field: the map shows none.
        clearField();
        throw;
    }
    averageField();
}

void OrvexDatabase::readFieldPerCell()
{
    const Climatology& means = climatology(reference.firstYear, reference.lastYear);
    unsigned long cells = static_cast<unsigned long>(rows) * columns;
    for (unsigned long i = 0; i < cells; ++i) {
        cellValues[i] = 0.0;
        cellCounts[i] = 0;
    }
    std::vector<double> values;
    std::vector<unsigned int> counts;
    bool anyMonth = false;
    for (long long k : fieldMonths()) {
        if (!months().read(k, values, counts))
            continue;
        anyMonth = true;
        unsigned int calendarMonth = static_cast<unsigned int>((k - 1) % 12) + 1;
        for (unsigned long i = 0; i < cells; ++i) {
            double mean = means.cellMean(calendarMonth, i);
            if (counts[i] != 0 && mean != MISSING_VALUE) {
                cellValues[i] += values[i] - mean;
                ++cellCounts[i];
            }
        }
    }
    if (!anyMonth && !yearAverage && season == NO_SEASON) {
        clearField();
        return;
    }
    averageField();
}

GridMonths& OrvexDatabase::months()
{
    if (!monthReader)
        monthReader.reset(new GridMonths(file, blockSize, rows, columns));
    return *monthReader;
}

const Climatology& OrvexDatabase::climatology(unsigned int firstYear, unsigned int lastYear)
{
    std::pair<unsigned int, unsigned int> period(firstYear, lastYear);
    auto kept = climatologies.find(period);
    if (kept != climatologies.end())
        return *kept->second;
    if (climatologies.size() >= keptClimatologies)
        climatologies.clear();
    std::unique_ptr<Climatology> computed(
        new Climatology(months(), latitudeWeights, firstYear, lastYear));
    return *climatologies.emplace(period, std::move(computed)).first->second;
}

void OrvexDatabase::dropCaches()
{
    climatologies.clear();
    monthReader.reset();
}

bool OrvexDatabase::readMonthBlock(long long monthIndex)
{
    if (monthIndex < 1)
        return false;
    long long start = (monthIndex - 1) * blockSize;
    long long end = monthIndex * blockSize;
    if (end > static_cast<long long>(file.getSize()))
        return false;
    seekTo(start);
    blockReader.read(file, blockSize, GridSums{cellValues, cellCounts, rows, columns});
    return true;
}

void OrvexDatabase::seekTo(long long offset)
{
    // setPos takes an int: offsets beyond 2 GB are reached in steps.
    int step = static_cast<int>(offset < INT_MAX ? offset : INT_MAX);
    file.setPos(step);
    for (offset -= step; offset > 0; offset -= step) {
        step = static_cast<int>(offset < INT_MAX ? offset : INT_MAX);
        file.skip(step);
    }
}

void OrvexDatabase::averageField()
{
    unsigned int withData = 0;
    unsigned long cells = static_cast<unsigned long>(rows) * columns;
    for (unsigned long i = 0; i < cells; ++i) {
        if (cellCounts[i] != 0) {
            cellValues[i] /= cellCounts[i];
            ++withData;
        } else {
            cellValues[i] = MISSING_VALUE;
        }
    }
    areaMean(cellValues, cellCounts, latitudeWeights, rows, columns, globalMean, coverage);
    cellsWithData = withData;
}

bool OrvexDatabase::cellIndex(const GmsCoordinates& coordinates, unsigned int& cell) const
{
    // Negative degrees would wrap into the grid in unsigned arithmetic.
    if (resolution == 0 || coordinates.latDegrees < 0 || coordinates.lonDegrees < 0)
        return false;
    unsigned int g = resolution;
    unsigned int latitude = static_cast<unsigned int>(coordinates.latDegrees);
    unsigned int longitude = static_cast<unsigned int>(coordinates.lonDegrees);
    unsigned int a = latitude - latitude % g;
    unsigned int b = longitude - longitude % g;
    unsigned int row = coordinates.latSouth ? (a + 90) / g : (90 - a) / g - 1;
    unsigned int column = coordinates.lonWest ? (180 - b) / g - 1 : (b + 180) / g;
    if (row >= rows || column >= columns)
        return false;
    cell = row * columns + column;
    return true;
}

double OrvexDatabase::valueAt(const GmsCoordinates& coordinates) const
{
    unsigned int cell = 0;
    if (cellValues == nullptr || !cellIndex(coordinates, cell))
        return MISSING_VALUE;
    return cellValues[cell];
}
