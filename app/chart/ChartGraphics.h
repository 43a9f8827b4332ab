#pragma once

#include <windows.h>

#include <vector>

#include "GdiPlusHandles.h"

// Antialiased GDI+ drawing on a device context for the chart and the
// stripes. Without a GDI+ graphics object (GDI+ refused one) nothing is
// drawn. Release before drawing GDI text over it: GDI+ draws late.
class ChartGraphics {
public:
    explicit ChartGraphics(HDC dc);

    // An open line through the points; dashed for a fitted line.
    void line(const std::vector<Gdiplus::PointF>& points, COLORREF colour, float width,
              unsigned int alpha = 255, bool dashed = false);
    void dot(float x, float y, float diameter, COLORREF colour);
    void fillRectangle(float left, float top, float width, float height, COLORREF colour,
                       unsigned int alpha = 255);
    void fillPolygon(const std::vector<Gdiplus::PointF>& points, COLORREF colour,
                     unsigned int alpha);
    // Later drawing stays inside the rectangle; null lifts the limit.
    void clip(const RECT* area);
    // Ends the drawing: everything is on the device context.
    void release() { graphics.reset(); }

private:
    GdiPlusGraphics graphics;
};
