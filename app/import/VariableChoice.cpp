#include "VariableChoice.h"

#include <set>

#include "GridAxes.h"
#include "ImportFailure.h"
#include "ImportText.h"
#include "NetcdfFile.h"

namespace {

const char* const ANOMALY_VARIABLES[] = {"tas_mean", "temperature_anomaly", "tas", "tos", "anom", "temperature",
                                         "tempanomaly"};
const char* const CLIMATOLOGY_VARIABLES[] = {"tem", "climatology"};

const std::set<std::string> KELVIN_UNITS = {"k", "kelvin", "kelvins", "degk", "deg k", "degree k", "degrees k",
                                            "degreek", "degreesk"};
// The file's texts are UTF-8: "\xC2\xB0" is the degree sign.
const std::set<std::string> CELSIUS_UNITS = {
    "degc", "deg c", "degree c", "degrees c", "degreec", "degreesc", "celsius", "deg celsius", "degree celsius",
    "degrees celsius", "\xC2\xB0" "c", "\xC2\xB0 c"};

bool isGridded(const NetcdfFile& file, const NetcdfVariable& variable) {
    std::vector<Axis> axes = axesOf(file, variable);
    bool latitude = false, longitude = false;
    for (const Axis& a : axes) {
        latitude = latitude || a.kind == AxisKind::Latitude;
        longitude = longitude || a.kind == AxisKind::Longitude;
    }
    return axes.size() >= 3 && latitude && longitude;
}

// 'AIRT' ("AIR TEMPERATURE", Deg C), ... for messages.
std::string listed(const std::vector<const NetcdfVariable*>& variables) {
    std::vector<std::string> texts;
    for (const NetcdfVariable* v : variables) {
        std::string longName = v->text("long_name"), units = v->text("units");
        std::vector<std::string> details;
        if (!longName.empty())
            details.push_back("\"" + utf8ToCp1252(longName) + "\"");
        details.push_back(units.empty() ? "no units" : utf8ToCp1252(units));
        texts.push_back("'" + utf8ToCp1252(v->name()) + "' (" + joined(details, ", ") + ")");
    }
    return texts.empty() ? "none" : joined(texts, ", ");
}

std::string names(const std::vector<const NetcdfVariable*>& variables) {
    std::vector<std::string> texts;
    for (const NetcdfVariable* v : variables)
        texts.push_back(utf8ToCp1252(v->name()));
    return texts.empty() ? "none" : joined(texts, ", ");
}

// Why each variable of a file without candidates cannot be imported:
// inside a group, without dimensions, without a latitude and longitude
// axis, or with nothing beyond them. Coordinates (1-D) are left out.
std::vector<std::string> whyNone(const NetcdfFile& file, bool german) {
    std::vector<std::string> reasons;
    for (const std::string& path : file.groupedVariables())
        reasons.push_back("'" + utf8ToCp1252(path) + (german ? "' liegt in einer Gruppe, das Programm liest nur "
                                                               "Variablen auf der obersten Ebene einer Datei"
                                                             : "' lies in a group; this program reads only the "
                                                               "variables at the top level of a file"));
    for (const NetcdfVariable& v : file.variables()) {
        std::vector<Axis> axes = axesOf(file, v);
        if (axes.size() == 1)
            continue;
        std::vector<std::string> dimensions;
        bool latitude = false, longitude = false;
        for (const Axis& a : axes) {
            dimensions.push_back(utf8ToCp1252(a.dimension));
            latitude = latitude || a.kind == AxisKind::Latitude;
            longitude = longitude || a.kind == AxisKind::Longitude;
        }
        std::string name = "'" + utf8ToCp1252(v.name()) + "'";
        std::string described = name + " (" + joined(dimensions, ", ") + ")";
        if (axes.empty())
            reasons.push_back(name + (german ? " hat keine Dimensionen" : " has no dimensions"));
        else if (!latitude || !longitude)
            reasons.push_back(described + (german ? " hat keine Breiten- und Längenkoordinaten"
                                                  : " has no latitude and longitude coordinates"));
        else
            reasons.push_back(described + (german ? " hat keine Dimension außer Breite und Länge"
                                                  : " has no dimension besides latitude and longitude"));
    }
    return reasons;
}

}  // namespace

bool isKelvin(const NetcdfVariable& variable) {
    return KELVIN_UNITS.count(unitWords(variable.text("units"))) > 0;
}

bool isTemperature(const NetcdfVariable& variable) {
    std::string units = unitWords(variable.text("units"));
    if (!units.empty())
        return KELVIN_UNITS.count(units) || CELSIUS_UNITS.count(units);
    std::string standardName = lowerAscii(variable.text("standard_name"));
    // A standard_name with a modifier ("... standard_error") is not a temperature.
    return standardName.find("temperature") != std::string::npos && standardName.find(' ') == std::string::npos;
}

std::vector<const NetcdfVariable*> candidatesOf(const NetcdfFile& file) {
    std::vector<const NetcdfVariable*> candidates;
    for (const NetcdfVariable& v : file.variables())
        if (isGridded(file, v))
            candidates.push_back(&v);
    return candidates;
}

VariableChoice chooseVariable(const NetcdfFile& file, const std::string& name, bool climatology) {
    std::vector<const NetcdfVariable*> candidates = candidatesOf(file);
    if (!name.empty()) {
        if (const NetcdfVariable* exact = file.find(name))
            return {exact, "given with --variable", "ausgewählt"};
        std::vector<const NetcdfVariable*> same;
        for (const NetcdfVariable& v : file.variables())
            if (lowerAscii(v.name()) == lowerAscii(name))
                same.push_back(&v);
        if (same.size() == 1)
            return {same[0], "given with --variable", "ausgewählt"};
        std::string shown = utf8ToCp1252(name);
        throw ImportFailure("there is no variable '" + shown + "'; candidates: " + names(candidates),
                            "es gibt keine Variable '" + shown + "'; in Frage kommen: " + names(candidates));
    }
    const char* const* known = climatology ? CLIMATOLOGY_VARIABLES : ANOMALY_VARIABLES;
    size_t knownCount = climatology ? std::size(CLIMATOLOGY_VARIABLES) : std::size(ANOMALY_VARIABLES);
    for (size_t k = 0; k < knownCount; ++k)
        for (const NetcdfVariable* v : candidates)  // the first of that name, case ignored
            if (lowerAscii(v->name()) == known[k])
                return {v, "by its name", "an ihrem Namen erkannt"};
    std::vector<const NetcdfVariable*> temperatures;
    for (const NetcdfVariable* v : candidates)
        if (isTemperature(*v))
            temperatures.push_back(v);
    if (temperatures.size() == 1)
        return {temperatures[0], "the file's only temperature variable", "die einzige Temperaturvariable der Datei"};
    if (temperatures.size() > 1) {
        std::string list = listed(temperatures);
        throw ImportFailure(formatted("found %zu temperature variables: ", temperatures.size()) + list +
                                "; choose one with --variable NAME",
                            formatted("%zu Temperaturvariablen gefunden: ", temperatures.size()) + list +
                                "; bitte eine davon auswählen");
    }
    if (candidates.size() == 1)
        return {candidates[0], "the file's only gridded variable", "die einzige Gittervariable der Datei"};
    if (candidates.empty()) {
        std::vector<std::string> english = whyNone(file, false), german = whyNone(file, true);
        if (!english.empty())
            throw ImportFailure("found no variable to import: " + joined(english, "; "),
                                "keine Variable zum Importieren gefunden: " + joined(german, "; "));
    }
    std::string list = listed(candidates);
    throw ImportFailure("found no temperature variable (units K or degC, or a standard_name with 'temperature'); "
                        "choose one with --variable NAME; candidates: " + list,
                        "keine Temperaturvariable gefunden (Einheit K oder degC oder ein standard_name mit "
                        "'temperature'); bitte eine Variable auswählen; in Frage kommen: " + list);
}
