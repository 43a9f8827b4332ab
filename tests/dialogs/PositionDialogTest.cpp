#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogDriver.h"
#include "DialogIds.h"
#include "PositionDialog.h"

namespace {

const std::string latitudeMessage =
    "Ungültige Breitenangabe (0..90 Bogengrad, 0..59 Minuten möglich)!";
const std::string longitudeMessage =
    "Ungültige Längenangabe (0..180 Längengrad, 0..59 Minuten möglich)!";

// Types one set of coordinates and confirms.
void enter(DialogDriver& driver, const char* latDegrees, const char* latMinutes, int south,
           const char* lonDegrees, const char* lonMinutes, int west)
{
    driver.type(IDC_POSITION_LAT_DEGREES, latDegrees)
        .type(IDC_POSITION_LAT_MINUTES, latMinutes)
        .choose(IDC_POSITION_LAT_HEMISPHERE, south)
        .type(IDC_POSITION_LON_DEGREES, lonDegrees)
        .type(IDC_POSITION_LON_MINUTES, lonMinutes)
        .choose(IDC_POSITION_LON_HEMISPHERE, west)
        .press(IDOK);
}

} // namespace

TEST(PositionDialogTest, RangeChecksLatitudeFirstAndTheLimitsAccepted)
{
    GmsCoordinates handedIn;
    handedIn.latDegrees = 52;
    handedIn.latMinutes = 31;
    handedIn.latSeconds = 12;
    handedIn.lonDegrees = 13;
    handedIn.lonMinutes = 24;
    handedIn.lonSeconds = 45;
    handedIn.lonWest = 1;
    PositionDialog dialog(nullptr);
    dialog.setCoordinates(handedIn);

    DialogDriver driver;
    std::vector<std::string> shown;
    std::vector<std::string> hemispheres;
    unsigned long redName = 0, whiteName = 0;
    size_t messagesAfterEmptyName = 99;
    driver.act([&](HWND d) {
        for (int id : {IDC_POSITION_NAME, IDC_POSITION_LAT_DEGREES, IDC_POSITION_LAT_MINUTES,
                       IDC_POSITION_LAT_HEMISPHERE, IDC_POSITION_LON_DEGREES,
                       IDC_POSITION_LON_MINUTES, IDC_POSITION_LON_HEMISPHERE})
            shown.push_back(controlText(d, id));
        for (int id : {IDC_POSITION_LAT_HEMISPHERE, IDC_POSITION_LON_HEMISPHERE}) {
            for (int i = 0; i < 2; ++i) {
                char text[32] = "";
                SendDlgItemMessageA(d, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
                hemispheres.push_back(text);
            }
        }
    });
    // An empty name: red, no message, the dialog stays.
    driver.press(IDOK).act([&](HWND d) {
        redName = editBackground(d, IDC_POSITION_NAME);
        messagesAfterEmptyName = driver.getMessages().size();
    });
    driver.type(IDC_POSITION_NAME, "Nordpol");
    enter(driver, "90", "1", 0, "0", "0", 0);            // latitude
    enter(driver, "-1", "0", 0, "0", "0", 0);            // latitude
    enter(driver, "91", "0", 1, "0", "0", 0);            // latitude
    enter(driver, "45", "60", 0, "0", "0", 0);           // latitude
    enter(driver, "Grad", "Nord", 0, "200", "0", 0);     // letters are 0°: longitude
    enter(driver, "90", "0", 0, "180", "30", 0);         // longitude
    enter(driver, "10", "0", 0, "10", "60", 1);          // longitude
    enter(driver, "10", "0", 0, "-5", "0", 1);           // longitude
    enter(driver, "99999999999", "0", 0, "181", "0", 1); // both wrong: latitude only
    driver.act([&](HWND d) { whiteName = editBackground(d, IDC_POSITION_NAME); });
    enter(driver, "90", "0", 0, "180", "0", 1); // the limits: 90° 0' N, 180° 0' W

    EXPECT_EQ(1, driver.run([&] { return dialog.show(true); }));

    EXPECT_EQ((std::vector<std::string>{"", "52", "31", "Nord", "13", "24", "West"}), shown);
    EXPECT_EQ((std::vector<std::string>{"Nord", "Süd", "Ost", "West"}), hemispheres);
    EXPECT_EQ(0x0000FFu, redName);
    EXPECT_EQ(0u, messagesAfterEmptyName);
    EXPECT_EQ(0xFFFFFFu, whiteName);
    EXPECT_EQ((std::vector<std::string>{latitudeMessage, latitudeMessage, latitudeMessage,
                                        latitudeMessage, longitudeMessage, longitudeMessage,
                                        longitudeMessage, longitudeMessage, latitudeMessage}),
              driver.texts());
    for (const DialogDriver::Message& message : driver.getMessages()) {
        EXPECT_EQ("Information", message.caption);
        EXPECT_TRUE(message.information);
    }

    const GmsCoordinates& result = dialog.getCoordinates();
    EXPECT_STREQ("Nordpol", dialog.getName());
    EXPECT_EQ(90, result.latDegrees);
    EXPECT_EQ(0, result.latMinutes);
    EXPECT_EQ(0, result.latSouth);
    EXPECT_EQ(180, result.lonDegrees);
    EXPECT_EQ(0, result.lonMinutes);
    EXPECT_EQ(1, result.lonWest);
    EXPECT_EQ(12, result.latSeconds) << "seconds come back unchanged";
    EXPECT_EQ(45, result.lonSeconds);
}

TEST(PositionDialogTest, MinutesWithLeadingZerosKeepTheirValue)
{
    GmsCoordinates handedIn;
    handedIn.latSeconds = 59;
    handedIn.lonSeconds = 7;
    PositionDialog dialog(nullptr);
    dialog.setName("Neue Position");
    dialog.setCoordinates(handedIn);
    DialogDriver driver;
    enter(driver, "033", " 08", 1, "151", "010", 0);
    EXPECT_EQ(1, driver.run([&] { return dialog.show(true); }));
    EXPECT_TRUE(driver.getMessages().empty());
    const GmsCoordinates& result = dialog.getCoordinates();
    EXPECT_STREQ("Neue Position", dialog.getName());
    EXPECT_EQ(33, result.latDegrees);
    EXPECT_EQ(8, result.latMinutes) << "08 typed is 8 minutes, not 0";
    EXPECT_EQ(1, result.latSouth);
    EXPECT_EQ(151, result.lonDegrees);
    EXPECT_EQ(10, result.lonMinutes) << "010 typed is 10 minutes, not 8";
    EXPECT_EQ(0, result.lonWest);
    EXPECT_EQ(59, result.latSeconds);
    EXPECT_EQ(7, result.lonSeconds);
    EXPECT_STREQ("33° 8' S / 151° 10' O", result.getLabel());

    DialogDriver cancelling;
    cancelling.type(IDC_POSITION_NAME, "").press(IDCANCEL);
    EXPECT_EQ(0, cancelling.run([&] { return dialog.show(true); }));
    EXPECT_TRUE(cancelling.getMessages().empty());
}

// Names positions.txt could not hold are refused with a message that names
// the character, and the dialog stays open; others are taken as they are.
TEST(PositionDialogTest, NamesTheFileCannotHoldAreRefused)
{
    const struct {
        const char* typed; // set as the text of the field, as pasting does
        const char* named; // in the message; null: accepted
    } cases[] = {
        {" ", "Leerzeichen"},
        {"  Berlin", "Leerzeichen"},
        {"#1", "»#«"},
        {"# Kommentar", "»#«"},
        {"Berg\tTal", "Tabulator"},
        {"Neue Position", nullptr},
        {"Berlin ", nullptr},
        {"Ort #2", nullptr},
        {"Zürich", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        PositionDialog dialog(nullptr);
        DialogDriver driver;
        driver.act([&](HWND d) { SetDlgItemTextA(d, IDC_POSITION_NAME, c.typed); })
            .press(IDOK)
            .press(IDCANCEL);
        int result = driver.run([&] { return dialog.show(true); });
        if (c.named == nullptr) {
            EXPECT_EQ(1, result);
            EXPECT_TRUE(driver.getMessages().empty());
            EXPECT_STREQ(c.typed, dialog.getName());
        } else {
            EXPECT_EQ(0, result) << "refused: only Abbrechen closed it";
            ASSERT_EQ(1U, driver.getMessages().size());
            EXPECT_EQ("Information", driver.getMessages()[0].caption);
            EXPECT_NE(std::string::npos, driver.getMessages()[0].text.find(c.named))
                << driver.getMessages()[0].text;
        }
    }
}

