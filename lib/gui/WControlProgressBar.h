#pragma once

#include "WControl.h"
#include "WExport.h"

// A progress bar (the common controls' "msctls_progress32").
class QUARN2_API WControlProgressBar : public WControl {
public:
    WControlProgressBar() = default;
    WControlProgressBar(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlProgressBar(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                        unsigned long height);

    using WControl::create;
    void create(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                unsigned long height);

    // Both limits travel as 16-bit values: higher bits are cut off.
    void setRange(unsigned long min, unsigned long max);
    void setStepSize(unsigned long step);
    void setPos(unsigned long pos);
    // Advances by the step size.
    void nextStep();
};
