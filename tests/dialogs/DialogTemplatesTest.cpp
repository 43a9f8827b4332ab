#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "DialogIds.h"
#include "ExportDialog.h"
#include "ExportTestSupport.h"
#include "HelpDialog.h"
#include "LoadDataSetDialog.h"
#include "OrvexDatabase.h"
#include "PositionDialog.h"

namespace {

struct Layout {
    std::string caption;
    std::vector<int> tabOrder;
    int defaultButton = 0;
    std::vector<std::string> texts; // of the controls in tab order
};

Layout readLayout(HWND dialog)
{
    Layout layout;
    char caption[128] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    layout.caption = caption;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND item = first; item != nullptr;) {
        layout.tabOrder.push_back(GetDlgCtrlID(item));
        char text[256] = "";
        GetWindowTextA(item, text, sizeof text);
        layout.texts.push_back(text);
        item = GetNextDlgTabItem(dialog, item, FALSE);
        if (item == first || layout.tabOrder.size() > 20)
            break;
    }
    layout.defaultButton = LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0));
    return layout;
}

Layout layoutOf(WDialog& dialog)
{
    DialogDriver driver;
    Layout layout;
    driver.act([&](HWND d) { layout = readLayout(d); }).closeBox();
    driver.run([&] { return dialog.show(true); });
    return layout;
}

} // namespace

TEST(DialogTemplatesTest, CaptionsTabOrderAndDefaultButtons)
{
    PositionDialog position(nullptr);
    position.setName("Zugspitze");
    Layout p = layoutOf(position);
    EXPECT_EQ("Position", p.caption);
    EXPECT_EQ(
        (std::vector<int>{IDC_POSITION_NAME, IDC_POSITION_LAT_DEGREES, IDC_POSITION_LAT_MINUTES,
                          IDC_POSITION_LAT_HEMISPHERE, IDC_POSITION_LON_DEGREES,
                          IDC_POSITION_LON_MINUTES, IDC_POSITION_LON_HEMISPHERE, IDOK, IDCANCEL}),
        p.tabOrder);
    EXPECT_EQ(IDOK, p.defaultButton);
    ASSERT_EQ(9u, p.texts.size());
    EXPECT_EQ("Zugspitze", p.texts[0]);
    EXPECT_EQ("OK", p.texts[7]);
    EXPECT_EQ("Abbrechen", p.texts[8]);

    LoadDataSetDialog load(nullptr);
    Layout l = layoutOf(load);
    EXPECT_EQ("Datensatz laden", l.caption);
    EXPECT_EQ((std::vector<int>{IDC_LOAD_DATA_SET, IDC_LOAD_YEAR, IDC_LOAD_MONTH,
                                IDC_LOAD_YEAR_AVERAGE, IDC_LOAD_SEASON, IDOK, IDCANCEL}),
              l.tabOrder);
    EXPECT_EQ(IDOK, l.defaultButton);
    ASSERT_EQ(7u, l.texts.size());
    EXPECT_EQ("Jahresdurchschnitt berechnen", l.texts[3]);
    EXPECT_EQ("keine", l.texts[4]);

    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE, hadcrut3v().c_str());
    database.load(1990, 6, false);
    PositionCollection positions;
    ExportDialog exporting(nullptr, database, positions);
    Layout e = layoutOf(exporting);
    EXPECT_EQ("Datenreihe exportieren", e.caption);
    EXPECT_EQ((std::vector<int>{IDC_EXPORT_START_YEAR, IDC_EXPORT_START_MONTH, IDC_EXPORT_STOP_YEAR,
                                IDC_EXPORT_STOP_MONTH, IDC_EXPORT_MONTHLY_AVERAGE, IDC_EXPORT_START,
                                IDC_EXPORT_CANCEL}),
              e.tabOrder);
    EXPECT_EQ(IDC_EXPORT_START, e.defaultButton);
    ASSERT_EQ(7u, e.texts.size());
    EXPECT_EQ("Monatsdurchschnitt", e.texts[4]);
    EXPECT_EQ("Start ...", e.texts[5]);
    EXPECT_EQ("Abbrechen", e.texts[6]);

    HelpDialog help(nullptr);
    Layout h = layoutOf(help);
    EXPECT_EQ("Hilfe", h.caption);
    EXPECT_EQ((std::vector<int>{IDC_HELP_TEXT, IDC_HELP_CLOSE}), h.tabOrder);
    EXPECT_EQ(IDC_HELP_CLOSE, h.defaultButton);
}
