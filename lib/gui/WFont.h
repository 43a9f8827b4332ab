#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"

// A GDI font made from a face name and a size in points for the screen.
// Style bits: 1 italic, 2 underline, 4 strike-out; weight 100-900 (400 normal).
// The colour is kept with the font for rich text.
class QUARN2_API WFont {
public:
    enum StyleFlags { STYLE_ITALIC = 1, STYLE_UNDERLINE = 2, STYLE_STRIKEOUT = 4 };

    WFont();
    WFont(const char* face, unsigned long size, unsigned long style, unsigned long weight,
          unsigned long colour);
    // Copies make a font of their own with the same face, size, style,
    // weight and colour.
    WFont(const WFont& other);
    WFont& operator=(const WFont& other);
    virtual ~WFont();

    // Replaces any existing font; the face is cut to 31 characters. Failure:
    // WFontException "Cannot create font '%s' %upt" (id -1).
    void create(const char* face, unsigned long size, unsigned long style, unsigned long weight,
                unsigned long colour);
    // Drops the own font; when other has one, makes the same font.
    void duplicate(const WFont& other);
    // Deletes the font; size, pixel height, style and colour become 0, weight 400.
    void close();

    const WString& getName() const { return name; }
    unsigned long getColor() const { return color; }
    // Size in points.
    unsigned long getHeight() const { return size; }
    // Character height in pixels on the screen.
    unsigned long getTrueHeight() const { return trueHeight; }
    unsigned long getStyle() const { return style; }
    unsigned long getWeight() const { return weight; }
    operator HFONT() const { return font; }

private:
    WString name;
    unsigned long color;
    unsigned long size;
    unsigned long trueHeight;
    unsigned long style;
    unsigned long weight;
    HFONT font;
};
