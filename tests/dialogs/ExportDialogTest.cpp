#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "DialogIds.h"
#include "ExportDialog.h"
#include "ExportTestSupport.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "SeriesExport.h"

namespace {

const std::string success = "Export wurde erfolgreich durchgeführt.";

void enterRange(DialogDriver& driver, const char* startYear, const char* startMonth,
                const char* stopYear, const char* stopMonth)
{
    driver.type(IDC_EXPORT_START_YEAR, startYear)
        .type(IDC_EXPORT_START_MONTH, startMonth)
        .type(IDC_EXPORT_STOP_YEAR, stopYear)
        .type(IDC_EXPORT_STOP_MONTH, stopMonth);
}

// The same range written by SeriesExport directly.
std::string expectedFile(const SeriesRange& range, const PositionCollection* positions)
{
    std::atomic<bool> cancel(false);
    SeriesExport series(hadcrut3v().c_str(), range, positions);
    series.write("expected.csv", cancel, nullptr);
    return readFile("expected.csv");
}

// "Export wurde bis MM-YYYY durchgeführt." -> the last data line's start.
std::string reachedMonth(const std::string& message)
{
    unsigned month = 0, year = 0;
    size_t at = message.find("bis ");
    if (at == std::string::npos ||
        std::sscanf(message.c_str() + at, "bis %u-%u", &month, &year) != 2)
        return "";
    return std::to_string(year) + ";" + std::to_string(month) + ";";
}

struct Progress {
    LRESULT low = -1, high = -1, position = -1;
};

Progress readProgress(HWND dialog)
{
    HWND bar = GetDlgItem(dialog, IDC_EXPORT_PROGRESS);
    Progress progress;
    progress.low = SendMessageA(bar, PBM_GETRANGE, TRUE, 0);
    progress.high = SendMessageA(bar, PBM_GETRANGE, FALSE, 0);
    progress.position = SendMessageA(bar, PBM_GETPOS, 0, 0);
    return progress;
}

bool canOpenExclusively(const char* name)
{
    HANDLE file = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

} // namespace

TEST(ExportDialogTest, RangeChecksThenAnExportWithItsProgress)
{
    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE, hadcrut3v().c_str());
    database.load(2007, 11, false);
    PositionCollection noPositions;
    ExportDialog dialog(nullptr, database, noPositions);

    DialogDriver driver;
    std::vector<std::string> shown;
    Progress before, after;
    size_t messagesBeforeStart = 0;
    driver.act([&](HWND d) {
        for (int id : {IDC_EXPORT_START_YEAR, IDC_EXPORT_START_MONTH, IDC_EXPORT_STOP_YEAR,
                       IDC_EXPORT_STOP_MONTH})
            shown.push_back(controlText(d, id));
        before = readProgress(d);
    });
    enterRange(driver, "1849", "1", "1990", "12");
    driver.press(IDC_EXPORT_START);
    enterRange(driver, "von", "1", "1990", "12");
    driver.press(IDC_EXPORT_START);
    enterRange(driver, "1990", "0", "1990", "12");
    driver.press(IDC_EXPORT_START);
    enterRange(driver, "1990", "1", "1990", "13");
    driver.press(IDC_EXPORT_START);
    enterRange(driver, "1990", "-1", "1990", "12");
    driver.press(IDC_EXPORT_START);
    enterRange(driver, "1990", "1", "1989", "12");
    driver.press(IDC_EXPORT_START);
    enterRange(driver, "1990", "1", "4000000000", "12");
    driver.press(IDC_EXPORT_START);
    enterRange(driver, "1990", "1", "99999999999999", "12");
    driver.press(IDC_EXPORT_START);
    enterRange(driver, "1990", "1", "1990", "12");
    driver.act([&](HWND) { messagesBeforeStart = driver.getMessages().size(); })
        .key(VK_RETURN) // "Start ..." is the default button
        .waitUntil([&] { return driver.getMessages().size() > messagesBeforeStart; })
        .act([&](HWND d) { after = readProgress(d); })
        .press(IDC_EXPORT_CANCEL); // idle: closes

    EXPECT_EQ(0, driver.run([&] { return dialog.show(true); }));
    EXPECT_FALSE(dialog.isExportRunning());

    EXPECT_EQ((std::vector<std::string>{"1850", "1", "2007", "11"}), shown);
    EXPECT_EQ(0, before.low);
    EXPECT_EQ(100, before.high);
    const std::string year = "Jahr ab 1850 möglich.";
    const std::string month = "Monatsbereich 1-12.";
    const std::string order = "Start-Jahr muss vor dem Stop-Jahr liegen.";
    const std::string tooLate = "Jahr bis 9999 möglich.";
    EXPECT_EQ((std::vector<std::string>{year, year, month, month, month, order, tooLate, tooLate,
                                        success}),
              driver.texts());
    for (const DialogDriver::Message& message : driver.getMessages()) {
        EXPECT_EQ("Information", message.caption);
        EXPECT_TRUE(message.information);
    }
    EXPECT_EQ(0, after.low);
    EXPECT_EQ(12, after.high) << "one step per month";
    EXPECT_EQ(12, after.position);
    EXPECT_EQ(expectedFile({1990, 1, 1990, 12, false}, nullptr), readFile("Auswertung.csv"));
}

TEST(ExportDialogTest, CancellingAndClosingWhileTheExportRuns)
{
    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE, hadcrut3v().c_str());
    database.load(1990, 6, false);
    PositionCollection cities;
    addThreeCities(cities);
    ExportDialog dialog(nullptr, database, cities);

    // "Abbrechen" while it runs stops it; the file holds every month up to
    // the one the message names. The range ends far beyond the data, so
    // that the export is still running.
    DialogDriver driver;
    bool runningAfterStart = false, runningAfterCancel = true;
    std::string fileAfterCancel;
    Progress cancelled;
    // Each cancel waits until the bar has moved, so that the file holds
    // data lines however slowly the thread gets going.
    HWND shown = nullptr;
    auto barMoved = [&] { return shown && readProgress(shown).position > 0; };
    enterRange(driver, "1850", "1", "9999", "12");
    driver.press(IDC_EXPORT_START)
        .act([&](HWND d) {
            shown = d;
            runningAfterStart = dialog.isExportRunning();
        })
        .press(IDC_EXPORT_START) // a second start while it runs does nothing
        .waitUntil(barMoved)
        .press(IDC_EXPORT_CANCEL)
        .waitUntil([&] { return !driver.getMessages().empty(); })
        .act([&](HWND d) {
            cancelled = readProgress(d);
            runningAfterCancel = dialog.isExportRunning();
            fileAfterCancel = readFile("Auswertung.csv");
        })
        // Once more, then the close box while it runs.
        .press(IDC_EXPORT_START)
        // The bar shows the cancelled run until the new one reports.
        .waitUntil([&] {
            LRESULT position = readProgress(shown).position;
            return position > 0 && position != cancelled.position;
        })
        .closeBox();
    EXPECT_EQ(0, driver.run([&] { return dialog.show(true); }));
    EXPECT_TRUE(runningAfterStart);
    EXPECT_FALSE(runningAfterCancel);
    EXPECT_FALSE(dialog.isExportRunning()) << "the close box waited for the thread";
    EXPECT_EQ(0, cancelled.low);
    EXPECT_EQ(65535, cancelled.high) << "97 800 months scaled to the bar's 16 bits";
    EXPECT_LT(cancelled.position, 65535);

    ASSERT_EQ(2u, driver.getMessages().size());
    for (const DialogDriver::Message& message : driver.getMessages()) {
        EXPECT_EQ(0u, message.text.find("Export wurde abgebrochen.\r\n\r\nExport wurde bis "))
            << message.text;
        std::vector<std::string> lines = splitLines(
            &message == &driver.getMessages()[0] ? fileAfterCancel : readFile("Auswertung.csv"));
        ASSERT_GT(lines.size(), 3u);
        EXPECT_EQ("Jahr;Monat;Anomalie Gesamt;Anomalie Berlin, Sydney, New York;Abdeckung in "
                  "Prozent",
                  lines[2]);
        EXPECT_EQ(0u, lines.back().find(reachedMonth(message.text)))
            << "the file ends with the month the message names: " << message.text;
        EXPECT_LT(lines.size(), 3u + 8150u * 12u) << "stopped before the end";
    }
    EXPECT_TRUE(canOpenExclusively("Auswertung.csv")) << "the file is closed";
}

TEST(ExportDialogTest, AFileThatCannotBeWrittenIsReportedAndNotClaimed)
{
    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE, hadcrut3v().c_str());
    database.load(1990, 12, false);
    PositionCollection cities;
    addThreeCities(cities);
    ExportDialog dialog(nullptr, database, cities);

    HANDLE locked = CreateFileA("Auswertung.csv", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    DialogDriver driver;
    driver.type(IDC_EXPORT_START_YEAR, "1990")
        .type(IDC_EXPORT_START_MONTH, "11")
        .type(IDC_EXPORT_STOP_MONTH, "2")
        .check(IDC_EXPORT_MONTHLY_AVERAGE, true)
        .press(IDC_EXPORT_START)
        .waitUntil([&] { return driver.getMessages().size() == 1 && !dialog.isExportRunning(); })
        .act([&](HWND) { CloseHandle(locked); })
        // The dialog stays usable: the same export once the file is free.
        .press(IDC_EXPORT_START)
        .waitUntil([&] { return driver.getMessages().size() == 2; })
        .closeBox();
    EXPECT_EQ(0, driver.run([&] { return dialog.show(true); }));

    ASSERT_EQ(2u, driver.getMessages().size());
    const DialogDriver::Message& failure = driver.getMessages()[0];
    EXPECT_EQ("Error", failure.caption);
    EXPECT_NE(std::string::npos, failure.text.find("Cannot open file: Auswertung.csv"))
        << failure.text;
    EXPECT_EQ(success, driver.getMessages()[1].text);
    EXPECT_EQ(expectedFile({1990, 11, 1990, 2, true}, &cities), readFile("Auswertung.csv"));
    std::vector<std::string> lines = splitLines(readFile("Auswertung.csv"));
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ(0u, lines[3].find("1990 bis 1991;11 bis 2;"));
}
