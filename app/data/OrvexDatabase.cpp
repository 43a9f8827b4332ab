#include "OrvexDatabase.h"

#include <climits>
#include <cmath>

#include "Climatology.h"
#include "DataSets.h"
#include "GmsCoordinates.h"
#include "GridMonths.h"
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
}

void OrvexDatabase::close()
{
    WMemory::freeMemory(latitudeWeights);
    WMemory::freeMemory(cellValues);
    WMemory::freeMemory(cellCounts);
    latitudeWeights = nullptr;
    cellValues = nullptr;
    cellCounts = nullptr;
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
    if (dbType == TYPE_GRID_FILE)
        readField();
}

void OrvexDatabase::nextYear()
{
    ++year;
    if (dbType == TYPE_GRID_FILE)
        readField();
}

void OrvexDatabase::previousYear()
{
    --year;
    if (dbType == TYPE_GRID_FILE)
        readField();
}

bool OrvexDatabase::nextMonth()
{
    if (yearAverage)
        return false;
    if (month >= 12) {
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
    if (yearAverage)
        return false;
    if (month <= 1) {
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

void OrvexDatabase::readField()
{
    // Without a grid (the file failed to open) there is nothing to read.
    if (cellValues == nullptr || !file.isOpen())
        return;
    unsigned long cells = static_cast<unsigned long>(rows) * columns;
    for (unsigned long i = 0; i < cells; ++i) {
        cellValues[i] = 0.0;
        cellCounts[i] = 0;
    }
    cellsWithData = 0;

    // Signed 64-bit month index: months before January 1850 (and years far
    // out) must land outside the file, never wrap back into it.
    long long firstMonthIndex = (static_cast<long long>(year) - FIRST_YEAR) * 12;
    try {
        if (yearAverage) {
            for (int m = 1; m <= 12; ++m) {
                if (!readMonthBlock(firstMonthIndex + m))
                    break;
            }
        } else if (month < 1 || month > 12 || !readMonthBlock(firstMonthIndex + month)) {
            clearField();
            return;
        }
    } catch (const WException&) {
        // Half-added sums are no field: the map shows none.
        clearField();
        throw;
    }
    averageField();
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
    double weightedSum = 0.0;
    double weightWithData = 0.0;
    unsigned int withData = 0;
    for (unsigned int row = 0; row < rows; ++row) {
        double weight = latitudeWeights[row];
        for (unsigned int column = 0; column < columns; ++column) {
            unsigned long i = static_cast<unsigned long>(row) * columns + column;
            if (cellCounts[i] != 0) {
                cellValues[i] /= cellCounts[i];
                ++withData;
                weightedSum = cellValues[i] * weight + weightedSum;
                weightWithData += weight;
            } else {
                cellValues[i] = MISSING_VALUE;
            }
        }
    }
    // The area-weighted mean over the cells with data: cells without data
    // count as having that same mean, so the sum is scaled up to the whole
    // earth rather than padded with it.
    globalMean = withData > 0 ? weightedSum / weightWithData : 0.0;
    coverage = weightWithData * 100.0;
    cellsWithData = withData;
}

double OrvexDatabase::valueAt(const GmsCoordinates& coordinates) const
{
    // Negative degrees would wrap into the grid in unsigned arithmetic.
    if (cellValues == nullptr || coordinates.latDegrees < 0 || coordinates.lonDegrees < 0)
        return MISSING_VALUE;
    unsigned int g = resolution;
    unsigned int latitude = static_cast<unsigned int>(coordinates.latDegrees);
    unsigned int longitude = static_cast<unsigned int>(coordinates.lonDegrees);
    unsigned int a = latitude - latitude % g;
    unsigned int b = longitude - longitude % g;
    unsigned int row = coordinates.latSouth ? (a + 90) / g : (90 - a) / g - 1;
    unsigned int column = coordinates.lonWest ? (180 - b) / g - 1 : (b + 180) / g;
    if (row >= rows || column >= columns)
        return MISSING_VALUE;
    return valueAtCell(column, row);
}
