#include <windows.h>

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "WControlEdit.h"
#include "WControlRichText.h"
#include "WString.h"
#include "WSystemInfo.h"

namespace {
// Leaves the text alone on focus loss.
class KeepingEdit : public WControlEdit {
protected:
    bool formatText(WString&) const override { return false; }
};

// Trims by default, then upper-cases.
class ShoutingEdit : public WControlEdit {
protected:
    bool formatText(WString& text) const override
    {
        WControlEdit::formatText(text);
        text.toUpperCase();
        return true;
    }
};

WString textOf(const WControlEdit& edit)
{
    WString text;
    edit.getText(text);
    return text;
}

// Moves the focus into the control and out again to the other one.
void focusInAndOut(const WWindowContext& control, const WWindowContext& other)
{
    SetFocus(control.getWindowHandle());
    SetFocus(other.getWindowHandle());
}
}

TEST(WControlEditTest, FocusLossFormatsTextControlsOnly)
{
    ControlsDialog dialog;
    dialog.show(false);
    WControlEdit other(&dialog, "Other", IDC_CTL_SECOND_EDIT);

    {
        WControlEdit edit(&dialog, "Edit", IDC_CTL_EDIT);
        edit.setText(" 42 ");
        EXPECT_STREQ(" 42 ", textOf(edit)) << "nothing changes before the focus leaves";
        focusInAndOut(edit, other);
        EXPECT_STREQ("42", textOf(edit)) << "blanks trimmed on focus loss";
        edit.setText("");
        EXPECT_EQ(0u, textOf(edit).length());
        edit.destroy();
    }
    {
        KeepingEdit keeping;
        keeping.create(&dialog, "Keeping", 0, 0, 50, 0, WControlEdit::STYLE_SINGLELINE, true);
        keeping.setText(" 42 ");
        focusInAndOut(keeping, other);
        EXPECT_STREQ(" 42 ", textOf(keeping)) << "formatText false leaves the text";
    }
    {
        ShoutingEdit shouting;
        shouting.create(&dialog, "Shouting", 0, 30, 50, 0, WControlEdit::STYLE_SINGLELINE, true);
        shouting.setText("  abc ");
        focusInAndOut(shouting, other);
        EXPECT_STREQ("ABC", textOf(shouting)) << "a subclass reformats on top of the trim";
    }
    {
        WControlRichText rich(&dialog, "Rich", IDC_CTL_RICHTEXT);
        rich.setText(" 42 ");
        focusInAndOut(rich, other);
        EXPECT_STREQ(" 42 ", textOf(rich)) << "rich text is no text control";
    }
    dialog.close(0);
}

TEST(WControlEditTest, OwnerTakesReturnOnceAndTheEditNeverSeesIt)
{
    ControlsDialog dialog;
    dialog.show(false);
    WControlEdit lines(&dialog, "Lines", 10, 10, 120, 60, WControlEdit::STYLE_MULTILINE, true);
    ASSERT_NE(0, GetWindowLongA(lines.getWindowHandle(), GWL_STYLE) & ES_WANTRETURN);

    dialog.takeReturn = true;
    SetFocus(lines.getWindowHandle());
    PostMessageA(lines.getWindowHandle(), WM_KEYDOWN, VK_RETURN, 1);
    runQueuedMessages(nullptr);
    ASSERT_EQ(1u, dialog.focusKeys.size()) << "the owner is asked once per key";
    EXPECT_TRUE(dialog.focusKeys[0]) << "as Return";
    EXPECT_EQ(0u, textOf(lines).length()) << "the edit never saw the character";
    EXPECT_TRUE(dialog.isWindowActive()) << "the default button did not close the dialog";

    // An owner that leaves Return alone lets the multi-line edit break the line.
    dialog.takeReturn = false;
    PostMessageA(lines.getWindowHandle(), WM_KEYDOWN, VK_RETURN, 1);
    runQueuedMessages(nullptr);
    EXPECT_STREQ("\r\n", textOf(lines));

    // Return sent straight as a character (no dialog keyboard handling).
    dialog.takeReturn = true;
    dialog.focusKeys.clear();
    EXPECT_EQ(1, SendMessageA(lines.getWindowHandle(), WM_CHAR, '\r', 1));
    EXPECT_EQ(1u, dialog.focusKeys.size());
    EXPECT_STREQ("\r\n", textOf(lines));
    dialog.close(0);
}

TEST(WControlEditTest, CreationStylesColoursAndDestroy)
{
    ControlsDialog dialog;
    dialog.show(false);

    WControlEdit password(&dialog, "Password", 5, 5, 80, 0, WControlEdit::STYLE_PASSWORD, true);
    EXPECT_EQ(24u, password.getControlHeight()) << "default height: 8 points + 16";
    LONG style = GetWindowLongA(password.getWindowHandle(), GWL_STYLE);
    EXPECT_NE(0, style & ES_PASSWORD);
    EXPECT_NE(0, style & WS_TABSTOP);
    EXPECT_NE(0, GetWindowLongA(password.getWindowHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(WSystem::getSystemInfo().getDefaultFont().operator HFONT(),
              reinterpret_cast<HFONT>(SendMessageA(password.getWindowHandle(), WM_GETFONT, 0, 0)));

    WControlEdit edit(&dialog, "Edit", IDC_CTL_EDIT);
    EXPECT_EQ(nullptr, edit.getBackColorBrush());
    edit.setColor(RGB(255, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(static_cast<unsigned long>(RGB(0, 0, 255)), edit.getBackColor());
    ASSERT_NE(nullptr, edit.getBackColorBrush());
    // The owner dialog paints the edit with its colours.
    HDC dc = GetDC(edit.getWindowHandle());
    LRESULT brush =
        SendMessageA(dialog.getWindowHandle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(edit.getWindowHandle()));
    EXPECT_EQ(reinterpret_cast<LRESULT>(edit.getBackColorBrush()), brush);
    EXPECT_EQ(RGB(255, 0, 0), GetTextColor(dc));
    ReleaseDC(edit.getWindowHandle(), dc);

    edit.setReadOnly(true);
    EXPECT_NE(0, GetWindowLongA(edit.getWindowHandle(), GWL_STYLE) & ES_READONLY);
    edit.setReadOnly(false);
    edit.setUppercase(true);
    SendMessageA(edit.getWindowHandle(), WM_CHAR, 'q', 1);
    EXPECT_STREQ("Q", textOf(edit));
    edit.setUppercase(false);

    HWND window = edit.getWindowHandle();
    edit.destroy();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, edit.getBackColorBrush());
    EXPECT_EQ(0u, edit.getTextColor());
    EXPECT_EQ(0xFFFFFFu, edit.getBackColor());
    dialog.close(0);
}
