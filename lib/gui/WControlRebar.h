#pragma once

#include <windows.h>

#include "WControl.h"
#include "WExport.h"

// A rebar ("ReBarWindow32") whose bands hold other controls, in a fixed
// order. Controls created with the rebar as owner report Tab to it, which
// moves the focus to the next band's control. The rebar itself knows its
// bands: no band outlives its child window unnoticed.
class QUARN2_API WControlRebar : public WControl {
public:
    // Extended window styles added to WS_EX_TOOLWINDOW; 0 for none.
    typedef DWORD Style;

    WControlRebar();
    WControlRebar(WWindowContext* owner, Style style);
    ~WControlRebar() override;

    using WControl::create;
    // Failure to set the bar information: WControlException "Cannot create
    // Rebar control." (id -1).
    void create(WWindowContext* owner, Style style);
    // Deletes all bands and destroys the window.
    void destroy() override;

    // Appends a band with the text and the child's window: band width =
    // width (0: the child's client width), minimum child width = minWidth,
    // child height = the child's getControlHeight().
    void addControl(const WControl& child, const char* text, unsigned long width,
                    unsigned long minWidth);
    // Colours and background picture (not owned) of the bands added afterwards.
    void setColor(unsigned long fore, unsigned long back);
    void setBackgroundImage(HBITMAP picture);
    // Position (0, y) at the width of the owner's client area.
    void adjust(int y);

    // Tab moves the focus to the next band control with a tab stop; Return
    // is left to the control.
    bool setFocusNextControl(WControl& control, bool isReturn) override;

private:
    bool bandColors;
    COLORREF foreColor;
    COLORREF backColor;
    HBITMAP backgroundImage;
};
