#pragma once

#include <windows.h>

#include "WControl.h"
#include "WControlListInterface.h"
#include "WExport.h"

class WFont;

// The list interface of list boxes and combo boxes. Both families keep their
// items with messages of the same meaning but other numbers; each family
// hands its class name and message ids to this base as a table.
class QUARN2_API WControlStringList : public WControl, public WControlListInterface {
public:
    // Family styles, e.g. LBS_NOTIFY | LBS_SORT or CBS_DROPDOWNLIST | CBS_SORT.
    typedef DWORD Style;

    using WControl::create;
    // A child of the family's class: the style with a vertical scroll bar and
    // a tab stop, a sunken edge and the default font.
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

protected:
    // A family's window class and its message for each list operation.
    struct Family {
        const char* className;
        UINT addString;
        UINT insertString;
        UINT setItemData;
        UINT getItemData;
        UINT getTextLength;
        UINT getText;
        UINT findStringExact;
        UINT getCurrentSelection;
        UINT setCurrentSelection;
        UINT deleteString;
        UINT resetContent;
        UINT getCount;
    };

    // The table must outlive the control: a family's static table.
    explicit WControlStringList(const Family& table) : family(table) {}

private:
    const Family& family;
};
