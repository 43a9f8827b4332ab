#pragma once

#include <windows.h>

#include "WWindow.h"

// What the map page reports to the application: its paint and the mouse.
// Coordinates are the page's client coordinates.
class MapPageListener {
public:
    virtual void onMapPagePaint(HDC dc, const RECT& area) = 0;
    virtual void onMapPageLeftDoubleClick(int x, int y) = 0;
    virtual void onMapPageRightDown(int x, int y) = 0;
    virtual void onMapPageMouseMove(int x, int y) = 0;

protected:
    ~MapPageListener() = default;
};

// The map page: a child window "TabOrvexMap" with a sunken edge inside the
// main window's tab control. It keeps no state of the map; it hands paint
// and mouse events to its listener and erases its background white.
class MapPage {
public:
    MapPage();
    MapPage(const MapPage&) = delete;
    MapPage& operator=(const MapPage&) = delete;

    // At position and size 0: the tab control sizes the page.
    void create(WWindowContext* parent, MapPageListener* listener);
    void setListener(MapPageListener* listener) { handler.listener = listener; }

    WWindow& getWindow() { return window; }
    operator HWND() const { return window; }

private:
    class Handler : public WWindow::EventHandler {
    public:
        Handler() : window(nullptr), listener(nullptr) {}
        void onWindowMouseMove(int x, int y, void* data) override;
        void onWindowMouseLeftDoubleClick(int x, int y, void* data) override;
        void onWindowMouseRightDown(int x, int y, void* data) override;
        void onWindowRestore(HDC dc, const RECT& area) override;
        bool onWindowEraseBackground(HDC dc) override;

        WWindow* window;
        MapPageListener* listener;
    };

    // The window goes first when the page is destroyed: it stops calling
    // the handler before the handler is gone.
    Handler handler;
    WWindow window;
};
