#include "FastMapRenderer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ColourScale.h"
#include "GdiPlusHandles.h"
#include "MapCanvas.h"
#include "OrvexMap.h"
#include "WGdiSelection.h"

namespace {
const std::uint32_t whitePixel = 0x00FFFFFF;

// A DIB-section pixel (0x00RRGGBB) of a GDI colour.
std::uint32_t pixelOf(COLORREF colour)
{
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}
}

FastMapRenderer::FastMapRenderer(OrvexMap& map, const PlatformBlend& platform)
    : map(map), platform(platform)
{
}

bool FastMapRenderer::reproducesPlatform()
{
    bool outline = map.mapType == 1;
    if (map.orthographic)
        return platform.screenIs32Bit() && (outline || platform.screenBitmapHolds());
    return outline || platform.dibSectionHolds();
}

bool FastMapRenderer::canRenderInto(HDC dc, int width, int height)
{
    Pixels pixels;
    return pixelsOf(dc, pixels) && pixels.width >= width && pixels.height >= height;
}

bool FastMapRenderer::pixelsOf(HDC dc, Pixels& pixels)
{
    if (dc == nullptr || GetObjectType(dc) != OBJ_MEMDC)
        return false;
    // Pixels written directly land where GDI would draw only while logical
    // and device coordinates are the same and nothing is clipped.
    POINT viewportOrigin;
    POINT windowOrigin;
    HRGN clip = CreateRectRgn(0, 0, 0, 0);
    bool clipped = GetClipRgn(dc, clip) != 0;
    DeleteObject(clip);
    if (clipped || GetMapMode(dc) != MM_TEXT || GetGraphicsMode(dc) != GM_COMPATIBLE ||
        !GetViewportOrgEx(dc, &viewportOrigin) || !GetWindowOrgEx(dc, &windowOrigin) ||
        viewportOrigin.x != 0 || viewportOrigin.y != 0 || windowOrigin.x != 0 ||
        windowOrigin.y != 0)
        return false;
    HGDIOBJ bitmap = GetCurrentObject(dc, OBJ_BITMAP);
    DIBSECTION section;
    if (bitmap == nullptr || GetObject(bitmap, sizeof section, &section) != sizeof section)
        return false;
    if (section.dsBm.bmBitsPixel != 32 || section.dsBm.bmBits == nullptr ||
        section.dsBmih.biCompression != BI_RGB)
        return false;
    auto* bits = static_cast<std::uint32_t*>(section.dsBm.bmBits);
    long words = section.dsBm.bmWidthBytes / 4;
    pixels.width = section.dsBm.bmWidth;
    pixels.height = std::abs(section.dsBm.bmHeight);
    // Whether the rows are stored top-down is not reported reliably (Wine
    // gives a positive height either way): mark the first word of the first
    // and of the last row, see which one is the top-left pixel, put both back.
    std::uint32_t* lastRow = bits + (pixels.height - 1) * words;
    GdiFlush();
    std::uint32_t savedFirst = bits[0];
    std::uint32_t savedLast = lastRow[0];
    bits[0] = 0x00010203;
    lastRow[0] = 0x00030201;
    bool topDown = pixels.height == 1 || GetPixel(dc, 0, 0) == RGB(1, 2, 3);
    GdiFlush();
    bits[0] = savedFirst;
    lastRow[0] = savedLast;
    pixels.first = topDown ? bits : lastRow;
    pixels.stride = topDown ? words : -words;
    return true;
}

void FastMapRenderer::forgetBackground()
{
    flat.pixels.clear();
    globe.pixels.clear();
}

bool FastMapRenderer::isCurrent(const KeptBackground& kept, int width, int height) const
{
    return !kept.pixels.empty() && kept.picture == map.backgroundPicture.getGDIPlusObject() &&
           kept.fileName == map.backgroundPicture.getFilename() && kept.scale == map.scaleX &&
           kept.borderFactor == map.borderFactor && kept.width == width && kept.height == height;
}

void FastMapRenderer::remember(KeptBackground& kept, int width, int height)
{
    kept.picture = map.backgroundPicture.getGDIPlusObject();
    kept.fileName = map.backgroundPicture.getFilename();
    kept.scale = map.scaleX;
    kept.borderFactor = map.borderFactor;
    kept.width = width;
    kept.height = height;
}

const std::vector<std::uint32_t>& FastMapRenderer::flatBackground(const MapLayout& layout)
{
    if (!isCurrent(flat, layout.pictureWidth, layout.pictureHeight)) {
        MapCanvas canvas(layout.pictureWidth, layout.pictureHeight);
        map.fillWhite(canvas.getDC(), layout.pictureWidth, layout.pictureHeight);
        RECT source = {0, 0, 1000, 500};
        RECT target = {layout.border, layout.border, layout.border + layout.mapWidth,
                       layout.border + layout.mapHeight};
        map.backgroundPicture.toDevice(canvas.getDC(), source, target);
        const std::uint32_t* pixels = canvas.getPixels();
        flat.pixels.assign(pixels, pixels + layout.pictureWidth * layout.pictureHeight);
        remember(flat, layout.pictureWidth, layout.pictureHeight);
    }
    return flat.pixels;
}

// The straightforward globe draws its data layer on a bitmap compatible with
// the screen; the background is drawn there the same way and read back.
const std::vector<std::uint32_t>& FastMapRenderer::globeBackground(const MapLayout& layout)
{
    int width = layout.mapWidth;
    int height = layout.mapHeight;
    if (!isCurrent(globe, width, height)) {
        HDC screen = GetDC(nullptr);
        GdiObject bitmap(CreateCompatibleBitmap(screen, width, height));
        HDC memory = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        {
            WGdiSelection selected(memory, bitmap);
            map.fillWhite(memory, width, height);
            RECT source = {0, 0, 1000, 500};
            RECT target = {0, 0, width, height};
            map.backgroundPicture.toDevice(memory, source, target);
        }
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        globe.pixels.assign(static_cast<size_t>(width) * height, whitePixel);
        GetDIBits(memory, static_cast<HBITMAP>(static_cast<HGDIOBJ>(bitmap)), 0, height,
                  globe.pixels.data(), &info, DIB_RGB_COLORS);
        DeleteDC(memory);
        remember(globe, width, height);
    }
    return globe.pixels;
}

void FastMapRenderer::paintCells(const Pixels& target, bool withBorder, bool reportProgress,
                                 const BlendTable& blend)
{
    const OrvexDatabase& database = map.database;
    unsigned int rows = database.getRows();
    unsigned int columns = database.getColumns();
    double size = database.getResolution();
    long long cellCount = static_cast<long long>(rows) * columns;
    long long counted = 0;
    int lastPercent = -1;
    bool outline = map.mapType == 1;
    double bandDivisor = database.isTrend() ? trendBandDivisor : 1.0;

    for (unsigned int row = 0; row < rows; ++row) {
        for (unsigned int column = 0; column < columns; ++column) {
            if (reportProgress)
                map.sendProgress(static_cast<int>(++counted * 100 / cellCount), lastPercent);
            double value = database.valueAtCell(column, row);
            if (value < -99)
                continue;
            double north = 90 - row * size;
            double west = -180 + column * size;
            int left = flatPixelX(west, map.scaleX, map.borderFactor, withBorder);
            int top = flatPixelY(north, map.scaleY, map.borderFactor, withBorder);
            int right = flatPixelX(west + size, map.scaleX, map.borderFactor, withBorder);
            int bottom = flatPixelY(north - size, map.scaleY, map.borderFactor, withBorder);
            left = std::max(left, 0);
            top = std::max(top, 0);
            right = std::min(right, target.width);
            bottom = std::min(bottom, target.height);
            int colour = colourIndexForValue(value, bandDivisor);
            if (outline) {
                std::uint32_t pixel = pixelOf(anomalyColours[colour].colour);
                for (int y = top; y < bottom; ++y)
                    std::fill(target.row(y) + left, target.row(y) + right, pixel);
                continue;
            }
            for (int y = top; y < bottom; ++y) {
                std::uint32_t* pixel = target.row(y) + left;
                for (int x = left; x < right; ++x, ++pixel)
                    *pixel = blend.blend(colour, *pixel);
            }
        }
    }
}

bool FastMapRenderer::linesAreCurrent(const MapLayout& layout, double centreLon,
                                       double centreLat) const
{
    const KeptLines& kept = lines;
    bool outline = map.mapType == 1;
    return kept.valid && kept.outline == outline &&
           (!outline || kept.fileVersion == coastlines.getVersion()) &&
           kept.globe == map.orthographic && kept.scale == map.scaleX &&
           kept.borderFactor == map.borderFactor && kept.dpi == map.dpi &&
           kept.width == layout.pictureWidth && kept.height == layout.pictureHeight &&
           kept.centreX == map.mapCentreX && kept.centreY == map.mapCentreY &&
           (!map.orthographic || (kept.centreLon == centreLon && kept.centreLat == centreLat));
}

void FastMapRenderer::drawLines(const Pixels& target, const MapLayout& layout, double centreLon,
                                double centreLat)
{
    bool outline = map.mapType == 1;
    if (!outline && !map.orthographic)
        return;
    // Read first: a changed file makes the kept lines stale.
    const std::vector<CoastlinePoint>* points =
        outline ? &coastlines.points("worldmap.txt") : nullptr;
    if (!linesAreCurrent(layout, centreLon, centreLat)) {
        // Drawn by the straightforward path's calls onto a canvas of the
        // picture's size in a colour no line has; what they changed is kept.
        const std::uint32_t blank = 0x00FF00FF;
        MapCanvas canvas(layout.pictureWidth, layout.pictureHeight);
        std::uint32_t* pixels = canvas.getPixels();
        std::fill(pixels, pixels + layout.pictureWidth * layout.pictureHeight, blank);
        HDC dc = canvas.getDC();
        if (outline) {
            GdiObject pen(CreatePen(PS_SOLID, map.coastlinePenWidth(), RGB(0, 0, 0)));
            WGdiSelection selected(dc, pen);
            CoastlineTracer tracer(map);
            CoastlineStep step;
            for (const CoastlinePoint& point : *points) {
                if (!tracer.trace(point, step))
                    continue;
                if (step.line)
                    LineTo(dc, step.pixel.x, step.pixel.y);
                else
                    MoveToEx(dc, step.pixel.x, step.pixel.y, nullptr);
            }
        }
        if (map.orthographic) {
            map.drawGridLines(dc, centreLon, centreLat);
            map.drawRim(dc);
        }
        KeptLines& kept = lines;
        kept.pixels.clear();
        const std::uint32_t* drawn = canvas.getPixels();
        for (int y = 0; y < layout.pictureHeight; ++y)
            for (int x = 0; x < layout.pictureWidth; ++x, ++drawn)
                if (*drawn != blank)
                    kept.pixels.push_back({x, y, *drawn});
        kept.outline = outline;
        kept.fileVersion = outline ? coastlines.getVersion() : 0;
        kept.globe = map.orthographic;
        kept.scale = map.scaleX;
        kept.borderFactor = map.borderFactor;
        kept.dpi = map.dpi;
        kept.width = layout.pictureWidth;
        kept.height = layout.pictureHeight;
        kept.centreX = map.mapCentreX;
        kept.centreY = map.mapCentreY;
        kept.centreLon = centreLon;
        kept.centreLat = centreLat;
        kept.valid = true;
    }
    for (const LinePixel& pixel : lines.pixels)
        target.row(pixel.y)[pixel.x] = pixel.colour;
}

void FastMapRenderer::renderFlatMap(HDC dc, bool withLabels, bool withMarkers)
{
    MapLayout layout = map.layout();
    map.mapCentreX = layout.centreX;
    map.mapCentreY = layout.centreY;
    Pixels target;
    pixelsOf(dc, target);
    GdiFlush();
    if (map.mapType != 1) {
        const std::vector<std::uint32_t>& background = flatBackground(layout);
        for (int y = 0; y < layout.pictureHeight; ++y)
            std::memcpy(target.row(y), background.data() + y * layout.pictureWidth,
                        layout.pictureWidth * sizeof(std::uint32_t));
    } else {
        for (int y = 0; y < layout.pictureHeight; ++y)
            std::fill(target.row(y), target.row(y) + layout.pictureWidth, whitePixel);
    }
    paintCells(target, true, true, platform.dibSection());
    drawLines(target, layout, 0, 0);
    map.finishPicture(dc, withLabels, withMarkers);
}

void FastMapRenderer::renderGlobe(HDC dc, bool withLabels, bool withMarkers)
{
    MapLayout layout = map.layout();
    map.mapCentreX = layout.centreX;
    map.mapCentreY = layout.centreY;
    Pixels target;
    pixelsOf(dc, target);
    GdiFlush();
    for (int y = 0; y < layout.pictureHeight; ++y)
        std::fill(target.row(y), target.row(y) + layout.pictureWidth, whitePixel);
    double centreLon;
    double centreLat;
    map.globeCentre(centreLon, centreLat);
    map.globeCentreLon = centreLon;
    map.globeCentreLat = centreLat;

    int width = layout.mapWidth;
    int height = layout.mapHeight;
    // Kept between pictures: a fresh layer of a megabyte costs more in page
    // faults than painting it.
    std::vector<std::uint32_t>& dataLayer = globeLayer;
    if (map.mapType != 1) {
        const std::vector<std::uint32_t>& background = globeBackground(layout);
        dataLayer.assign(background.begin(), background.end());
    } else {
        dataLayer.assign(static_cast<size_t>(width) * height, whitePixel);
    }
    paintCells(Pixels{dataLayer.data(), width, width, height}, false, false,
               platform.screenBitmap());

    GlobeTable::View view;
    view.centreLon = centreLon;
    view.centreLat = centreLat;
    view.centreX = map.mapCentreX;
    view.centreY = map.mapCentreY;
    view.scale = map.scaleX;
    view.pixelRadius = layout.globePixelRadius;
    view.layerWidth = width;
    view.layerHeight = height;
    view.pictureWidth = layout.pictureWidth;
    view.pictureHeight = layout.pictureHeight;
    globeTable.prepare(view);
    const std::vector<GlobeTable::Pixel>& globePixels = globeTable.getPixels();
    long long pixelsInSquare = static_cast<long long>(height) * height;
    long long counted = 0;
    int lastPercent = -1;
    size_t next = 0;
    for (std::uint32_t end : globeTable.getColumnEnds()) {
        for (; next < end; ++next) {
            const GlobeTable::Pixel& pixel = globePixels[next];
            target.row(pixel.y)[pixel.x] =
                pixel.source == GlobeTable::black ? 0 : dataLayer[pixel.source] & 0x00FFFFFF;
        }
        counted += globeTable.getSquareSize();
        map.sendProgress(static_cast<int>(counted * 100 / pixelsInSquare), lastPercent);
    }

    drawLines(target, layout, centreLon, centreLat);
    map.finishPicture(dc, withLabels, withMarkers);
}
