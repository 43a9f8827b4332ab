#include "WControlStringList.h"

#include <vector>

#include "WFont.h"

namespace {
const unsigned long noItem = static_cast<unsigned long>(-1);
// Both families answer an unknown item with this value.
static_assert(LB_ERR == CB_ERR, "list boxes and combo boxes share their error value");
}

void WControlStringList::create(WWindowContext* owner, const char* name, int x, int y,
                                unsigned long width, unsigned long height, Style style)
{
    if (windowHandle != nullptr)
        return;
    createWindow(owner, name, family.className,
                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | style, WS_EX_CLIENTEDGE, x, y,
                 width, height);
    setDefaultFont();
}

unsigned long WControlStringList::addItem(const char* text, void* data)
{
    LRESULT index = SendMessageA(windowHandle, family.addString, 0, reinterpret_cast<LPARAM>(text));
    if (index < 0)
        return noItem;
    if (data != nullptr)
        SendMessageA(windowHandle, family.setItemData, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(data));
    return static_cast<unsigned long>(index);
}

void WControlStringList::setItemText(unsigned long index, const char* text)
{
    SendMessageA(windowHandle, family.insertString, index, reinterpret_cast<LPARAM>(text));
}

void WControlStringList::setItemData(unsigned long index, void* data)
{
    SendMessageA(windowHandle, family.setItemData, index, reinterpret_cast<LPARAM>(data));
}

void* WControlStringList::getItemData(unsigned long index) const
{
    LRESULT data = SendMessageA(windowHandle, family.getItemData, index, 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<void*>(data);
}

void* WControlStringList::getItemData() const
{
    unsigned long index = getItemIdx();
    return index == noItem ? nullptr : getItemData(index);
}

bool WControlStringList::getItemText(unsigned long index, WString& text) const
{
    LRESULT length = SendMessageA(windowHandle, family.getTextLength, index, 0);
    if (length < 0)
        return false;
    std::vector<char> buffer(static_cast<size_t>(length) + 2);
    LRESULT copied =
        SendMessageA(windowHandle, family.getText, index, reinterpret_cast<LPARAM>(buffer.data()));
    if (copied < 0)
        return false;
    text.assign(buffer.data(), static_cast<unsigned long>(copied));
    return true;
}

bool WControlStringList::getItemText(WString& text) const
{
    unsigned long index = getItemIdx();
    return index != noItem && getItemText(index, text);
}

unsigned long WControlStringList::getItemIdx(const char* text) const
{
    // The search starts after item -1: at the first item.
    return toIndex(SendMessageA(windowHandle, family.findStringExact, static_cast<WPARAM>(-1),
                                reinterpret_cast<LPARAM>(text)));
}

unsigned long WControlStringList::getItemIdx() const
{
    return toIndex(SendMessageA(windowHandle, family.getCurrentSelection, 0, 0));
}

void WControlStringList::selectItem(unsigned long index)
{
    SendMessageA(windowHandle, family.setCurrentSelection, index, 0);
}

void WControlStringList::removeItem(unsigned long index)
{
    SendMessageA(windowHandle, family.deleteString, index, 0);
}

void WControlStringList::removeAll()
{
    SendMessageA(windowHandle, family.resetContent, 0, 0);
}

unsigned long WControlStringList::getItemCount() const
{
    LRESULT count = SendMessageA(windowHandle, family.getCount, 0, 0);
    return count < 0 ? 0 : static_cast<unsigned long>(count);
}

void WControlStringList::setFont(const WFont& font)
{
    SendMessageA(windowHandle, WM_SETFONT, reinterpret_cast<WPARAM>(static_cast<HFONT>(font)),
                 TRUE);
}
