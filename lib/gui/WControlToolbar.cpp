#include "WControlToolbar.h"

WControlToolbar::WControlToolbar(WWindowContext* owner, const char* name, unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlToolbar::WControlToolbar(WWindowContext* owner, const char* name, Style style)
{
    create(owner, name, style);
}

void WControlToolbar::create(WWindowContext* owner, const char* name, Style)
{
    if (windowHandle != nullptr)
        return;
    createWindow(owner, name, TOOLBARCLASSNAMEA,
                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TRANSPARENT |
                     TBSTYLE_TOOLTIPS | CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                 0, 0, 0, 0, 0);
    // The structure size of this build: 32 bytes on 64-bit Windows.
    SendMessageA(windowHandle, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageA(windowHandle, CCM_SETVERSION, 5, 0);
    SendMessageA(windowHandle, TB_SETEXTENDEDSTYLE, 0,
                 TBSTYLE_EX_MIXEDBUTTONS | TBSTYLE_EX_HIDECLIPPEDBUTTONS);
}

void WControlToolbar::addButton(unsigned long commandId, unsigned long imageIndex, const char* text)
{
    bool showText = text != nullptr && text[0] != 0;
    TBBUTTON button = {};
    button.iBitmap = static_cast<int>(imageIndex);
    button.idCommand = static_cast<int>(commandId);
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_BUTTON | BTNS_AUTOSIZE | (showText ? BTNS_SHOWTEXT : 0);
    button.iString = showText ? reinterpret_cast<INT_PTR>(text) : 0;
    SendMessageA(windowHandle, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
}

void WControlToolbar::addSeparator(unsigned long width)
{
    TBBUTTON separator = {};
    separator.iBitmap = static_cast<int>(width);
    separator.fsStyle = BTNS_SEP;
    SendMessageA(windowHandle, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&separator));
}

void WControlToolbar::setImageList(HIMAGELIST normal, HIMAGELIST hot)
{
    SendMessageA(windowHandle, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(normal));
    if (hot != nullptr)
        SendMessageA(windowHandle, TB_SETHOTIMAGELIST, 0, reinterpret_cast<LPARAM>(hot));
}

unsigned long WControlToolbar::getControlHeight() const
{
    return 40;
}
