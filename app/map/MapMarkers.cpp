// Position markers, their hit test, and what the map page paints and does
// with the mouse.
#include "GdiPlusHandles.h"
#include "OrvexMap.h"
#include "WGdiSelection.h"

namespace {
// The page's text while the first map is still being made.
const char* const waitingText = "Die Karte wird erstellt ...";

// The marker's square around its pixel, at the map's resolution: the part
// that is drawn filled and that the mouse hits.
RECT markerSquare(const OrvexMap& map, int x, int y)
{
    return RECT{x - map.devicePixels(1), y - map.devicePixels(1), x + map.devicePixels(3),
                y + map.devicePixels(3)};
}

void drawMarker(const OrvexMap& map, HDC dc, int x, int y, HBRUSH squareBrush)
{
    int inner = map.devicePixels(6);
    int outer = map.devicePixels(8);
    MoveToEx(dc, x - inner, y - inner, nullptr);
    LineTo(dc, x + outer, y + outer);
    MoveToEx(dc, x + outer, y - inner, nullptr);
    LineTo(dc, x - inner, y + outer);
    RECT square = markerSquare(map, x, y);
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
    GdiObject pen(CreatePen(PS_SOLID, devicePixels(1), RGB(0, 0, 0)));
    WGdiSelection selectedPen(dc, pen);
    bool first = true;
    positions.reset();
    while (positions.hasMoreElements()) {
        Position& position = positions.nextPosition();
        markerPixel(position.coordinates, position.mapX, position.mapY);
        drawMarker(*this, dc, position.mapX, position.mapY, first ? blue.brush() : red.brush());
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
        RECT square = markerSquare(*this, candidate.mapX, candidate.mapY);
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
