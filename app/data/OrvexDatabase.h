#pragma once

#include "GridBlockReader.h"
#include "WFile.h"
#include "WString.h"

class GmsCoordinates;

// Marks a cell without data, and every value taken from such a cell.
constexpr double MISSING_VALUE = -99.9;

// One open grid data set and the field last loaded from it.
//
// A grid file is a sequence of fixed-size month blocks, January 1850 first:
// a header line, then one text line per grid row (row 0 is the band
// 90N-85N, rows run southwards) holding the row's cells from 180W eastwards.
// The field is one month, or the average of the twelve months of a year.
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
    void load(unsigned int year, unsigned int month, bool yearAverage);

    void nextYear();
    void previousYear();
    // Both return false, and change nothing, in year-average mode.
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
    const WString& getName() const { return name; }
    double getGlobalMean() const { return globalMean; }
    double getCoverage() const { return coverage; }
    unsigned int getCellsWithData() const { return cellsWithData; }
    unsigned int getColumns() const { return columns; }
    unsigned int getRows() const { return rows; }
    unsigned int getResolution() const { return resolution; }

    // Bytes per month block for a data set opened under this name.
    static unsigned int blockSizeForName(const char* name);
    // Area share of one cell in the given row; valid while the set is open.
    double getLatitudeWeight(unsigned int row) const { return latitudeWeights[row]; }

private:
    void computeLatitudeWeights();
    bool readMonthBlock(long long monthIndex);
    void seekTo(long long offset);
    void averageField();

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
};
