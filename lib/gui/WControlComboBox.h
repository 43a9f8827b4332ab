#pragma once

#include "WControlStringList.h"
#include "WExport.h"

// A combo box ("COMBOBOX"); its list holds the items.
class QUARN2_API WControlComboBox : public WControlStringList {
public:
    WControlComboBox();
    WControlComboBox(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlComboBox(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                     unsigned long height, Style style);

private:
    static const Family comboBox;
};
