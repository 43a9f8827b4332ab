#pragma once

#include <string>

#include "WFile.h"
#include "WString.h"

// The file format of the series export: three heading lines, then one line
// per month or per group of months, fields separated by semicolons, numbers
// with a decimal comma, lines ended by CR LF. Without positions a line has
// four fields, with positions five (the fourth the positions' mean, -99,9
// when none of them has a value). Lines are collected and written in large
// blocks; every failure to create or write the file is a WFileException.
class CsvSeriesWriter {
public:
    explicit CsvSeriesWriter(bool withPositions);
    CsvSeriesWriter(const CsvSeriesWriter&) = delete;
    CsvSeriesWriter& operator=(const CsvSeriesWriter&) = delete;

    // Creates the file anew.
    void create(const char* fileName);
    // dataSetFile: the data set's file name without folders; positionNames:
    // what the heading calls the position column (ignored without positions).
    void writeHeading(const char* dataSetFile, const char* positionNames);
    void writeMonth(unsigned int year, unsigned int month, double globalMean, double positionMean,
                    double coverage);
    // The averages of a group of months; yearText and monthText as "1990"
    // or "1990 bis 1991".
    void writeGroup(const char* yearText, const char* monthText, double globalMean,
                    double positionMean, double coverage);
    // Writes what is still collected and closes the file.
    void close();

private:
    void appendDataLine(const WString& leading, double globalMean, double positionMean,
                        double coverage);
    void appendLine(const char* text);
    void writeBuffer();

    bool withPositions;
    WFile file;
    std::string buffer;
};
