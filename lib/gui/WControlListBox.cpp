#include "WControlListBox.h"

const WControlStringList::Family WControlListBox::listBox = {
    "LISTBOX",       LB_ADDSTRING,    LB_INSERTSTRING,    LB_SETITEMDATA, LB_GETITEMDATA,
    LB_GETTEXTLEN,   LB_GETTEXT,      LB_FINDSTRINGEXACT, LB_GETCURSEL,   LB_SETCURSEL,
    LB_DELETESTRING, LB_RESETCONTENT, LB_GETCOUNT};

WControlListBox::WControlListBox() : WControlStringList(listBox) {}

WControlListBox::WControlListBox(WWindowContext* owner, const char* name, unsigned long itemId)
    : WControlStringList(listBox)
{
    create(owner, name, itemId);
}

WControlListBox::WControlListBox(WWindowContext* owner, const char* name, int x, int y,
                                 unsigned long width, unsigned long height, Style style)
    : WControlStringList(listBox)
{
    create(owner, name, x, y, width, height, style);
}
