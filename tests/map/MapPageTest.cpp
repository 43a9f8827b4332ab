// Markers, their hit test, the map page's painting and its window.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "MapPage.h"
#include "MapTestSupport.h"
#include "WControlProgressBar.h"
#include "WControlStatusbar.h"
#include "WWindow.h"

namespace {
const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF red = RGB(255, 0, 0);
const COLORREF blue = RGB(0, 0, 255);

void expectMarker(const MapCanvas& canvas, int x, int y, COLORREF square)
{
    for (int dy = -1; dy <= 2; ++dy)
        for (int dx = -1; dx <= 2; ++dx)
            EXPECT_EQ(square, canvas.getPixel(x + dx, y + dy))
                << x << "+" << dx << ", " << y << "+" << dy;
    // The two strokes of the cross, their end points left out.
    for (int d : {-6, -4, 4, 7}) {
        EXPECT_EQ(black, canvas.getPixel(x + d, y + d)) << d;
        EXPECT_EQ(black, canvas.getPixel(x + 2 - d, y + d)) << d;
    }
    EXPECT_EQ(white, canvas.getPixel(x + 8, y + 8));
    EXPECT_EQ(white, canvas.getPixel(x - 6, y + 8));
    EXPECT_EQ(white, canvas.getPixel(x + 1, y - 6));
}

RECT everything(const MapCanvas& canvas)
{
    return RECT{0, 0, canvas.getWidth(), canvas.getHeight()};
}
}

TEST(MapMarkerTest, MarkersFlatAndOnTheGlobeAndTheirHitTest)
{
    OrvexMap map;
    map.positions.add(makePosition("Berlin", 52, 13, 31, 24), false);
    map.positions.add(makePosition("Lima", -12, -77, 2, 3), false);
    map.positions.add(makePosition("Tokio", 35, 139, 41, 41), false);
    map.positions.add(makePosition("Tokio 2", 35, 139, 41, 41), false);
    MapCanvas canvas(810, 485);
    PatBlt(canvas.getDC(), 0, 0, 810, 485, WHITENESS);
    map.drawMarkers(canvas.getDC());

    const Position* berlin = map.positions.find(1);
    const Position* lima = map.positions.find(2);
    const Position* tokio = map.positions.find(3);
    int x, y;
    map.markerPixel(berlin->coordinates, x, y);
    EXPECT_EQ(x, berlin->mapX);
    EXPECT_EQ(y, berlin->mapY);
    EXPECT_EQ(flatPixelX(13.4, 0.75, 1, true), x);
    expectMarker(canvas, berlin->mapX, berlin->mapY, blue);
    expectMarker(canvas, lima->mapX, lima->mapY, red);
    expectMarker(canvas, tokio->mapX, tokio->mapY, red);
    EXPECT_EQ(16, countColour(canvas, everything(canvas), blue));
    EXPECT_EQ(32, countColour(canvas, everything(canvas), red));

    Position hit;
    EXPECT_EQ(1u, map.hitTestMarker(berlin->mapX - 1, berlin->mapY - 1, hit));
    EXPECT_STREQ("Berlin", hit.name);
    EXPECT_EQ(1u, map.hitTestMarker(berlin->mapX + 2, berlin->mapY + 2, hit));
    EXPECT_EQ(0u, map.hitTestMarker(berlin->mapX + 3, berlin->mapY, hit));
    EXPECT_EQ(0u, map.hitTestMarker(berlin->mapX, berlin->mapY - 2, hit));
    // Overlapping markers: the one added first.
    EXPECT_EQ(3u, map.hitTestMarker(tokio->mapX, tokio->mapY, hit));
    EXPECT_STREQ("Tokio", hit.name);

    // The globe shows the view position only, blue, at its centre; the
    // others keep the pixels of their last flat marker.
    map.orthographic = true;
    map.mapCentreX = 405;
    map.mapCentreY = 217;
    PatBlt(canvas.getDC(), 0, 0, 810, 485, WHITENESS);
    map.drawMarkers(canvas.getDC());
    expectMarker(canvas, 405, 217, blue);
    EXPECT_EQ(16, countColour(canvas, everything(canvas), blue));
    EXPECT_EQ(0, countColour(canvas, everything(canvas), red));
    EXPECT_EQ(405, map.positions.find(1)->mapX);
    EXPECT_EQ(2u, map.hitTestMarker(lima->mapX, lima->mapY, hit));
    EXPECT_EQ(1u, map.hitTestMarker(405, 217, hit));
}

TEST(MapPageTest, PaintCopiesThePictureAndDrawsLegendMarkersAndLabels)
{
    ScratchDir scratch;
    writeTestGrid([](int, int row, int column) { return (row * 7 + column) % 13 - 6.5; });
    writeWorldmap({"0.1 0.1", "0.9 0.4"});
    OrvexMap map;
    map.mapType = 1;
    loadTestMonth(map, 2);
    map.positions.add(makePosition("Berlin", 52, 13, 31, 24), false);
    map.positions.add(makePosition("Lima", -12, -77, 2, 3), false);

    // Before the first rendering: white, with a short notice.
    MapCanvas waiting(810, 485);
    PatBlt(waiting.getDC(), 0, 0, 810, 485, BLACKNESS);
    RECT all = {0, 0, 810, 485};
    map.paintMapPage(waiting.getDC(), all);
    RECT notice = {200, 200, 610, 285};
    int written = 810 * 485 - countColour(waiting, all, white);
    EXPECT_GT(written, 50);
    EXPECT_LT(written, 3000);
    EXPECT_EQ(written, 410 * 85 - countColour(waiting, notice, white))
        << "the text stands in the middle, everything else is white";

    for (bool globe : {false, true}) {
        map.orthographic = globe;
        MapCanvas screenPicture(810, 485);
        map.renderMap(screenPicture.getDC(), false, false);
        map.mapPicture.create(screenPicture.getBitmap(), nullptr);
        MapCanvas page(810, 485);
        map.paintMapPage(page.getDC(), all);
        RenderedMap complete(map, true, true);
        EXPECT_EQ("", pixelDifferences(page, complete.canvas, 8, 0x00FFFFFF)) << globe;
        // A part of the page: only that rectangle of the picture is copied.
        MapCanvas part(810, 485);
        PatBlt(part.getDC(), 0, 0, 810, 485, BLACKNESS);
        RECT piece = {100, 100, 200, 150};
        map.paintMapPage(part.getDC(), piece);
        EXPECT_EQ(screenPicture.getPixel(150, 120), part.getPixel(150, 120));
        EXPECT_EQ(black, part.getPixel(250, 120));
    }
}

namespace {
struct RecordingListener : MapPageListener {
    void onMapPagePaint(HDC, const RECT& area) override { paints.push_back(area); }
    void onMapPageLeftDoubleClick(int x, int y) override { doubleClicks.push_back({x, y}); }
    void onMapPageRightDown(int x, int y) override { rightDowns.push_back({x, y}); }
    void onMapPageMouseMove(int x, int y) override
    {
        moves.push_back({x, y});
        if (map != nullptr)
            map->onMapMouseMove(x, y);
    }
    std::vector<RECT> paints;
    std::vector<POINT> doubleClicks, rightDowns, moves;
    OrvexMap* map = nullptr;
};

struct PlainHandler : WWindow::EventHandler {};

std::string statusText(HWND bar, int part)
{
    char text[256] = {};
    SendMessageA(bar, SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
}
}

TEST(MapPageTest, PageWindowReportsToItsListenerAndFeedsTheStatusBar)
{
    PlainHandler mainHandler;
    WWindow main;
    main.create(nullptr, "Karte", &mainHandler, WWindow::STYLE_PLAIN, 10, 10, 900, 600);
    RecordingListener listener;
    MapPage page;
    page.create(&main, &listener);
    HWND handle = page;
    ASSERT_NE(nullptr, handle);
    char name[64] = {};
    GetClassNameA(handle, name, sizeof name);
    EXPECT_STREQ("OrvexMapTests", name);
    GetWindowTextA(handle, name, sizeof name);
    EXPECT_STREQ("TabOrvexMap", name);
    EXPECT_EQ(static_cast<LONG_PTR>(WS_CHILD | WS_VISIBLE),
              GetWindowLongPtrA(handle, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | WS_POPUP));
    EXPECT_TRUE(GetWindowLongPtrA(handle, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(static_cast<HWND>(main), GetParent(handle));

    main.showWindow();
    page.getWindow().setWindowPos(0, 0, 820, 495, true);
    UpdateWindow(handle);
    EXPECT_FALSE(listener.paints.empty());
    SendMessageA(handle, WM_LBUTTONDBLCLK, 0, MAKELPARAM(40, 50));
    SendMessageA(handle, WM_RBUTTONDOWN, 0, MAKELPARAM(60, 70));
    ASSERT_EQ(1u, listener.doubleClicks.size());
    EXPECT_EQ(40, listener.doubleClicks[0].x);
    EXPECT_EQ(50, listener.doubleClicks[0].y);
    ASSERT_EQ(1u, listener.rightDowns.size());
    EXPECT_EQ(70, listener.rightDowns[0].y);

    // Mouse moves reach the map's status texts through the listener.
    OrvexMap map;
    listener.map = &map;
    WControlStatusbar bar;
    bar.create(&main, "Status", WControlStatusbar::STYLE_PLAIN);
    unsigned long edges[2] = {300, static_cast<unsigned long>(-1)};
    bar.setParts(2, edges);
    map.statusBar = &bar;
    map.positions.add(makePosition("Berlin", 52, 13, 31, 24), false);
    MapCanvas canvas(810, 485);
    map.drawMarkers(canvas.getDC());
    const Position* berlin = map.positions.find(1);
    SendMessageA(handle, WM_MOUSEMOVE, 0, MAKELPARAM(berlin->mapX, berlin->mapY));
    ASSERT_FALSE(listener.moves.empty());
    EXPECT_EQ(berlin->mapX, map.mouseX);
    EXPECT_EQ("Berlin: 52\xB0 31' N / 13\xB0 24' O", statusText(bar.getWindowHandle(), 0));
    EXPECT_EQ("", statusText(bar.getWindowHandle(), 1)); // no data set
    SendMessageA(handle, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ("", statusText(bar.getWindowHandle(), 0));
    map.statusBar = nullptr;
    bar.destroy();

    // The renderers move the wait dialog's bar up to its end.
    WControlProgressBar progress;
    progress.create(&main, "Fortschritt", 10, 10, 200, 20);
    map.progressBar = &progress;
    ScratchDir scratch;
    writeTestGrid([](int, int, int) { return 0.5; });
    loadTestMonth(map, 1);
    map.mapType = 2;
    for (OrvexMap::RenderPath path :
         {OrvexMap::RenderPath::Fast, OrvexMap::RenderPath::Reference}) {
        map.renderPath = path;
        for (bool globe : {false, true}) {
            map.orthographic = globe;
            progress.setPos(0);
            RenderedMap rendered(map);
            EXPECT_EQ(100, SendMessageA(progress.getWindowHandle(), PBM_GETPOS, 0, 0)) << globe;
        }
    }
    map.progressBar = nullptr;
    progress.destroy();
    main.destroy();
}
