#pragma once

#include "WControl.h"
#include "WExport.h"

class WFont;

// A push button, radio button or check box ("BUTTON").
class QUARN2_API WControlButton : public WControl {
public:
    // 0 push button, 1 radio button, 2 check box.
    enum Style { STYLE_PUSHBUTTON = 0, STYLE_RADIOBUTTON = 1, STYLE_CHECKBOX = 2 };

    WControlButton() = default;
    WControlButton(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlButton(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                   unsigned long height, const char* text, Style style);

    using WControl::create;
    void create(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                unsigned long height, const char* text, Style style);

    void setChecked(bool checked);
    // True only in the checked state (not the indeterminate one).
    bool isChecked() const;
    void setPushed(bool pushed);
    // True only when the state is exactly "pushed".
    bool isPushed() const;
    void setText(const char* text);
    void setFont(const WFont& font);
};
