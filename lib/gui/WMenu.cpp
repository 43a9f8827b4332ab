#include "WMenu.h"

#include "WException.h"

WMenu::WMenu() : menu(nullptr) {}

WMenu::~WMenu()
{
    destroy();
}

void WMenu::create()
{
    if (menu != nullptr)
        return;
    menu = CreateMenu();
    if (menu == nullptr)
        throw WMenuException("Cannot create menu.", -1);
}

bool WMenu::addItem(unsigned long id, const char* text)
{
    return menu != nullptr && AppendMenuA(menu, MF_STRING, id, text);
}

bool WMenu::addItem(unsigned long id, const char* text, HBITMAP checked, HBITMAP unchecked)
{
    return addItem(id, text) && SetMenuItemBitmaps(menu, id, MF_BYCOMMAND, unchecked, checked);
}

bool WMenu::addSubMenu(HMENU subMenu, const char* text)
{
    return menu != nullptr && subMenu != nullptr &&
           AppendMenuA(menu, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(subMenu), text);
}

bool WMenu::addSeparator()
{
    return menu != nullptr && AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
}

bool WMenu::setItemChecked(unsigned long id, bool checked)
{
    return menu != nullptr &&
           CheckMenuItem(menu, id, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED)) !=
               static_cast<DWORD>(-1);
}

bool WMenu::setItemActive(unsigned long id, bool active)
{
    return menu != nullptr &&
           EnableMenuItem(menu, id, MF_BYCOMMAND | (active ? MF_ENABLED : MF_GRAYED)) != -1;
}

bool WMenu::removeItem(unsigned long id)
{
    return menu != nullptr && RemoveMenu(menu, id, MF_BYCOMMAND);
}

void WMenu::destroy()
{
    // A window destroys the menu bar it shows, and a menu its sub-menus: the
    // handle may be gone already.
    if (menu != nullptr && IsMenu(menu))
        DestroyMenu(menu);
    menu = nullptr;
}
