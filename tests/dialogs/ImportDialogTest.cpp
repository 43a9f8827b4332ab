#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <netcdf.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "DialogIds.h"
#include "GridImport.h"
#include "ImportDialog.h"
#include "OrvexDatabase.h"
#include "TempDir.h"

namespace {

// What the dialog shows of a preview.
struct Shown {
    std::vector<std::string> texts; // variable, long name, units, grid, period, level axis, problem
    bool variableEnabled = false;
    bool levelEnabled = false;
    int levels = 0;
    int levelSelected = -1;
    std::string target;

    bool operator==(const Shown& other) const
    {
        return texts == other.texts && variableEnabled == other.variableEnabled &&
               levelEnabled == other.levelEnabled && levels == other.levels &&
               levelSelected == other.levelSelected && target == other.target;
    }
};

std::ostream& operator<<(std::ostream& out, const Shown& shown)
{
    for (const std::string& text : shown.texts)
        out << "'" << text << "' ";
    return out << (shown.variableEnabled ? "variable enabled, " : "variable disabled, ")
               << (shown.levelEnabled ? "level enabled, " : "level disabled, ") << shown.levels
               << " levels, selected " << shown.levelSelected << ", target " << shown.target;
}

Shown readShown(HWND dialog)
{
    Shown shown;
    for (int id : {IDC_IMPORT_VARIABLE, IDC_IMPORT_LONG_NAME, IDC_IMPORT_UNITS, IDC_IMPORT_GRID,
                   IDC_IMPORT_MONTHS, IDC_IMPORT_LEVEL_AXIS, IDC_IMPORT_PROBLEM})
        shown.texts.push_back(controlText(dialog, id));
    shown.variableEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_IMPORT_VARIABLE)) != FALSE;
    shown.levelEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_IMPORT_LEVEL)) != FALSE;
    shown.levels =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_IMPORT_LEVEL, CB_GETCOUNT, 0, 0));
    shown.levelSelected =
        static_cast<int>(SendDlgItemMessageA(dialog, IDC_IMPORT_LEVEL, CB_GETCURSEL, 0, 0));
    shown.target = controlText(dialog, IDC_IMPORT_TARGET);
    return shown;
}

ImportCandidate candidate(const char* name, const char* longName, const char* units)
{
    return ImportCandidate{name, longName, units, name};
}

ImportPreview preview(std::vector<ImportCandidate> candidates, int chosen, const char* problem,
                      int firstMonth, int lastMonth)
{
    ImportPreview made;
    made.candidates = candidates;
    made.chosen = chosen;
    made.problemGerman = problem;
    made.grid = "5 x 5 Grad, 36 x 72 Zellen";
    made.firstMonth = firstMonth;
    made.lastMonth = lastMonth;
    return made;
}

ImportPreview withLevels(ImportPreview made, std::vector<std::string> levels, bool needed)
{
    made.levelAxis = "'DEPTH' (METERS, positive down)";
    made.levels = levels;
    made.levelNeeded = needed;
    return made;
}

const std::string grid = "5 x 5 Grad, 36 x 72 Zellen";
const std::string depth = "'DEPTH' (METERS, positive down)";
const std::string twoVariables = "Die Datei hat mehrere Temperaturvariablen: tas_mean, tas_lower.";

struct Case {
    const char* name;
    ImportPreview preview;
    const char* dataSet; // the caller's
    bool chooseSecond;   // the second variable chosen, previewed anew
    std::string refusal; // empty: the problem the dialog shows
    Shown shown;         // after the choice
};

} // namespace

// Each preview is shown, "Importieren" is refused with its reason, and the
// caller's data set stays open. The file does not exist, so that a choice
// in the dialog is previewed anew into the importer's refusal.
TEST(ImportDialogTest, WhatAPreviewShowsAndWhyImportingIsRefused)
{
    const ImportCandidate mean = candidate("tas_mean", "Temperature anomaly", "K");
    const ImportCandidate lower = candidate("tas_lower", "", "");
    const std::vector<Case> cases = {
        {"two candidates, none chosen",
         preview({mean, lower}, -1, twoVariables.c_str(), 1, 2100),
         "data/cru/hadcrut3.dat",
         false,
         twoVariables,
         {{"", "", "", "", "", "keine", twoVariables}, true, false, 0, -1, "HADCRUT3"}},
        {"none chosen, no reason given",
         preview({mean, lower}, -1, "", 1, 2100),
         "data/cru/hadcrut3v.dat",
         false,
         "Bitte wählen Sie eine Variable.",
         {{"", "", "", "", "", "keine", ""}, true, false, 0, -1, "HADCRUT4"}},
        {"the second without long name and units, months before 1850",
         preview({mean, lower}, 1, "Das Gitter ist nicht regelmäßig.", -11, 13),
         "data/cru/hadcrut3.dat",
         false,
         "Das Gitter ist nicht regelmäßig.",
         {{"tas_lower", "(keine Angabe)", "(keine Angabe)", grid, "Januar 1849 bis Januar 1851",
           "keine", "Das Gitter ist nicht regelmäßig."},
          true,
          false,
          0,
          -1,
          "HADCRUT3"}},
        {"one candidate, a time axis without months",
         preview({mean}, 0, "Die Zeitachse hat keine Einheit.", 0, 0),
         "data/cru/hadcrut4.dat",
         false,
         "Die Zeitachse hat keine Einheit.",
         {{"tas_mean", "Temperature anomaly", "K", grid, "unbekannt", "keine",
           "Die Zeitachse hat keine Einheit."},
          false,
          false,
          0,
          -1,
          "HADCRUT4"}},
        {"several levels, none chosen",
         withLevels(preview({mean}, 0, "", 1, 2100), {"0", "10", "2.5"}, true),
         "data/cru/hadcrut4.dat",
         false,
         "Bitte wählen Sie eine Ebene.",
         {{"tas_mean", "Temperature anomaly", "K", grid, "Januar 1850 bis Dezember 2024", depth,
           ""},
          false,
          true,
          3,
          -1,
          "HADCRUT4"}},
        {"one level: chosen, the box disabled; a problem besides",
         withLevels(preview({mean}, 0, "Zwei Zeitschritte im selben Monat.", 2, 1199), {"0"},
                    false),
         "data/cru/hadcrut4.dat",
         false,
         "Zwei Zeitschritte im selben Monat.",
         {{"tas_mean", "Temperature anomaly", "K", grid, "Februar 1850 bis November 1949", depth,
           "Zwei Zeitschritte im selben Monat."},
          false,
          false,
          1,
          0,
          "HADCRUT4"}},
        {"another variable chosen: the file is looked at anew",
         preview({mean, lower}, 0, "", 1, 2100),
         "data/cru/hadcrut4.dat",
         true,
         "",
         {{"tas_lower", "(keine Angabe)", "(keine Angabe)", "", "unbekannt", "keine", "?"},
          true,
          false,
          0,
          -1,
          "HADCRUT4"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A set without a file: only its name matters, which chooses the
        // target shown first.
        OrvexDatabase database;
        database.open(OrvexDatabase::TYPE_ONE_DEGREE, c.dataSet);
        ImportRequest request;
        request.input = "fehlt.nc";
        ImportDialog dialog(nullptr, request, c.preview, database);
        Shown shown;
        DialogDriver driver;
        if (c.chooseSecond)
            driver.act([](HWND d) {
                SendDlgItemMessageA(d, IDC_IMPORT_VARIABLE, CB_SETCURSEL, 1, 0);
                SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_IMPORT_VARIABLE, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(GetDlgItem(d, IDC_IMPORT_VARIABLE)));
            });
        driver.act([&](HWND d) { shown = readShown(d); }).press(IDOK).press(IDCANCEL);
        EXPECT_EQ(0, driver.run([&] { return dialog.show(true); }));

        Shown expected = c.shown;
        std::string refusal = c.refusal;
        if (refusal.empty()) {
            // The importer's own reason, in the dialog and in the refusal.
            ASSERT_EQ(7u, shown.texts.size());
            EXPECT_NE("", shown.texts[6]);
            expected.texts[6] = refusal = shown.texts[6];
        }
        EXPECT_EQ(expected, shown);
        EXPECT_EQ(std::vector<std::string>{refusal}, driver.texts());
        for (const DialogDriver::Message& message : driver.getMessages()) {
            EXPECT_EQ("Information", message.caption);
            EXPECT_TRUE(message.information);
        }
        EXPECT_FALSE(dialog.closedDataSet());
        EXPECT_EQ(360u, database.getColumns()) << "the caller's data set stays open";
    }
}

namespace {

// "tas" (K) and "tem" (degC) on the 5-degree grid, months from 1850 at their middles.
void writeTwoTemperatures(const std::string& path, size_t months)
{
    const char* names[] = {"time", "lat", "lon", "tas", "tem"};
    const char* units[] = {"days since 1850-01-01", "degrees_north", "degrees_east", "K", "degC"};
    const size_t sizes[] = {months, 36, 72, months * 36 * 72, months * 36 * 72};
    const double first[] = {15, -87.5, -177.5, 1.25, 14.5}, step[] = {30.436875, 5, 5, 0, 0};
    int file, ids[5], dims[3];
    ASSERT_EQ(NC_NOERR, nc_create(path.c_str(), NC_CLOBBER, &file));
    for (int i = 0; i < 5; ++i) {
        if (i < 3)
            nc_def_dim(file, names[i], sizes[i], &dims[i]);
        nc_def_var(file, names[i], NC_DOUBLE, i < 3 ? 1 : 3, i < 3 ? &dims[i] : dims, &ids[i]);
        nc_put_att_text(file, ids[i], "units", strlen(units[i]), units[i]);
    }
    nc_enddef(file);
    for (int i = 0; i < 5; ++i) {
        std::vector<double> values(sizes[i]);
        for (size_t k = 0; k < sizes[i]; ++k)
            values[k] = first[i] + step[i] * k;
        nc_put_var_double(file, ids[i], values.data());
    }
    ASSERT_EQ(NC_NOERR, nc_close(file));
}

// Each position the bar moves to.
std::vector<int> barPositions;
WNDPROC barProcedure;

LRESULT CALLBACK recordPosition(HWND bar, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == PBM_SETPOS && static_cast<int>(wParam) != barPositions.back())
        barPositions.push_back(static_cast<int>(wParam));
    return CallWindowProcA(barProcedure, bar, message, wParam, lParam);
}

} // namespace

// Imported from the dialog, a file is read for the target and variable
// shown; no choice can be made while it runs, and the bar follows the
// months read.
TEST(ImportDialogTest, ImportsWhatItShows)
{
    const struct {
        size_t months;
        int target; // the entry chosen; -1: the one shown first (HADCRUT4)
        std::string file, variable, period;
        std::vector<int> positions;
    } imports[] = {
        {12, 2, "abstem3", "tem", "Januar bis Dezember (Klimatologie)", {0, 12}},
        {700,
         -1,
         "hadcrut4",
         "tas",
         "Januar 1850 bis April 1908",
         {0, 120, 240, 360, 480, 600, 700}},
    };
    for (const auto& c : imports) {
        SCOPED_TRACE(c.file);
        TempDir dir;
        OrvexDatabase database;
        database.open(OrvexDatabase::TYPE_ONE_DEGREE, "data/cru/hadcrut4.dat");
        ImportRequest request;
        request.input = dir.file("two.nc");
        request.outDir = dir.path();
        writeTwoTemperatures(request.input, c.months);
        ImportDialog dialog(nullptr, request, previewImport(request), database);
        std::vector<std::string> shown;
        bool choiceWhileRunning = true;
        barPositions = {0};
        DialogDriver driver;
        driver.act([&](HWND d) {
            HWND target = GetDlgItem(d, IDC_IMPORT_TARGET),
                 bar = GetDlgItem(d, IDC_IMPORT_PROGRESS);
            if (c.target >= 0 && SendMessageA(target, CB_SETCURSEL, c.target, 0) >= 0)
                SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_IMPORT_TARGET, CBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(target));
            shown = {controlText(d, IDC_IMPORT_VARIABLE), controlText(d, IDC_IMPORT_MONTHS)};
            barProcedure = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recordPosition)));
            // The import ends on this thread, so it runs until this step returns.
            SendMessageA(d, WM_COMMAND, IDOK, 0);
            choiceWhileRunning =
                IsWindowEnabled(target) || IsWindowEnabled(GetDlgItem(d, IDC_IMPORT_VARIABLE));
        });
        ASSERT_EQ(1, driver.run([&] { return dialog.show(true); }));
        EXPECT_EQ((std::vector<std::string>{c.variable, c.period}), shown);
        EXPECT_EQ(c.positions, barPositions);
        EXPECT_FALSE(choiceWhileRunning);
        // What the importer read, in its own words.
        EXPECT_EQ(dir.path() + "\\data\\cru\\" + c.file + ".dat: '" + c.variable +
                      "' (5 x 5 degrees), read with netCDF-C",
                  dialog.getReport().english.at(0));
    }
}
