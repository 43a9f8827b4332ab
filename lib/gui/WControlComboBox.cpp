#include "WControlComboBox.h"

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

WControlComboBox::WControlComboBox(WWindowContext* owner, const char* name, unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlComboBox::WControlComboBox(WWindowContext* owner, const char* name, int x, int y,
                                   unsigned long width, unsigned long height, Style style)
{
    create(owner, name, x, y, width, height, style);
}

void WControlComboBox::create(WWindowContext* owner, const char* name, int x, int y,
                              unsigned long width, unsigned long height, Style style)
{
    if (windowHandle != nullptr)
        return;
    createWindow(owner, name, "COMBOBOX", WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | style,
                 WS_EX_CLIENTEDGE, x, y, width, height);
    setDefaultFont();
}

unsigned long WControlComboBox::addItem(const char* text, void* data)
{
    LRESULT index = SendMessageA(windowHandle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    if (index < 0)
        return noItem;
    if (data != nullptr)
        SendMessageA(windowHandle, CB_SETITEMDATA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(data));
    return static_cast<unsigned long>(index);
}

void WControlComboBox::setItemText(unsigned long index, const char* text)
{
    SendMessageA(windowHandle, CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(text));
}

void WControlComboBox::setItemData(unsigned long index, void* data)
{
    SendMessageA(windowHandle, CB_SETITEMDATA, index, reinterpret_cast<LPARAM>(data));
}

void* WControlComboBox::getItemData(unsigned long index) const
{
    LRESULT data = SendMessageA(windowHandle, CB_GETITEMDATA, index, 0);
    return data == CB_ERR ? nullptr : reinterpret_cast<void*>(data);
}

void* WControlComboBox::getItemData() const
{
    unsigned long index = getItemIdx();
    return index == noItem ? nullptr : getItemData(index);
}

bool WControlComboBox::getItemText(unsigned long index, WString& text) const
{
    LRESULT length = SendMessageA(windowHandle, CB_GETLBTEXTLEN, index, 0);
    if (length < 0)
        return false;
    std::vector<char> buffer(static_cast<size_t>(length) + 2);
    LRESULT copied =
        SendMessageA(windowHandle, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer.data()));
    if (copied < 0)
        return false;
    text.assign(buffer.data(), static_cast<unsigned long>(copied));
    return true;
}

bool WControlComboBox::getItemText(WString& text) const
{
    unsigned long index = getItemIdx();
    return index != noItem && getItemText(index, text);
}

unsigned long WControlComboBox::getItemIdx(const char* text) const
{
    return indexOf(SendMessageA(windowHandle, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(text)));
}

unsigned long WControlComboBox::getItemIdx() const
{
    return indexOf(SendMessageA(windowHandle, CB_GETCURSEL, 0, 0));
}

void WControlComboBox::selectItem(unsigned long index)
{
    SendMessageA(windowHandle, CB_SETCURSEL, index, 0);
}

void WControlComboBox::removeItem(unsigned long index)
{
    SendMessageA(windowHandle, CB_DELETESTRING, index, 0);
}

void WControlComboBox::removeAll()
{
    SendMessageA(windowHandle, CB_RESETCONTENT, 0, 0);
}

unsigned long WControlComboBox::getItemCount() const
{
    LRESULT count = SendMessageA(windowHandle, CB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<unsigned long>(count);
}

void WControlComboBox::setFont(const WFont& font)
{
    SendMessageA(windowHandle, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font)),
                 TRUE);
}
