#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "FieldChoice.h"

// A mistake in what the user asked for: one line for stderr, exit code 2.
class RenderInputError : public std::runtime_error {
public:
    explicit RenderInputError(const std::string& message) : std::runtime_error(message) {}
};

// The command line of the batch renderer, checked for everything that can
// be checked without opening a file. Texts are UTF-8.
struct RenderOptions {
    enum class Output { Gif, Jpeg, Emf, Csv, Png };
    // Instead of a map: the time-series chart or the warming stripes.
    enum class Chart { None, Global, Hemispheres, Positions, Stripes };

    bool help = false;
    std::string data = "hadcrut3v";
    // One picture: firstYear/firstMonth (month or year average). A range:
    // first to last, one frame per month or per year average.
    bool range = false;
    bool yearAverage = false;
    // Season means: firstMonth and lastMonth then hold seasons 1..4.
    bool seasons = false;
    unsigned int firstYear = 0, firstMonth = 1, lastYear = 0, lastMonth = 1;
    // A trend map instead of a month, year or season.
    bool trend = false;
    TrendSpan trendSpan;
    ReferencePeriod reference;
    bool globe = false;
    int mapType = 2;
    int scalePercent = 75;
    bool centreGiven = false;
    double centreLatitude = 0, centreLongitude = 0; // degrees
    std::string positions;
    std::string out;
    Output output = Output::Gif;
    unsigned int delay = 10;
    unsigned int hold = 100;
    unsigned int loop = 0;
    Chart chart = Chart::None;
    // The chart's months (--from/--to), else every month of the data set.
    bool chartRange = false;
    // With a chart: trend (trendSpan's years) is a trend line.
    unsigned int runningYears = 0;
    int width = 900, height = 500;
    bool labels = true;
    int coverage = 1;          // 0 none, 1 a band in the chart, 2 a panel below it
    unsigned int position = 0; // the stripes of this position number; 0: global

    // Throws RenderInputError.
    static RenderOptions parse(const std::vector<std::string>& arguments);
    // The rules of --chart, after parse has read every option.
    static RenderOptions parseChart(RenderOptions options, bool from, bool to,
                                    const std::string& fromText, const std::string& toText,
                                    bool singleField, bool mapOnly);
    // The file of a data set given by its name (hadcrut4, ...), or the
    // argument itself when it is a file name.
    std::string dataFile() const;
};

// The German text --help prints.
extern const char* const renderHelpText;
