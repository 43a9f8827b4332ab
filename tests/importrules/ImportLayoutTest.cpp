// How files of many layouts are read: which variable is chosen, and the
// reason a file is refused, exactly as the Python importer words it. Each
// file is written here with netCDF-C from a small description; the
// expected choices and reasons were produced by running tools/gridimport on
// the same files.

#include <gtest/gtest.h>

#include <netcdf.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "GridImport.h"
#include "TempDir.h"

namespace {

struct VariableSpec {
    std::string name;
    std::vector<std::string> dimensions;
    std::vector<std::pair<std::string, std::string>> attributes;
    // Coordinate values: "lat5" (south first), "lat5n", "lon5" (from 180W),
    // "lon0" (from 0), "uneven", "days:N" (mid-months), "range:N" (1..N),
    // "list:a,b,..."; empty for data, 1.25 everywhere.
    std::string values;
};

struct LayoutCase {
    const char* name;
    std::vector<std::pair<std::string, size_t>> dimensions;
    std::vector<VariableSpec> variables;
    const char* target;
    const char* variable;
    double level;  // NaN: none
    const char* chosen;   // "" when no candidate is chosen
    const char* problem;  // "" when the file imports
};

const LayoutCase CASES[] = {
    {"product names first",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "lat", "lon"}, {{"units", "K"}}, ""},
      {"TAS_MEAN", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "TAS_MEAN",
     ""},
    {"coordinates attribute",
     {{"t", 3}, {"y", 36}, {"x", 72}},
     {{"TIME", {"t"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"LATITUDE", {"y"}, {{"units", "degrees_north"}}, "lat5"},
      {"LONGITUDE", {"x"}, {{"units", "degree_east"}}, "lon5"},
      {"x", {"x"}, {{"long_name", "column"}}, "range:72"},
      {"AIRT", {"t", "y", "x"}, {{"units", "Deg C"}, {"coordinates", "TIME LATITUDE LONGITUDE"}}, ""},
      {"COUNT", {"t", "y", "x"}, {{"units", "count"}}, ""}},
     "hadcrut3", "", NAN,
     "AIRT",
     ""},
    {"units alone",
     {{"t", 3}, {"y", 36}, {"x", 72}},
     {{"TIME1", {"t"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"nav_lat", {"y"}, {{"units", "degreesN"}}, "lat5n"},
      {"nav_lon", {"x"}, {{"standard_name", "longitude"}}, "lon0"},
      {"AIRT", {"t", "y", "x"}, {{"units", "degrees_C"}}, ""}},
     "hadcrut4", "", NAN,
     "AIRT",
     ""},
    {"standard_name only",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"t_anom", {"time", "lat", "lon"}, {{"standard_name", "air_temperature_anomaly"}}, ""},
      {"t_err", {"time", "lat", "lon"}, {{"standard_name", "air_temperature standard_error"}}, ""}},
     "hadcrut4", "", NAN,
     "t_anom",
     ""},
    {"two temperatures",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"SST", {"time", "lat", "lon"}, {{"units", "K"}, {"long_name", "SEA SURFACE TEMPERATURE"}}, ""},
      {"AIRT", {"time", "lat", "lon"}, {{"units", "DEG C"}}, ""}},
     "hadcrut4", "", NAN,
     "",
     "found 2 temperature variables: 'SST' (\"SEA SURFACE TEMPERATURE\", K), 'AIRT' (DEG C); choose one with --variable NAME"},
    {"one gridded variable",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"U", {"time", "lat", "lon"}, {{"units", "m/s"}, {"long_name", "ZONAL WIND"}}, ""}},
     "hadcrut4", "", NAN,
     "U",
     ""},
    {"no temperature",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"U", {"time", "lat", "lon"}, {{"units", "m/s"}, {"long_name", "ZONAL WIND"}}, ""},
      {"V", {"time", "lat", "lon"}, {}, ""}},
     "hadcrut4", "", NAN,
     "",
     "found no temperature variable (units K or degC, or a standard_name with 'temperature'); choose one with --variable NAME; candidates: 'U' (\"ZONAL WIND\", m/s), 'V' (no units)"},
    {"named in another case",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"SST", {"time", "lat", "lon"}, {{"units", "K"}}, ""},
      {"AIRT", {"time", "lat", "lon"}, {{"units", "degC"}}, ""}},
     "hadcrut4", "sst", NAN,
     "SST",
     ""},
    {"no such variable",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"SST", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "tos", NAN,
     "",
     "there is no variable 'tos'; candidates: SST"},
    {"named without a grid",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"SST", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "lat", NAN,
     "",
     "'lat' (lat) has no latitude and longitude coordinates (1-D variables with units degrees_north and degrees_east)"},
    {"two time axes",
     {{"time", 3}, {"lat", 36}, {"lon", 72}, {"time2", 2}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"time2", {"time2"}, {{"units", "hours since 1850-01-01"}}, "list:0,1"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "time2", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "tas",
     "'tas' (time, time2, lat, lon) has two time axes, 'time' and 'time2'"},
    {"unknown dimension",
     {{"time", 3}, {"lat", 36}, {"lon", 72}, {"member", 3}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "member", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "tas",
     "'tas' (time, member, lat, lon) has the dimension 'member' of length 3, which is neither time, a level, latitude nor longitude"},
    {"unknown dimension of one",
     {{"time", 3}, {"lat", 36}, {"lon", 72}, {"member", 1}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "member", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "tas",
     ""},
    {"two level axes",
     {{"time", 3}, {"lat", 36}, {"lon", 72}, {"depth", 2}, {"plev", 3}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"depth", {"depth"}, {{"units", "m"}}, "list:0,10"},
      {"plev", {"plev"}, {{"units", "hPa"}}, "list:1000,850,500"},
      {"ta", {"time", "depth", "plev", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "ta",
     "'ta' (time, depth, plev, lat, lon) has two level axes with more than one level, 'depth' (m) and 'plev' (hPa)"},
    {"levels without time",
     {{"z", 12}, {"lat", 36}, {"lon", 72}},
     {{"z", {"z"}, {{"axis", "Z"}}, "range:12"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"ta", {"z", "lat", "lon"}, {{"units", "K"}}, ""}},
     "abstem3", "", NAN,
     "ta",
     "'ta' (z, lat, lon) has no time axis (a coordinate with units '<unit> since <date>', axis T or standard_name time); 'z' (no units) is a vertical axis, not months"},
    {"months numbered",
     {{"month", 12}, {"lat", 36}, {"lon", 72}},
     {{"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tem", {"month", "lat", "lon"}, {{"units", "degC"}}, ""}},
     "abstem3", "", NAN,
     "tem",
     ""},
    {"months numbered as a series",
     {{"month", 12}, {"lat", 36}, {"lon", 72}},
     {{"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tem", {"month", "lat", "lon"}, {{"units", "degC"}}, ""}},
     "hadcrut4", "", NAN,
     "tem",
     "the time dimension 'month' has no coordinate variable"},
    {"time without units",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"axis", "T"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "tas",
     "the time axis 'time' has no units"},
    {"irregular latitudes",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "uneven"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "tas",
     "the latitude axis is not regular (its values are not evenly spaced)"},
    {"pressure level chosen",
     {{"time", 3}, {"lat", 36}, {"lon", 72}, {"isobaric", 3}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"isobaric", {"isobaric"}, {{"units", "hPa"}}, "list:1000,850,500"},
      {"air", {"time", "isobaric", "lat", "lon"}, {{"units", "degK"}}, ""}},
     "hadcrut4", "", 850.0,
     "air",
     ""},
    {"pressure level missing",
     {{"time", 3}, {"lat", 36}, {"lon", 72}, {"isobaric", 3}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"isobaric", {"isobaric"}, {{"units", "hPa"}}, "list:1000,850,500"},
      {"air", {"time", "isobaric", "lat", "lon"}, {{"units", "degK"}}, ""}},
     "hadcrut4", "", 300.0,
     "air",
     "the level axis 'isobaric' (hPa) has no level 300; its levels: 1000, 850, 500"},
    {"level without a level axis",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", 2.5,
     "tas",
     "--level 2.5 was given, but 'tas' (time, lat, lon) has no level axis; leave --level out"},
    {"a single level",
     {{"time", 3}, {"lat", 36}, {"lon", 72}, {"lev", 1}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"lev", {"lev"}, {{"long_name", "surface"}}, "list:0"},
      {"tas", {"time", "lev", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "tas",
     ""},
    {"climatology in one month",
     {{"time", 12}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1961-01-01"}}, "list:15,15,15,15,15,15,15,15,15,15,15,15"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tem", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "abstem3", "", NAN,
     "tem",
     "the 12 time steps of the climatology do not fall in 12 different months"},
    {"before 1850",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1849-01-01"}}, "list:15,45,75"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "tas",
     "all 3 time steps lie before January 1850"},
    {"one month twice",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "months since 1850-01-01"}}, "list:0,1,1.5"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "tas",
     "time steps 2 and 3 both fall in 1850-02"},
    {"unknown calendar",
     {{"time", 3}, {"lat", 36}, {"lon", 72}},
     {{"time", {"time"}, {{"units", "days since 1850-01-01"}, {"calendar", "lunar"}}, "days:3"},
      {"lat", {"lat"}, {{"units", "degrees_north"}}, "lat5"},
      {"lon", {"lon"}, {{"units", "degrees_east"}}, "lon5"},
      {"tas", {"time", "lat", "lon"}, {{"units", "K"}}, ""}},
     "hadcrut4", "", NAN,
     "tas",
     "the calendar 'lunar' of the time axis is not supported"},
};

std::vector<double> valuesOf(const std::string& token) {
    std::string kind = token.substr(0, token.find(':'));
    std::string argument = token.find(':') == std::string::npos ? "" : token.substr(token.find(':') + 1);
    std::vector<double> values;
    if (kind == "lat5" || kind == "uneven")
        for (int i = 0; i < 36; ++i)
            values.push_back(-87.5 + 5 * i);
    if (kind == "uneven")
        values[10] += 1;
    if (kind == "lat5n")
        for (int i = 0; i < 36; ++i)
            values.push_back(87.5 - 5 * i);
    if (kind == "lon5" || kind == "lon0")
        for (int i = 0; i < 72; ++i)
            values.push_back((kind == "lon5" ? -177.5 : 2.5) + 5 * i);
    if (kind == "days")
        for (int m = 0; m < std::atoi(argument.c_str()); ++m)
            values.push_back(15 + 30.5 * m);
    if (kind == "range")
        for (int i = 0; i < std::atoi(argument.c_str()); ++i)
            values.push_back(i + 1);
    if (kind == "list")
        for (size_t at = 0; at < argument.size();) {
            size_t end = argument.find(',', at);
            values.push_back(std::atof(argument.substr(at, end - at).c_str()));
            at = end == std::string::npos ? argument.size() : end + 1;
        }
    return values;
}

void write(const std::string& path, const LayoutCase& layout) {
    int file;
    ASSERT_EQ(NC_NOERR, nc_create(path.c_str(), NC_CLOBBER | NC_NETCDF4, &file));
    std::vector<int> dimensionIds;
    for (const auto& d : layout.dimensions) {
        int id;
        nc_def_dim(file, d.first.c_str(), d.second, &id);
        dimensionIds.push_back(id);
    }
    auto dimensionIndex = [&](const std::string& name) {
        for (size_t i = 0; i < layout.dimensions.size(); ++i)
            if (layout.dimensions[i].first == name)
                return i;
        return size_t(0);
    };
    std::vector<int> variableIds;
    for (const VariableSpec& v : layout.variables) {
        std::vector<int> dimensions;
        for (const std::string& d : v.dimensions)
            dimensions.push_back(dimensionIds[dimensionIndex(d)]);
        int id;
        nc_def_var(file, v.name.c_str(), NC_DOUBLE, int(dimensions.size()), dimensions.data(), &id);
        for (const auto& a : v.attributes)
            nc_put_att_text(file, id, a.first.c_str(), a.second.size(), a.second.c_str());
        variableIds.push_back(id);
    }
    nc_enddef(file);
    for (size_t i = 0; i < layout.variables.size(); ++i) {
        const VariableSpec& v = layout.variables[i];
        size_t count = 1;
        for (const std::string& d : v.dimensions)
            count *= layout.dimensions[dimensionIndex(d)].second;
        std::vector<double> values = v.values.empty() ? std::vector<double>(count, 1.25) : valuesOf(v.values);
        ASSERT_EQ(count, values.size()) << v.name;
        nc_put_var_double(file, variableIds[i], values.data());
    }
    nc_close(file);
}

TEST(ImportLayouts, ChoicesAndRefusalsAreThePythonImportersOnes) {
    TempDir dir;
    for (const LayoutCase& c : CASES) {
        SCOPED_TRACE(c.name);
        std::string path = dir.file("layout.nc");
        write(path, c);
        ImportRequest request;
        request.input = path;
        request.target = c.target;
        request.variable = c.variable;
        request.hasLevel = !std::isnan(c.level);
        request.level = request.hasLevel ? c.level : 0.0;
        ImportPreview preview = previewImport(request);
        EXPECT_EQ(c.chosen, preview.chosen < 0 ? std::string() : preview.candidates[size_t(preview.chosen)].name);
        EXPECT_EQ(c.problem, preview.problemEnglish);
        EXPECT_EQ(*c.problem == '\0', preview.problemGerman.empty()) << preview.problemGerman;
    }
}

}  // namespace
