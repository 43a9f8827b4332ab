#include "CellMapping.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "GridLayout.h"
#include "ImportFailure.h"
#include "PairwiseSum.h"
#include "PortableSine.h"

namespace {

const int rowCount = GridLayout::rows;
const int columnCount = GridLayout::columns;
const double cellDegrees = 5.0;
// Coordinates are often 32-bit floats: steps agree to this share of a step.
const double stepTolerance = 1e-3;
// Overlaps below this share of a cell are rounding noise, not overlaps.
const double noise = 1e-9;
// Means are rounded to nine decimals before they are written.
const double meanScale = 1e9;
const double radiansPerDegree = 3.141592653589793 / 180.0;

struct AxisNames {
    const char* english;
    const char* german;    // "Breite", "Länge"
};
const AxisNames latitudeNames = {"latitude", "Breite"};
const AxisNames longitudeNames = {"longitude", "Länge"};

std::string stepText(double step, bool german)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", step);
    std::string result = text;
    if (german) {
        for (char& c : result) {
            if (c == '.')
                c = ',';
        }
    }
    return result;
}

// The step of a strictly monotonic, evenly spaced coordinate.
double regularStep(const std::vector<double>& values, const AxisNames& axis)
{
    const std::string name = axis.english, german = axis.german;
    if (values.size() < 2) {
        std::string n = std::to_string(values.size());
        throw ImportFailure("the " + name + " axis has " + n + " value(s); a grid needs at least two",
                            "die " + german + "nachse hat " + n +
                                " Wert(e); ein Gitter braucht mindestens zwei");
    }
    for (double v : values) {
        if (!std::isfinite(v))
            throw ImportFailure("the " + name + " axis has missing values",
                                "die " + german + "nachse hat fehlende Werte");
    }
    double step = (values.back() - values.front()) / static_cast<double>(values.size() - 1);
    bool regular = step != 0;
    for (size_t i = 1; regular && i < values.size(); ++i)
        regular = !(std::fabs((values[i] - values[i - 1]) - step) > stepTolerance * std::fabs(step));
    if (!regular)
        throw ImportFailure("the " + name + " axis is not regular (its values are not evenly spaced)",
                            "die " + german +
                                "nachse ist nicht regelmäßig (ihre Werte haben nicht gleiche Abstände)");
    return std::fabs(step);
}

// Finer than 5 degrees, or whole 5-degree multiples on the 5-degree lines.
void checkStep(double step, const std::vector<double>& lowerEdges, double origin,
               const AxisNames& axis)
{
    if (step <= cellDegrees * (1 + stepTolerance))
        return;
    const std::string name = axis.english, german = axis.german;
    double multiple = step / cellDegrees;
    if (std::fabs(multiple - std::nearbyint(multiple)) > stepTolerance)
        throw ImportFailure("the " + name + " step of " + stepText(step, false) +
                                " degrees is neither finer than 5 degrees nor a whole multiple of 5 degrees",
                            "der " + german + "nschritt von " + stepText(step, true) +
                                " Grad ist weder feiner als 5 Grad noch ein ganzes Vielfaches von 5 Grad");
    for (double edge : lowerEdges) {
        double offset = (edge - origin) / cellDegrees;
        if (std::fabs(offset - std::nearbyint(offset)) > stepTolerance)
            throw ImportFailure("the " + stepText(step, false) + "-degree " + name +
                                    " cells do not line up with the 5-degree cells",
                                "die " + stepText(step, true) + "-Grad-Zellen der " + german +
                                    " liegen nicht auf den 5-Grad-Zellen");
    }
}

double sineOfDegrees(double degrees)
{
    return portableSine(degrees * radiansPerDegree);
}

// (input cell, output row): the area of their overlap as a share of the row's area.
std::vector<double> latitudeOverlap(const std::vector<double>& latitudes, double step)
{
    for (double latitude : latitudes) {
        if (std::fabs(latitude) > 90 + stepTolerance * step)
            throw ImportFailure("the latitudes reach beyond the poles",
                                "die Breiten reichen über die Pole hinaus");
    }
    std::vector<double> lower, upper;
    for (double latitude : latitudes) {
        lower.push_back(latitude - step / 2);
        upper.push_back(latitude + step / 2);
    }
    checkStep(step, lower, -90.0, latitudeNames);
    // Cells centred on a pole are half cells.
    for (size_t i = 0; i < latitudes.size(); ++i) {
        lower[i] = std::fmin(std::fmax(lower[i], -90.0), 90.0);
        upper[i] = std::fmin(std::fmax(upper[i], -90.0), 90.0);
    }
    std::vector<double> overlap(latitudes.size() * rowCount);
    for (int row = 0; row < rowCount; ++row) {
        double top = 90.0 - cellDegrees * row;
        double bottom = top - cellDegrees;
        double rowArea = sineOfDegrees(top) - sineOfDegrees(bottom);
        for (size_t i = 0; i < latitudes.size(); ++i) {
            double high = upper[i] < top ? upper[i] : top;
            double low = lower[i] > bottom ? lower[i] : bottom;
            double area = sineOfDegrees(high) - sineOfDegrees(low);
            overlap[i * rowCount + row] = high > low ? area / rowArea : 0.0;
        }
    }
    return overlap;
}

// numpy's float modulo: the result takes the sign of the divisor.
double floorModulo(double a, double b)
{
    double result = std::fmod(a, b);
    if (result != 0) {
        if ((b < 0) != (result < 0))
            result += b;
    } else {
        result = std::copysign(0.0, b);
    }
    return result;
}

// (input cell, output column): their overlap as a share of 5 degrees.
// Longitudes may run from -180 or from 0, and wrap around.
std::vector<double> longitudeOverlap(const std::vector<double>& longitudes, double step)
{
    if (static_cast<double>(longitudes.size()) * step > 360 * (1 + stepTolerance))
        throw ImportFailure("the longitudes cover more than 360 degrees",
                            "die Längen umfassen mehr als 360 Grad");
    std::vector<double> west;
    for (double longitude : longitudes)
        west.push_back(floorModulo(longitude - step / 2 + 180.0, 360.0) - 180.0);
    checkStep(step, west, -180.0, longitudeNames);
    std::vector<double> overlap(longitudes.size() * columnCount);
    for (size_t i = 0; i < longitudes.size(); ++i) {
        for (int column = 0; column < columnCount; ++column) {
            double left = -180.0 + cellDegrees * column;
            double right = left + cellDegrees;
            double total = 0.0;
            // The part of a cell east of 180E wraps to the west.
            for (double shift : {0.0, -360.0}) {
                double east = west[i] + shift + step;
                double high = east < right ? east : right;
                double low = west[i] + shift > left ? west[i] + shift : left;
                double length = high - low;
                total += length > 0.0 ? length : 0.0;
            }
            overlap[i * columnCount + column] = total / cellDegrees;
        }
    }
    return overlap;
}

// numpy's fmin and fmax for operands that are not NaN: the second operand
// on ties (which decides the sign of a zero). Missing values take part as
// +inf and -inf instead of numpy's ignored NaN: the same result wherever a
// value is present, and no branch (minsd, maxsd).
inline double lowerOf(double a, double b)
{
    return a < b ? a : b;
}

inline double higherOf(double a, double b)
{
    return a > b ? a : b;
}

// numpyGroupSum of data[source[k]] * weight[k], k < count; the short groups
// of every grid down to 0.5 degrees without a call.
inline double weightedGroupSum(const double* data, const int* source, const double* weight, int count)
{
    double first = data[source[0]] * weight[0];
    if (count == 1)
        return first;
    if (count <= 8) {
        double rest = 0.;
        for (int k = 1; k < count; ++k)
            rest += data[source[k]] * weight[k];
        return first + rest;
    }
    return first + pairwiseSum([&](ptrdiff_t k) { return data[source[k]] * weight[k]; }, 1, count - 1);
}

} // namespace

int CellMapping::Pieces::count(int group) const
{
    int end = group + 1 < groups() ? starts[group + 1] : static_cast<int>(source.size());
    return end - starts[group];
}

CellMapping::Pieces CellMapping::piecesOf(const std::vector<double>& overlap, int inputs, int outputs)
{
    Pieces pieces;
    for (int output = 0; output < outputs; ++output) {
        bool first = true;
        for (int input = 0; input < inputs; ++input) {
            double weight = overlap[static_cast<size_t>(input) * outputs + output];
            if (!(weight > noise))
                continue;
            if (first) {
                pieces.starts.push_back(static_cast<int>(pieces.source.size()));
                pieces.target.push_back(output);
                first = false;
            }
            pieces.source.push_back(input);
            pieces.weight.push_back(weight);
        }
    }
    pieces.oneToOne = pieces.starts.size() == pieces.source.size();
    for (double weight : pieces.weight)
        pieces.oneToOne = pieces.oneToOne && weight == 1.0;
    return pieces;
}

CellMapping::CellMapping(const std::vector<double>& latitudes, const std::vector<double>& longitudes)
    : latitudeCount(static_cast<int>(latitudes.size())),
      longitudeCount(static_cast<int>(longitudes.size())),
      latitudeStepDegrees(regularStep(latitudes, latitudeNames)),
      longitudeStepDegrees(regularStep(longitudes, longitudeNames)),
      rows(piecesOf(latitudeOverlap(latitudes, latitudeStepDegrees), latitudeCount, rowCount)),
      columns(piecesOf(longitudeOverlap(longitudes, longitudeStepDegrees), longitudeCount,
                       columnCount))
{
}

void CellMapping::apply(const double* values, int months, double* cells) const
{
    const size_t inputCells = static_cast<size_t>(latitudeCount) * longitudeCount;
    const size_t outputCells = static_cast<size_t>(rowCount) * columnCount;
    std::vector<double> scratch;
    for (int month = 0; month < months; ++month) {
        const double* in = values + month * inputCells;
        double* out = cells + month * outputCells;
        for (size_t i = 0; i < outputCells; ++i)
            out[i] = NAN;
        if (rows.oneToOne && columns.oneToOne)
            copy(in, out);
        else
            average(in, out, scratch);
    }
}

// What average() gives when every cell takes one whole input cell with
// weight 1: the input values themselves.
void CellMapping::copy(const double* values, double* cells) const
{
    for (int r = 0; r < rows.groups(); ++r) {
        const double* in = values + static_cast<size_t>(rows.source[r]) * longitudeCount;
        double* out = cells + rows.target[r] * columnCount;
        for (int c = 0; c < columns.groups(); ++c)
            out[columns.target[c]] = in[columns.source[c]];
    }
}

// One month: the weighted sums, the weights of the values present and the
// least and greatest value of each input row's column groups, then the same
// of the row groups over those; each sum as numpy's add.reduceat of the
// weighted values forms it.
void CellMapping::average(const double* values, double* cells, std::vector<double>& scratch) const
{
    const int columnGroups = columns.groups();
    const size_t partial = static_cast<size_t>(latitudeCount) * columnGroups;
    scratch.resize(4 * partial + 4 * static_cast<size_t>(longitudeCount));
    double* sums = scratch.data();
    double* weights = sums + partial;
    double* lowest = weights + partial;
    double* highest = lowest + partial;
    // One input row at a time: its values with 0 where missing, 1 where
    // present, and with +inf and -inf where missing for the extremes.
    double* cleaned = highest + partial;
    double* present = cleaned + longitudeCount;
    double* lowInput = present + longitudeCount;
    double* highInput = lowInput + longitudeCount;

    for (int i = 0; i < latitudeCount; ++i) {
        const double* row = values + static_cast<size_t>(i) * longitudeCount;
        for (int j = 0; j < longitudeCount; ++j) {
            bool missing = row[j] != row[j];
            cleaned[j] = missing ? 0.0 : row[j];
            present[j] = missing ? 0.0 : 1.0;
            lowInput[j] = missing ? INFINITY : row[j];
            highInput[j] = missing ? -INFINITY : row[j];
        }
        for (int g = 0; g < columnGroups; ++g) {
            const int start = columns.starts[g], count = columns.count(g);
            const int* source = &columns.source[start];
            const double* weight = &columns.weight[start];
            const size_t at = static_cast<size_t>(i) * columnGroups + g;
            sums[at] = weightedGroupSum(cleaned, source, weight, count);
            weights[at] = weightedGroupSum(present, source, weight, count);
            double low = lowInput[source[0]], high = highInput[source[0]];
            for (int k = 1; k < count; ++k) {
                low = lowerOf(low, lowInput[source[k]]);
                high = higherOf(high, highInput[source[k]]);
            }
            lowest[at] = low;
            highest[at] = high;
        }
    }

    for (int r = 0; r < rows.groups(); ++r) {
        const int start = rows.starts[r], count = rows.count(r);
        double* out = cells + rows.target[r] * columnCount;
        for (int g = 0; g < columnGroups; ++g) {
            auto at = [&](ptrdiff_t k) { return static_cast<size_t>(rows.source[k]) * columnGroups + g; };
            double sum = numpyGroupSum([&](ptrdiff_t k) { return sums[at(k)] * rows.weight[k]; }, start, count);
            double present =
                numpyGroupSum([&](ptrdiff_t k) { return weights[at(k)] * rows.weight[k]; }, start, count);
            double low = lowest[at(start)], high = highest[at(start)];
            for (int k = start + 1; k < start + count; ++k) {
                low = lowerOf(low, lowest[at(k)]);
                high = higherOf(high, highest[at(k)]);
            }
            double mean = low == high ? low : std::rint(sum / present * meanScale) / meanScale;
            out[columns.target[g]] = present > 0 ? mean : NAN;
        }
    }
}

bool repeatsFirstLongitude(const std::vector<double>& longitudes)
{
    size_t n = longitudes.size();
    return n > 2 && std::fabs(std::fabs(longitudes[n - 1] - longitudes[0]) - 360.0) <=
                        stepTolerance * std::fabs(longitudes[1] - longitudes[0]);
}
