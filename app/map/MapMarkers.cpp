// Position markers, their hit test, and what the map page paints and does
// with the mouse.
#include "GdiPlusHandles.h"
#include "OrvexMap.h"
#include "WGdiSelection.h"

namespace {
// The page's text while the first map is still being made.
const char* const waitingText = "Die Karte wird erstellt ...";

void drawMarker(HDC dc, int x, int y, HBRUSH squareBrush)
{
    MoveToEx(dc, x - 6, y - 6, nullptr);
    LineTo(dc, x + 8, y + 8);
    MoveToEx(dc, x + 8, y - 6, nullptr);
    LineTo(dc, x - 6, y + 8);
    RECT square = {x - 1, y - 1, x + 3, y + 3};
    FillRect(dc, &square, squareBrush);
}
}

void OrvexMap::markerPixel(const GmsCoordinates& coordinates, int& x, int& y) const
{
    positionToPixel(coordinates, x, y, true, false);
}

void OrvexMap::drawMarkers(HDC dc)
{
    GdiObject red(CreateSolidBrush(RGB(255, 0, 0)));
    GdiObject blue(CreateSolidBrush(RGB(0, 0, 255)));
    GdiObject pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    WGdiSelection selectedPen(dc, pen);
    bool first = true;
    positions.reset();
    while (positions.hasMoreElements()) {
        Position& position = positions.nextPosition();
        markerPixel(position.coordinates, position.mapX, position.mapY);
        drawMarker(dc, position.mapX, position.mapY, first ? blue.brush() : red.brush());
        first = false;
        // The globe shows its view position only, at the centre.
        if (orthographic)
            break;
    }
    positions.reset();
}

unsigned int OrvexMap::hitTestMarker(int x, int y, Position& position)
{
    POINT point = {x, y};
    unsigned int found = 0;
    positions.reset();
    while (positions.hasMoreElements()) {
        Position& candidate = positions.nextPosition();
        RECT square = {candidate.mapX - 1, candidate.mapY - 1, candidate.mapX + 3,
                       candidate.mapY + 3};
        if (PtInRect(&square, point)) {
            position = candidate;
            found = positions.getCurrentNumber();
            break;
        }
    }
    positions.reset();
    return found;
}

void OrvexMap::paintMapPage(HDC dc, const RECT& area)
{
    if (mapPicture.getWidth() == 0) {
        MapLayout picture = layout();
        RECT all = {0, 0, picture.pictureWidth, picture.pictureHeight};
        GdiObject white(CreateSolidBrush(RGB(255, 255, 255)));
        FillRect(dc, &area, white.brush());
        WGdiSelection font(dc, titleFont);
        DrawTextA(dc, waitingText, -1, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        return;
    }
    HDC memory = CreateCompatibleDC(dc);
    {
        WGdiSelection picture(memory, mapPicture.getBitmapHandle());
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, memory,
               area.left, area.top, SRCCOPY);
    }
    DeleteDC(memory);
    drawLegend(dc);
    drawMarkers(dc);
    drawLabels(dc);
}

void OrvexMap::onMapMouseMove(int x, int y)
{
    mouseX = x;
    mouseY = y;
    updateStatusBar();
}
