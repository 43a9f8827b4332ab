#include "WControlStatusbar.h"

#include <commctrl.h>

#include <vector>

WControlStatusbar::WControlStatusbar(WWindowContext* owner, const char* name, unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlStatusbar::WControlStatusbar(WWindowContext* owner, const char* name, Style style)
{
    create(owner, name, style);
}

void WControlStatusbar::create(WWindowContext* owner, const char* name, Style style)
{
    createWindow(owner, name, STATUSCLASSNAMEA, WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, style, 0, 0,
                 0, 0);
}

void WControlStatusbar::setParts(unsigned long count, const unsigned long* rightEdges)
{
    // SB_SETPARTS takes ints: -1 (as unsigned) stays -1.
    std::vector<int> edges(rightEdges, rightEdges + count);
    SendMessageA(windowHandle, SB_SETPARTS, count, reinterpret_cast<LPARAM>(edges.data()));
}

void WControlStatusbar::setText(const char* text, unsigned long part)
{
    SendMessageA(windowHandle, SB_SETTEXTA, part, reinterpret_cast<LPARAM>(text));
}

void WControlStatusbar::adjust()
{
    WWindowContext* owner = getWindowContext();
    if (owner == nullptr || windowHandle == nullptr)
        return;
    RECT client;
    owner->getClientArea(client);
    unsigned long height = getWindowHeight();
    setWindowPos(0, client.bottom - static_cast<int>(height),
                 static_cast<unsigned long>(client.right - client.left), height, true);
}
