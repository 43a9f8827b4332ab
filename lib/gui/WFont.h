#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"

// A GDI font made from a face name and a size in points, for the screen or
// for a given resolution in pixels per inch.
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

    // Replaces any existing font; the face is cut to 31 characters. The
    // pixel height follows dotsPerInch, or the screen's when it is 0 (a
    // window on a monitor of its own passes that monitor's). Failure:
    // WFontException "Cannot create font '%s' %upt" (id -1).
    void create(const char* face, unsigned long size, unsigned long style, unsigned long weight,
                unsigned long colour, unsigned int dotsPerInch = 0);
    // Drops the own font; when other has one, makes the same font at the
    // same resolution.
    void duplicate(const WFont& other);
    // Deletes the font; size, pixel height, style and colour become 0, weight 400.
    void close();

    const WString& getName() const { return name; }
    unsigned long getColor() const { return color; }
    // Size in points.
    unsigned long getHeight() const { return size; }
    // Character height in pixels at the font's resolution.
    unsigned long getTrueHeight() const { return trueHeight; }
    // The pixels per inch the font was made for.
    unsigned int getDotsPerInch() const { return dotsPerInch; }
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
    unsigned int dotsPerInch;
    HFONT font;
};
