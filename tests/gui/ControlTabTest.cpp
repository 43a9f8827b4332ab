#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "ControlTestSupport.h"
#include "WControlTab.h"
#include "WPanel.h"
#include "WWindow.h"

namespace {
// A main window whose tab control fills it, with plain child windows as pages.
class TabPanel : public WPanel {
public:
    WControlTab tab;
    HWND pages[2];

    TabPanel()
    {
        create(nullptr, "Reiter", this, WWindow::STYLE_MAIN, 0, 0, 400, 300);
        showWindow();
        tab.create(this, "Tabulator", WControlTab::STYLE_TABS);
        setTabControl(tab);
        for (int i = 0; i < 2; ++i)
            pages[i] = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 50, 40,
                                       tab.getWindowHandle(), nullptr, nullptr, nullptr);
    }
};

RECT displayArea(const WControlTab& tab)
{
    RECT display;
    tab.getClientArea(display);
    SendMessageA(tab.getWindowHandle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    return display;
}

RECT pageRect(HWND page)
{
    RECT r;
    GetWindowRect(page, &r);
    MapWindowPoints(nullptr, GetParent(page), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool sameRect(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) != 0;
}
}

TEST(WControlTabTest, PagesFillTheDisplayAreaAndSelectionSwitchesThem)
{
    TabPanel panel;
    WControlTab& tab = panel.tab;
    RECT client;
    panel.getClientArea(client);
    EXPECT_EQ(static_cast<unsigned long>(client.right), tab.getControlWidth())
        << "the tab control fills its owner";
    EXPECT_EQ(static_cast<unsigned long>(client.bottom), tab.getControlHeight());

    EXPECT_EQ(0u, tab.addPage(0, "Weltkarte", panel.pages[0]));
    EXPECT_EQ(1u, tab.addPage(1, "Zweite", panel.pages[1]));
    EXPECT_EQ(panel.pages[1], tab.getContentWindow(1));
    EXPECT_EQ(nullptr, tab.getContentWindow(2));
    EXPECT_EQ(0u, tab.getPage());

    tab.setFocusPage(0);
    EXPECT_TRUE(IsWindowVisible(panel.pages[0]));
    EXPECT_TRUE(sameRect(displayArea(tab), pageRect(panel.pages[0]))) << "auto-fit";

    // A click on the second tab: the owner panel shows its page instead.
    RECT second;
    SendMessageA(tab.getWindowHandle(), TCM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&second));
    LPARAM point = MAKELPARAM((second.left + second.right) / 2, (second.top + second.bottom) / 2);
    SendMessageA(tab.getWindowHandle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageA(tab.getWindowHandle(), WM_LBUTTONUP, 0, point);
    EXPECT_EQ(1, SendMessageA(tab.getWindowHandle(), TCM_GETCURSEL, 0, 0));
    EXPECT_EQ(1u, tab.getPage());
    EXPECT_FALSE(IsWindowVisible(panel.pages[0])) << "previous page hidden";
    EXPECT_TRUE(IsWindowVisible(panel.pages[1]));
    EXPECT_TRUE(sameRect(displayArea(tab), pageRect(panel.pages[1])));

    // Without a window for page 2 only the current page is hidden.
    tab.setFocusPage(2);
    EXPECT_EQ(2u, tab.getPage());
    EXPECT_FALSE(IsWindowVisible(panel.pages[0]));
    EXPECT_FALSE(IsWindowVisible(panel.pages[1]));
    EXPECT_EQ(1, SendMessageA(tab.getWindowHandle(), TCM_GETCURSEL, 0, 0))
        << "the selection stays where it was";

    // Without auto-fit a page keeps its size, offset below the display top.
    SetWindowPos(panel.pages[0], nullptr, 0, 0, 50, 40, SWP_NOZORDER | SWP_NOMOVE);
    tab.setAutoFit(false, 7);
    tab.setFocusPage(0);
    RECT display = displayArea(tab);
    RECT page = pageRect(panel.pages[0]);
    EXPECT_EQ(display.left, page.left);
    EXPECT_EQ(display.top + 7, page.top);
    EXPECT_EQ(50, page.right - page.left);
    EXPECT_EQ(40, page.bottom - page.top);
    EXPECT_EQ(0, SendMessageA(tab.getWindowHandle(), TCM_GETCURSEL, 0, 0));

    tab.removePage(1);
    EXPECT_EQ(1, SendMessageA(tab.getWindowHandle(), TCM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(nullptr, tab.getContentWindow(1));
}

TEST(WControlTabTest, CalcWindowRectIsTheInverseOfTheDisplayArea)
{
    TabPanel panel;
    WControlTab& tab = panel.tab;
    tab.addPage(0, "Weltkarte", panel.pages[0]);
    RECT r;
    tab.calcWindowRect(304, 204, r);
    EXPECT_EQ(0, r.left);
    EXPECT_EQ(0, r.top);
    EXPECT_GT(r.right, 304);
    EXPECT_GT(r.bottom, 204) << "room for the tabs";
    tab.setWindowPos(0, 0, static_cast<unsigned long>(r.right),
                     static_cast<unsigned long>(r.bottom), true);
    RECT display = displayArea(tab);
    EXPECT_EQ(304, display.right - display.left);
    EXPECT_EQ(204, display.bottom - display.top);
}
