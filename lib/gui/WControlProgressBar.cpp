#include "WControlProgressBar.h"

#include <commctrl.h>

WControlProgressBar::WControlProgressBar(WWindowContext* owner, const char* name,
                                         unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlProgressBar::WControlProgressBar(WWindowContext* owner, const char* name, int x, int y,
                                         unsigned long width, unsigned long height)
{
    create(owner, name, x, y, width, height);
}

void WControlProgressBar::create(WWindowContext* owner, const char* name, int x, int y,
                                 unsigned long width, unsigned long height)
{
    createWindow(owner, name, PROGRESS_CLASSA, WS_CHILD | WS_VISIBLE, 0, x, y, width, height);
}

void WControlProgressBar::setRange(unsigned long min, unsigned long max)
{
    SendMessageA(windowHandle, PBM_SETRANGE, 0, MAKELPARAM(min & 0xFFFF, max & 0xFFFF));
}

void WControlProgressBar::setStepSize(unsigned long step)
{
    SendMessageA(windowHandle, PBM_SETSTEP, step, 0);
}

void WControlProgressBar::setPos(unsigned long pos)
{
    SendMessageA(windowHandle, PBM_SETPOS, pos, 0);
}

void WControlProgressBar::nextStep()
{
    SendMessageA(windowHandle, PBM_STEPIT, 0, 0);
}
