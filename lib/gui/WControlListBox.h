#pragma once

#include <windows.h>

#include "WControl.h"
#include "WControlListInterface.h"
#include "WExport.h"

class WFont;

// A list box ("LISTBOX").
class QUARN2_API WControlListBox : public WControl, public WControlListInterface {
public:
    // List-box styles, e.g. LBS_NOTIFY | LBS_SORT.
    typedef DWORD Style;

    WControlListBox() = default;
    WControlListBox(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlListBox(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                    unsigned long height, Style style);

    using WControl::create;
    // The style with a vertical scroll bar and a tab stop, sunken edge.
    void create(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                unsigned long height, Style style);

    unsigned long addItem(const char* text, void* data) override;
    void setItemText(unsigned long index, const char* text) override;
    void setItemData(unsigned long index, void* data) override;
    void* getItemData(unsigned long index) const override;
    void* getItemData() const override;
    bool getItemText(unsigned long index, WString& text) const override;
    bool getItemText(WString& text) const override;
    unsigned long getItemIdx(const char* text) const override;
    unsigned long getItemIdx() const override;
    void selectItem(unsigned long index) override;
    void removeItem(unsigned long index) override;
    void removeAll() override;
    unsigned long getItemCount() const override;

    void setFont(const WFont& font);
};
