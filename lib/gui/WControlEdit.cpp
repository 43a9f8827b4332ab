#include "WControlEdit.h"

#include <vector>

#include "WFont.h"

WControlEdit::WControlEdit() : backBrush(nullptr), textColor(0), backColor(0xFFFFFF) {}

WControlEdit::WControlEdit(WWindowContext* owner, const char* name, unsigned long itemId)
    : WControlEdit()
{
    create(owner, name, itemId);
}

WControlEdit::WControlEdit(WWindowContext* owner, const char* name, int x, int y,
                           unsigned long width, unsigned long height, Style style, bool clientEdge)
    : WControlEdit()
{
    create(owner, name, x, y, width, height, style, clientEdge);
}

WControlEdit::~WControlEdit()
{
    WControlEdit::destroy();
}

void WControlEdit::create(WWindowContext* owner, const char* name, int x, int y,
                          unsigned long width, unsigned long height, Style style, bool clientEdge)
{
    if (windowHandle != nullptr)
        return;
    DWORD extra = 0;
    if (style == STYLE_SINGLELINE)
        extra = ES_AUTOHSCROLL;
    else if (style == STYLE_PASSWORD)
        extra = ES_AUTOHSCROLL | ES_PASSWORD;
    else if (style == STYLE_MULTILINE)
        extra = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL;
    createWindow(owner, name, "EDIT", WS_CHILD | WS_VISIBLE | WS_TABSTOP | extra,
                 clientEdge ? WS_EX_CLIENTEDGE : 0, x, y, width, defaultHeight(height));
    setDefaultFont();
}

void WControlEdit::destroy()
{
    if (backBrush != nullptr)
        DeleteObject(backBrush);
    backBrush = nullptr;
    textColor = 0;
    backColor = 0xFFFFFF;
    WControl::destroy();
}

void WControlEdit::getText(WString& text) const
{
    int length = windowHandle != nullptr ? GetWindowTextLengthA(windowHandle) : 0;
    if (length <= 0) {
        text.clear();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(length) + 1);
    int copied = GetWindowTextA(windowHandle, buffer.data(), length + 1);
    text.assign(buffer.data(), static_cast<unsigned long>(copied > 0 ? copied : 0));
}

void WControlEdit::setText(const char* text)
{
    SetWindowTextA(windowHandle, text != nullptr ? text : "");
}

void WControlEdit::setColor(unsigned long textColour, unsigned long backColour)
{
    if (backBrush != nullptr)
        DeleteObject(backBrush);
    textColor = textColour;
    backColor = backColour;
    backBrush = CreateSolidBrush(backColour);
    if (windowHandle != nullptr)
        InvalidateRect(windowHandle, nullptr, TRUE);
}

void WControlEdit::setReadOnly(bool readOnly)
{
    SendMessageA(windowHandle, EM_SETREADONLY, readOnly, 0);
}

void WControlEdit::setStyleBit(DWORD bit, bool set)
{
    if (windowHandle == nullptr)
        return;
    LONG_PTR style = GetWindowLongPtrA(windowHandle, GWL_STYLE);
    style = set ? (style | static_cast<LONG_PTR>(bit)) : (style & ~static_cast<LONG_PTR>(bit));
    SetWindowLongPtrA(windowHandle, GWL_STYLE, style);
}

void WControlEdit::setLowercase(bool lowercase)
{
    setStyleBit(ES_LOWERCASE, lowercase);
}

void WControlEdit::setUppercase(bool uppercase)
{
    setStyleBit(ES_UPPERCASE, uppercase);
}

void WControlEdit::setFont(const WFont& font)
{
    SendMessageA(windowHandle, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font)),
                 TRUE);
}

bool WControlEdit::isTextControl() const
{
    return true;
}

bool WControlEdit::formatText(WString& text) const
{
    getText(text);
    text.trim();
    return true;
}
