#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FieldChoice.h"
#include "GridBlockReader.h"
#include "WFile.h"
#include "WString.h"

class Climatology;
class GmsCoordinates;
class GridMonths;

// Marks a cell without data, and every value taken from such a cell.
constexpr double MISSING_VALUE = -99.9;

// One open grid data set and the field last loaded from it.
//
// A grid file is a sequence of fixed-size month blocks, January 1850 first:
// a header line, then one text line per grid row (row 0 is the band
// 90N-85N, rows run southwards) holding the row's cells from 180W eastwards.
// The field is one month, the average of the twelve months of a year or
// of the three of a season, or a trend map. Every field but a trend map is
// referred to the chosen reference period; its global value, coverage and
// cell values are those of the field as shown.
class OrvexDatabase {
public:
    enum { TYPE_CLOSED = 0, TYPE_GRID_FILE = 1, TYPE_ONE_DEGREE = 2 };

    OrvexDatabase();
    OrvexDatabase(const OrvexDatabase&) = delete;
    OrvexDatabase& operator=(const OrvexDatabase&) = delete;
    ~OrvexDatabase();

    // Type 1 opens the grid file; type 2 is a 1-degree grid without a file.
    // The field starts without data; no month is read. The grid file is read
    // with the block size for its name (blockSizeForName).
    void open(unsigned int type, const char* fileName);
    // The same with the grid file read in blocks of this size.
    void open(unsigned int type, const char* fileName, unsigned int blockSize);
    void close();
    // A month or a year average; ends a season or trend map.
    void load(unsigned int year, unsigned int month, bool yearAverage);
    // The mean of a season (DJF..SON) of a year by the year-average rule.
    // Throws FieldChoiceError, changing nothing, for a season the data set
    // does not reach.
    void loadSeason(unsigned int year, unsigned int season);
    // The trend map of the span; the reference does not change it. Throws
    // FieldChoiceError, changing nothing, for a span outside the data set,
    // fewer than MIN_TREND_YEARS_APART years apart or without a cell that
    // meets the two-thirds rule.
    void loadTrend(const TrendSpan& span);
    // Refers every field from now on to the period and reads the field
    // again. Throws FieldChoiceError, changing nothing, for a period outside
    // the data set or shorter than MIN_REFERENCE_YEARS years. Kept across
    // open while the new data set covers it.
    void setReference(const ReferencePeriod& reference);

    // Up and Down: a year on (a month, year average or season); a trend map
    // stays as it is.
    void nextYear();
    void previousYear();
    // Right and Left: a month on, or in season mode a season on (SON to DJF
    // of the next year). Both return false, and change nothing, in
    // year-average mode and on a trend map.
    bool nextMonth();
    bool previousMonth();

    void readField();
    void clearField();
    // Every cell holds value: the colours an animation's palette must hold
    // are those of such fields.
    void fillField(double value);
    // Whole month blocks in the open grid file; 0 when none is open.
    unsigned int getMonthCount();

    // No range check: the renderer calls this for every cell of the grid.
    double valueAtCell(unsigned int column, unsigned int row) const
    {
        return cellValues[row * columns + column];
    }
    // The value of the cell holding the coordinates, or MISSING_VALUE.
    double valueAt(const GmsCoordinates& coordinates) const;

    unsigned int getYear() const { return year; }
    unsigned int getMonth() const { return month; }
    bool isYearAverage() const { return yearAverage; }
    // 1..4 in season mode (then isYearAverage is false), else NO_SEASON.
    unsigned int getSeason() const { return season; }
    bool isTrend() const { return trendShown; }
    const TrendSpan& getTrend() const { return trend; }
    // On a trend map: the trend of the global value over the span, in
    // degrees per decade (getGlobalMean is the mean of the cells' trends).
    double getGlobalTrend() const { return globalTrend; }
    const ReferencePeriod& getReference() const { return reference; }
    // Set by open when it had to return to the stored anomalies because the
    // new data set does not cover the reference: the German sentence that
    // says so. Empty otherwise.
    const std::string& getReferenceNotice() const { return referenceNotice; }
    const WString& getName() const { return name; }
    double getGlobalMean() const { return globalMean; }
    double getCoverage() const { return coverage; }
    unsigned int getCellsWithData() const { return cellsWithData; }
    unsigned int getColumns() const { return columns; }
    unsigned int getRows() const { return rows; }
    unsigned int getResolution() const { return resolution; }

    // Bytes per month block of the open grid file.
    unsigned int getBlockSize() const { return blockSize; }
    // The row-major index of the cell holding the coordinates; false when
    // they lie outside the grid.
    bool cellIndex(const GmsCoordinates& coordinates, unsigned int& cell) const;

    // Bytes per month block for a data set opened under this name.
    static unsigned int blockSizeForName(const char* name);
    // Area share of one cell in the given row; valid while the set is open.
    double getLatitudeWeight(unsigned int row) const { return latitudeWeights[row]; }

private:
    void computeLatitudeWeights();
    bool readMonthBlock(long long monthIndex);
    void seekTo(long long offset);
    void averageField();
    // The months of the field: 1 (month), 12 (year average) or 3 (season).
    std::vector<long long> fieldMonths() const;
    // The field referred per cell: each month's values less the cell's mean
    // of that calendar month, then averaged.
    void readFieldPerCell();
    GridMonths& months();
    const Climatology& climatology(unsigned int firstYear, unsigned int lastYear);

    // Every cached computation belongs to the open file.
    void dropCaches();

    unsigned int dbType;
    double* latitudeWeights;
    double* cellValues;
    unsigned int* cellCounts;
    unsigned int resolution;
    unsigned int columns;
    unsigned int rows;
    WFile file;
    unsigned int year;
    unsigned int month;
    double globalMean;
    bool yearAverage;
    unsigned int cellsWithData;
    double coverage;
    WString name;
    unsigned int blockSize;
    GridBlockReader blockReader;
    unsigned int season;
    bool trendShown;
    TrendSpan trend;
    double globalTrend;
    ReferencePeriod reference;
    std::string referenceNotice;
    std::unique_ptr<GridMonths> monthReader;
    std::map<std::pair<unsigned int, unsigned int>, std::unique_ptr<Climatology>> climatologies;
};
