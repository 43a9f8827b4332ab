#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include "WBitmap.h"
#include "WPanel.h"
#include "WPanelClient.h"
#include "WWindow.h"

namespace {
class RoutingPanel : public WPanel {
public:
    unsigned long commandId = 0;
    unsigned long commandCode = 0;
    WControl* commandControl = reinterpret_cast<WControl*>(1);
    unsigned long notifyId = 0;
    unsigned long notifyCode = 0;
    const NMHDR* notifyHeader = nullptr;

    void onPanelCommand(unsigned long id, unsigned long code, WControl* control) override
    {
        commandId = id;
        commandCode = code;
        commandControl = control;
    }
    LRESULT onPanelNotify(unsigned long id, unsigned long code, WControl*,
                          const NMHDR* header) override
    {
        notifyId = id;
        notifyCode = code;
        notifyHeader = header;
        return 33;
    }
};

// A white memory picture of the panel's size to paint into.
class Canvas {
public:
    Canvas(int width, int height)
    {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        previous = SelectObject(dc, bitmap);
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }

    HDC dc;

private:
    HBITMAP bitmap;
    HGDIOBJ previous;
};

// A picture of one colour, as the library's bitmap.
void makePicture(WBitmap& picture, int width, int height, COLORREF colour)
{
    Canvas canvas(width, height);
    RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(canvas.dc, &all, brush);
    DeleteObject(brush);
    HBITMAP copy = CreateCompatibleBitmap(canvas.dc, width, height);
    HDC copyDc = CreateCompatibleDC(canvas.dc);
    HGDIOBJ old = SelectObject(copyDc, copy);
    BitBlt(copyDc, 0, 0, width, height, canvas.dc, 0, 0, SRCCOPY);
    SelectObject(copyDc, old);
    DeleteDC(copyDc);
    picture.create(copy, nullptr);
    DeleteObject(copy);
}

const COLORREF white = RGB(255, 255, 255);
const COLORREF red = RGB(255, 0, 0);
const COLORREF blue = RGB(0, 0, 255);
}

TEST(WPanelTest, EraseColoursAndRouting)
{
    RoutingPanel panel;
    panel.create(nullptr, "", &panel, WWindow::STYLE_POPUP, 0, 0, 50, 40);
    HWND window = panel;
    ASSERT_NE(nullptr, window);

    {
        Canvas canvas(50, 40);
        EXPECT_EQ(1, SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc), 0));
        EXPECT_EQ(RGB(192, 192, 192), canvas.at(10, 10))
            << "without a brush the background is the stock light grey";
    }
    panel.setColor(RGB(1, 2, 3), RGB(200, 100, 50));
    {
        Canvas canvas(50, 40);
        SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc), 0);
        EXPECT_EQ(RGB(200, 100, 50), canvas.at(49, 39));
        LRESULT brush = SendMessageA(window, WM_CTLCOLORSTATIC,
                                     reinterpret_cast<WPARAM>(canvas.dc), 0);
        EXPECT_EQ(reinterpret_cast<LRESULT>(panel.getBackgroundBrush()), brush);
        EXPECT_EQ(RGB(1, 2, 3), GetTextColor(canvas.dc)) << "static texts in the text colour";
        EXPECT_EQ(TRANSPARENT, GetBkMode(canvas.dc));
        EXPECT_EQ(brush, SendMessageA(window, WM_CTLCOLORDLG, 0, 0));
    }

    LRESULT handled = SendMessageA(window, WM_COMMAND, MAKEWPARAM(77, BN_CLICKED), 0);
    EXPECT_EQ(1, handled);
    EXPECT_EQ(77u, panel.commandId);
    EXPECT_EQ(static_cast<unsigned long>(BN_CLICKED), panel.commandCode);
    EXPECT_EQ(nullptr, panel.commandControl) << "a menu command names no control";

    NMHDR header = {window, 12, static_cast<UINT>(NM_CLICK)};
    EXPECT_EQ(33, SendMessageA(window, WM_NOTIFY, 12, reinterpret_cast<LPARAM>(&header)))
        << "onPanelNotify's result is the message's result";
    EXPECT_EQ(12u, panel.notifyId);
    EXPECT_EQ(static_cast<unsigned long>(static_cast<UINT>(NM_CLICK)), panel.notifyCode);
    EXPECT_EQ(&header, panel.notifyHeader);

    // Only a click on a rich-text link is the panel's own business; other
    // link events are left unhandled and not passed on.
    ENLINK link = {};
    link.nmhdr = {window, 13, static_cast<UINT>(EN_LINK)};
    link.msg = WM_MOUSEMOVE;
    link.chrg = {0, 5};
    EXPECT_EQ(0, SendMessageA(window, WM_NOTIFY, 13, reinterpret_cast<LPARAM>(&link)));
    EXPECT_EQ(12u, panel.notifyId);

    // A copy refers to the window without owning it.
    {
        WPanel copy(panel);
        EXPECT_EQ(window, static_cast<HWND>(copy));
        EXPECT_NE(nullptr, copy.getBackgroundBrush());
        EXPECT_NE(panel.getBackgroundBrush(), copy.getBackgroundBrush());
    }
    EXPECT_TRUE(IsWindow(window));
}

TEST(WPanelTest, BackgroundPictureModes)
{
    WBitmap small;
    makePicture(small, 10, 10, red);
    WBitmap large;
    makePicture(large, 80, 60, blue);

    WPanel panel;
    panel.create(nullptr, "", &panel, WWindow::STYLE_POPUP, 0, 0, 50, 40);
    RECT all = {0, 0, 50, 40};

    panel.setBackgroundImage(small, WPanel::BKMODE_CENTER, true);
    {
        Canvas canvas(50, 40);
        panel.onWindowRestore(canvas.dc, all);
        EXPECT_EQ(red, canvas.at(20, 15)) << "centred: (50 - 10) / 2, (40 - 10) / 2";
        EXPECT_EQ(red, canvas.at(29, 24));
        EXPECT_EQ(white, canvas.at(19, 15));
        EXPECT_EQ(white, canvas.at(30, 25));
    }
    panel.setBackgroundImage(large, WPanel::BKMODE_CENTER, true);
    {
        Canvas canvas(50, 40);
        panel.onWindowRestore(canvas.dc, all);
        EXPECT_EQ(blue, canvas.at(0, 0)) << "a picture larger than the window is centred too";
        EXPECT_EQ(blue, canvas.at(49, 39));
    }
    panel.setBackgroundImage(small, WPanel::BKMODE_NORMAL, true);
    {
        Canvas canvas(50, 40);
        RECT part = {0, 0, 5, 5};
        panel.onWindowRestore(canvas.dc, part);
        EXPECT_EQ(red, canvas.at(4, 4)) << "1:1 under the repaint area";
        EXPECT_EQ(white, canvas.at(7, 7)) << "nothing outside the repaint area";
    }
    panel.setBackgroundImage(small, WPanel::BKMODE_TILE, true);
    {
        Canvas canvas(50, 40);
        panel.onWindowRestore(canvas.dc, all);
        EXPECT_EQ(white, canvas.at(5, 5)) << "a tiled picture is not painted";
        SendMessageA(panel, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc), 0);
        EXPECT_EQ(red, canvas.at(45, 35)) << "but fills the background on erase";
    }
    panel.setBackgroundImage(small, WPanel::BKMODE_CENTER, false);
    {
        Canvas canvas(50, 40);
        EXPECT_EQ(0, SendMessageA(panel, WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas.dc), 0))
            << "with the erase flag off the panel leaves the background alone";
        EXPECT_EQ(white, canvas.at(5, 5));
    }
}

TEST(WPanelClientTest, ScrollsItsContent)
{
    WWindow parent;
    parent.create(nullptr, "", nullptr, WWindow::STYLE_POPUP, 0, 0, 300, 300);
    WPanelClient client;
    client.create(&parent, nullptr, 120, 100);
    HWND window = client;
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(GetWindowLongA(window, GWL_STYLE) & WS_VSCROLL);
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);

    client.setContentSize(400, 500);
    RECT area;
    GetClientRect(window, &area);
    long height = area.bottom;
    long width = area.right;
    SendMessageA(window, WM_VSCROLL, SB_PAGEDOWN, 0);
    EXPECT_EQ(height, client.getScrollY()) << "a page is the window height";
    SendMessageA(window, WM_VSCROLL, SB_LINEUP, 0);
    EXPECT_EQ(height - 1, client.getScrollY());
    SendMessageA(window, WM_VSCROLL, SB_BOTTOM, 0);
    EXPECT_EQ(500 - height, client.getScrollY()) << "clamped to the last page";
    SendMessageA(window, WM_VSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(500 - height, client.getScrollY());
    SendMessageA(window, WM_HSCROLL, SB_LINERIGHT, 0);
    EXPECT_EQ(1, client.getScrollX());
    SendMessageA(window, WM_HSCROLL, SB_RIGHT, 0);
    EXPECT_EQ(1, client.getScrollX()) << "left and right ends are not handled horizontally";
    SendMessageA(window, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(window));
    EXPECT_EQ(500 - height, client.getScrollY()) << "a scroll-bar control's message is not ours";

    // Grown, but still smaller than the content: the end stays in view.
    client.setWindowPos(0, 0, 120, 140, false);
    GetClientRect(window, &area);
    EXPECT_EQ(500 - area.bottom, client.getScrollY());
    SCROLLINFO info = {};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    GetScrollInfo(window, SB_VERT, &info);
    EXPECT_EQ(500 - area.bottom, info.nPos);

    client.setContentSize(width / 2, 20);
    EXPECT_EQ(0, client.getScrollX()) << "content that fits is scrolled back";
    EXPECT_EQ(0, client.getScrollY());
}
