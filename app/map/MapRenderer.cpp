// The two map renderers: the flat map and the globe.
#include "ColourScale.h"
#include "FastMapRenderer.h"
#include "GdiPlusHandles.h"
#include "MapCanvas.h"
#include "OrvexMap.h"
#include "WControlProgressBar.h"
#include "WGdiSelection.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;
using namespace MapConstants;

namespace {
const COLORREF white = RGB(255, 255, 255);
const COLORREF gridLineBlue = RGB(0, 0, 255);
const ARGB rimBlue = 0xFF0000FF;
// The globe's pixels in a metafile: sharp enough on paper, a few megabytes.
const double globePictureScale = 2.0;
}

void OrvexMap::renderFlatMap(HDC dc, bool withLabels, bool withMarkers)
{
    MapLayout picture = layout();
    if (renderPath == RenderPath::Fast &&
        FastMapRenderer::canRenderInto(dc, picture.pictureWidth, picture.pictureHeight) &&
        fast->reproducesPlatform())
        fast->renderFlatMap(dc, withLabels, withMarkers);
    else
        renderFlatMapReference(dc, withLabels, withMarkers);
}

void OrvexMap::renderGlobe(HDC dc, bool withLabels, bool withMarkers)
{
    MapLayout picture = layout();
    if (renderPath == RenderPath::Fast &&
        FastMapRenderer::canRenderInto(dc, picture.pictureWidth, picture.pictureHeight) &&
        fast->reproducesPlatform())
        fast->renderGlobe(dc, withLabels, withMarkers);
    else
        renderGlobeReference(dc, withLabels, withMarkers);
}

// The straightforward flat map: GDI and GDI+ calls only.
void OrvexMap::renderFlatMapReference(HDC dc, bool withLabels, bool withMarkers)
{
    MapLayout picture = layout();
    mapCentreX = picture.centreX;
    mapCentreY = picture.centreY;
    fillWhite(dc, picture.pictureWidth, picture.pictureHeight);
    if (mapType != 1) {
        RECT source = {0, 0, 1000, 500};
        RECT target = {picture.border, picture.border, picture.border + picture.mapWidth,
                       picture.border + picture.mapHeight};
        backgroundPicture.toDevice(dc, source, target);
    }
    paintCells(dc, true, true);
    if (mapType == 1)
        drawCoastlines(dc);
    finishPicture(dc, withLabels, withMarkers);
}

// The straightforward globe: three inverse projections, one picture read
// and one SetPixel for every pixel of the square around it.
void OrvexMap::renderGlobeReference(HDC dc, bool withLabels, bool withMarkers)
{
    MapLayout picture = layout();
    mapCentreX = picture.centreX;
    mapCentreY = picture.centreY;
    fillWhite(dc, picture.pictureWidth, picture.pictureHeight);
    double centreLon;
    double centreLat;
    globeCentre(centreLon, centreLat);
    globeCentreLon = centreLon;
    globeCentreLat = centreLat;

    // A record per pixel would make a metafile at scale 10 hundreds of
    // megabytes: it gets the pixels as one picture.
    if (GetObjectType(dc) == OBJ_ENHMETADC)
        drawGlobePicture(dc, centreLon, centreLat);
    else
        drawGlobePixels(dc, mapCentreX, mapCentreY, centreLon, centreLat);

    if (mapType == 1)
        drawCoastlines(dc);
    drawGridLines(dc, centreLon, centreLat);
    drawRim(dc);
    finishPicture(dc, withLabels, withMarkers);
}

void OrvexMap::drawGlobePixels(HDC dc, int centreX, int centreY, double centreLon, double centreLat)
{
    MapLayout picture = layout();
    // The data layer: background and cells in flat form, without border,
    // read back through a picture object for each globe pixel.
    WBitmap dataLayer;
    {
        HDC screen = GetDC(nullptr);
        GdiObject bitmap(CreateCompatibleBitmap(screen, picture.mapWidth, picture.mapHeight));
        HDC memory = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        {
            WGdiSelection selected(memory, bitmap);
            fillWhite(memory, picture.mapWidth, picture.mapHeight);
            if (mapType != 1) {
                RECT source = {0, 0, 1000, 500};
                RECT target = {0, 0, picture.mapWidth, picture.mapHeight};
                backgroundPicture.toDevice(memory, source, target);
            }
            paintCells(memory, false, false);
        }
        DeleteDC(memory);
        dataLayer.create(static_cast<HBITMAP>(static_cast<HGDIOBJ>(bitmap)), nullptr);
    }

    int radius = picture.globePixelRadius;
    long long pixelsInSquare = static_cast<long long>(picture.mapHeight) * picture.mapHeight;
    long long counted = 0;
    int lastPercent = -1;
    double lon = 0;
    double lat = 0;
    for (int x = centreX - radius; x <= centreX + radius; ++x) {
        for (int y = centreY - radius; y <= centreY + radius; ++y) {
            if (unprojectOrthographic(x, y, centreX, centreY, centreLon, centreLat, lon, lat, true))
                SetPixel(dc, x, y, samplePicture(dataLayer, lon, lat));
            ++counted;
            sendProgress(static_cast<int>(counted * 100 / pixelsInSquare), lastPercent);
        }
    }
    dataLayer.close();
}

namespace {
// The map at another scale for the length of a scope.
class ScaleChange {
public:
    ScaleChange(OrvexMap& map, double scale) : map(map), scaleX(map.scaleX), scaleY(map.scaleY)
    {
        map.scaleX = scale;
        map.scaleY = scale;
    }
    ScaleChange(const ScaleChange&) = delete;
    ScaleChange& operator=(const ScaleChange&) = delete;
    ~ScaleChange()
    {
        map.scaleX = scaleX;
        map.scaleY = scaleY;
    }

private:
    OrvexMap& map;
    double scaleX;
    double scaleY;
};
}

void OrvexMap::drawGlobePicture(HDC dc, double centreLon, double centreLat)
{
    MapLayout target = layout();
    int targetSide = 2 * target.globePixelRadius + 1;
    ScaleChange pictureScale(*this, globePictureScale);
    int radius = layout().globePixelRadius;
    int side = 2 * radius + 1;
    MapCanvas canvas(side, side);
    fillWhite(canvas.getDC(), side, side);
    drawGlobePixels(canvas.getDC(), radius, radius, centreLon, centreLat);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = side;
    info.bmiHeader.biHeight = -side;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    StretchDIBits(dc, mapCentreX - target.globePixelRadius, mapCentreY - target.globePixelRadius,
                  targetSide, targetSide, 0, 0, side, side, canvas.getPixels(), &info,
                  DIB_RGB_COLORS, SRCCOPY);
}

void OrvexMap::fillWhite(HDC dc, int width, int height) const
{
    GdiObject brush(CreateSolidBrush(white));
    RECT all = {0, 0, width, height};
    FillRect(dc, &all, brush.brush());
}

void OrvexMap::paintCells(HDC dc, bool withBorder, bool reportProgress)
{
    unsigned int rows = database.getRows();
    unsigned int columns = database.getColumns();
    double size = database.getResolution();
    long long cellCount = static_cast<long long>(rows) * columns;
    long long counted = 0;
    int lastPercent = -1;
    bool outline = mapType == 1;
    double bandDivisor = database.isTrend() ? trendBandDivisor : 1.0;
    GdiPlusGraphics graphics;
    if (!outline)
        graphics = gdiPlusGraphicsOn(dc);

    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned int column = 0; column < columns; ++column) {
            if (reportProgress)
                sendProgress(static_cast<int>(++counted * 100 / cellCount), lastPercent);
            double value = database.valueAtCell(column, row);
            if (value < -99)
                continue;
            double north = 90 - row * size;
            double west = -180 + column * size;
            RECT cell;
            cell.left = flatPixelX(west, scaleX, borderFactor, withBorder);
            cell.top = flatPixelY(north, scaleY, borderFactor, withBorder);
            cell.right = flatPixelX(west + size, scaleX, borderFactor, withBorder);
            cell.bottom = flatPixelY(north - size, scaleY, borderFactor, withBorder);
            COLORREF colour = anomalyColours[colourIndexForValue(value, bandDivisor)].colour;
            if (outline) {
                GdiObject brush(CreateSolidBrush(colour));
                FillRect(dc, &cell, brush.brush());
            } else if (graphics) {
                GpSolidFill* brush = nullptr;
                if (GdipCreateSolidFill(gdiPlusColour(cellAlpha, colour), &brush) != Ok)
                    continue;
                GdiPlusBrush owned(brush);
                GdipFillRectangleI(graphics.get(), brush, cell.left, cell.top,
                                   cell.right - cell.left, cell.bottom - cell.top);
            }
        }
    }
}

void OrvexMap::drawGridLines(HDC dc, double centreLon, double centreLat)
{
    GdiObject pen(CreatePen(PS_SOLID, devicePixels(1), gridLineBlue));
    WGdiSelection selected(dc, pen);
    OrthographicView globe(centreLon, centreLat, mapCentreX, mapCentreY, scaleX);
    bool penDown = false;
    auto visit = [&](int lonDegrees, int latDegrees) {
        double lon = lonDegrees * longitudeDegreeFactor * pi;
        double lat = latDegrees * latitudeDegreeFactor * halfPi;
        if (!globe.isVisible(lon, lat)) {
            penDown = false;
            return;
        }
        int x;
        int y;
        globe.project(lon, lat, x, y);
        if (penDown)
            LineTo(dc, x, y);
        else
            MoveToEx(dc, x, y, nullptr);
        penDown = true;
    };
    for (int meridian = -180; meridian <= 165; meridian += 15) {
        penDown = false;
        for (int lat = -90; lat <= 90; ++lat)
            visit(meridian, lat);
    }
    for (int parallel = -90; parallel <= 75; parallel += 15) {
        penDown = false;
        for (int lon = -180; lon <= 180; ++lon)
            visit(lon, parallel);
    }
}

void OrvexMap::drawRim(HDC dc)
{
    MapLayout picture = layout();
    GdiPlusGraphics graphics = gdiPlusGraphicsOn(dc);
    GpPen* pen = nullptr;
    if (!graphics ||
        GdipCreatePen1(rimBlue, static_cast<REAL>(devicePixels(1)), UnitWorld, &pen) != Ok)
        return;
    GdiPlusPen owned(pen);
    int radius = picture.globePixelRadius;
    GdipDrawEllipseI(graphics.get(), pen, mapCentreX - radius, mapCentreY - radius,
                     picture.mapHeight, picture.mapHeight);
}

void OrvexMap::finishPicture(HDC dc, bool withLabels, bool withMarkers)
{
    drawLegend(dc);
    if (withMarkers)
        drawMarkers(dc);
    if (withLabels)
        drawLabels(dc);
}

void OrvexMap::sendProgress(int percent, int& lastSent)
{
    if (progressBar == nullptr || percent == lastSent)
        return;
    progressBar->setPos(percent);
    lastSent = percent;
}
