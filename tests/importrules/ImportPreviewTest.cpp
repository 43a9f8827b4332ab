// What the dialog is shown of a file before anything is written, and an
// import cancelled half-way: small netCDF files written here with netCDF-C.

#include <gtest/gtest.h>

#include <windows.h>

#include <netcdf.h>

#include <cmath>
#include <string>
#include <vector>

#include "GridImport.h"
#include "ImportFailure.h"
#include "TempDir.h"

namespace {

struct Variable {
    const char* name;
    const char* units;
    const char* longName;
};

// A 5-degree grid, south first from 180W, months from January 1850 as
// "days since 1850-01-01"; with a depth axis when depths are given. Every
// variable holds 1.25 everywhere.
void writeGrid(const std::string& path, int months, const std::vector<Variable>& variables,
               const std::vector<float>& depths = {}) {
    int file, time, depth, latitude, longitude, id;
    ASSERT_EQ(NC_NOERR, nc_create(path.c_str(), NC_CLOBBER | NC_NETCDF4, &file));
    nc_def_dim(file, "time", NC_UNLIMITED, &time);
    nc_def_dim(file, "lat", 36, &latitude);
    nc_def_dim(file, "lon", 72, &longitude);
    auto text = [&](int variable, const char* name, const char* value) {
        nc_put_att_text(file, variable, name, strlen(value), value);
    };
    int timeId, latitudeId, longitudeId, depthId = -1;
    nc_def_var(file, "time", NC_DOUBLE, 1, &time, &timeId);
    text(timeId, "units", "days since 1850-01-01");
    nc_def_var(file, "lat", NC_FLOAT, 1, &latitude, &latitudeId);
    text(latitudeId, "units", "degrees_north");
    nc_def_var(file, "lon", NC_FLOAT, 1, &longitude, &longitudeId);
    text(longitudeId, "units", "degrees_east");
    std::vector<int> dimensions = {time, latitude, longitude};
    if (!depths.empty()) {
        nc_def_dim(file, "depth", depths.size(), &depth);
        nc_def_var(file, "depth", NC_FLOAT, 1, &depth, &depthId);
        text(depthId, "units", "m");
        text(depthId, "positive", "down");
        dimensions = {time, depth, latitude, longitude};
    }
    std::vector<int> ids;
    for (const Variable& v : variables) {
        nc_def_var(file, v.name, NC_FLOAT, int(dimensions.size()), dimensions.data(), &id);
        text(id, "units", v.units);
        text(id, "long_name", v.longName);
        ids.push_back(id);
    }
    nc_enddef(file);
    std::vector<double> days;
    for (int m = 0; m < months; ++m)
        days.push_back(m * 30.5 + 15);
    size_t start = 0, count = size_t(months);
    nc_put_vara_double(file, timeId, &start, &count, days.data());
    std::vector<float> latitudes, longitudes;
    for (int i = 0; i < 36; ++i)
        latitudes.push_back(-87.5f + 5 * i);
    for (int i = 0; i < 72; ++i)
        longitudes.push_back(-177.5f + 5 * i);
    nc_put_var_float(file, latitudeId, latitudes.data());
    nc_put_var_float(file, longitudeId, longitudes.data());
    if (depthId >= 0)
        nc_put_var_float(file, depthId, depths.data());
    std::vector<size_t> starts(dimensions.size(), 0), counts = {size_t(months), 36, 72};
    if (!depths.empty())
        counts.insert(counts.begin() + 1, depths.size());
    size_t values = 1;
    for (size_t c : counts)
        values *= c;
    std::vector<float> field(values, 1.25f);
    for (int v : ids)
        nc_put_vara_float(file, v, starts.data(), counts.data(), field.data());
    nc_close(file);
}

ImportRequest request(const std::string& input, const std::string& variable = "") {
    ImportRequest r;
    r.input = input;
    r.target = "hadcrut4";
    r.variable = variable;
    return r;
}

// Cancels once the first slice of time steps has been read.
class CancelAfterFirstSlice : public ImportProgress {
public:
    void advance(int done, int) override { read = done; }
    bool cancelled() const override { return read > 0; }
    int read = 0;
};

class NoCancel : public ImportProgress {
public:
    void advance(int, int) override {}
    bool cancelled() const override { return false; }
};

bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(ImportPreview, ShowsCandidatesChoiceLevelsAndMonths) {
    TempDir dir;
    std::string two = dir.file("two.nc"), depths = dir.file("depths.nc"), text = dir.file("notes.nc");
    writeGrid(two, 14, {{"SST", "K", "SEA SURFACE TEMPERATURE"}, {"AIRT", "DEG C", "AIR TEMPERATURE"}});
    writeGrid(depths, 2, {{"TEMP", "degC", "TEMPERATURE"}}, {0.0f, 10.0f, 2.5f});
    HANDLE h = CreateFileA(text.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(h, "not netCDF\n", 11, &written, nullptr);
    CloseHandle(h);

    // Two temperatures: the user chooses.
    ImportPreview preview = previewImport(request(two));
    ASSERT_EQ(2u, preview.candidates.size());
    EXPECT_EQ("AIRT", preview.candidates[1].name);
    EXPECT_EQ("AIR TEMPERATURE", preview.candidates[1].longName);
    EXPECT_EQ("DEG C", preview.candidates[1].units);
    EXPECT_EQ(-1, preview.chosen);
    EXPECT_EQ("found 2 temperature variables: 'SST' (\"SEA SURFACE TEMPERATURE\", K), 'AIRT' (\"AIR TEMPERATURE\", "
              "DEG C); choose one with --variable NAME",
              preview.problemEnglish);
    EXPECT_FALSE(preview.problemGerman.empty());

    preview = previewImport(request(two, "airt"));
    EXPECT_EQ(1, preview.chosen);
    EXPECT_EQ("", preview.problemEnglish);
    EXPECT_EQ("5 x 5 Grad, 36 x 72 Zellen", preview.grid);
    EXPECT_EQ(1, preview.firstMonth);
    EXPECT_EQ(14, preview.lastMonth);
    EXPECT_EQ("", preview.levelAxis);
    EXPECT_FALSE(preview.levelNeeded);

    // Levels: needed until one is chosen.
    preview = previewImport(request(depths));
    EXPECT_EQ(0, preview.chosen);
    EXPECT_EQ("'depth' (m, positive down)", preview.levelAxis);
    EXPECT_EQ((std::vector<std::string>{"0", "10", "2.5"}), preview.levels);
    EXPECT_TRUE(preview.levelNeeded);
    EXPECT_EQ("'TEMP' has 3 levels on the axis 'depth' (m, positive down): 0, 10, 2.5; choose one with --level VALUE "
              "(for example --level 0)",
              preview.problemEnglish);
    ImportRequest level = request(depths);
    level.hasLevel = true;
    level.level = 2.5;
    preview = previewImport(level);
    EXPECT_FALSE(preview.levelNeeded);
    EXPECT_EQ("", preview.problemEnglish);
    EXPECT_EQ(2, preview.lastMonth);

    try {
        previewImport(request(text));
        ADD_FAILURE() << "a text file was read";
    } catch (const ImportFailure& failure) {
        EXPECT_NE(std::string::npos, failure.english().find(" cannot be read as netCDF ([Errno -51] NetCDF: Unknown "
                                                             "file format: b'"))
            << failure.english();
        EXPECT_NE(std::string::npos, failure.german().find(" ist keine lesbare netCDF-Datei (NetCDF: Unknown file "
                                                            "format)"))
            << failure.german();
    }
}

TEST(ImportPreview, CancelledImportLeavesNothingAndAFullOneReports) {
    TempDir dir;
    std::string input = dir.file("long.nc"), out = dir.file("out");
    writeGrid(input, 130, {{"tas", "K", "air temperature"}});  // two slices of 120 months
    CreateDirectoryA(out.c_str(), nullptr);
    ImportRequest r = request(input);
    r.outDir = out;

    CancelAfterFirstSlice cancelling;
    EXPECT_THROW(runImport(r, cancelling), ImportCancelled);
    EXPECT_EQ(120, cancelling.read);
    EXPECT_FALSE(exists(out + "\\data"));

    NoCancel progress;
    ImportReport report = runImport(r, progress);
    EXPECT_EQ(out + "\\data\\cru\\hadcrut4.dat", report.path);
    EXPECT_EQ(130, report.lastMonthWithData);
    ASSERT_EQ(5u, report.english.size());
    EXPECT_EQ(report.path + ": 'tas' (5 x 5 degrees), read with netCDF-C", report.english[0]);
    EXPECT_EQ("  variable:         'tas' (\"air temperature\", units K), by its name", report.english[1]);
    EXPECT_EQ("  months written:   130 (1850-01 to 1860-10), 20856 bytes each", report.english[2]);
    EXPECT_EQ("  mean coverage:    100.0 % of the earth's surface (1850-11 to 1860-10)", report.english[4]);
    ASSERT_EQ(5u, report.german.size());
    EXPECT_EQ("  Abdeckung:        100,0 % der Erdoberfläche im Mittel (1850-11 bis 1860-10)", report.german[4]);
}

}  // namespace
