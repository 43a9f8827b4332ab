// The fast renderers paint exactly the pixels of the straightforward ones:
// whole pictures compared bit for bit over map types, views, scales, months
// and centres of view; and they give way where the platform blends or keeps
// its screen otherwise than they assume.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "ColourScale.h"
#include "FastMapRenderer.h"
#include "MapTestSupport.h"
#include "PlatformBlend.h"
#include "WBitmap.h"

namespace {
// Three months with every band of the scale, missing cells in changing
// places and a ragged edge of data.
double varyingValue(int month, int row, int column)
{
    int k = row * 72 + column;
    if ((k * (month + 2)) % 11 == 0 || (month == 2 && row > 30) || (month == 3 && column < 5))
        return -99.9;
    return std::sin(k * 0.37 + month) * 6 + (row - 18) * 0.1 * month;
}

// A picture with smooth and sharp changes, so that the resampled picture
// and every blend depend on the exact source pixels.
void writeBackground(const char* name, int seed)
{
    MapCanvas canvas(1000, 500);
    std::uint32_t* pixels = const_cast<std::uint32_t*>(canvas.getPixels());
    for (int y = 0; y < 500; ++y)
        for (int x = 0; x < 1000; ++x) {
            int r = (x * (seed + 1) / 4 + y) & 0xFF;
            int g = ((x / 25 + y / 25) % 2) * 200 + seed * 20;
            int b =
                static_cast<int>(127 + 120 * std::sin((x + seed * 90) * 0.02) * std::cos(y * 0.03));
            pixels[y * 1000 + x] = (r << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
        }
    WBitmap picture;
    picture.create(canvas.getBitmap(), nullptr);
    picture.save(name, 85);
}

// Coastlines: rings around the globe at several latitudes and a zigzag
// across the date line, with decimal commas and pen-up lines.
void writeCoastlines()
{
    std::vector<std::string> lines;
    for (int ring = 0; ring < 6; ++ring) {
        double centreLat = -70 + ring * 28;
        for (int k = 0; k <= 90; ++k) {
            double lon = -180 + k * 4;
            double lat = centreLat + 8 * std::sin(k * 0.5 + ring);
            char text[64];
            std::snprintf(text, sizeof text, ring % 2 ? "%.6f %.6f" : "%.6f %.6f",
                          (lon + 180) / 360, (lat + 90) / 360);
            std::string line = text;
            if (ring % 2)
                for (char& c : line)
                    if (c == '.')
                        c = ',';
            lines.push_back(line);
        }
        lines.push_back("2 0");
    }
    writeWorldmap(lines);
}

// A 32-bit DIB section stored bottom-up and larger than the picture.
class BottomUpCanvas {
public:
    BottomUpCanvas(int width, int height) : width(width), height(height)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = CreateCompatibleDC(nullptr);
        previous = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, width, height, BLACKNESS);
    }
    ~BottomUpCanvas()
    {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    // The top-left part as a top-down canvas.
    void copyTo(MapCanvas& canvas) const
    {
        BitBlt(canvas.getDC(), 0, 0, canvas.getWidth(), canvas.getHeight(), dc, 0, 0, SRCCOPY);
    }
    HDC dc;
    int width, height;

private:
    HBITMAP bitmap;
    HGDIOBJ previous;
};

struct Case {
    int mapType;
    bool globe;
    int percent;
    unsigned int month;
    int centreLat, centreLon; // position 1; 0, 0 = none
    bool labelsAndMarkers;
    int dpi = 96;
};

std::string describe(const Case& c)
{
    return "type " + std::to_string(c.mapType) + (c.globe ? " globe" : " flat") + " " +
           std::to_string(c.percent) + "% month " + std::to_string(c.month) + " centre " +
           std::to_string(c.centreLat) + "/" + std::to_string(c.centreLon) +
           (c.labelsAndMarkers ? " with labels and markers" : "") + " at " +
           std::to_string(c.dpi) + " dpi";
}

void prepare(OrvexMap& map, const Case& c)
{
    map.mapType = c.mapType;
    map.loadBackgroundPicture();
    map.orthographic = c.globe;
    map.setScale(c.percent, c.dpi);
    map.database.load(1850, c.month, false);
    while (map.positions.size() > 0) {
        map.positions.reset();
        map.positions.hasMoreElements();
        map.positions.nextPosition();
        map.positions.remove(map.positions.getCurrentNumber());
    }
    if (c.centreLat != 0 || c.centreLon != 0)
        map.positions.add(makePosition("Mitte", c.centreLat, c.centreLon, 30, 15), false);
    map.positions.add(makePosition("Zweite", -20, 100), false);
}

std::string compareOnce(OrvexMap& map, const Case& c)
{
    MapLayout layout = map.layout();
    MapCanvas fast(layout.pictureWidth, layout.pictureHeight);
    MapCanvas reference(layout.pictureWidth, layout.pictureHeight);
    if (!FastMapRenderer::canRenderInto(fast.getDC(), layout.pictureWidth, layout.pictureHeight))
        return "the fast path does not take a map canvas";
    map.renderPath = OrvexMap::RenderPath::Fast;
    map.renderMap(fast.getDC(), c.labelsAndMarkers, c.labelsAndMarkers);
    int fastCentreX = map.mapCentreX;
    double fastLon = map.globeCentreLon;
    map.renderPath = OrvexMap::RenderPath::Reference;
    map.renderMap(reference.getDC(), c.labelsAndMarkers, c.labelsAndMarkers);
    std::string differences = pixelDifferences(fast, reference);
    if (fastCentreX != map.mapCentreX || fastLon != map.globeCentreLon)
        differences += "centres differ\n";
    return differences;
}
}

TEST(MapFastPathTest, FastPicturesEqualTheStraightforwardOnesPixelForPixel)
{
    ScratchDir scratch;
    writeTestGrid(varyingValue);
    writeCoastlines();
    writeBackground("weltkarte1.jpg", 1);
    writeBackground("weltkarte2.jpg", 2);
    writeBackground("weltkarte3.jpg", 3);
    OrvexMap map;
    loadTestMonth(map, 1);

    std::vector<Case> cases;
    for (int type = 1; type <= 4; ++type)
        for (int percent : {50, 75, 100}) {
            cases.push_back({type, false, percent, static_cast<unsigned>(1 + (type + percent) % 3),
                             0, 0, false});
            cases.push_back(
                {type, true, percent, static_cast<unsigned>(1 + type % 3), 0, 0, false});
        }
    // Centres of view: south, over the north pole's edge, on the date line,
    // on the equator; with labels and markers drawn over the picture.
    const int centres[][2] = {{-33, 151}, {80, 0}, {0, -180}, {1, 20}, {-89, -45}};
    for (const auto& centre : centres)
        for (int type : {1, 2, 3})
            cases.push_back({type, true, 75, 2, centre[0], centre[1], type == 2});
    cases.push_back({1, false, 75, 3, 48, 11, true});
    cases.push_back({4, false, 100, 2, 48, 11, true});
    // A monitor at 150 % and 200 %: every layer at the monitor's pixels.
    for (int dpi : {144, 192})
        for (int type : {1, 2})
            for (bool globe : {false, true})
                cases.push_back({type, globe, 75, 2, 48, 11, true, dpi});

    for (const Case& c : cases) {
        prepare(map, c);
        EXPECT_EQ("", compareOnce(map, c)) << describe(c);
    }

    // A picture of no data, and a closed data set.
    map.database.load(1900, 1, false);
    Case empty = {2, true, 75, 1, 0, 0, true};
    EXPECT_EQ("", compareOnce(map, empty)) << "no data";
    map.database.close();
    Case closed = {3, false, 50, 1, 0, 0, false};
    EXPECT_EQ("", compareOnce(map, closed)) << "closed data set";
}

TEST(MapFastPathTest, BottomUpAndLargerTargetsAndAChangedPicture)
{
    ScratchDir scratch;
    writeTestGrid(varyingValue);
    writeCoastlines();
    writeBackground("weltkarte1.jpg", 4);
    OrvexMap map;
    loadTestMonth(map, 2);
    map.loadBackgroundPicture();
    for (bool globe : {false, true}) {
        map.orthographic = globe;
        BottomUpCanvas large(900, 520);
        ASSERT_TRUE(FastMapRenderer::canRenderInto(large.dc, 810, 485));
        map.renderPath = OrvexMap::RenderPath::Fast;
        map.renderMap(large.dc, true, true);
        MapCanvas fast(810, 485);
        large.copyTo(fast);
        MapCanvas reference(810, 485);
        map.renderPath = OrvexMap::RenderPath::Reference;
        map.renderMap(reference.getDC(), true, true);
        EXPECT_EQ("", pixelDifferences(fast, reference, 8, 0x00FFFFFF)) << globe;
        // Beyond the picture the target is left alone.
        COLORREF outside = GetPixel(large.dc, 850, 500);
        EXPECT_EQ(RGB(0, 0, 0), outside);
    }
    // Targets whose logical pixels are not the device pixels, or clipped
    // ones, are drawn by GDI itself.
    MapCanvas moved(810, 485);
    SetViewportOrgEx(moved.getDC(), 5, 5, nullptr);
    EXPECT_FALSE(FastMapRenderer::canRenderInto(moved.getDC(), 810, 485));
    MapCanvas clipped(810, 485);
    IntersectClipRect(clipped.getDC(), 0, 0, 100, 100);
    EXPECT_FALSE(FastMapRenderer::canRenderInto(clipped.getDC(), 810, 485));
    MapCanvas small(800, 485);
    EXPECT_FALSE(FastMapRenderer::canRenderInto(small.getDC(), 810, 485));

    // A new picture under the same name is drawn, not the kept copy.
    map.backgroundPicture.close();
    writeBackground("weltkarte1.jpg", 7);
    map.loadBackgroundPicture();
    map.orthographic = false;
    Case changed = {2, false, 75, 2, 0, 0, false};
    EXPECT_EQ("", compareOnce(map, changed));
    map.orthographic = true;
    EXPECT_EQ("", compareOnce(map, changed));
}

TEST(MapFastPathTest, RealCoastlinesAndPicturesGiveTheSamePictures)
{
    ScratchDir scratch;
    for (const char* name : {"worldmap.txt", "weltkarte1.jpg", "weltkarte2.jpg", "weltkarte3.jpg"})
        ASSERT_TRUE(CopyFileA((std::string(ORVEX_RUN_DIR) + "/" + name).c_str(), name, FALSE))
            << name << " is made by tools/setup.sh";
    writeTestGrid(varyingValue);
    OrvexMap map;
    loadTestMonth(map, 1);
    const Case cases[] = {
        {1, false, 50, 1, 0, 0, false},   {1, false, 75, 2, 0, 0, true},
        {1, false, 100, 3, 0, 0, false},  {1, true, 75, 1, 0, 0, false},
        {1, true, 75, 2, -40, 170, true}, {1, true, 100, 3, 65, -20, false},
        {1, true, 50, 1, -5, 0, false},   {2, false, 75, 1, 0, 0, false},
        {3, true, 75, 2, 0, 0, false},    {4, true, 100, 3, 30, 120, false},
    };
    for (const Case& c : cases) {
        prepare(map, c);
        EXPECT_EQ("", compareOnce(map, c)) << describe(c);
    }
    // Stepping months keeps the view: the kept coastline moves are used again.
    for (unsigned int month : {1u, 2u, 3u}) {
        Case again = {1, true, 75, month, 0, 0, false};
        prepare(map, again);
        EXPECT_EQ("", compareOnce(map, again)) << describe(again);
    }
}

TEST(MapFastPathTest, AnotherPlatformsBlendOrScreenDepthIsCaught)
{
    ScratchDir scratch;
    writeTestGrid(varyingValue);
    writeCoastlines();
    writeBackground("weltkarte1.jpg", 5);
    OrvexMap map;
    loadTestMonth(map, 1);

    PlatformBlend measured;
    ASSERT_TRUE(measured.dibSectionHolds());
    ASSERT_TRUE(measured.screenBitmapHolds());
    ASSERT_TRUE(measured.screenIs32Bit());
    const BlendTable& dib = measured.dibSection();
    const BlendTable& screen = measured.screenBitmap();
    // Stand-ins for other platforms: the textbook blend rounded once with
    // an opaque top byte, and this one's with a single entry one off.
    BlendTable textbook;
    for (int colour = 0; colour < anomalyColourCount; ++colour) {
        COLORREF c = anomalyColours[colour].colour;
        const int channels[4] = {GetBValue(c), GetGValue(c), GetRValue(c), 255};
        for (int byte = 0; byte < 4; ++byte)
            for (int v = 0; v < 256; ++v)
                textbook.set(
                    colour, byte, v,
                    static_cast<unsigned char>((v * 127 + channels[byte] * 128 + 127) / 255));
    }
    BlendTable oneOff = dib;
    oneOff.set(5, 1, 77, static_cast<unsigned char>(dib.get(5, 1, 77) + 1));

    struct Stranger {
        const char* what;
        const BlendTable& dib;
        const BlendTable& screen;
        int depth;
        // Whether the fast path may draw: flat with a picture, globe with a
        // picture, globe in outlines.
        bool flat, globe, globeOutlines;
        // Whether drawing with the stand-in's tables would show in the
        // pictures (a 16-bit screen is only assumed here).
        bool shows;
    };
    const Stranger strangers[] = {
        {"this platform", dib, screen, 32, true, true, true, false},
        {"the screen bitmap's rounding on DIB sections", screen, screen, 32, false, true, true,
         true},
        {"the DIB section's rounding on screen bitmaps", dib, dib, 32, true, false, true, true},
        {"the textbook blend", textbook, textbook, 32, false, false, true, true},
        {"one entry one off", oneOff, screen, 32, false, true, true, false},
        {"a 16-bit screen", dib, screen, 16, true, false, false, false},
        {"a 24-bit screen", dib, screen, 24, true, false, false, false},
    };
    struct Picture {
        int mapType;
        bool globe;
    };
    const Picture pictures[] = {{2, false}, {2, true}, {1, true}};
    auto show = [&](const Picture& picture) {
        map.mapType = picture.mapType;
        map.loadBackgroundPicture();
        map.orthographic = picture.globe;
    };
    MapLayout layout = map.layout();
    std::vector<std::unique_ptr<MapCanvas>> references;
    for (const Picture& picture : pictures) {
        show(picture);
        references.push_back(
            std::make_unique<MapCanvas>(layout.pictureWidth, layout.pictureHeight));
        map.renderPath = OrvexMap::RenderPath::Reference;
        map.renderMap(references.back()->getDC(), false, false);
    }
    for (const Stranger& s : strangers) {
        FastMapRenderer renderer(map, PlatformBlend(s.dib, s.screen, s.depth));
        const bool allowed[] = {s.flat, s.globe, s.globeOutlines};
        for (int i = 0; i < 3; ++i) {
            show(pictures[i]);
            std::string what = std::string(s.what) + ", picture " + std::to_string(i);
            EXPECT_EQ(allowed[i], renderer.reproducesPlatform()) << what;

            const MapCanvas& reference = *references[i];
            MapCanvas fast(layout.pictureWidth, layout.pictureHeight);
            if (map.orthographic)
                renderer.renderGlobe(fast.getDC(), false, false);
            else
                renderer.renderFlatMap(fast.getDC(), false, false);
            std::string differences = pixelDifferences(fast, reference);
            if (allowed[i]) {
                EXPECT_EQ("", differences) << what;
            } else if (s.shows) {
                EXPECT_NE("", differences) << what;
            }
        }
    }
}
