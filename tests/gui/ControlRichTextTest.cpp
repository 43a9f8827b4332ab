#include <windows.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "ControlTestSupport.h"
#include "WControlRichText.h"
#include "WException.h"
#include "WFont.h"
#include "WString.h"

namespace {
// Writes a file into the test's work folder.
void writeFile(const char* name, const std::string& content)
{
    std::ofstream out(name, std::ios::binary);
    out << content;
}

std::string textOf(const WControlRichText& rich)
{
    WString text;
    rich.getText(text);
    return static_cast<const char*>(text);
}

CHARFORMATA formatAt(const WControlRichText& rich, unsigned long start, unsigned long end)
{
    const_cast<WControlRichText&>(rich).setSelection(start, end);
    CHARFORMATA format = {};
    format.cbSize = sizeof(format);
    SendMessageA(rich.getWindowHandle(), EM_GETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&format));
    return format;
}
}

TEST(WControlRichTextTest, LoadFileStreamsRichAndPlainText)
{
    ControlsDialog dialog;
    dialog.show(false);
    WControlRichText rich(&dialog, "RTFControl", IDC_CTL_RICHTEXT);

    try {
        rich.loadFile("fehlt.rtf", true);
        ADD_FAILURE() << "a missing file must throw";
    } catch (const WFileNotFoundException& e) {
        EXPECT_EQ(-1, e.getId());
    }

    writeFile("hilfe.rtf", "{\\rtf1\\ansi Hallo {\\b Welt}\\par}");
    rich.loadFile("hilfe.rtf", true);
    EXPECT_EQ(0u, textOf(rich).find("Hallo Welt")) << textOf(rich);
    CHARFORMATA bold = formatAt(rich, 6, 10);
    EXPECT_NE(0u, bold.dwEffects & CFE_BOLD) << "the rich text was read as such";

    // The same file as plain text shows its mark-up.
    rich.setText("");
    rich.loadFile("hilfe.rtf", false);
    EXPECT_EQ(0u, textOf(rich).find("{\\rtf1")) << textOf(rich);

    // A text without an RTF header is refused as rich text: the control is
    // left empty. As plain text a file larger than one stream buffer arrives
    // whole, short last read included.
    std::string plain(10000, 'a');
    for (size_t i = 0; i < plain.size(); i += 97)
        plain[i] = 'b';
    writeFile("plain.txt", plain);
    rich.loadFile("plain.txt", true);
    EXPECT_EQ("", textOf(rich));
    rich.loadFile("plain.txt", false);
    EXPECT_EQ(10000u, rich.getTextLength());
    EXPECT_EQ(plain, textOf(rich));
    dialog.close(0);
}

TEST(WControlRichTextTest, TextNestedTooDeeplyNeverReachesTheControl)
{
    ControlsDialog dialog;
    dialog.show(false);
    WControlRichText rich(&dialog, "RTFControl", IDC_CTL_RICHTEXT);
    const unsigned long deepest = WControlRichText::maxGroupDepth;
    auto nested = [](unsigned long depth) {
        return "{\\rtf1\\ansi " + std::string(depth - 1, '{') + "innen" +
               std::string(depth - 1, '}') + "}";
    };
    const struct {
        std::string text;
        unsigned long depth;
    } depths[] = {{"", 0},
                  {"}}}{", 1},
                  {"{\\{\\}}", 1},
                  {"{\\\\{}}", 2},
                  {"{{}{{}}}", 3},
                  {"{{{", 3},
                  {nested(deepest), deepest}};
    for (const auto& d : depths)
        EXPECT_EQ(d.depth, WControlRichText::groupDepth(d.text.data(),
                                                        static_cast<unsigned long>(d.text.size())))
            << d.text;

    std::string accepted = nested(deepest);
    rich.loadText(accepted.data(), static_cast<unsigned long>(accepted.size()), true);
    EXPECT_EQ("innen", textOf(rich).substr(0, 5));
    std::string refused = nested(deepest + 1);
    try {
        rich.loadText(refused.data(), static_cast<unsigned long>(refused.size()), true);
        ADD_FAILURE() << "one group more must be refused";
    } catch (const WControlException& e) {
        EXPECT_STREQ("Rich text nested deeper than 24 groups.", e.getMessage());
        EXPECT_EQ(-1, e.getId());
    }
    EXPECT_EQ("innen", textOf(rich).substr(0, 5)) << "the control keeps its text";
    rich.loadText(refused.data(), static_cast<unsigned long>(refused.size()), false);
    EXPECT_EQ(refused, textOf(rich)) << "as plain text the braces are only text";
    dialog.close(0);
}

TEST(WControlRichTextTest, FontsLinksAndSelection)
{
    ControlsDialog dialog;
    dialog.show(false);
    WControlRichText rich(&dialog, "Rich", 10, 10, 300, 100, WControlRichText::STYLE_EDITABLE,
                          true);
    ASSERT_TRUE(rich.isWindowActive());
    EXPECT_EQ(std::string("RichEdit20A"), std::string(RICHEDIT_CLASSA));
    LONG style = GetWindowLongA(rich.getWindowHandle(), GWL_STYLE);
    EXPECT_NE(0, style & ES_MULTILINE);
    EXPECT_EQ(0, style & ES_READONLY);
    EXPECT_NE(0, GetWindowLongA(rich.getWindowHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    WControlRichText readOnly(&dialog, "ReadOnly", 10, 120, 300, 50,
                              WControlRichText::STYLE_READONLY, false);
    EXPECT_NE(0, GetWindowLongA(readOnly.getWindowHandle(), GWL_STYLE) & ES_READONLY);

    rich.setText("Vorher http://www.example.com/karte nachher");
    CHARFORMATA defaults = formatAt(rich, 0, 3);
    EXPECT_EQ(8 * 20, defaults.yHeight) << "the default font, in twips";
    EXPECT_EQ(0u, defaults.dwEffects & CFE_BOLD);

    WFont font("Arial", 12, WFont::STYLE_ITALIC | WFont::STYLE_UNDERLINE, 700, RGB(200, 0, 0));
    rich.setSelection(0, 6);
    rich.setFont(font, false);
    CHARFORMATA styled = formatAt(rich, 0, 6);
    EXPECT_EQ(12 * 20, styled.yHeight);
    EXPECT_STREQ("Arial", styled.szFaceName);
    EXPECT_NE(0u, styled.dwEffects & CFE_BOLD) << "weight 700 is bold";
    EXPECT_NE(0u, styled.dwEffects & CFE_ITALIC);
    EXPECT_NE(0u, styled.dwEffects & CFE_UNDERLINE);
    EXPECT_EQ(0u, styled.dwEffects & CFE_STRIKEOUT);
    EXPECT_EQ(RGB(200, 0, 0), styled.crTextColor);
    EXPECT_EQ(8 * 20, formatAt(rich, 7, 10).yHeight) << "only the selection changed";
    WFont semiLight("Arial", 10, 0, 500, 0);
    rich.setFont(semiLight, true);
    EXPECT_EQ(0u, formatAt(rich, 0, 6).dwEffects & CFE_BOLD) << "weight 500 is not bold";
    EXPECT_EQ(10 * 20, formatAt(rich, 20, 25).yHeight) << "all of the text";

    rich.setURLDetection(true);
    EXPECT_EQ(ENM_LINK, SendMessageA(rich.getWindowHandle(), EM_GETEVENTMASK, 0, 0));
    rich.setText("Vorher http://www.example.com/karte nachher");
    EXPECT_NE(0u, formatAt(rich, 10, 20).dwEffects & CFE_LINK) << "the address is a link";
    EXPECT_EQ(0u, formatAt(rich, 0, 5).dwEffects & CFE_LINK);

    WString text;
    rich.setSelection(7, 14);
    unsigned long start = 0;
    unsigned long end = 0;
    rich.getSelection(start, end);
    EXPECT_EQ(7u, start);
    EXPECT_EQ(14u, end);
    rich.getTextSelected(text);
    EXPECT_STREQ("http://", text);
    rich.replaceSelection("ftp://");
    rich.getTextRange(text, 0, 13);
    EXPECT_STREQ("Vorher ftp://", text);
    rich.getTextRange(text, 35, static_cast<unsigned long>(-1));
    EXPECT_STREQ("nachher", text);
    EXPECT_EQ(42u, rich.getTextLength());

    rich.setBackColor(RGB(1, 2, 3));
    rich.hideSelection(true);
    dialog.close(0);
}
