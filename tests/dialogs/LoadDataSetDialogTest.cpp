#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DataSetCatalogue.h"
#include "DialogDriver.h"
#include "DialogIds.h"
#include "LoadDataSetDialog.h"

namespace {
const std::string yearMessage = "Jahr ab 1850 möglich.";
const std::string monthMessage = "Monatsbereich 1-12.";
}

TEST(LoadDataSetDialogTest, RangeMessagesUntilAValidChoice)
{
    LoadDataSetDialog dialog(nullptr);
    dialog.setYear(1998);
    dialog.setMonth(3);
    dialog.setFileName("data/cru/hadcrut3v.dat");
    dialog.setYearAverage(true);

    DialogDriver driver;
    std::string shownYear, shownMonth, shownDataSet;
    std::vector<std::string> choices;
    bool averageShown = false;
    driver
        .act([&](HWND d) {
            shownYear = controlText(d, IDC_LOAD_YEAR);
            shownMonth = controlText(d, IDC_LOAD_MONTH);
            shownDataSet = controlText(d, IDC_LOAD_DATA_SET);
            averageShown = IsDlgButtonChecked(d, IDC_LOAD_YEAR_AVERAGE) == BST_CHECKED;
            LRESULT count = SendDlgItemMessageA(d, IDC_LOAD_DATA_SET, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < count; ++i) {
                char text[64] = "";
                SendDlgItemMessageA(d, IDC_LOAD_DATA_SET, CB_GETLBTEXT, i,
                                    reinterpret_cast<LPARAM>(text));
                choices.push_back(text);
            }
        })
        .type(IDC_LOAD_YEAR, "1849")
        .press(IDOK)
        .type(IDC_LOAD_YEAR, "Jahr")
        .press(IDOK)
        .type(IDC_LOAD_YEAR, "-2000")
        .press(IDOK)
        .type(IDC_LOAD_YEAR, "1990")
        .type(IDC_LOAD_MONTH, "0")
        .press(IDOK)
        .type(IDC_LOAD_MONTH, "13")
        .press(IDOK)
        .type(IDC_LOAD_MONTH, "99999999999")
        .press(IDOK)
        // The year average does not lift the month check.
        .type(IDC_LOAD_MONTH, "")
        .press(IDOK)
        .check(IDC_LOAD_YEAR_AVERAGE, false)
        .type(IDC_LOAD_YEAR, " 2100")
        .type(IDC_LOAD_MONTH, "08")
        .key(VK_RETURN); // the default button, OK

    EXPECT_EQ(1, driver.run([&] { return dialog.show(true); }));

    EXPECT_EQ("1998", shownYear);
    EXPECT_EQ("3", shownMonth);
    EXPECT_TRUE(averageShown);
    EXPECT_EQ((std::vector<std::string>{"HADCRUT4", "HADCRUT3", "ABS1960_91"}), choices);
    EXPECT_EQ("HADCRUT4", shownDataSet) << "a file outside the catalogue shows the first entry";

    EXPECT_EQ((std::vector<std::string>{yearMessage, yearMessage, yearMessage, monthMessage,
                                        monthMessage, monthMessage, monthMessage}),
              driver.texts());
    for (const DialogDriver::Message& message : driver.getMessages()) {
        EXPECT_EQ("Information", message.caption);
        EXPECT_TRUE(message.information) << message.text;
    }

    EXPECT_EQ(2100u, dialog.getYear()) << "years past the data are accepted";
    EXPECT_EQ(8u, dialog.getMonth()) << "08 is August";
    EXPECT_FALSE(dialog.isYearAverage());
    EXPECT_STREQ("data/cru/hadcrut4.dat", dialog.getFileName());
}

TEST(LoadDataSetDialogTest, ChoosingADataSetAndCancelling)
{
    LoadDataSetDialog dialog(nullptr);
    dialog.setFileName("data/cru/hadcrut4.dat");
    DialogDriver driver;
    std::string shownYear;
    driver.act([&](HWND d) { shownYear = controlText(d, IDC_LOAD_YEAR); })
        .choose(IDC_LOAD_DATA_SET, 2)
        .press(IDOK);
    EXPECT_EQ(1, driver.run([&] { return dialog.show(true); }));
    EXPECT_EQ("1850", shownYear) << "the initial year";
    EXPECT_STREQ("data/cru/abstem3.dat", dialog.getFileName());
    EXPECT_EQ(1u, dialog.getMonth());

    // Set up twice, the catalogue still holds three entries.
    EXPECT_EQ(3u, DataSetCatalogue::getTable().size());

    // Shown again, the same dialog fills its new controls.
    DialogDriver cancelling;
    std::string shownAgain;
    cancelling.act([&](HWND d) { shownAgain = controlText(d, IDC_LOAD_DATA_SET); })
        .type(IDC_LOAD_YEAR, "1700")
        .press(IDCANCEL);
    EXPECT_EQ(0, cancelling.run([&] { return dialog.show(true); }));
    EXPECT_EQ("ABS1960_91", shownAgain);
    EXPECT_TRUE(cancelling.getMessages().empty());

    DialogDriver escaping;
    escaping.key(VK_ESCAPE);
    EXPECT_EQ(0, escaping.run([&] { return dialog.show(true); }));

    DialogDriver closing;
    closing.closeBox();
    EXPECT_EQ(0, closing.run([&] { return dialog.show(true); }));
}
