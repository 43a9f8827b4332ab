#include "GridAxes.h"

#include <cmath>
#include <cstdlib>
#include <set>

#include "ImportText.h"
#include "NetcdfFile.h"

namespace {

const std::set<std::string> LATITUDE_UNITS = {"degrees_north", "degree_north", "degrees_n", "degree_n", "degreesn",
                                              "degreen"};
const std::set<std::string> LONGITUDE_UNITS = {"degrees_east", "degree_east", "degrees_e", "degree_e", "degreese",
                                               "degreee"};
const std::set<std::string> VERTICAL_UNITS = {
    "m", "meter", "meters", "metre", "metres", "km", "kilometer", "kilometers", "kilometre", "kilometres", "cm", "ft",
    "feet", "pa", "hpa", "kpa", "mbar", "millibar", "millibars", "mb", "bar", "bars", "dbar", "decibar", "decibars",
    "atm"};
// CF's parametric vertical coordinates all end in "_coordinate".
const std::set<std::string> VERTICAL_STANDARD_NAMES = {
    "depth", "height", "altitude", "air_pressure", "sea_water_pressure", "model_level_number", "geopotential_height",
    "height_above_mean_sea_level", "height_above_reference_ellipsoid", "depth_below_geoid"};

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

AxisKind kindByAttributes(const NetcdfVariable& v) {
    std::string units = lowerAscii(v.text("units"));
    std::string standardName = lowerAscii(v.text("standard_name"));
    std::string axis = upperAscii(v.text("axis"));
    if (LATITUDE_UNITS.count(units) || standardName == "latitude")
        return AxisKind::Latitude;
    if (LONGITUDE_UNITS.count(units) || standardName == "longitude")
        return AxisKind::Longitude;
    if (hasSince(units) || axis == "T" || standardName == "time")
        return AxisKind::Time;
    std::string positive = lowerAscii(v.text("positive"));
    if (axis == "Z" || positive == "up" || positive == "down" || VERTICAL_UNITS.count(unitWords(units)) ||
        VERTICAL_STANDARD_NAMES.count(standardName) || endsWith(standardName, "_coordinate"))
        return AxisKind::Level;
    return AxisKind::None;
}

bool isSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r') || (c >= 0x1C && c <= 0x1F);
}

}  // namespace

bool hasSince(const std::string& units) {
    std::string text = " " + lowerAscii(units) + " ";
    for (size_t at = text.find("since"); at != std::string::npos; at = text.find("since", at + 1))
        if (at > 0 && isSpace(text[at - 1]) && at + 5 < text.size() && isSpace(text[at + 5]))
            return true;
    return false;
}

AxisKind kindByName(const std::string& name) {
    static const std::set<std::string> latitude = {"lat", "latitude"}, longitude = {"lon", "longitude"},
                                       time = {"time", "date", "month", "months", "month_number"},
                                       level = {"z", "lev", "level", "levels", "plev", "pressure", "depth",
                                                "height", "altitude", "zlev"};
    std::string lowered = lowerAscii(name);
    if (latitude.count(lowered))
        return AxisKind::Latitude;
    if (longitude.count(lowered))
        return AxisKind::Longitude;
    if (time.count(lowered))
        return AxisKind::Time;
    if (level.count(lowered))
        return AxisKind::Level;
    return AxisKind::None;
}

AxisKind kindOf(const NetcdfVariable& coordinate) {
    AxisKind kind = kindByAttributes(coordinate);
    return kind != AxisKind::None ? kind : kindByName(coordinate.name());
}

std::string Axis::units() const {
    return coordinate ? coordinate->text("units") : std::string();
}

std::vector<double> Axis::values() const {
    return coordinate->readAll();
}

std::string Axis::describe() const {
    std::vector<std::string> details;
    if (coordinate && coordinate->name() != dimension)
        details.push_back("coordinate '" + utf8ToCp1252(coordinate->name()) + "'");
    std::string unitText = units();
    details.push_back(unitText.empty() ? "no units" : utf8ToCp1252(unitText));
    std::string positive = coordinate ? coordinate->text("positive") : std::string();
    if (!positive.empty())
        details.push_back("positive " + utf8ToCp1252(positive));
    return "'" + utf8ToCp1252(dimension) + "' (" + joined(details, ", ") + ")";
}

std::vector<Axis> axesOf(const NetcdfFile& file, const NetcdfVariable& variable) {
    std::vector<Axis> axes;
    for (size_t d = 0; d < variable.dimensions().size(); ++d) {
        const std::string& dimension = variable.dimensions()[d];
        std::vector<std::string> names = {dimension};
        for (const std::string& name : splitWords(variable.text("coordinates")))
            names.push_back(name);
        for (const NetcdfVariable& v : file.variables())
            names.push_back(v.name());
        Axis axis;
        axis.dimension = dimension;
        axis.size = variable.shape()[d];
        std::set<const NetcdfVariable*> seen;
        for (const std::string& name : names) {
            const NetcdfVariable* c = file.find(name);
            if (!c || c->dimensions() != std::vector<std::string>{dimension} || !seen.insert(c).second)
                continue;
            AxisKind kind = kindOf(*c);
            if (kind != AxisKind::None) {
                axis.kind = kind;
                axis.coordinate = c;
                break;
            }
        }
        if (axis.kind == AxisKind::None && kindByName(dimension) == AxisKind::Time)
            axis.kind = AxisKind::Time;
        axes.push_back(axis);
    }
    return axes;
}

std::string levelText(double value) {
    float f = float(value);
    if (std::isnan(f))
        return "nan";
    if (std::isinf(f))
        return f < 0 ? "-inf" : "inf";
    // The fewest significant digits that read back as the same float.
    std::string scientific;
    for (int precision = 1; precision <= 9; ++precision) {
        scientific = formatted("%.*e", precision - 1, double(f));
        if (std::strtof(scientific.c_str(), nullptr) == f)
            break;
    }
    size_t e = scientific.find('e');
    int exponent = std::atoi(scientific.c_str() + e + 1);
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (scientific[i] >= '0' && scientific[i] <= '9')
            digits += scientific[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    std::string sign = std::signbit(f) ? "-" : "";
    if (exponent < 0)
        return sign + "0." + std::string(size_t(-exponent - 1), '0') + digits;
    if (int(digits.size()) <= exponent + 1)
        return sign + digits + std::string(size_t(exponent + 1 - int(digits.size())), '0');
    return sign + digits.substr(0, size_t(exponent + 1)) + "." + digits.substr(size_t(exponent + 1));
}

int levelIndex(const Axis& axis, double wanted) {
    std::vector<double> values = axis.values();
    for (size_t i = 0; i < values.size(); ++i)
        if (float(values[i]) == float(wanted))
            return int(i);
    return -1;
}
