#include "ChartTab.h"

#include <cmath>

#include "MapCanvas.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "StripesPainter.h"
#include "WControlStatusbar.h"
#include "WString.h"
#include "WSystem.h"
#include "WSystemInfo.h"
#include "WWindowStyle.h"
#include "YearRange.h"

const unsigned int ChartTab::RUNNING_SPANS[4] = {5, 11, 21, 31};

namespace {
// A press that moves no farther than this (pixels at 96 DPI) is a click, not a drag.
const int clickSlop = 3;
// One notch of the wheel shows this share of the span.
const double zoomPerNotch = 0.8;
} // namespace

ChartTab::ChartTab()
    : series(nullptr), stripesShown(false), listener(nullptr), statusBar(nullptr),
      drawnDotsPerInch(0), drawnCurrent(false), dragging(false), dragMoved(false), dragStartX(0),
      dragLastX(0), handler(*this)
{
}

void ChartTab::create(WWindowContext* parent, ChartTabListener* chartListener,
                      WControlStatusbar* bar)
{
    listener = chartListener;
    statusBar = bar;
    WWindowStyle style(WSystem::getSystemInfo().getProgramName(), WS_CHILD, WS_EX_CLIENTEDGE);
    window.create(parent, "TabOrvexChart", &handler, style, 0, 0, 0, 0);
}

void ChartTab::refresh(OrvexDatabase& database, PositionCollection& positions)
{
    const ChartSeries* shownSeries = series;
    unsigned long shownReads = cache.readCount();
    long long shownMarker = options.markerMonth;
    // The marker follows the map's month; a year average sits mid-year.
    options.markerMonth = 0;
    if (database.getRows() > 0 && !database.isTrend())
        options.markerMonth =
            monthNumber(database.getYear(), database.isYearAverage() ? 7 : database.getMonth());

    // Forgotten first: a file that cannot be read leaves no old curve.
    series = nullptr;
    if (database.getRows() > 0)
        series = &cache.get(database, positions);
    else
        cache.clear();
    unsigned int count = series != nullptr ? series->monthCount() : 0;
    // Another length of data shows all of it; the same keeps the view.
    if (count != view.monthCount())
        view.setMonthCount(count);
    // Unchanged, the page shows its last drawing again (coming back to the tab).
    if (series != shownSeries || cache.readCount() != shownReads || options.markerMonth != shownMarker)
        repaint();
}

void ChartTab::forgetSeries()
{
    series = nullptr;
    cache.clear();
}

void ChartTab::showStripes(bool shown)
{
    stripesShown = shown;
    repaint();
}

void ChartTab::shownYears(unsigned int& firstYear, unsigned int& lastYear) const
{
    firstYear = 0;
    lastYear = 0;
    if (view.monthCount() == 0)
        return;
    // A year counts when at least half of its months show (a view from
    // December 1989 on shows the years from 1990), and so do the data's
    // first and last year when the view reaches the data's ends.
    long long first = static_cast<long long>(std::ceil(view.firstMonth()));
    long long last = static_cast<long long>(std::floor(view.lastMonth()));
    if (first > 1)
        first += 6;
    if (last < static_cast<long long>(view.monthCount()))
        last -= 6;
    if (last < first)
        first = last = static_cast<long long>(std::floor((view.firstMonth() + view.lastMonth()) / 2));
    if (first < 1)
        first = 1;
    if (last < 1)
        last = 1;
    firstYear = FIRST_YEAR + static_cast<unsigned int>((first - 1) / 12);
    lastYear = FIRST_YEAR + static_cast<unsigned int>((last - 1) / 12);
}

void ChartTab::resetView()
{
    view.reset();
    repaint();
}

void ChartTab::repaint()
{
    drawnCurrent = false;
    InvalidateRect(window, nullptr, FALSE);
}

unsigned int ChartTab::dotsPerInch() const
{
    UINT dpi = GetDpiForWindow(window);
    return dpi > 0 ? dpi : ChartScale::BASE_DPI;
}

ChartPainter ChartTab::painter() const
{
    return ChartPainter(series, options, view, dotsPerInch());
}

void ChartTab::drawAt(HDC dc, int width, int height, unsigned int dpi) const
{
    if (!stripesShown) {
        ChartPainter(series, options, view, dpi).paint(dc, width, height);
        return;
    }
    // The stripes show the years the chart's view shows.
    StripesOptions shown = stripes;
    shownYears(shown.firstYear, shown.lastYear);
    StripesPainter(series, shown, dpi).paint(dc, width, height);
}

void ChartTab::draw(HDC dc, int width, int height) const
{
    drawAt(dc, width, height, ChartScale::BASE_DPI);
}

void ChartTab::clientSize(int& width, int& height) const
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    width = client.right;
    height = client.bottom;
}

void ChartTab::pageSize(int& width, int& height) const
{
    clientSize(width, height);
    unsigned int dpi = dotsPerInch();
    width = MulDiv(width, ChartScale::BASE_DPI, dpi);
    height = MulDiv(height, ChartScale::BASE_DPI, dpi);
}

double ChartTab::monthsPerPixel() const
{
    int width, height;
    clientSize(width, height);
    if (stripesShown)
        return width > 0 ? view.span() / width : 0.0;
    RECT plot = painter().mapping(width, height).plotArea();
    int plotWidth = plot.right - plot.left;
    return plotWidth > 0 ? view.span() / plotWidth : 0.0;
}

void ChartTab::showReadout(int x, int y)
{
    if (statusBar == nullptr)
        return;
    int width, height;
    clientSize(width, height);
    std::string value;
    std::string opens;
    if (!stripesShown) {
        ChartPainter chart = painter();
        value = chart.readout(x, y, width, height);
        ChartHit hit = chart.hitTest(x, y, width, height);
        if (hit.valid && !value.empty()) {
            // What a click opens on the map.
            opens = hit.yearAverage ? std::string(static_cast<const char*>(
                                          WFormattedString("Karte: Jahr %u", hit.year)))
                                    : "Karte: " + germanMonthText(hit.month);
        }
    }
    statusBar->setText(value.c_str(), 0);
    statusBar->setText(opens.c_str(), 1);
}

void ChartTab::zoom(int x, int wheelDelta)
{
    if (view.monthCount() == 0)
        return;
    int width, height;
    clientSize(width, height);
    double month;
    if (stripesShown) {
        month = view.firstMonth() + view.span() * x / (width > 0 ? width : 1);
    } else {
        ChartMapping mapping = painter().mapping(width, height);
        month = mapping.monthAt(x);
    }
    view.zoomAround(month, std::pow(zoomPerNotch, wheelDelta / static_cast<double>(WHEEL_DELTA)));
    repaint();
}

// --- Window events ----------------------------------------------------------

void ChartTab::Handler::onWindowRestore(HDC dc, const RECT&)
{
    int width, height;
    tab.clientSize(width, height);
    if (width <= 0 || height <= 0)
        return;
    // Drawn off the screen and copied at once, so that zooming and panning
    // do not flicker. Another size or resolution (the window moved to
    // another monitor) draws anew, fonts included.
    unsigned int dpi = tab.dotsPerInch();
    if (!tab.drawn || !tab.drawnCurrent || tab.drawn->getWidth() != width ||
        tab.drawn->getHeight() != height || tab.drawnDotsPerInch != dpi) {
        tab.drawn.reset(new MapCanvas(width, height));
        tab.drawAt(tab.drawn->getDC(), width, height, dpi);
        tab.drawnDotsPerInch = dpi;
        tab.drawnCurrent = true;
    }
    BitBlt(dc, 0, 0, width, height, tab.drawn->getDC(), 0, 0, SRCCOPY);
}

bool ChartTab::Handler::onWindowEraseBackground(HDC)
{
    // The paint covers every pixel.
    return true;
}

void ChartTab::Handler::onWindowMouseMove(int x, int y, void*)
{
    if (tab.dragging) {
        if (std::abs(x - tab.dragStartX) > ChartScale(tab.dotsPerInch())(clickSlop))
            tab.dragMoved = true;
        if (tab.dragMoved && x != tab.dragLastX) {
            // The curve follows the pointer: dragging right shows earlier months.
            tab.view.pan((tab.dragLastX - x) * tab.monthsPerPixel());
            tab.dragLastX = x;
            tab.repaint();
        }
    }
    tab.showReadout(x, y);
}

void ChartTab::Handler::onWindowMouseLeftDown(int x, int, void*)
{
    SetFocus(tab.window);
    SetCapture(tab.window);
    tab.dragging = true;
    tab.dragMoved = false;
    tab.dragStartX = x;
    tab.dragLastX = x;
}

void ChartTab::Handler::onWindowMouseLeftUp(int x, int y, void*)
{
    if (!tab.dragging)
        return;
    tab.dragging = false;
    ReleaseCapture();
    if (tab.dragMoved || tab.stripesShown)
        return;
    int width, height;
    tab.clientSize(width, height);
    ChartHit hit = tab.painter().hitTest(x, y, width, height);
    if (!hit.valid)
        return;
    // Opened when the double-click time has passed without a second click.
    tab.pendingClick = hit;
    tab.window.setTimer(GetDoubleClickTime());
}

void ChartTab::Handler::onWindowMouseLeftDoubleClick(int, int, void*)
{
    tab.window.killTimer();
    tab.pendingClick = ChartHit();
    tab.resetView();
}

void ChartTab::Handler::onWindowMouseLeave()
{
    if (tab.statusBar != nullptr) {
        tab.statusBar->setText("", 0);
        tab.statusBar->setText("", 1);
    }
}

void ChartTab::Handler::onWindowTimerTick()
{
    tab.window.killTimer();
    ChartHit hit = tab.pendingClick;
    tab.pendingClick = ChartHit();
    if (!hit.valid || tab.listener == nullptr)
        return;
    unsigned int year = FIRST_YEAR + static_cast<unsigned int>((hit.month - 1) / 12);
    unsigned int month = static_cast<unsigned int>((hit.month - 1) % 12) + 1;
    tab.listener->onChartMonthChosen(hit.yearAverage ? hit.year : year, month, hit.yearAverage);
}

LRESULT ChartTab::Handler::onWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DPICHANGED_AFTERPARENT) {
        tab.repaint();
        return 0;
    }
    if (message != WM_MOUSEWHEEL)
        return 0;
    // The wheel reports screen coordinates.
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(tab.window, &point);
    tab.zoom(point.x, GET_WHEEL_DELTA_WPARAM(wParam));
    tab.showReadout(point.x, point.y);
    // Handled here: not passed on to the main window.
    return 1;
}
