#include "WControlListView.h"

#include <vector>

WControlListView::WControlListView(WWindowContext* owner, const char* name, unsigned long itemId)
{
    create(owner, name, itemId);
}

WControlListView::WControlListView(WWindowContext* owner, const char* name, int x, int y,
                                   unsigned long width, unsigned long height, Style style)
{
    create(owner, name, x, y, width, height, style);
}

void WControlListView::create(WWindowContext* owner, const char* name, int x, int y,
                              unsigned long width, unsigned long height, Style style)
{
    if (windowHandle != nullptr)
        return;
    bool report = style == STYLE_REPORT || style == STYLE_REPORT_SORTHEADER;
    // The image lists belong to their WImageList objects, not to the control.
    DWORD extra = LVS_SHAREIMAGELISTS;
    if (report)
        extra |= LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
    if (style == STYLE_REPORT)
        extra |= LVS_NOSORTHEADER;
    createWindow(owner, name, WC_LISTVIEWA, WS_CHILD | WS_VISIBLE | extra, WS_EX_CLIENTEDGE, x, y,
                 width, height);
    if (report)
        SendMessageA(windowHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT,
                     LVS_EX_FULLROWSELECT);
}

unsigned long WControlListView::addColumn(const char* title, unsigned long width)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<char*>(title != nullptr ? title : "");
    column.cx = static_cast<int>(width);
    unsigned long index = getColumnCount();
    column.iSubItem = static_cast<int>(index);
    return toIndex(
        SendMessageA(windowHandle, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column)));
}

void WControlListView::setColumnWidth(unsigned long column, unsigned long width)
{
    SendMessageA(windowHandle, LVM_SETCOLUMNWIDTH, column, MAKELPARAM(width, 0));
}

unsigned long WControlListView::getColumnCount() const
{
    HWND header = reinterpret_cast<HWND>(SendMessageA(windowHandle, LVM_GETHEADER, 0, 0));
    LRESULT count = header != nullptr ? SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    return count > 0 ? static_cast<unsigned long>(count) : 0;
}

unsigned long WControlListView::addItem(const char* text, void* data, int image)
{
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_IMAGE;
    item.iItem = static_cast<int>(getItemCount());
    item.pszText = const_cast<char*>(text != nullptr ? text : "");
    item.lParam = reinterpret_cast<LPARAM>(data);
    item.iImage = image;
    return toIndex(SendMessageA(windowHandle, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

void WControlListView::setItemText(unsigned long index, unsigned long column, const char* text)
{
    LVITEMA item = {};
    item.iSubItem = static_cast<int>(column);
    item.pszText = const_cast<char*>(text != nullptr ? text : "");
    SendMessageA(windowHandle, LVM_SETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
}

bool WControlListView::getItemText(unsigned long index, unsigned long column, WString& text) const
{
    if (index >= getItemCount())
        return false;
    // The control copies at most the buffer's size; grow until the text fits.
    for (size_t size = 256;; size *= 4) {
        std::vector<char> buffer(size);
        LVITEMA item = {};
        item.iSubItem = static_cast<int>(column);
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        LRESULT copied =
            SendMessageA(windowHandle, LVM_GETITEMTEXTA, index, reinterpret_cast<LPARAM>(&item));
        if (copied < static_cast<LRESULT>(size) - 1 || size >= 65536) {
            text.assign(buffer.data(), static_cast<unsigned long>(copied > 0 ? copied : 0));
            return true;
        }
    }
}

void* WControlListView::getItemData(unsigned long index) const
{
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = static_cast<int>(index);
    if (!SendMessageA(windowHandle, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return nullptr;
    return reinterpret_cast<void*>(item.lParam);
}

unsigned long WControlListView::getItemIdx() const
{
    return toIndex(
        SendMessageA(windowHandle, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void WControlListView::selectItem(unsigned long index)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(windowHandle, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

void WControlListView::showCheckBoxes()
{
    SendMessageA(windowHandle, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
}

// The check box is the row's state image: 1 unchecked, 2 checked.
bool WControlListView::isItemChecked(unsigned long index) const
{
    LRESULT state =
        SendMessageA(windowHandle, LVM_GETITEMSTATE, index, static_cast<LPARAM>(LVIS_STATEIMAGEMASK));
    return (static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

void WControlListView::setItemChecked(unsigned long index, bool checked)
{
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? 2 : 1);
    SendMessageA(windowHandle, LVM_SETITEMSTATE, index, reinterpret_cast<LPARAM>(&item));
}

void WControlListView::removeItem(unsigned long index)
{
    SendMessageA(windowHandle, LVM_DELETEITEM, index, 0);
}

void WControlListView::removeAll()
{
    SendMessageA(windowHandle, LVM_DELETEALLITEMS, 0, 0);
}

unsigned long WControlListView::getItemCount() const
{
    LRESULT count = SendMessageA(windowHandle, LVM_GETITEMCOUNT, 0, 0);
    return count > 0 ? static_cast<unsigned long>(count) : 0;
}

void WControlListView::setImageList(HIMAGELIST images, int kind)
{
    SendMessageA(windowHandle, LVM_SETIMAGELIST, static_cast<WPARAM>(kind),
                 reinterpret_cast<LPARAM>(images));
}

void WControlListView::setColor(unsigned long textColour, unsigned long backColour)
{
    SendMessageA(windowHandle, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(textColour));
    SendMessageA(windowHandle, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(backColour));
    SendMessageA(windowHandle, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(backColour));
}
