#pragma once

#include <windows.h>

#include "WControl.h"
#include "WExport.h"

// A status bar with a size grip ("msctls_statusbar32"), kept at the bottom
// of its owner's client area by adjust().
class QUARN2_API WControlStatusbar : public WControl {
public:
    // Used as the extended window style; other extended styles are passed
    // as Style values too.
    enum Style : DWORD { STYLE_PLAIN = 0, STYLE_CLIENTEDGE = WS_EX_CLIENTEDGE };

    WControlStatusbar() = default;
    WControlStatusbar(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlStatusbar(WWindowContext* owner, const char* name, Style style);

    using WControl::create;
    void create(WWindowContext* owner, const char* name, Style style);

    // Right edges of the parts in client pixels; -1 (as unsigned) reaches
    // the end of the bar.
    void setParts(unsigned long count, const unsigned long* rightEdges);
    // part is the part index, with any drawing flags (SBT_*) in its high bits.
    void setText(const char* text, unsigned long part);
    // Moves the bar to the bottom of the owner's client area at its full
    // width; the bar keeps its height.
    void adjust();
};
