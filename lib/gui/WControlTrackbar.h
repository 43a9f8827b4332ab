#pragma once

#include "WControl.h"
#include "WExport.h"

// A track bar ("msctls_trackbar32").
class QUARN2_API WControlTrackbar : public WControl {
public:
    // 0 tick marks at every tick frequency step and a selection range; any
    // other value a plain bar.
    enum Style { STYLE_AUTOTICKS = 0, STYLE_PLAIN = 1 };

    WControlTrackbar() = default;
    WControlTrackbar(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlTrackbar(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                     unsigned long height, Style style);

    using WControl::create;
    void create(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                unsigned long height, Style style);

    void setRange(int min, int max, unsigned long tickFrequency);
    void setPos(int pos);
    int getPos() const;
    void setTickFreq(unsigned long frequency);
    // The distance a page key moves the slider.
    void setPageSize(unsigned long size);
};
