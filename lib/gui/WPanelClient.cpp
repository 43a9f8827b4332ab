#include "WPanelClient.h"

#include "WSystem.h"
#include "WSystemInfo.h"

namespace {
const COLORREF lightGrey = 0xCCCCCC;
}

WPanelClient::WPanelClient()
    : scrollInfo(), contentWidth(0), contentHeight(0), windowWidth(0), windowHeight(0),
      scrollX(0), scrollY(0), fitting(false)
{
    scrollInfo.cbSize = sizeof(scrollInfo);
}

void WPanelClient::create(WWindowContext* parent, WWindow::EventHandler* handler)
{
    RECT area;
    if (parent != nullptr)
        parent->getClientArea(area);
    else
        SetRectEmpty(&area);
    createChild(parent, handler, WS_CHILD | WS_CLIPCHILDREN, 0, 0,
                static_cast<unsigned long>(area.right), static_cast<unsigned long>(area.bottom));
}

void WPanelClient::create(WWindowContext* parent, WWindow::EventHandler* handler,
                          unsigned long width, unsigned long height)
{
    createChild(parent, handler, WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL, 0, 0, width, height);
}

void WPanelClient::createChild(WWindowContext* parent, WWindow::EventHandler* handler,
                               DWORD style, int x, int y, unsigned long width,
                               unsigned long height)
{
    setColor(getTextColor(), lightGrey);
    WWindowStyle windowStyle(WSystem::getSystemInfo().getProgramName(), style,
                             WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE);
    WWindow::create(parent, "", handler != nullptr ? handler : this, windowStyle, x, y, width,
                    height);
}

void WPanelClient::setContentSize(unsigned long width, unsigned long height)
{
    contentWidth = width;
    contentHeight = height;
    if (windowHandle != nullptr) {
        RECT client;
        GetClientRect(windowHandle, &client);
        onWindowResize(static_cast<unsigned long>(client.right),
                       static_cast<unsigned long>(client.bottom));
    }
}

void WPanelClient::fitScrollBar(int bar, unsigned long content, unsigned long window,
                                long& offset)
{
    long shift = 0;
    if (window < content) {
        // Keep the offset where the window still shows content.
        long last = static_cast<long>(content - window);
        if (offset > last)
            shift = last - offset;
        offset += shift;
        scrollInfo.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        scrollInfo.nMin = 0;
        scrollInfo.nMax = static_cast<int>(content) - 1;
        scrollInfo.nPage = window;
        scrollInfo.nPos = offset;
        SetScrollInfo(windowHandle, bar, &scrollInfo, TRUE);
        ShowScrollBar(windowHandle, bar, TRUE);
    } else {
        shift = -offset;
        offset = 0;
        ShowScrollBar(windowHandle, bar, FALSE);
    }
    if (shift != 0) {
        int dx = bar == SB_HORZ ? static_cast<int>(-shift) : 0;
        int dy = bar == SB_VERT ? static_cast<int>(-shift) : 0;
        ScrollWindowEx(windowHandle, dx, dy, nullptr, nullptr, nullptr, nullptr,
                       SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    }
}

void WPanelClient::onWindowResize(unsigned long width, unsigned long height)
{
    // Showing or hiding a bar changes the client area and resizes the window
    // again from inside; the outer call fits both bars to the final area.
    if (fitting)
        return;
    if (windowHandle != nullptr) {
        fitting = true;
        for (int round = 0; round < 3; ++round) {
            fitScrollBar(SB_HORZ, contentWidth, width, scrollX);
            fitScrollBar(SB_VERT, contentHeight, height, scrollY);
            RECT client;
            GetClientRect(windowHandle, &client);
            unsigned long fittedWidth = static_cast<unsigned long>(client.right);
            unsigned long fittedHeight = static_cast<unsigned long>(client.bottom);
            if (fittedWidth == width && fittedHeight == height)
                break;
            width = fittedWidth;
            height = fittedHeight;
        }
        fitting = false;
    }
    windowWidth = width;
    windowHeight = height;
    WPanel::onWindowResize(width, height);
}

void WPanelClient::scroll(int bar, UINT request)
{
    scrollInfo.fMask = SIF_ALL;
    if (!GetScrollInfo(windowHandle, bar, &scrollInfo))
        return;
    int position = scrollInfo.nPos;
    switch (request) {
    case SB_LINEUP:
        --position;
        break;
    case SB_LINEDOWN:
        ++position;
        break;
    case SB_PAGEUP:
        position -= static_cast<int>(scrollInfo.nPage);
        break;
    case SB_PAGEDOWN:
        position += static_cast<int>(scrollInfo.nPage);
        break;
    case SB_THUMBTRACK:
        position = scrollInfo.nTrackPos;
        break;
    case SB_TOP:
        if (bar != SB_VERT)
            return;
        position = scrollInfo.nMin;
        break;
    case SB_BOTTOM:
        if (bar != SB_VERT)
            return;
        position = scrollInfo.nMax;
        break;
    default:
        return;
    }
    scrollInfo.fMask = SIF_POS;
    scrollInfo.nPos = position;
    SetScrollInfo(windowHandle, bar, &scrollInfo, TRUE);
    // The system clamps the position to the range.
    GetScrollInfo(windowHandle, bar, &scrollInfo);
    long& offset = bar == SB_HORZ ? scrollX : scrollY;
    long delta = scrollInfo.nPos - offset;
    if (delta == 0)
        return;
    offset = scrollInfo.nPos;
    ScrollWindowEx(windowHandle, bar == SB_HORZ ? static_cast<int>(-delta) : 0,
                   bar == SB_VERT ? static_cast<int>(-delta) : 0, nullptr, nullptr, nullptr,
                   nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

LRESULT WPanelClient::onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // lParam names a scroll-bar control; only the window's own bars scroll it.
    if ((message == WM_HSCROLL || message == WM_VSCROLL) && lParam == 0) {
        scroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
        return 1;
    }
    return WPanel::onWindowMessage(hwnd, message, wParam, lParam);
}
