#include "WControlListBox.h"

#include <vector>

#include "WFont.h"

namespace {
const unsigned long noItem = static_cast<unsigned long>(-1);

// The system's index, or -1 (as unsigned) for its error values.
unsigned long indexOf(LRESULT result)
{
    return result < 0 ? noItem : static_cast<unsigned long>(result);
}
}

WControlListBox::WControlListBox(WWindowContext* owner, const char* name, unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlListBox::WControlListBox(WWindowContext* owner, const char* name, int x, int y,
                                 unsigned long width, unsigned long height, Style style)
{
    create(owner, name, x, y, width, height, style);
}

void WControlListBox::create(WWindowContext* owner, const char* name, int x, int y,
                             unsigned long width, unsigned long height, Style style)
{
    if (windowHandle != nullptr)
        return;
    createWindow(owner, name, "LISTBOX", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | style,
                 WS_EX_CLIENTEDGE, x, y, width, height);
    setDefaultFont();
}

unsigned long WControlListBox::addItem(const char* text, void* data)
{
    LRESULT index = SendMessageA(windowHandle, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index < 0)
        return noItem;
    if (data != nullptr)
        SendMessageA(windowHandle, LB_SETITEMDATA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(data));
    return static_cast<unsigned long>(index);
}

void WControlListBox::setItemText(unsigned long index, const char* text)
{
    SendMessageA(windowHandle, LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text));
}

void WControlListBox::setItemData(unsigned long index, void* data)
{
    SendMessageA(windowHandle, LB_SETITEMDATA, index, reinterpret_cast<LPARAM>(data));
}

void* WControlListBox::getItemData(unsigned long index) const
{
    LRESULT data = SendMessageA(windowHandle, LB_GETITEMDATA, index, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<void*>(data);
}

void* WControlListBox::getItemData() const
{
    unsigned long index = getItemIdx();
    return index == noItem ? nullptr : getItemData(index);
}

bool WControlListBox::getItemText(unsigned long index, WString& text) const
{
    LRESULT length = SendMessageA(windowHandle, LB_GETTEXTLEN, index, 0);
    if (length < 0)
        return false;
    std::vector<char> buffer(static_cast<size_t>(length) + 2);
    LRESULT copied =
        SendMessageA(windowHandle, LB_GETTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    if (copied < 0)
        return false;
    text.assign(buffer.data(), static_cast<unsigned long>(copied));
    return true;
}

bool WControlListBox::getItemText(WString& text) const
{
    unsigned long index = getItemIdx();
    return index != noItem && getItemText(index, text);
}

unsigned long WControlListBox::getItemIdx(const char* text) const
{
    return indexOf(SendMessageA(windowHandle, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(text)));
}

unsigned long WControlListBox::getItemIdx() const
{
    return indexOf(SendMessageA(windowHandle, LB_GETCURSEL, 0, 0));
}

void WControlListBox::selectItem(unsigned long index)
{
    SendMessageA(windowHandle, LB_SETCURSEL, index, 0);
}

void WControlListBox::removeItem(unsigned long index)
{
    SendMessageA(windowHandle, LB_DELETESTRING, index, 0);
}

void WControlListBox::removeAll()
{
    SendMessageA(windowHandle, LB_RESETCONTENT, 0, 0);
}

unsigned long WControlListBox::getItemCount() const
{
    LRESULT count = SendMessageA(windowHandle, LB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<unsigned long>(count);
}

void WControlListBox::setFont(const WFont& font)
{
    SendMessageA(windowHandle, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font)),
                 TRUE);
}
