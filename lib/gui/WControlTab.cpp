#include "WControlTab.h"

#include <commctrl.h>

WControlTab::WControlTab() : pages(10), page(0), autoFit(true), offset(0) {}

WControlTab::WControlTab(WWindowContext* owner, const char* name, unsigned long itemId)
    : WControlTab()
{
    create(owner, name, itemId);
}

WControlTab::WControlTab(WWindowContext* owner, const char* name, Style style) : WControlTab()
{
    create(owner, name, style);
}

void WControlTab::create(WWindowContext* owner, const char* name, Style style)
{
    if (windowHandle != nullptr)
        return;
    RECT client = {0, 0, 0, 0};
    if (owner != nullptr)
        owner->getClientArea(client);
    createWindow(owner, name, WC_TABCONTROLA, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, 0, 0,
                 0, static_cast<unsigned long>(client.right),
                 static_cast<unsigned long>(client.bottom));
    setDefaultFont();
}

unsigned long WControlTab::addPage(unsigned long index, const char* title, HWND content)
{
    TCITEMA item = {};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = const_cast<char*>(title != nullptr ? title : "");
    item.iImage = -1;
    LRESULT reported =
        SendMessageA(windowHandle, TCM_INSERTITEMA, index, reinterpret_cast<LPARAM>(&item));
    pages.put(index, content);
    return static_cast<unsigned long>(reported);
}

void WControlTab::removePage(unsigned long index)
{
    SendMessageA(windowHandle, TCM_DELETEITEM, index, 0);
    pages.remove(index);
}

HWND WControlTab::getContentWindow(unsigned long index) const
{
    const HWND* content = pages.find(index);
    return content != nullptr ? *content : nullptr;
}

void WControlTab::setFocusPage(unsigned long index)
{
    HWND current = getContentWindow(page);
    if (current != nullptr)
        ShowWindow(current, SW_HIDE);
    page = index;
    HWND content = getContentWindow(index);
    if (content == nullptr)
        return;
    RECT display;
    getClientArea(display);
    SendMessageA(windowHandle, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    if (autoFit) {
        SetWindowPos(content, nullptr, display.left, display.top, display.right - display.left,
                     display.bottom - display.top, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(content, nullptr, display.left, display.top + offset, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(content, SW_SHOW);
    // Selected first: moving the focus to the selected tab sends no
    // selection change back to the panel.
    SendMessageA(windowHandle, TCM_SETCURSEL, index, 0);
    SendMessageA(windowHandle, TCM_SETCURFOCUS, index, 0);
}

void WControlTab::setAutoFit(bool fit, int pixels)
{
    autoFit = fit;
    offset = pixels;
}

void WControlTab::calcWindowRect(unsigned long width, unsigned long height, RECT& r) const
{
    r = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    SendMessageA(windowHandle, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&r));
    OffsetRect(&r, -r.left, -r.top);
}
