#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <string>

#include "DialogDriver.h"
#include "DialogIds.h"
#include "ExportTestSupport.h"
#include "HelpDialog.h"

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
