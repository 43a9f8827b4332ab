#pragma once

#include <windows.h>
#include <commctrl.h>

#include "WControl.h"
#include "WExport.h"
#include "WString.h"

// A list view ("SysListView32"); by default a report list with columns,
// whole-row single selection and the selection shown also without focus.
class QUARN2_API WControlListView : public WControl {
public:
    // 0 report list with fixed column headers, 1 the same with clickable
    // headers, any other value the system's plain icon view.
    enum Style { STYLE_REPORT = 0, STYLE_REPORT_SORTHEADER = 1, STYLE_PLAIN = 2 };

    WControlListView() = default;
    WControlListView(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlListView(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                     unsigned long height, Style style);

    using WControl::create;
    void create(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                unsigned long height, Style style);

    // Appends a column; its index, or -1 (as unsigned) on failure.
    unsigned long addColumn(const char* title, unsigned long width);
    unsigned long getColumnCount() const;
    void setColumnWidth(unsigned long column, unsigned long width);
    // Appends a row with text in the first column and data attached; its
    // index, or -1 (as unsigned) on failure.
    unsigned long addItem(const char* text, void* data, int image);
    // The text of one column of a row.
    void setItemText(unsigned long index, unsigned long column, const char* text);
    // False when the row does not exist.
    bool getItemText(unsigned long index, unsigned long column, WString& text) const;
    void* getItemData(unsigned long index) const;
    // The selected row, -1 (as unsigned) when none is selected.
    unsigned long getItemIdx() const;
    void selectItem(unsigned long index);
    // A check box before each row (LVS_EX_CHECKBOXES); rows start unchecked.
    void showCheckBoxes();
    bool isItemChecked(unsigned long index) const;
    void setItemChecked(unsigned long index, bool checked);
    void removeItem(unsigned long index);
    void removeAll();
    unsigned long getItemCount() const;
    // LVSIL_NORMAL or LVSIL_SMALL; the list stays owned by the caller.
    void setImageList(HIMAGELIST images, int kind);
    void setColor(unsigned long textColour, unsigned long backColour);
};
