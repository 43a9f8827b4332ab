#include "WControlRebar.h"

#include <commctrl.h>

#include "WException.h"

namespace {
// The child window of a band, or null.
HWND bandChild(HWND rebar, unsigned long band)
{
    REBARBANDINFOA info = {};
    info.cbSize = REBARBANDINFOA_V6_SIZE;
    info.fMask = RBBIM_CHILD;
    if (!SendMessageA(rebar, RB_GETBANDINFOA, band, reinterpret_cast<LPARAM>(&info)))
        return nullptr;
    return info.hwndChild;
}
}

WControlRebar::WControlRebar()
    : bandColors(false), foreColor(0), backColor(0), backgroundImage(nullptr)
{
}

WControlRebar::WControlRebar(WWindowContext* owner, Style style) : WControlRebar()
{
    create(owner, style);
}

WControlRebar::~WControlRebar()
{
    WControlRebar::destroy();
}

void WControlRebar::create(WWindowContext* owner, Style style)
{
    if (windowHandle != nullptr)
        return;
    createWindow(owner, "", REBARCLASSNAMEA,
                 WS_CHILD | WS_VISIBLE | RBS_FIXEDORDER | RBS_DBLCLKTOGGLE | CCS_NODIVIDER |
                     CCS_NOPARENTALIGN | WS_BORDER | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                 style | WS_EX_TOOLWINDOW, 0, 0, 0, 0);
    REBARINFO info = {};
    info.cbSize = sizeof(info);
    if (!SendMessageA(windowHandle, RB_SETBARINFO, 0, reinterpret_cast<LPARAM>(&info))) {
        WControl::destroy();
        throw WControlException("Cannot create Rebar control.", -1);
    }
}

void WControlRebar::destroy()
{
    if (windowHandle != nullptr) {
        for (LRESULT band = SendMessageA(windowHandle, RB_GETBANDCOUNT, 0, 0) - 1; band >= 0;
             --band)
            SendMessageA(windowHandle, RB_DELETEBAND, static_cast<WPARAM>(band), 0);
    }
    WControl::destroy();
}

void WControlRebar::addControl(const WControl& child, const char* text, unsigned long width,
                               unsigned long minWidth)
{
    if (windowHandle == nullptr)
        return;
    RECT client;
    child.getClientArea(client);
    REBARBANDINFOA band = {};
    band.cbSize = REBARBANDINFOA_V6_SIZE;
    band.fMask = RBBIM_STYLE | RBBIM_TEXT | RBBIM_CHILD | RBBIM_CHILDSIZE | RBBIM_SIZE;
    band.fStyle = RBBS_CHILDEDGE | RBBS_USECHEVRON;
    band.lpText = const_cast<char*>(text != nullptr ? text : "");
    band.hwndChild = child.getWindowHandle();
    band.cxMinChild = minWidth;
    band.cyMinChild = child.getControlHeight();
    band.cx = width != 0 ? width : static_cast<UINT>(client.right - client.left);
    if (bandColors) {
        band.fMask |= RBBIM_COLORS;
        band.clrFore = foreColor;
        band.clrBack = backColor;
    }
    if (backgroundImage != nullptr) {
        band.fMask |= RBBIM_BACKGROUND;
        band.hbmBack = backgroundImage;
    }
    SendMessageA(windowHandle, RB_INSERTBANDA, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(&band));
}

void WControlRebar::setColor(unsigned long fore, unsigned long back)
{
    bandColors = true;
    foreColor = fore;
    backColor = back;
}

void WControlRebar::setBackgroundImage(HBITMAP picture)
{
    backgroundImage = picture;
}

void WControlRebar::adjust(int y)
{
    WWindowContext* owner = getWindowContext();
    if (owner == nullptr || windowHandle == nullptr)
        return;
    RECT client;
    owner->getClientArea(client);
    setWindowPos(0, y, static_cast<unsigned long>(client.right - client.left), getWindowHeight(),
                 true);
}

bool WControlRebar::setFocusNextControl(WControl& control, bool isReturn)
{
    if (isReturn || windowHandle == nullptr)
        return false;
    LRESULT bands = SendMessageA(windowHandle, RB_GETBANDCOUNT, 0, 0);
    unsigned long count = bands > 0 ? static_cast<unsigned long>(bands) : 0;
    unsigned long current = count;
    for (unsigned long i = 0; i < count && current == count; ++i) {
        if (bandChild(windowHandle, i) == control.getWindowHandle())
            current = i;
    }
    // A control outside the bands goes on with the first band.
    unsigned long start = current == count ? count - 1 : current;
    for (unsigned long step = 1; step <= count; ++step) {
        HWND next = bandChild(windowHandle, (start + step) % count);
        if (next != nullptr && (GetWindowLongPtrA(next, GWL_STYLE) & WS_TABSTOP) != 0 &&
            IsWindowVisible(next) && IsWindowEnabled(next)) {
            SetFocus(next);
            return true;
        }
    }
    return true;
}
