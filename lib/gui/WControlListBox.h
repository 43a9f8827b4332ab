#pragma once

#include "WControlStringList.h"
#include "WExport.h"

// A list box ("LISTBOX").
class QUARN2_API WControlListBox : public WControlStringList {
public:
    WControlListBox();
    WControlListBox(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlListBox(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                    unsigned long height, Style style);

private:
    static const Family listBox;
};
