#pragma once

#include <string>
#include <vector>

class NetcdfFile;
class NetcdfVariable;

// What a dimension of a variable is. A dimension's coordinates are, in
// this order: the variable named as the dimension, the variables named in
// the data variable's CF `coordinates` attribute, and every other variable
// of the file, each only if it is 1-D on that dimension. The first of them
// whose attributes (units, standard_name, axis, positive), or failing
// those whose name, say what it is decides. A dimension without such a
// coordinate is a time axis if its own name is a time name (a
// climatology's months may be just numbered). Comparisons ignore case.
enum class AxisKind { None, Latitude, Longitude, Time, Level };

// One dimension of the data variable.
struct Axis {
    std::string dimension;                      // UTF-8, as in the file
    size_t size = 0;
    AxisKind kind = AxisKind::None;
    const NetcdfVariable* coordinate = nullptr; // nullptr when it has none

    std::string units() const;
    std::vector<double> values() const;
    // 'DEPTH' (METERS, positive down), as messages name an axis (Windows-1252).
    std::string describe() const;
};

AxisKind kindByName(const std::string& name);
AxisKind kindOf(const NetcdfVariable& coordinate);
// Whether units read "<unit> since <date>".
bool hasSince(const std::string& units);
// An Axis for each dimension of the variable, in its order.
std::vector<Axis> axesOf(const NetcdfFile& file, const NetcdfVariable& variable);

// The shortest decimal that reads back as the same 32-bit float, without
// an exponent: how levels are shown and compared (coordinates are often
// 32-bit floats). 850 -> "850", 2.5 -> "2.5", 0.1 -> "0.1".
std::string levelText(double value);
// The index of the level whose coordinate equals wanted as a 32-bit float, or -1.
int levelIndex(const Axis& axis, double wanted);
