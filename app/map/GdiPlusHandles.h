#pragma once

#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

// Owners of the GDI+ flat-API objects the map draws with.
struct GdiPlusGraphicsDeleter {
    void operator()(Gdiplus::GpGraphics* graphics) const
    {
        Gdiplus::DllExports::GdipDeleteGraphics(graphics);
    }
};
struct GdiPlusBrushDeleter {
    void operator()(Gdiplus::GpSolidFill* brush) const
    {
        Gdiplus::DllExports::GdipDeleteBrush(brush);
    }
};
struct GdiPlusPenDeleter {
    void operator()(Gdiplus::GpPen* pen) const { Gdiplus::DllExports::GdipDeletePen(pen); }
};
using GdiPlusGraphics = std::unique_ptr<Gdiplus::GpGraphics, GdiPlusGraphicsDeleter>;
using GdiPlusBrush = std::unique_ptr<Gdiplus::GpSolidFill, GdiPlusBrushDeleter>;
using GdiPlusPen = std::unique_ptr<Gdiplus::GpPen, GdiPlusPenDeleter>;

// A graphics object on the device context; empty when GDI+ refuses one
// (the map then leaves out what it would have drawn with it).
inline GdiPlusGraphics gdiPlusGraphicsOn(HDC dc)
{
    Gdiplus::GpGraphics* graphics = nullptr;
    if (Gdiplus::DllExports::GdipCreateFromHDC(dc, &graphics) != Gdiplus::Ok)
        return nullptr;
    return GdiPlusGraphics(graphics);
}

// The GDI+ colour of a cell: alpha in the top byte over red, green, blue.
inline Gdiplus::ARGB gdiPlusColour(unsigned int alpha, COLORREF colour)
{
    return (alpha << 24) | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

// A GDI object deleted at the end of a scope.
class GdiObject {
public:
    explicit GdiObject(HGDIOBJ object) : object(object) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    ~GdiObject()
    {
        if (object != nullptr)
            DeleteObject(object);
    }
    operator HGDIOBJ() const { return object; }
    HBRUSH brush() const { return static_cast<HBRUSH>(object); }

private:
    HGDIOBJ object;
};
