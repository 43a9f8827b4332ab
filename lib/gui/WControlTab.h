#pragma once

#include <windows.h>
#include <commctrl.h>

#include "WControl.h"
#include "WExport.h"
#include "WHashtable.h"

// A tab control ("SysTabControl32") filling its owner, with one content
// window per page. The page windows are children of the tab control; the
// current page's window is shown in the display area, the others are hidden.
// A panel that has the tab control (WPanel::setTabControl) keeps it sized
// and switches pages on selection changes.
class QUARN2_API WControlTab : public WControl {
public:
    // Added to the window style; other tab-control styles (TCS_*) are passed
    // as Style values too.
    enum Style : DWORD {
        STYLE_TABS = 0,
        STYLE_BUTTONS = TCS_BUTTONS,
        STYLE_MULTILINE = TCS_MULTILINE,
        STYLE_BOTTOM = TCS_BOTTOM
    };

    WControlTab();
    WControlTab(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlTab(WWindowContext* owner, const char* name, Style style);

    using WControl::create;
    void create(WWindowContext* owner, const char* name, Style style);

    // Inserts a tab with the title at index and records content for index;
    // the index the control reports.
    unsigned long addPage(unsigned long index, const char* title, HWND content);
    void removePage(unsigned long index);
    // The recorded window, or null.
    HWND getContentWindow(unsigned long index) const;
    // Hides the current page's window, then shows the window recorded for
    // index in the display area and selects its tab. index becomes the
    // current page also when no window is recorded for it.
    void setFocusPage(unsigned long index);
    unsigned long getPage() const { return page; }
    // With autoFit a page window fills the display area; without, it keeps
    // its size and stands offset pixels below the display area's top.
    void setAutoFit(bool autoFit, int offset);
    // The window rectangle that gives a display area of width x height, at
    // origin (0, 0).
    void calcWindowRect(unsigned long width, unsigned long height, RECT& r) const;

private:
    WHashtable<unsigned long, HWND, unsigned long, HWND> pages;
    unsigned long page;
    bool autoFit;
    int offset;
};
