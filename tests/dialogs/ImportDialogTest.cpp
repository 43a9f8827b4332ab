#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "DialogIds.h"
#include "GridImport.h"
#include "ImportDialog.h"
#include "OrvexDatabase.h"

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
         "data/cru/abstem3.dat",
         false,
         "Das Gitter ist nicht regelmäßig.",
         {{"tas_lower", "(keine Angabe)", "(keine Angabe)", grid, "Januar 1849 bis Januar 1851",
           "keine", "Das Gitter ist nicht regelmäßig."},
          true,
          false,
          0,
          -1,
          "ABS1960_91"}},
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
