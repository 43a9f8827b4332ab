#include "WFont.h"

#include <cstring>

#include "WException.h"

WFont::WFont()
    : color(0), size(0), trueHeight(0), style(0), weight(400), dotsPerInch(0), font(nullptr)
{
}

WFont::WFont(const char* face, unsigned long size, unsigned long style, unsigned long weight,
             unsigned long colour)
    : WFont()
{
    create(face, size, style, weight, colour);
}

WFont::WFont(const WFont& other) : WFont()
{
    duplicate(other);
}

WFont& WFont::operator=(const WFont& other)
{
    if (this != &other)
        duplicate(other);
    return *this;
}

WFont::~WFont()
{
    close();
}

void WFont::create(const char* face, unsigned long pointSize, unsigned long fontStyle,
                   unsigned long fontWeight, unsigned long colour, unsigned int resolution)
{
    close();
    if (face == nullptr)
        face = "";
    int pixelsPerInch = static_cast<int>(resolution);
    if (pixelsPerInch == 0) {
        HDC screen = GetDC(nullptr);
        pixelsPerInch = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
        if (screen != nullptr)
            ReleaseDC(nullptr, screen);
    }
    // Negative: a character height rather than a cell height.
    int height = -MulDiv(static_cast<int>(pointSize), pixelsPerInch, 72);

    LOGFONTA logical = {};
    logical.lfHeight = height;
    logical.lfWeight = static_cast<LONG>(fontWeight);
    logical.lfItalic = (fontStyle & STYLE_ITALIC) != 0;
    logical.lfUnderline = (fontStyle & STYLE_UNDERLINE) != 0;
    logical.lfStrikeOut = (fontStyle & STYLE_STRIKEOUT) != 0;
    logical.lfCharSet = DEFAULT_CHARSET;
    logical.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logical.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logical.lfQuality = ANTIALIASED_QUALITY;
    logical.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::strncpy(logical.lfFaceName, face, LF_FACESIZE - 1);

    HFONT created = CreateFontIndirectA(&logical);
    if (created == nullptr)
        throw WFontException(WFormattedString("Cannot create font '%s' %lupt", face, pointSize),
                             -1);
    font = created;
    name = face;
    color = colour;
    style = fontStyle;
    weight = fontWeight;
    size = pointSize;
    dotsPerInch = static_cast<unsigned int>(pixelsPerInch);
    trueHeight = static_cast<unsigned long>(height < 0 ? -height : height);
}

void WFont::duplicate(const WFont& other)
{
    if (this == &other)
        return;
    close();
    if (other.font != nullptr)
        create(other.name, other.size, other.style, other.weight, other.color, other.dotsPerInch);
}

void WFont::close()
{
    if (font != nullptr)
        DeleteObject(font);
    font = nullptr;
    size = 0;
    trueHeight = 0;
    style = 0;
    color = 0;
    weight = 400;
    dotsPerInch = 0;
}
