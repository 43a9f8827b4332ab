#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "CoastlineFile.h"
#include "GlobeTable.h"
#include "MapGeometry.h"
#include "PlatformBlend.h"
#include "WString.h"

class OrvexMap;

// Paints exactly the pixels of OrvexMap's straightforward renderers, in a
// fraction of the time, when the target holds a 32-bit DIB section:
//   - the half-transparent cells are blended in the pixels themselves, by
//     the tables measured on this platform's GDI+ for that kind of surface
//     (PlatformBlend); where the platform blends otherwise than a table can
//     say, the map takes the straightforward path;
//   - the scaled background picture is drawn once per picture and size and
//     then copied;
//   - the coastline file is read once while it stays unchanged;
//   - the lines over the map (coastlines, and on the globe the grid lines
//     and the rim) are drawn once per view by the straightforward path's GDI
//     and GDI+ calls and kept as the pixels they set: their pens are opaque,
//     so those pixels do not depend on what lies beneath, and each frame
//     sets them directly (wide pens at a high resolution cost GDI
//     milliseconds per frame);
//   - the globe's inverse projections are made once per view (GlobeTable),
//     and each frame reads and writes pixels directly.
// Texts and markers are drawn by the same GDI calls as on the
// straightforward path.
class FastMapRenderer {
public:
    explicit FastMapRenderer(OrvexMap& map, const PlatformBlend& platform = PlatformBlend());
    FastMapRenderer(const FastMapRenderer&) = delete;
    FastMapRenderer& operator=(const FastMapRenderer&) = delete;

    // True when dc holds a 32-bit DIB section of at least width x height.
    static bool canRenderInto(HDC dc, int width, int height);
    // True when the platform blends as this renderer does for the map's
    // current view and type: the flat picture types need the DIB section's
    // table, the globe a 32-bit screen and, with a picture, the screen
    // bitmap's table. Measures the platform on first use. The renderers
    // below blend by the tables whether they hold or not.
    bool reproducesPlatform();
    void renderFlatMap(HDC dc, bool withLabels, bool withMarkers);
    void renderGlobe(HDC dc, bool withLabels, bool withMarkers);
    // The background picture has changed: the kept copies are stale.
    void forgetBackground();

private:
    // Row y of the surface starts at first + y * stride (pixels).
    struct Pixels {
        std::uint32_t* first;
        long stride;
        int width;
        int height;
        std::uint32_t* row(int y) const { return first + y * stride; }
    };
    // A background picture drawn over white at one size, kept as pixels.
    struct KeptBackground {
        const void* picture = nullptr;
        WString fileName;
        double scale = 0;
        double borderFactor = 0;
        int width = 0;
        int height = 0;
        std::vector<std::uint32_t> pixels;
    };

    static bool pixelsOf(HDC dc, Pixels& pixels);
    bool isCurrent(const KeptBackground& kept, int width, int height) const;
    void remember(KeptBackground& kept, int width, int height);
    const std::vector<std::uint32_t>& flatBackground(const MapLayout& layout);
    const std::vector<std::uint32_t>& globeBackground(const MapLayout& layout);
    // blend: how the target's kind of surface takes the half-transparent
    // cells.
    void paintCells(const Pixels& target, bool withBorder, bool reportProgress,
                    const BlendTable& blend);
    void drawLines(const Pixels& target, const MapLayout& layout, double centreLon,
                   double centreLat);
    bool linesAreCurrent(const MapLayout& layout, double centreLon, double centreLat) const;

    OrvexMap& map;
    PlatformBlend platform;
    KeptBackground flat;
    KeptBackground globe;
    GlobeTable globeTable;
    std::vector<std::uint32_t> globeLayer;
    CoastlineFile coastlines;
    struct LinePixel {
        int x;
        int y;
        std::uint32_t colour;
    };
    // The pixels of the lines for the view they were drawn for.
    struct KeptLines {
        bool outline = false;
        unsigned long fileVersion = 0;
        bool globe = false;
        double scale = 0;
        double borderFactor = 0;
        int dpi = 0;
        int width = 0;
        int height = 0;
        int centreX = 0;
        int centreY = 0;
        double centreLon = 0;
        double centreLat = 0;
        std::vector<LinePixel> pixels;
        bool valid = false;
    } lines;
};
