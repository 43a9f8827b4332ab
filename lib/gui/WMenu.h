#pragma once

#include <windows.h>

#include "WExport.h"

// A menu or sub-menu. A menu attached to a window or to another menu still
// belongs to its WMenu: destroying the object destroys the menu (with the
// sub-menus attached to it). Item operations find the item by its command id
// and answer false when the menu has no such item.
class QUARN2_API WMenu {
public:
    WMenu();
    WMenu(const WMenu&) = delete;
    WMenu& operator=(const WMenu&) = delete;
    virtual ~WMenu();

    // An empty menu unless one exists; failure: WMenuException "Cannot
    // create menu." (id -1).
    void create();
    bool addItem(unsigned long id, const char* text);
    // With the pictures shown in the item's checked and unchecked state.
    bool addItem(unsigned long id, const char* text, HBITMAP checked, HBITMAP unchecked);
    bool addSubMenu(HMENU subMenu, const char* text);
    bool addSeparator();
    bool setItemChecked(unsigned long id, bool checked);
    // Greyed when not active.
    bool setItemActive(unsigned long id, bool active);
    // A sub-menu the item opens is not destroyed.
    bool removeItem(unsigned long id);
    void destroy();

    operator HMENU() const { return menu; }

private:
    HMENU menu;
};
