#pragma once

#include <windows.h>

#include "WControl.h"
#include "WExport.h"
#include "WString.h"

class WFont;

// An edit field ("EDIT"). It is a text control: whenever it loses the focus
// its text is replaced by what formatText makes of it, by default the text
// without leading and trailing blanks. An owner panel paints it with the
// colours given to setColor.
class QUARN2_API WControlEdit : public WControl {
public:
    // 0 single line, 1 password, 2 multi-line with a vertical scroll bar.
    enum Style { STYLE_SINGLELINE = 0, STYLE_PASSWORD = 1, STYLE_MULTILINE = 2 };

    WControlEdit();
    WControlEdit(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlEdit(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                 unsigned long height, Style style, bool clientEdge);
    ~WControlEdit() override;

    using WControl::create;
    // A height of 0 is the default font's point size + 16.
    void create(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                unsigned long height, Style style, bool clientEdge);
    // Deletes the brush, destroys the window; the colours become black on white.
    void destroy() override;

    void getText(WString& text) const;
    void setText(const char* text);
    // From now on an owner panel paints the text in textColour on backColour.
    void setColor(unsigned long textColour, unsigned long backColour);
    unsigned long getTextColor() const { return textColor; }
    unsigned long getBackColor() const { return backColor; }
    // Null until setColor.
    HBRUSH getBackColorBrush() const { return backBrush; }
    void setReadOnly(bool readOnly);
    // Typed letters become lower or upper case.
    void setLowercase(bool lowercase);
    void setUppercase(bool uppercase);
    void setFont(const WFont& font);

    bool isTextControl() const override;

protected:
    // The text without leading and trailing blanks; subclasses validate or
    // reformat and call this for the default.
    bool formatText(WString& text) const override;

private:
    void setStyleBit(DWORD bit, bool set);

    HBRUSH backBrush;
    unsigned long textColor;
    unsigned long backColor;
};
