#include <gtest/gtest.h>

#include <string>

#include "SaveFormat.h"

// The names the save dialogs take and the files they become: the format's
// extension is added to a name without one (also to "karte.", which Windows
// would save as "karte"), extensions compare regardless of case, and only the
// file's own name is looked at, not its folders.
TEST(SaveFormatTest, ChosenNamesAndTheFilesTheyBecome)
{
    const char* refused = nullptr;
    struct Case {
        const SaveFormat& format;
        const char* chosen;
        const char* saved; // refused: the "Unbekannte Dateiendung." message
    } cases[] = {
        {SaveFormat::gif, "karte", "karte.gif"},
        {SaveFormat::gif, "karte.gif", "karte.gif"},
        {SaveFormat::gif, "karte.GIF", "karte.GIF"},
        {SaveFormat::gif, "karte.Gif", "karte.Gif"},
        {SaveFormat::gif, "karte.", "karte.gif"},
        {SaveFormat::gif, "karte..", "karte.gif"},
        {SaveFormat::gif, "karte.gif.", "karte.gif"},
        {SaveFormat::gif, "karte.png", refused},
        {SaveFormat::gif, "karte.gif ", refused},
        {SaveFormat::gif, "karte.jpg", refused},
        {SaveFormat::gif, "Z:\\Karten.alt\\karte", "Z:\\Karten.alt\\karte.gif"},
        {SaveFormat::gif, "Z:\\Karten.alt\\karte.GIF", "Z:\\Karten.alt\\karte.GIF"},
        {SaveFormat::gif, "./karte", "./karte.gif"},
        {SaveFormat::gif, "Z:\\Karten.alt\\karte.", "Z:\\Karten.alt\\karte.gif"},
        {SaveFormat::jpeg, "bild", "bild.jpg"},
        {SaveFormat::jpeg, "bild.JPG", "bild.JPG"},
        {SaveFormat::jpeg, "bild.jpeg", "bild.jpeg"},
        {SaveFormat::jpeg, "bild.JPEG", "bild.JPEG"},
        {SaveFormat::jpeg, "bild.", "bild.jpg"},
        {SaveFormat::jpeg, "bild.gif", refused},
        {SaveFormat::emf, "bild", "bild.emf"},
        {SaveFormat::emf, "bild.EMF", "bild.EMF"},
        {SaveFormat::emf, "bild.", "bild.emf"},
        {SaveFormat::emf, "bild.gif", refused},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format.defaultExtension) + " \"" + c.chosen + "\"");
        WString name(c.chosen);
        bool taken = c.format.completeFileName(name);
        EXPECT_EQ(c.saved != refused, taken);
        EXPECT_STREQ(c.saved != refused ? c.saved : c.chosen, name);
    }
    EXPECT_STREQ("Unbekannte Dateiendung.\r\n*.gif erlaubt.", SaveFormat::gif.wrongExtension);
    EXPECT_STREQ("Unbekannte Dateiendung.\r\n*.jpg erlaubt.", SaveFormat::jpeg.wrongExtension);
    EXPECT_STREQ("Unbekannte Dateiendung.\r\n*.emf erlaubt.", SaveFormat::emf.wrongExtension);
}
