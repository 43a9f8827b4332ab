#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "ChartOptions.h"
#include "ChartPainter.h"
#include "ChartSeries.h"
#include "ChartSeriesCache.h"
#include "ChartView.h"
#include "MapCanvas.h"
#include "WWindow.h"

class OrvexDatabase;
class PositionCollection;
class WControlStatusbar;

// What the chart page asks of the application: a click on a month or a
// year average opens it on the map.
class ChartTabListener {
public:
    virtual void onChartMonthChosen(unsigned int year, unsigned int month, bool yearAverage) = 0;

protected:
    ~ChartTabListener() = default;
};

// The "Zeitreihe" page: a child window "TabOrvexChart" in the main window's
// tab control that paints the chart (or the warming stripes) of the open
// data set, double-buffered. It keeps the series, the options and the view;
// the mouse zooms (wheel), pans (drag) and resets (double-click), the status
// line reads the month under the pointer, and a click opens that month or
// year on the map once it is clear that no double-click follows.
//
// The page draws at its window's resolution (fonts, margins and lines grow
// with it, and the mouse works in the same pixels); saved and copied
// pictures are drawn at 96 DPI at the page's size in 96-DPI pixels, the
// same on every screen.
class ChartTab {
public:
    // The running means the menu offers, in years.
    static const unsigned int RUNNING_SPANS[4];

    ChartTab();
    ChartTab(const ChartTab&) = delete;
    ChartTab& operator=(const ChartTab&) = delete;

    // At position and size 0: the tab control sizes the page.
    void create(WWindowContext* parent, ChartTabListener* listener, WControlStatusbar* statusBar);
    operator HWND() const { return window; }

    // Reads the series anew when the data set, its reference or the
    // positions changed since the last time, and puts the marker on the
    // map's month. Throws what reading the grid file throws; the chart then
    // shows no data until a later refresh reads the file.
    void refresh(OrvexDatabase& database, PositionCollection& positions);
    // The grid file was replaced under the same name: read it again next time.
    void forgetSeries();

    ChartOptions& chartOptions() { return options; }
    StripesOptions& stripesOptions() { return stripes; }
    bool isStripesShown() const { return stripesShown; }
    void showStripes(bool shown);
    const ChartSeries* getSeries() const { return series; }
    // The years of which at least half is shown, or all the data has of
    // them at its ends; 0, 0 without data.
    void shownYears(unsigned int& firstYear, unsigned int& lastYear) const;
    void resetView();
    void repaint();

    // What the page shows as a picture at 96 DPI, into any device context.
    void draw(HDC dc, int width, int height) const;
    // The picture's size: the page's size in pixels at 96 DPI.
    void pageSize(int& width, int& height) const;

private:
    class Handler : public WWindow::EventHandler {
    public:
        explicit Handler(ChartTab& tab) : tab(tab) {}
        void onWindowMouseMove(int x, int y, void* data) override;
        void onWindowMouseLeftDown(int x, int y, void* data) override;
        void onWindowMouseLeftUp(int x, int y, void* data) override;
        void onWindowMouseLeftDoubleClick(int x, int y, void* data) override;
        void onWindowMouseLeave() override;
        void onWindowTimerTick() override;
        void onWindowRestore(HDC dc, const RECT& area) override;
        bool onWindowEraseBackground(HDC dc) override;
        LRESULT onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    private:
        ChartTab& tab;
    };
    friend class Handler;

    // The page's resolution in dots per inch.
    unsigned int dotsPerInch() const;
    // The page's size in its own pixels.
    void clientSize(int& width, int& height) const;
    void drawAt(HDC dc, int width, int height, unsigned int dotsPerInch) const;
    // The chart as the page shows it, at the page's resolution.
    ChartPainter painter() const;
    void showReadout(int x, int y);
    // The wheel: zooms the time axis around the month under x.
    void zoom(int x, int wheelDelta);
    // The months one pixel spans along the time axis.
    double monthsPerPixel() const;

    ChartSeriesCache cache;
    // The cache's series, or null without a data set.
    const ChartSeries* series;
    ChartOptions options;
    StripesOptions stripes;
    bool stripesShown;
    ChartView view;
    ChartTabListener* listener;
    WControlStatusbar* statusBar;
    // The page as last drawn, shown again as it is until something changes
    // (repaint): coming back to the tab costs a copy, not a drawing.
    std::unique_ptr<MapCanvas> drawn;
    unsigned int drawnDotsPerInch;
    bool drawnCurrent;
    // Dragging: the pointer's x when the button went down and the last x
    // the view followed; a press that never moved far is a click.
    bool dragging;
    bool dragMoved;
    int dragStartX;
    int dragLastX;
    ChartHit pendingClick;
    // The window goes first when the page is destroyed: it stops calling
    // the handler before the handler is gone.
    Handler handler;
    WWindow window;
};
