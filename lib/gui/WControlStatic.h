#pragma once

#include <windows.h>

#include "WControl.h"
#include "WExport.h"

class WFont;

// A static text ("STATIC").
class QUARN2_API WControlStatic : public WControl {
public:
    // Used as the extended window style, e.g. WS_EX_STATICEDGE; 0 for none.
    typedef DWORD Style;

    WControlStatic() = default;
    WControlStatic(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlStatic(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                   unsigned long height, Style style);

    using WControl::create;
    // A height of 0 is the default font's point size + 16.
    void create(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                unsigned long height, Style style);

    void setText(const char* text);
    void setFont(const WFont& font);
};
