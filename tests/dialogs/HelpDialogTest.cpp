#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>

#include "DialogDriver.h"
#include "DialogIds.h"
#include "ExportTestSupport.h"
#include "HelpDialog.h"
#include "WControlRichText.h"

namespace {

std::string richText(HWND dialog)
{
    HWND edit = GetDlgItem(dialog, IDC_HELP_TEXT);
    int length = GetWindowTextLengthA(edit);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(edit, &text[0], length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

// Whether the character at the start of the first occurrence of word is
// shown as a link.
bool isLink(HWND dialog, const char* word)
{
    HWND edit = GetDlgItem(dialog, IDC_HELP_TEXT);
    FINDTEXTA find;
    find.chrg.cpMin = 0;
    find.chrg.cpMax = -1;
    find.lpstrText = word;
    LRESULT at = SendMessageA(edit, EM_FINDTEXT, FR_DOWN, reinterpret_cast<LPARAM>(&find));
    if (at < 0)
        return false;
    SendMessageA(edit, EM_SETSEL, at + 2, at + 3);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = CFM_LINK;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    return (format.dwEffects & CFE_LINK) != 0;
}

} // namespace

TEST(HelpDialogTest, ShowsTheHelpTextWithLinksAndClosesEveryWay)
{
    ASSERT_TRUE(CopyFileA((std::string(ORVEX_RUN_DIR) + "/Information.rtf").c_str(),
                          "Information.rtf", FALSE))
        << "the build puts the help text into the run folder";
    HelpDialog dialog(nullptr);

    DialogDriver driver;
    std::string text, button;
    bool readOnly = false, linked = false, plainWordLinked = true;
    HWND focus = nullptr, edit = nullptr;
    driver.act([&](HWND d) {
        text = richText(d);
        button = controlText(d, IDC_HELP_CLOSE);
        edit = GetDlgItem(d, IDC_HELP_TEXT);
        readOnly = (GetWindowLongA(edit, GWL_STYLE) & ES_READONLY) != 0;
        linked = isLink(d, "https://crudata.uea.ac.uk");
        plainWordLinked = isLink(d, "Anomalie");
        focus = GetFocus();
    });
    driver.key(VK_ESCAPE);
    EXPECT_EQ(0, driver.run([&] { return dialog.show(true); }));
    EXPECT_TRUE(driver.getMessages().empty());

    EXPECT_EQ("Hilfe schließen", button);
    EXPECT_TRUE(readOnly);
    EXPECT_EQ(edit, focus) << "Escape closes while the text has the focus";
    EXPECT_GT(text.size(), 4000u);
    for (const char* topic : {"Anomalie", "HADCRUT4", "Jahresdurchschnitt", "Orthographisch",
                              "Positionen", "Auswertung.csv", "Abdeckung in Prozent", "GIF",
                              "Strg+D", "Pfeil", "°C", "Größe", "schließt"})
        EXPECT_NE(std::string::npos, text.find(topic)) << topic;
    EXPECT_EQ(std::string::npos, text.find("\\'")) << "no RTF source shown as text";
    EXPECT_TRUE(linked) << "web addresses are links";
    EXPECT_FALSE(plainWordLinked);

    DialogDriver closing;
    closing.press(IDC_HELP_CLOSE);
    EXPECT_EQ(0, closing.run([&] { return dialog.show(true); }));
    DialogDriver closeBox;
    closeBox.closeBox();
    EXPECT_EQ(0, closeBox.run([&] { return dialog.show(true); }));
}

TEST(HelpDialogTest, AMissingOrBrokenHelpFileLeavesAUsableDialog)
{
    DeleteFileA("Information.rtf");
    HelpDialog dialog(nullptr);
    DialogDriver missing;
    missing.press(IDC_HELP_CLOSE);
    EXPECT_EQ(0, missing.run([&] { return dialog.show(true); }));
    ASSERT_EQ(1u, missing.getMessages().size());
    EXPECT_EQ("Error", missing.getMessages()[0].caption);
    EXPECT_NE(std::string::npos, missing.getMessages()[0].text.find("Information.rtf"))
        << missing.getMessages()[0].text;

    writeFile("Information.rtf", "Keine RTF-Datei.\r\n");
    DialogDriver broken;
    std::string text = "unread";
    broken.act([&](HWND d) { text = richText(d); }).key(VK_ESCAPE);
    EXPECT_EQ(0, broken.run([&] { return dialog.show(true); }));
    EXPECT_EQ("", text) << "the control refuses a file without an RTF header";
    EXPECT_TRUE(broken.getMessages().empty());
    DeleteFileA("Information.rtf");
}

TEST(HelpDialogTest, HostileHelpTexts)
{
    // Each help text is shown in the dialog, which is then closed with
    // Escape. A refused or missing text leaves the dialog empty and is told
    // in one message: a German sentence, a blank line, the exception's line.
    struct Case {
        const char* what;
        bool present;
        std::string bytes;
        const char* sentence;  // nullptr: no message
        const char* exception; // the start of the exception's line
        std::string shown;     // part of the text shown; empty: the text is empty
    };
    auto nested = [](unsigned long depth) {
        return "{\\rtf1\\ansi " + std::string(depth - 1, '{') + "Tiefe" +
               std::string(depth - 1, '}') + "}";
    };
    const unsigned long deepest = WControlRichText::maxGroupDepth;
    const std::string header = "{\\rtf1\\ansi ";
    std::string escaped = header;
    for (int i = 0; i < 30; ++i)
        escaped += "\\{";
    escaped += " \\\\{\\b fett}}";
    const std::string large = header + std::string(HelpDialog::maxHelpTextBytes, 'a') + "}";
    // Paragraphs of 100 bytes up to exactly the largest size.
    std::string justFits = header;
    while (justFits.size() < HelpDialog::maxHelpTextBytes - 100)
        justFits += std::string(94, 'a') + "\\par\n";
    justFits += std::string(HelpDialog::maxHelpTextBytes - justFits.size() - 1, 'a') + "}";
    // The second paragraph: a blank, length bytes, then the rest up to \par.
    auto paragraph = [&](unsigned long length, const std::string& rest) {
        return header + "Davor\\par " + std::string(length, 'b') + rest + "\\par Danach}";
    };
    const unsigned long longest = HelpDialog::maxParagraphBytes;
    const char* const tooLong = "Der Hilfetext »Information.rtf« enthält einen Absatz von mehr "
                                "als 8 KB und wird nicht angezeigt, weil das Fenster sonst lange "
                                "nicht mehr reagieren würde. Ersetzen Sie ihn durch den Hilfetext "
                                "des Programms.";
    const char* const tooLarge = "Der Hilfetext »Information.rtf« ist größer als 1 MB und wird "
                                 "deshalb nicht angezeigt. Ersetzen Sie ihn durch den Hilfetext "
                                 "des Programms.";
    const char* const tooDeep = "Der Hilfetext »Information.rtf« ist zu tief verschachtelt und "
                                "wird deshalb nicht angezeigt. Ersetzen Sie ihn durch den "
                                "Hilfetext des Programms.";
    const Case cases[] = {
        {"no help text", false, "",
         "Der Hilfetext »Information.rtf« fehlt. Er gehört in den Ordner, aus dem das Programm "
         "gestartet wird.",
         "WFileNotFoundException: File not found: Information.rtf (id=-1", ""},
        {"32 nested groups", true, nested(33), tooDeep,
         "WControlException: Rich text nested deeper than 24 groups. (id=-1", ""},
        {"one group deeper than the control takes", true, nested(deepest + 1), tooDeep,
         "WControlException: Rich text nested deeper than 24 groups. (id=-1", ""},
        {"as deep as the control takes", true, nested(deepest), nullptr, nullptr, "Tiefe"},
        {"escaped braces are text", true, escaped, nullptr, nullptr,
         std::string(30, '{') + " \\fett"},
        {"50 MB", true, std::string(50 * 1024 * 1024, 'x'), tooLarge,
         "WException: File larger than 1048576 bytes: Information.rtf (id=-4", ""},
        {"one byte more than 1 MB", true, large.substr(0, HelpDialog::maxHelpTextBytes + 1),
         tooLarge, "WException: File larger than 1048576 bytes: Information.rtf (id=-4", ""},
        {"1 MB", true, justFits, nullptr, nullptr, "aaaa"},
        {"a paragraph of 64 KB", true, paragraph(64 * 1024, "\\par "), tooLong,
         "WException: Paragraph longer than 8192 bytes: Information.rtf (id=-4", ""},
        {"the longest paragraph", true, paragraph(longest - 1, "\\par "), nullptr, nullptr,
         "bbbb"},
        {"a paragraph one byte longer", true, paragraph(longest, "\\par "), tooLong,
         "WException: Paragraph longer than 8192 bytes: Information.rtf (id=-4", ""},
        {"\\pard and an escaped \\\\par are no paragraph marks", true,
         paragraph(longest / 2, "\\pard\\\\par " + std::string(longest / 2, 'c')), tooLong,
         "WException: Paragraph longer than 8192 bytes: Information.rtf (id=-4", ""},
    };
    HelpDialog dialog(nullptr);
    for (const Case& c : cases) {
        DeleteFileA("Information.rtf");
        if (c.present)
            writeFile("Information.rtf", c.bytes);
        DialogDriver driver;
        std::string text = "unread";
        driver.act([&](HWND d) { text = richText(d); }).key(VK_ESCAPE);
        EXPECT_EQ(0, driver.run([&] { return dialog.show(true); })) << c.what;
        if (c.sentence == nullptr) {
            EXPECT_TRUE(driver.getMessages().empty()) << c.what << ": " << driver.texts()[0];
        } else if (driver.getMessages().size() != 1) {
            ADD_FAILURE() << c.what << ": " << driver.getMessages().size() << " messages";
        } else {
            EXPECT_EQ("Error", driver.getMessages()[0].caption) << c.what;
            EXPECT_EQ(0u, driver.getMessages()[0].text.find(std::string(c.sentence) + "\r\n\r\n" +
                                                           c.exception))
                << c.what << ": " << driver.getMessages()[0].text;
        }
        if (c.shown.empty())
            EXPECT_EQ("", text) << c.what;
        else
            EXPECT_NE(std::string::npos, text.find(c.shown)) << c.what << ": " << text.substr(0, 80);
    }
    DeleteFileA("Information.rtf");
}
