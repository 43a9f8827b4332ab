#include "WControlTrackbar.h"

#include <commctrl.h>

WControlTrackbar::WControlTrackbar(WWindowContext* owner, const char* name, unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlTrackbar::WControlTrackbar(WWindowContext* owner, const char* name, int x, int y,
                                   unsigned long width, unsigned long height, Style style)
{
    create(owner, name, x, y, width, height, style);
}

void WControlTrackbar::create(WWindowContext* owner, const char* name, int x, int y,
                              unsigned long width, unsigned long height, Style style)
{
    DWORD extra = style == STYLE_AUTOTICKS ? TBS_AUTOTICKS | TBS_ENABLESELRANGE : 0;
    createWindow(owner, name, TRACKBAR_CLASSA, WS_CHILD | WS_VISIBLE | extra, 0, x, y, width,
                 height);
}

void WControlTrackbar::setRange(int min, int max, unsigned long tickFrequency)
{
    // TBM_SETRANGE carries 16-bit limits only; these two take full ones.
    SendMessageA(windowHandle, TBM_SETRANGEMIN, FALSE, min);
    SendMessageA(windowHandle, TBM_SETRANGEMAX, TRUE, max);
    setTickFreq(tickFrequency);
}

void WControlTrackbar::setPos(int pos)
{
    SendMessageA(windowHandle, TBM_SETPOS, TRUE, pos);
}

int WControlTrackbar::getPos() const
{
    return static_cast<int>(SendMessageA(windowHandle, TBM_GETPOS, 0, 0));
}

void WControlTrackbar::setTickFreq(unsigned long frequency)
{
    SendMessageA(windowHandle, TBM_SETTICFREQ, frequency, 0);
}

void WControlTrackbar::setPageSize(unsigned long size)
{
    SendMessageA(windowHandle, TBM_SETPAGESIZE, 0, static_cast<LPARAM>(size));
}
