#include "WControlStatic.h"

#include "WFont.h"

WControlStatic::WControlStatic(WWindowContext* owner, const char* name, unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlStatic::WControlStatic(WWindowContext* owner, const char* name, int x, int y,
                               unsigned long width, unsigned long height, Style style)
{
    create(owner, name, x, y, width, height, style);
}

void WControlStatic::create(WWindowContext* owner, const char* name, int x, int y,
                            unsigned long width, unsigned long height, Style style)
{
    if (windowHandle != nullptr)
        return;
    createWindow(owner, name, "STATIC", WS_CHILD | WS_VISIBLE, style, x, y, width,
                 defaultHeight(height));
    setDefaultFont();
}

void WControlStatic::setText(const char* text)
{
    SetWindowTextA(windowHandle, text != nullptr ? text : "");
}

void WControlStatic::setFont(const WFont& font)
{
    SendMessageA(windowHandle, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font)),
                 TRUE);
}
