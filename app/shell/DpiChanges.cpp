// The window's resolution: at start the monitor's, and anew when the window
// moves to a monitor of another scaling (WM_DPICHANGED). The map is drawn at
// the monitor's pixels; pictures saved or copied stay at 96 per inch.
#include <utility>

#include "OrvexVisualizer.h"
#include "ProgramIds.h"
#include "WSystem.h"

namespace {
// Right edges of the status bar's parts at 96 pixels per inch: place, value,
// and the rest.
const unsigned long statusPartEdges[] = {300, 400, 600};
// A trend's value ("+0.18°C/Jahrzehnt") needs a wider second part.
const unsigned long trendStatusPartEdges[] = {300, 440, 600};
// The check mark bitmaps are drawn for 96 pixels per inch.
const int checkBitmapSide = 15;

// Every item of the menu and its submenus that shows the old check marks
// gets the new ones.
void replaceCheckBitmaps(HMENU menu, HBITMAP oldOn, HBITMAP on, HBITMAP off)
{
    int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOA item = {};
        item.cbSize = sizeof item;
        item.fMask = MIIM_CHECKMARKS | MIIM_SUBMENU;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(position), TRUE, &item))
            continue;
        if (item.hSubMenu != nullptr)
            replaceCheckBitmaps(item.hSubMenu, oldOn, on, off);
        else if (item.hbmpChecked == oldOn)
            SetMenuItemBitmaps(menu, static_cast<UINT>(position), MF_BYPOSITION, off, on);
    }
}

// The font Windows gives messages and controls, at a resolution; null when
// it cannot be made.
HFONT messageFont(int dpi)
{
    // This call knows the wide structure only.
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                    static_cast<UINT>(dpi)))
        return nullptr;
    return CreateFontIndirectW(&metrics.lfMessageFont);
}
}

int OrvexVisualizer::windowDpi() const
{
    UINT dpi = GetDpiForWindow(getWindowHandle());
    return dpi != 0 ? static_cast<int>(dpi) : 96;
}

void OrvexVisualizer::loadCheckBitmaps(int dpi, HBITMAP& on, HBITMAP& off)
{
    int side = MulDiv(checkBitmapSide, dpi, 96);
    on = static_cast<HBITMAP>(LoadImageA(WSystem::getInstance(), MAKEINTRESOURCEA(IDB_CHECK_ON),
                                         IMAGE_BITMAP, side, side, 0));
    off = static_cast<HBITMAP>(LoadImageA(WSystem::getInstance(), MAKEINTRESOURCEA(IDB_CHECK_OFF),
                                          IMAGE_BITMAP, side, side, 0));
}

void OrvexVisualizer::setStatusParts()
{
    const unsigned long* edges =
        map.database.isTrend() ? trendStatusPartEdges : statusPartEdges;
    unsigned long scaled[3];
    for (int part = 0; part < 3; ++part)
        scaled[part] =
            static_cast<unsigned long>(MulDiv(static_cast<int>(edges[part]), map.dpi, 96));
    statusBar.setParts(3, scaled);
}

void OrvexVisualizer::setControlFont(int dpi)
{
    HFONT font = messageFont(dpi);
    if (font == nullptr)
        return;
    SendMessageA(tab.getWindowHandle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    SendMessageA(statusBar.getWindowHandle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (controlFont != nullptr)
        DeleteObject(controlFont);
    controlFont = font;
}

void OrvexVisualizer::changeDpi(int dpi, const RECT& suggested)
{
    if (dpi == map.dpi)
        return;
    setControlFont(dpi);
    HBITMAP on = nullptr;
    HBITMAP off = nullptr;
    loadCheckBitmaps(dpi, on, off);
    if (on != nullptr && off != nullptr) {
        replaceCheckBitmaps(menuBar, checkOn, on, off);
        DrawMenuBar(*this);
        std::swap(on, checkOn);
        std::swap(off, checkOff);
    }
    if (on != nullptr)
        DeleteObject(on);
    if (off != nullptr)
        DeleteObject(off);

    map.setScale(map.scalePercent, dpi);
    statusBar.adjust();
    refreshStatusText();
    // Windows suggests where the window goes; its size follows the map.
    fitWindowToMap(suggested.left, suggested.top);
    startTask(TASK_RENDER);
}
