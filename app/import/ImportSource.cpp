#include "ImportSource.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "ImportFailure.h"
#include "ImportText.h"
#include "MonthText.h"
#include "NetcdfFile.h"
#include "TimeAxis.h"
#include "YearRange.h"

namespace {

const double ZERO_CELSIUS = 273.15;
// Levels named when no level is given.
const size_t FIRST_LEVELS_SHOWN = 8;
// Time steps in different months from January -9999 to December 9999, the
// months the program can place: a longer time axis cannot be imported.
const size_t MOST_STEPS = 20000 * 12;

std::string levelList(const std::vector<double>& values, size_t count) {
    std::vector<std::string> texts;
    for (size_t i = 0; i < std::min(count, values.size()); ++i)
        texts.push_back(levelText(values[i]));
    return joined(texts, ", ");
}

}  // namespace

std::string shownName(const NetcdfVariable& variable) {
    return utf8ToCp1252(variable.name());
}

ImportSource::ImportSource(const NetcdfFile& file, const std::string& name, bool climatology)
    : file(file), climatology(climatology), choice(chooseVariable(file, name, climatology)) {}

std::string ImportSource::dimensionsText() const {
    std::vector<std::string> names;
    for (const std::string& d : variable().dimensions())
        names.push_back(utf8ToCp1252(d));
    return "(" + joined(names, ", ") + ")";
}

void ImportSource::findAxes() {
    std::string v = "'" + shownName(variable()) + "' " + dimensionsText();
    axes = axesOf(file, variable());
    std::vector<size_t> latitudes, longitudes, times, levels;
    for (size_t i = 0; i < axes.size(); ++i) {
        switch (axes[i].kind) {
        case AxisKind::Latitude: latitudes.push_back(i); break;
        case AxisKind::Longitude: longitudes.push_back(i); break;
        case AxisKind::Time: times.push_back(i); break;
        case AxisKind::Level: levels.push_back(i); break;
        default: break;
        }
    }
    if (latitudes.empty() || longitudes.empty())
        throw ImportFailure(v + " has no latitude and longitude coordinates (1-D variables with units degrees_north "
                                "and degrees_east)",
                            v + " hat keine Breiten- und Längenkoordinaten (1-D-Variablen mit den Einheiten "
                                "degrees_north und degrees_east)");
    struct Kind {
        const std::vector<size_t>& found;
        const char* english;
        const char* german;
    };
    for (const Kind& kind : {Kind{latitudes, "latitude", "Breitenachsen"}, Kind{longitudes, "longitude", "Längenachsen"},
                             Kind{times, "time", "Zeitachsen"}}) {
        if (kind.found.size() > 1) {
            std::vector<std::string> names;
            for (size_t i : kind.found)
                names.push_back("'" + utf8ToCp1252(axes[i].dimension) + "'");
            throw ImportFailure(v + " has two " + kind.english + " axes, " + joined(names, " and "),
                                v + " hat zwei " + kind.german + ", " + joined(names, " und "));
        }
    }
    if (times.empty()) {
        std::string english, german;
        for (size_t i : levels) {
            english += "; " + axes[i].describe() + " is a vertical axis, not months";
            german += "; " + axes[i].describe() + " ist eine Höhen- oder Tiefenachse, keine Monate";
        }
        throw ImportFailure(v + " has no time axis (a coordinate with units '<unit> since <date>', axis T or "
                                "standard_name time)" + english,
                            v + " hat keine Zeitachse (eine Koordinate mit der Einheit '<Einheit> since <Datum>', "
                                "axis T oder standard_name time)" + german);
    }
    for (const Axis& a : axes)
        if (a.kind == AxisKind::None && a.size > 1) {
            std::string d = "'" + utf8ToCp1252(a.dimension) + "'";
            throw ImportFailure(v + " has the dimension " + d + formatted(" of length %zu", a.size) +
                                    ", which is neither time, a level, latitude nor longitude",
                                v + " hat die Dimension " + d + formatted(" der Länge %zu", a.size) +
                                    ", die weder Zeit noch Höhe oder Tiefe, Breite oder Länge ist");
        }
    std::vector<size_t> chosen;
    for (size_t i : levels)
        if (axes[i].size > 1)
            chosen.push_back(i);
    if (chosen.size() > 1)
        throw ImportFailure(v + " has two level axes with more than one level, " + axes[chosen[0]].describe() +
                                " and " + axes[chosen[1]].describe(),
                            v + " hat zwei Höhen- oder Tiefenachsen mit mehr als einer Stufe, " +
                                axes[chosen[0]].describe() + " und " + axes[chosen[1]].describe());
    latitudeAxis = latitudes[0];
    longitudeAxis = longitudes[0];
    timeAxis = times[0];
    levelAxis = !chosen.empty() ? int(chosen[0]) : !levels.empty() ? int(levels[0]) : -1;
}

void ImportSource::chooseLevel(bool hasWanted, double wanted) {
    std::string name = "'" + shownName(variable()) + "'";
    const Axis* axis = level();
    if (!axis) {
        if (hasWanted)
            throw ImportFailure("--level " + levelText(wanted) + " was given, but " + name + " " + dimensionsText() +
                                    " has no level axis; leave --level out",
                                "Eine Höhe oder Tiefe (" + levelText(wanted) + ") wurde gewählt, aber " + name + " " +
                                    dimensionsText() + " hat keine Höhen- oder Tiefenachse");
        return;
    }
    std::vector<double> values = axis->values();
    std::string levels = levelList(values, values.size());
    if (hasWanted) {
        levelChosen = ::levelIndex(*axis, wanted);
        if (levelChosen < 0)
            throw ImportFailure("the level axis " + axis->describe() + " has no level " + levelText(wanted) +
                                    "; its levels: " + levels,
                                "die Höhen- oder Tiefenachse " + axis->describe() + " hat keine Stufe " +
                                    levelText(wanted) + "; ihre Stufen: " + levels);
    } else if (axis->size == 1) {
        levelChosen = 0;
    } else {
        std::string first = levelList(values, FIRST_LEVELS_SHOWN) + (axis->size > FIRST_LEVELS_SHOWN ? ", ..." : "");
        std::string example = levelText(values[0]);
        throw ImportFailure(name + formatted(" has %zu levels on the axis ", axis->size) + axis->describe() + ": " +
                                first + "; choose one with --level VALUE (for example --level " + example + ")",
                            name + formatted(" hat %zu Höhen- oder Tiefenstufen auf der Achse ", axis->size) +
                                axis->describe() + ": " + first + "; bitte eine davon auswählen (zum Beispiel " +
                                example + ")");
    }
    levelCoordinate = values[size_t(levelChosen)];
}

void ImportSource::mapGrid() {
    std::vector<double> longitudes = longitude().values();
    repeats = repeatsFirstLongitude(longitudes);
    if (repeats) {
        west = longitudes.front();
        east = longitudes.back();
        longitudes.pop_back();
    }
    cells = std::make_unique<CellMapping>(latitude().values(), longitudes);
}

void ImportSource::placeTimeSteps() {
    std::string name = "'" + shownName(variable()) + "'";
    if (steps() == 0)
        throw ImportFailure(name + " has no time steps", name + " hat keine Zeitschritte");
    variable().checkReadable();
    if (variable().storage() == Storage::None)
        throw ImportFailure(name + " holds no values: the file stores none of them, every one would be its fill value",
                            name + " enthält keine Werte: die Datei speichert keinen davon, jeder wäre ihr Füllwert");
    stepBlocks = climatology ? climatologyBlocks() : anomalyBlocks();
    valueOffset = climatology && isKelvin(variable()) ? -ZERO_CELSIUS : 0.0;
}

std::vector<int64_t> ImportSource::anomalyBlocks() const {
    const Axis& axis = time();
    std::string dimension = "'" + utf8ToCp1252(axis.dimension) + "'";
    if (!axis.coordinate)
        throw ImportFailure("the time dimension " + dimension + " has no coordinate variable",
                            "die Zeitdimension " + dimension + " hat keine Koordinatenvariable");
    std::string units = axis.units();
    if (units.empty())
        throw ImportFailure("the time axis " + dimension + " has no units",
                            "die Zeitachse " + dimension + " hat keine Einheit");
    if (axis.coordinate->storage() != Storage::Complete) {
        unsigned long long stored = axis.coordinate->storedValues();
        throw ImportFailure("the time axis " + dimension + formatted(" has %zu steps, but the file stores ", axis.size) +
                                formatted("values for at most %llu of them", stored),
                            "die Zeitachse " + dimension + formatted(" hat %zu Schritte, aber die Datei ", axis.size) +
                                formatted("speichert Werte für höchstens %llu davon", stored));
    }
    if (axis.size > MOST_STEPS)
        throw ImportFailure("the time axis " + dimension + formatted(" has %zu steps; at most %zu ", axis.size, MOST_STEPS) +
                                "can fall in different months up to December 9999, the last this program holds",
                            "die Zeitachse " + dimension + formatted(" hat %zu Schritte; höchstens %zu ", axis.size,
                                                                      MOST_STEPS) +
                                "können bis Dezember 9999, dem letzten Monat des Programms, in verschiedene Monate "
                                "fallen");
    std::vector<int64_t> blocks = monthNumbers(axis.values(), units, axis.coordinate->text("calendar"));
    for (int64_t& b : blocks)
        b = b - FIRST_YEAR * 12 + 1;
    std::vector<size_t> order(blocks.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return blocks[a] < blocks[b]; });
    for (size_t i = 1; i < order.size(); ++i)
        if (blocks[order[i]] == blocks[order[i - 1]]) {
            size_t first = std::min(order[i - 1], order[i]), second = std::max(order[i - 1], order[i]);
            std::string month = monthText(blocks[first]);
            throw ImportFailure(formatted("time steps %zu and %zu both fall in ", first + 1, second + 1) + month,
                                formatted("die Zeitschritte %zu und %zu fallen beide in den Monat ", first + 1,
                                          second + 1) + month);
        }
    return blocks;
}

std::vector<int64_t> ImportSource::climatologyBlocks() const {
    if (steps() != 12) {
        std::string name = "'" + shownName(variable()) + "'", axis = "'" + utf8ToCp1252(time().dimension) + "'";
        throw ImportFailure("a climatology has 12 months; " + name + formatted(" has %zu time steps", steps()) +
                                " on the axis " + axis + " (a series of months goes to hadcrut4, hadcrut3, hadcrut3v "
                                "or hadsst2)",
                            "eine Klimatologie hat 12 Monate; " + name + formatted(" hat %zu Zeitschritte", steps()) +
                                " auf der Achse " + axis + " (eine Folge von Monaten gehört in hadcrut4, hadcrut3, "
                                "hadcrut3v oder hadsst2)");
    }
    std::string units = time().units();
    std::vector<int64_t> blocks(12);
    if (!hasSince(units)) {
        std::iota(blocks.begin(), blocks.end(), 1);
        return blocks;
    }
    std::vector<int64_t> months = monthNumbers(time().values(), units, time().coordinate->text("calendar"));
    for (size_t i = 0; i < 12; ++i)
        blocks[i] = (months[i] % 12 + 12) % 12 + 1;
    std::vector<int64_t> sorted = blocks;
    std::sort(sorted.begin(), sorted.end());
    if (std::unique(sorted.begin(), sorted.end()) != sorted.end())
        throw ImportFailure("the 12 time steps of the climatology do not fall in 12 different months",
                            "die 12 Zeitschritte der Klimatologie fallen nicht in 12 verschiedene Monate");
    return blocks;
}

void ImportSource::readRun(int start, int stop, std::vector<double>& values, size_t& written) {
    std::vector<size_t> first(axes.size()), count(axes.size());
    std::vector<size_t> kept;  // the time, latitude and longitude axes in the variable's order
    for (size_t i = 0; i < axes.size(); ++i) {
        if (i == timeAxis) {
            first[i] = size_t(start);
            count[i] = size_t(stop - start);
        } else if (i == latitudeAxis || i == longitudeAxis) {
            first[i] = 0;
            count[i] = axes[i].size;
        } else {
            first[i] = int(i) == levelAxis ? size_t(levelChosen) : 0;
            count[i] = 1;
        }
        if (i == timeAxis || i == latitudeAxis || i == longitudeAxis)
            kept.push_back(i);
    }
    variable().read(first, count, run);
    // Strides of the time, latitude and longitude axes in the values read.
    size_t stride[3] = {0, 0, 0}, step = 1;
    for (size_t k = kept.size(); k-- > 0;) {
        size_t axis = kept[k];
        stride[axis == timeAxis ? 0 : axis == latitudeAxis ? 1 : 2] = step;
        step *= count[axis];
    }
    size_t latitudes = latitude().size, longitudes = longitude().size, keptLongitudes = longitudes - repeats;
    for (int t = 0; t < stop - start; ++t)
        for (size_t y = 0; y < latitudes; ++y) {
            const double* row = &run[size_t(t) * stride[0] + y * stride[1]];
            double* out = &values[written];
            // Without an offset the values stay as read (-0.0 included).
            for (size_t x = 0; x < keptLongitudes; ++x)
                out[x] = valueOffset != 0.0 ? row[x * stride[2]] + valueOffset : row[x * stride[2]];
            written += keptLongitudes;
            if (repeats) {
                double firstValue = row[0], lastValue = row[(longitudes - 1) * stride[2]];
                if (firstValue != lastValue && !(std::isnan(firstValue) && std::isnan(lastValue)))
                    ++differing;
            }
        }
}

void ImportSource::read(const std::vector<int>& steps, std::vector<double>& values) {
    values.resize(steps.size() * latitude().size * (longitude().size - repeats));
    size_t i = 0, written = 0;
    while (i < steps.size()) {
        size_t j = i + 1;
        while (j < steps.size() && steps[j] == steps[j - 1] + 1)
            ++j;
        readRun(steps[i], steps[j - 1] + 1, values, written);
        i = j;
    }
}
