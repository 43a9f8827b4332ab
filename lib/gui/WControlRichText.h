#pragma once

#include <windows.h>

#include "WControlEdit.h"
#include "WExport.h"
#include "WString.h"

class WFont;

// A rich-edit control ("RichEdit20A", loaded by library start-up). It shares
// the edit field's text operations but is no text control: focus loss
// leaves its text alone and owner panels do not colour it.
class QUARN2_API WControlRichText : public WControlEdit {
public:
    // 0 multi-line with scrolling and a sunken edge, 1 the same read-only,
    // any other value none of these.
    enum Style { STYLE_EDITABLE = 0, STYLE_READONLY = 1, STYLE_PLAIN = 2 };

    WControlRichText() = default;
    WControlRichText(WWindowContext* owner, const char* name, unsigned long itemId);
    WControlRichText(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                     unsigned long height, Style style, bool clientEdge);

    using WControl::create;
    // The whole text gets the library's default font.
    void create(WWindowContext* owner, const char* name, int x, int y, unsigned long width,
                unsigned long height, Style style, bool clientEdge);

    // The deepest nesting of groups ("{" ... "}") that rich text may have.
    // The platform's parser keeps a fixed stack of groups and fails on text
    // nested deeper (Wine's riched20 crashes at 32), so deeper text is
    // refused before it reaches the control.
    static constexpr unsigned long maxGroupDepth = 24;

    // Replaces the text by the file, streamed in as rich text (rtf) or plain
    // text (see loadText). A missing file throws WFileNotFoundException, a
    // read failure WFileException.
    void loadFile(const char* fileName, bool rtf);
    // Replaces the text by the bytes, as rich text (rtf) or plain text. Rich
    // text nested deeper than maxGroupDepth throws WControlException (id -1)
    // and leaves the control as it was. The control refuses a text without
    // an RTF header as rich text and stays empty.
    void loadText(const char* bytes, unsigned long length, bool rtf);
    // The deepest group nesting of the rich text; escaped braces ("\{",
    // "\}") are text, not groups.
    static unsigned long groupDepth(const char* bytes, unsigned long length);
    // Link notifications only, and automatic URL detection on or off; an
    // owner panel opens clicked links.
    void setURLDetection(bool detect);
    void hideSelection(bool hide);
    // Face, size, bold (weights 600-900), italic, underline, strike-out and
    // colour of the font, for the selection or for all text, now and later.
    void setFont(const WFont& font, bool all);
    void setBackColor(unsigned long colour);
    // In characters, a paragraph break counting as one.
    unsigned long getTextLength() const;
    void getSelection(unsigned long& start, unsigned long& end) const;
    void setSelection(unsigned long start, unsigned long end);
    void replaceSelection(const char* text);
    void getTextSelected(WString& text) const;
    // end -1 (as unsigned) reaches the end of the text.
    void getTextRange(WString& text, unsigned long start, unsigned long end) const;
    // Only an empty control changes its mode.
    void setRichTextMode();
    void setPlainTextMode();

    bool isTextControl() const override;
};
