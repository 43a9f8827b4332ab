#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "GuiTestSupport.h"
#include "WControlEdit.h"
#include "WControlProgressBar.h"
#include "WControlRebar.h"
#include "WControlStatusbar.h"
#include "WControlToolbar.h"
#include "WControlTrackbar.h"
#include "WException.h"
#include "WPanel.h"
#include "WWindow.h"

namespace {
// A main window of known client size for the bars.
class BarsPanel : public WPanel {
public:
    BarsPanel()
    {
        create(nullptr, "Leisten", this, WWindow::STYLE_MAIN, 0, 0, 500, 300);
        showWindow();
    }
};

RECT childRect(const WWindowContext& child, HWND parent)
{
    RECT r;
    GetWindowRect(child.getWindowHandle(), &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}

TEST(WControlBarsTest, ProgressBarRangeIsSixteenBitAndSteps)
{
    ControlsDialog dialog;
    dialog.show(false);
    WControlProgressBar progress(&dialog, "Progress", IDC_CTL_PROGRESS);
    HWND bar = progress.getWindowHandle();

    progress.setRange(0, 100);
    PBRANGE range;
    SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(0, range.iLow);
    EXPECT_EQ(100, range.iHigh);
    progress.setStepSize(10);
    progress.setPos(5);
    progress.nextStep();
    EXPECT_EQ(15, SendMessageA(bar, PBM_GETPOS, 0, 0));

    progress.setRange(65537, 70000);
    SendMessageA(bar, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    EXPECT_EQ(1, range.iLow) << "65537 cut to its low 16 bits";
    EXPECT_EQ(70000 - 65536, range.iHigh) << "70000 cut to its low 16 bits";

    WControlProgressBar byCode(&dialog, "ByCode", 5, 150, 100, 12);
    EXPECT_EQ(std::string(PROGRESS_CLASSA), windowClassOf(byCode.getWindowHandle()));
    dialog.close(0);
}

TEST(WControlBarsTest, TrackbarTakesFullWidthRanges)
{
    ControlsDialog dialog;
    dialog.show(false);
    WControlTrackbar ticks(&dialog, "Ticks", 5, 150, 150, 30, WControlTrackbar::STYLE_AUTOTICKS);
    LONG style = GetWindowLongA(ticks.getWindowHandle(), GWL_STYLE);
    EXPECT_NE(0, style & TBS_AUTOTICKS);
    EXPECT_NE(0, style & TBS_ENABLESELRANGE);
    ticks.setRange(-100, 100000, 1000);
    EXPECT_EQ(-100, SendMessageA(ticks.getWindowHandle(), TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(100000, SendMessageA(ticks.getWindowHandle(), TBM_GETRANGEMAX, 0, 0));
    ticks.setPos(-50);
    EXPECT_EQ(-50, ticks.getPos());
    ticks.setPageSize(500);
    EXPECT_EQ(500, SendMessageA(ticks.getWindowHandle(), TBM_GETPAGESIZE, 0, 0));

    WControlTrackbar plain(&dialog, "Plain", 5, 190, 150, 30, WControlTrackbar::STYLE_PLAIN);
    EXPECT_EQ(0, GetWindowLongA(plain.getWindowHandle(), GWL_STYLE) & TBS_AUTOTICKS);
    dialog.close(0);
}

TEST(WControlBarsTest, StatusbarPartsTextAndAdjust)
{
    BarsPanel panel;
    WControlStatusbar status(&panel, "AppStatusBar", WControlStatusbar::STYLE_PLAIN);
    ASSERT_TRUE(status.isWindowActive());
    EXPECT_NE(0, GetWindowLongA(status.getWindowHandle(), GWL_STYLE) & SBARS_SIZEGRIP);

    unsigned long edges[] = {300, 400, static_cast<unsigned long>(-1)};
    status.setParts(3, edges);
    int parts[4] = {0, 0, 0, 0};
    ASSERT_EQ(
        3, SendMessageA(status.getWindowHandle(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(parts)));
    EXPECT_EQ(300, parts[0]);
    EXPECT_EQ(400, parts[1]);
    EXPECT_EQ(-1, parts[2]);

    status.setText("Mitte", 1);
    char text[32] = "";
    SendMessageA(status.getWindowHandle(), SB_GETTEXTA, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Mitte", text);
    status.setText("ohne Rand", 2 | SBT_NOBORDERS);
    LRESULT info =
        SendMessageA(status.getWindowHandle(), SB_GETTEXTA, 2, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("ohne Rand", text);
    EXPECT_EQ(SBT_NOBORDERS, HIWORD(info) & SBT_NOBORDERS) << "drawing flags from the high bits";

    // After the owner changed its size, adjust puts the bar back at the bottom.
    for (int width : {500, 320}) {
        panel.resizeWindow(static_cast<unsigned long>(width), 260, true);
        status.adjust();
        RECT client;
        panel.getClientArea(client);
        RECT bar = childRect(status, panel.getWindowHandle());
        EXPECT_EQ(0, bar.left);
        EXPECT_EQ(client.bottom, bar.bottom);
        EXPECT_EQ(client.right, bar.right);
        EXPECT_GT(bar.bottom - bar.top, 0) << "the bar kept a height of its own";
    }
}

TEST(WControlBarsTest, ToolbarButtonsAndReportedHeight)
{
    BarsPanel panel;
    WControlToolbar toolbar(&panel, "Tools", WControlToolbar::STYLE_DEFAULT);
    ASSERT_TRUE(toolbar.isWindowActive());
    EXPECT_EQ(40u, toolbar.getControlHeight());
    toolbar.setWindowPos(0, 0, 300, 25, true);
    EXPECT_EQ(40u, toolbar.getControlHeight()) << "whatever its real size";
    EXPECT_EQ(25u, toolbar.getWindowHeight());

    toolbar.addButton(100, I_IMAGENONE, "Eins");
    toolbar.addSeparator(8);
    toolbar.addButton(101, I_IMAGENONE, "");
    HWND bar = toolbar.getWindowHandle();
    ASSERT_EQ(3, SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
    // The buttons come back whole: the structure size fits this platform.
    TBBUTTON button = {};
    ASSERT_TRUE(SendMessageA(bar, TB_GETBUTTON, 0, reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(100, button.idCommand);
    EXPECT_NE(0, button.fsState & TBSTATE_ENABLED);
    EXPECT_NE(0, button.fsStyle & BTNS_SHOWTEXT);
    char text[32] = "";
    SendMessageA(bar, TB_GETBUTTONTEXTA, 100, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Eins", text);
    ASSERT_TRUE(SendMessageA(bar, TB_GETBUTTON, 1, reinterpret_cast<LPARAM>(&button)));
    EXPECT_NE(0, button.fsStyle & BTNS_SEP);
    EXPECT_EQ(8, button.iBitmap) << "separator width";
    ASSERT_TRUE(SendMessageA(bar, TB_GETBUTTON, 2, reinterpret_cast<LPARAM>(&button)));
    EXPECT_EQ(101, button.idCommand);
    EXPECT_EQ(0, button.fsStyle & BTNS_SHOWTEXT) << "no text, none shown";
    EXPECT_NE(0, SendMessageA(bar, TB_GETEXTENDEDSTYLE, 0, 0) & TBSTYLE_EX_MIXEDBUTTONS);
}

TEST(WControlBarsTest, RebarBandsAndTabBetweenThem)
{
    BarsPanel panel;
    WControlRebar rebar(&panel, 0);
    ASSERT_TRUE(rebar.isWindowActive());
    EXPECT_NE(0, GetWindowLongA(rebar.getWindowHandle(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_STREQ("", rebar.getName());

    WControlEdit first(&rebar, "First", 0, 0, 120, 0, WControlEdit::STYLE_SINGLELINE, true);
    WControlToolbar tools(&rebar, "Tools", WControlToolbar::STYLE_DEFAULT);
    WControlEdit last(&rebar, "Last", 0, 0, 90, 0, WControlEdit::STYLE_SINGLELINE, true);
    RECT firstClient;
    first.getClientArea(firstClient);
    rebar.addControl(first, "Eins", 0, 60);
    rebar.setColor(RGB(0, 0, 0), RGB(255, 255, 0));
    rebar.addControl(tools, "Werkzeug", 100, 50);
    rebar.addControl(last, "Zwei", 150, 40);
    rebar.adjust(5);
    HWND bar = rebar.getWindowHandle();
    ASSERT_EQ(3, SendMessageA(bar, RB_GETBANDCOUNT, 0, 0));

    REBARBANDINFOA band = {};
    band.cbSize = REBARBANDINFOA_V6_SIZE;
    band.fMask = RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE | RBBIM_STYLE | RBBIM_COLORS;
    ASSERT_TRUE(SendMessageA(bar, RB_GETBANDINFOA, 0, reinterpret_cast<LPARAM>(&band)));
    EXPECT_EQ(first.getWindowHandle(), band.hwndChild);
    EXPECT_EQ(static_cast<UINT>(firstClient.right), band.cx) << "width 0: the child's client width";
    EXPECT_EQ(60u, band.cxMinChild);
    EXPECT_EQ(first.getControlHeight(), band.cyMinChild);
    EXPECT_NE(0u, band.fStyle & RBBS_CHILDEDGE);
    ASSERT_TRUE(SendMessageA(bar, RB_GETBANDINFOA, 1, reinterpret_cast<LPARAM>(&band)));
    EXPECT_EQ(40u, band.cyMinChild) << "the tool bar's reported height";
    EXPECT_EQ(100u, band.cx);
    EXPECT_EQ(RGB(255, 255, 0), band.clrBack) << "colours apply to later bands";

    RECT area = childRect(rebar, panel.getWindowHandle());
    RECT panelClient;
    panel.getClientArea(panelClient);
    EXPECT_EQ(0, area.left);
    EXPECT_EQ(5, area.top);
    EXPECT_EQ(panelClient.right, area.right);

    // Tab in a band control moves on to the next band control with a tab
    // stop (the tool bar has none), round to the first; Return stays.
    SetFocus(first.getWindowHandle());
    EXPECT_EQ(1, SendMessageA(first.getWindowHandle(), WM_CHAR, '\t', 1));
    EXPECT_EQ(last.getWindowHandle(), GetFocus());
    EXPECT_TRUE(rebar.setFocusNextControl(last, false));
    EXPECT_EQ(first.getWindowHandle(), GetFocus());
    EXPECT_FALSE(rebar.setFocusNextControl(first, true));
    EXPECT_EQ(first.getWindowHandle(), GetFocus());

    rebar.destroy();
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_FALSE(first.isWindowActive()) << "band controls went with the rebar";
}
