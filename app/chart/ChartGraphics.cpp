#include "ChartGraphics.h"

using namespace Gdiplus;

ChartGraphics::ChartGraphics(HDC dc) : graphics(gdiPlusGraphicsOn(dc))
{
    if (graphics)
        DllExports::GdipSetSmoothingMode(graphics.get(), SmoothingModeAntiAlias);
}

void ChartGraphics::line(const std::vector<PointF>& points, COLORREF colour, float width,
                         unsigned int alpha, bool dashed)
{
    if (!graphics || points.size() < 2)
        return;
    GpPen* created = nullptr;
    if (DllExports::GdipCreatePen1(gdiPlusColour(alpha, colour), width, UnitPixel, &created) != Ok)
        return;
    GdiPlusPen pen(created);
    DllExports::GdipSetPenLineJoin(pen.get(), LineJoinRound);
    if (dashed)
        DllExports::GdipSetPenDashStyle(pen.get(), DashStyleDash);
    DllExports::GdipDrawLines(graphics.get(), pen.get(), points.data(),
                              static_cast<INT>(points.size()));
}

void ChartGraphics::dot(float x, float y, float diameter, COLORREF colour)
{
    if (!graphics)
        return;
    GpSolidFill* created = nullptr;
    if (DllExports::GdipCreateSolidFill(gdiPlusColour(255, colour), &created) != Ok)
        return;
    GdiPlusBrush brush(created);
    DllExports::GdipFillEllipse(graphics.get(), brush.get(), x - diameter / 2, y - diameter / 2,
                                diameter, diameter);
}

void ChartGraphics::fillRectangle(float left, float top, float width, float height, COLORREF colour,
                                  unsigned int alpha)
{
    if (!graphics)
        return;
    GpSolidFill* created = nullptr;
    if (DllExports::GdipCreateSolidFill(gdiPlusColour(alpha, colour), &created) != Ok)
        return;
    GdiPlusBrush brush(created);
    DllExports::GdipFillRectangle(graphics.get(), brush.get(), left, top, width, height);
}

void ChartGraphics::fillPolygon(const std::vector<PointF>& points, COLORREF colour,
                                unsigned int alpha)
{
    if (!graphics || points.size() < 3)
        return;
    GpSolidFill* created = nullptr;
    if (DllExports::GdipCreateSolidFill(gdiPlusColour(alpha, colour), &created) != Ok)
        return;
    GdiPlusBrush brush(created);
    DllExports::GdipFillPolygon(graphics.get(), brush.get(), points.data(),
                                static_cast<INT>(points.size()), FillModeAlternate);
}

void ChartGraphics::clip(const RECT* area)
{
    if (!graphics)
        return;
    if (area == nullptr)
        DllExports::GdipResetClip(graphics.get());
    else
        DllExports::GdipSetClipRectI(graphics.get(), area->left, area->top,
                                     area->right - area->left, area->bottom - area->top,
                                     CombineModeReplace);
}
