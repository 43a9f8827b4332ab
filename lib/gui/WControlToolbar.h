#pragma once

#include <windows.h>
#include <commctrl.h>

#include "WControl.h"
#include "WExport.h"

// A flat tool bar with text beside the images and tool tips
// ("ToolbarWindow32"). Its owner positions it: it neither sizes nor aligns
// itself, and it reports a height of 40 whatever its real size.
class QUARN2_API WControlToolbar : public WControl {
public:
    // Not used: every tool bar has the same styles.
    enum Style : DWORD { STYLE_DEFAULT = 0 };

    WControlToolbar() = default;
    WControlToolbar(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlToolbar(WWindowContext* owner, const char* name, Style style);

    using WControl::create;
    void create(WWindowContext* owner, const char* name, Style style);

    // An enabled, auto-sized button sending commandId; the text is shown
    // when it is not empty.
    void addButton(unsigned long commandId, unsigned long imageIndex, const char* text);
    void addSeparator(unsigned long width);
    // The hot list is set only when given.
    void setImageList(HIMAGELIST normal, HIMAGELIST hot);

    unsigned long getControlHeight() const override;
};
