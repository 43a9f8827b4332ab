#include "WControlButton.h"

#include "WFont.h"

WControlButton::WControlButton(WWindowContext* owner, const char* name, unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlButton::WControlButton(WWindowContext* owner, const char* name, int x, int y,
                               unsigned long width, unsigned long height, const char* text,
                               Style style)
{
    create(owner, name, x, y, width, height, text, style);
}

void WControlButton::create(WWindowContext* owner, const char* name, int x, int y,
                            unsigned long width, unsigned long height, const char* text,
                            Style style)
{
    if (windowHandle != nullptr)
        return;
    DWORD kind = BS_PUSHBUTTON;
    if (style == STYLE_RADIOBUTTON)
        kind = BS_RADIOBUTTON;
    else if (style == STYLE_CHECKBOX)
        kind = BS_CHECKBOX;
    createWindow(owner, name, "BUTTON", WS_CHILD | WS_VISIBLE | kind, 0, x, y, width, height);
    setText(text);
    setDefaultFont();
}

void WControlButton::setChecked(bool checked)
{
    SendMessageA(windowHandle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool WControlButton::isChecked() const
{
    return SendMessageA(windowHandle, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WControlButton::setPushed(bool pushed)
{
    SendMessageA(windowHandle, BM_SETSTATE, pushed, 0);
}

bool WControlButton::isPushed() const
{
    return SendMessageA(windowHandle, BM_GETSTATE, 0, 0) == BST_PUSHED;
}

void WControlButton::setText(const char* text)
{
    SetWindowTextA(windowHandle, text != nullptr ? text : "");
}

void WControlButton::setFont(const WFont& font)
{
    SendMessageA(windowHandle, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font)),
                 TRUE);
}
