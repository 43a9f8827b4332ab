// shell_bench: times the program as the user meets it, with the real
// application object and its message handling: start-up to the first painted
// map, and a Right-arrow key press (through the accelerator table) to the
// repainted map at 75 %, in the flat view and in the globe view; then a
// reference period and a trend map chosen to the repainted map, and the
// steps again with the reference active; the "Zeitreihe" tab opened the first
// time and again; "Kopieren" (the map onto the clipboard as bitmap and
// metafile) at 100 %, flat and globe; last the Right-arrow steps again at
// 75 % after the window was told it is on a monitor at 144 and at 192 DPI
// (WM_DPICHANGED, as Windows sends it when a window moves there).
//
// Run from the run folder (data/cru, worldmap.txt and the pictures there) on
// a display: ORVEX_DISPLAY=xvfb bash cmake/wine-run.sh ... shell_bench.exe
// It changes no settings file: the window is destroyed without closing.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "BenchClock.h"
#include "OrvexVisualizer.h"
#include "ProgramIds.h"
#include "WException.h"
#include "WSystem.h"
#include "YearRange.h"

namespace {

// The page window of that name ("TabOrvexMap", "TabOrvexChart").
struct PageSearch {
    const char* name;
    HWND found;
};

BOOL CALLBACK findPage(HWND window, LPARAM search)
{
    PageSearch* page = reinterpret_cast<PageSearch*>(search);
    char text[64] = {};
    GetWindowTextA(window, text, sizeof(text));
    if (lstrcmpA(text, page->name) == 0) {
        page->found = window;
        return FALSE;
    }
    return TRUE;
}

// Runs the message loop as the program does until the page has been painted
// and nothing is left to do.
void pumpUntilPainted(HWND main, HWND page, HACCEL keys)
{
    bool painted = false;
    for (;;) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            RECT dirty;
            if (painted && !GetUpdateRect(page, &dirty, FALSE))
                return;
            WaitMessage();
            continue;
        }
        if (message.message == WM_PAINT && message.hwnd == page)
            painted = true;
        if (!TranslateAcceleratorA(main, keys, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

// Best and median of the key presses, in milliseconds.
void keyPresses(const char* view, HWND main, HWND page, HACCEL keys, int count)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        double start = nowMs();
        PostMessageA(main, WM_KEYDOWN, VK_RIGHT, 0x014D0001);
        pumpUntilPainted(main, page, keys);
        times.push_back(nowMs() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("Right arrow to repainted map, %-5s view at 75 %%: best %6.1f ms, median %6.1f ms, "
                "worst %6.1f ms (%d presses)\n",
                view, times.front(), times[times.size() / 2], times.back(), count);
}

// A choice made as its dialog's OK makes it, to the repainted map.
void choice(const char* what, OrvexVisualizer& application, HWND main, HWND page, HACCEL keys,
            void (*choose)(OrvexDatabase&))
{
    double start = nowMs();
    choose(application.getMap().database);
    application.startTask(OrvexVisualizer::TASK_RENDER);
    pumpUntilPainted(main, page, keys);
    std::printf("%-44s to the repainted map: %6.1f ms\n", what, nowMs() - start);
}

// Best and median of copying the map onto the clipboard, in milliseconds.
void copies(const char* view, HWND main, int count)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        double start = nowMs();
        SendMessageA(main, WM_COMMAND, CMD_COPY, 0);
        times.push_back(nowMs() - start);
    }
    std::sort(times.begin(), times.end());
    std::printf("Kopieren of the 100 %% map, %-5s view: best %6.1f ms, median %6.1f ms, worst "
                "%6.1f ms (%d copies)\n",
                view, times.front(), times[times.size() / 2], times.back(), count);
}

} // namespace

int main()
{
    double start = nowMs();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    try {
        WSystem::startup("OrvexVisualizer", instance, nullptr, GetCommandLineA(), SW_SHOWNORMAL);
        OrvexVisualizer* application = new OrvexVisualizer();
        application->createMainWindow(nullptr);
        application->setIcon(IDI_PROGRAM);
        HWND main = *application;
        PageSearch mapPage = {"TabOrvexMap", nullptr};
        EnumChildWindows(main, findPage, reinterpret_cast<LPARAM>(&mapPage));
        HWND page = mapPage.found;
        HACCEL keys = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDR_ACCELERATORS));
        UpdateWindow(page);
        RECT dirty;
        while (GetUpdateRect(page, &dirty, FALSE))
            pumpUntilPainted(main, page, keys);
        std::printf("start-up to the first painted map (in the process): %6.1f ms\n",
                    nowMs() - start);

        keyPresses("flat", main, page, keys, 24);
        SendMessageA(main, WM_COMMAND, CMD_ORTHOGRAPHIC, 0);
        pumpUntilPainted(main, page, keys);
        keyPresses("globe", main, page, keys, 24);

        // The same steps with a reference period, chosen afresh (nothing cached).
        choice("reference 1961-1990 per cell, globe", *application, main, page, keys, [](OrvexDatabase& db) {
            ReferencePeriod reference;
            reference.method = ReferencePeriod::PER_CELL;
            reference.firstYear = 1961;
            reference.lastYear = 1990;
            db.setReference(reference);
        });
        keyPresses("globe", main, page, keys, 24);
        SendMessageA(main, WM_COMMAND, CMD_ORTHOGRAPHIC, 0);
        pumpUntilPainted(main, page, keys);
        keyPresses("flat", main, page, keys, 24);
        choice("trend map of every whole year, flat", *application, main, page, keys, [](OrvexDatabase& db) {
            TrendSpan span;
            span.firstYear = FIRST_YEAR;
            span.lastYear = FIRST_YEAR + db.getMonthCount() / 12 - 1;
            db.loadTrend(span);
        });

        // The "Zeitreihe" tab: opened the first time (the series read), and
        // again after the map tab.
        PageSearch chartPage = {"TabOrvexChart", nullptr};
        EnumChildWindows(main, findPage, reinterpret_cast<LPARAM>(&chartPage));
        for (const char* when : {"the first time", "again"}) {
            double shown = nowMs();
            SendMessageA(main, WM_COMMAND, CMD_NEXT_TAB, 0);
            pumpUntilPainted(main, chartPage.found, keys);
            std::printf("Zeitreihe tab opened %-24s to the painted chart: %6.1f ms\n", when, nowMs() - shown);
            SendMessageA(main, WM_COMMAND, CMD_NEXT_TAB, 0);
            pumpUntilPainted(main, page, keys);
        }

        SendMessageA(main, WM_COMMAND, CMD_SCALE_100, 0);
        pumpUntilPainted(main, page, keys);
        copies("flat", main, 12);
        SendMessageA(main, WM_COMMAND, CMD_ORTHOGRAPHIC, 0);
        pumpUntilPainted(main, page, keys);
        copies("globe", main, 12);

        SendMessageA(main, WM_COMMAND, CMD_SCALE_75, 0);
        pumpUntilPainted(main, page, keys);
        // Months again: a trend map does not step.
        choice("a month again, globe", *application, main, page, keys,
               [](OrvexDatabase& db) { db.load(1990, 6, false); });
        for (int dpi : {144, 192}) {
            RECT suggested;
            GetWindowRect(main, &suggested);
            SendMessageA(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                         reinterpret_cast<LPARAM>(&suggested));
            pumpUntilPainted(main, page, keys);
            std::printf("At %d DPI (the map %d x %d pixels):\n", dpi,
                        application->getMap().layout().pictureWidth,
                        application->getMap().layout().pictureHeight);
            for (const char* view : {"globe", "flat"}) {
                SendMessageA(main, WM_COMMAND, CMD_ORTHOGRAPHIC, 0);
                pumpUntilPainted(main, page, keys);
                keyPresses(view, main, page, keys, 24);
            }
        }
        delete application;
    } catch (const WException& e) {
        std::printf("%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return 0;
}
