#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "CellMapping.h"
#include "GridAxes.h"
#include "VariableChoice.h"

class NetcdfFile;

// The chosen variable of an open file, its axes, the level taken, the
// 5-degree mapping of its grid and the block (month from January 1850,
// 1-based) of each of its time steps. Each step below throws ImportFailure
// with the console importer's reason; the dialog's preview runs them one by
// one to show how far a file gets.
class ImportSource {
public:
    // name: UTF-8, empty for the rules of VariableChoice.
    ImportSource(const NetcdfFile& file, const std::string& name, bool climatology);

    // The latitude, longitude, time and level axes.
    void findAxes();
    // The level equal to wanted; without one, the only level.
    void chooseLevel(bool hasWanted, double wanted);
    void mapGrid();
    // The blocks of the time steps.
    void placeTimeSteps();

    const NetcdfVariable& variable() const { return *choice.variable; }
    const VariableChoice& howChosen() const { return choice; }
    const Axis& latitude() const { return axes[latitudeAxis]; }
    const Axis& longitude() const { return axes[longitudeAxis]; }
    const Axis& time() const { return axes[timeAxis]; }
    const Axis* level() const { return levelAxis >= 0 ? &axes[size_t(levelAxis)] : nullptr; }
    int levelIndex() const { return levelChosen; }
    double levelValue() const { return levelCoordinate; }
    const CellMapping& mapping() const { return *cells; }
    bool repeatsFirstColumn() const { return repeats; }
    double repeatedWest() const { return west; }
    double repeatedEast() const { return east; }
    // Values of the repeated last column that differ from the first column's so far.
    int64_t differingValues() const { return differing; }
    size_t steps() const { return time().size; }
    const std::vector<int64_t>& blocks() const { return stepBlocks; }
    // Added to every value: kelvin to degrees C for a climatology in kelvin.
    double offset() const { return valueOffset; }

    // The time steps (ascending) at the level taken, without a repeated last
    // longitude: steps.size() x latitudes x longitudes into values (its
    // memory reused from call to call).
    void read(const std::vector<int>& steps, std::vector<double>& values);

    // "(time, latitude, longitude)", as messages show a variable's dimensions.
    std::string dimensionsText() const;

private:
    std::vector<int64_t> anomalyBlocks() const;
    std::vector<int64_t> climatologyBlocks() const;
    void readRun(int start, int stop, std::vector<double>& values, size_t& written);

    const NetcdfFile& file;
    bool climatology;
    VariableChoice choice;
    std::vector<Axis> axes;
    size_t latitudeAxis = 0, longitudeAxis = 0, timeAxis = 0;
    int levelAxis = -1;
    int levelChosen = -1;
    double levelCoordinate = 0;
    std::unique_ptr<CellMapping> cells;
    bool repeats = false;
    double west = 0, east = 0;
    int64_t differing = 0;
    std::vector<int64_t> stepBlocks;
    double valueOffset = 0;
    std::vector<double> run;  // the values of one run of time steps as read
};

// The variable's name in the program's code page, as messages show it.
std::string shownName(const NetcdfVariable& variable);
