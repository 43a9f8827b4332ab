#include "WControlComboBox.h"

const WControlStringList::Family WControlComboBox::comboBox = {
    "COMBOBOX",      CB_ADDSTRING,    CB_INSERTSTRING,    CB_SETITEMDATA, CB_GETITEMDATA,
    CB_GETLBTEXTLEN, CB_GETLBTEXT,    CB_FINDSTRINGEXACT, CB_GETCURSEL,   CB_SETCURSEL,
    CB_DELETESTRING, CB_RESETCONTENT, CB_GETCOUNT};

WControlComboBox::WControlComboBox() : WControlStringList(comboBox) {}

WControlComboBox::WControlComboBox(WWindowContext* owner, const char* name, unsigned long itemId)
    : WControlStringList(comboBox)
{
    create(owner, name, itemId);
}

WControlComboBox::WControlComboBox(WWindowContext* owner, const char* name, int x, int y,
                                   unsigned long width, unsigned long height, Style style)
    : WControlStringList(comboBox)
{
    create(owner, name, x, y, width, height, style);
}
