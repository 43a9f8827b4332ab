#pragma once

#include "WExport.h"
#include "WString.h"

// The item operations that list boxes and combo boxes share. Indices are
// 0-based; -1 (as unsigned) means no item.
class QUARN2_API WControlListInterface {
public:
    // Appends text (sorted when the control sorts) and attaches data when it
    // is not null; the new index, or -1 on failure.
    virtual unsigned long addItem(const char* text, void* data) = 0;
    // Inserts text as a new item at index; the items from index on move down.
    virtual void setItemText(unsigned long index, const char* text) = 0;
    virtual void setItemData(unsigned long index, void* data) = 0;
    virtual void* getItemData(unsigned long index) const = 0;
    // The data of the selected item.
    virtual void* getItemData() const = 0;
    // False when the item does not exist.
    virtual bool getItemText(unsigned long index, WString& text) const = 0;
    // The text of the selected item; false when none is selected.
    virtual bool getItemText(WString& text) const = 0;
    // The first item equal to text, ignoring case; -1 when there is none.
    virtual unsigned long getItemIdx(const char* text) const = 0;
    // The selected item, -1 when none is selected.
    virtual unsigned long getItemIdx() const = 0;
    virtual void selectItem(unsigned long index) = 0;
    virtual void removeItem(unsigned long index) = 0;
    virtual void removeAll() = 0;
    virtual unsigned long getItemCount() const = 0;

protected:
    ~WControlListInterface() = default;
};
