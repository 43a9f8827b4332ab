// export_bench: times the series export of every month of hadcrut3v
// (1850/1 to 2014/12), without positions and with three, through the export
// dialog as the user starts it (thread, progress bar, message), and what the
// export adds to reading the months: the file writing, the progress messages
// to the window thread and the copy of the positions.
//
// Run with the run folder as the current directory (data/cru/hadcrut3v.dat)
// and a display (ORVEX_DISPLAY=xvfb gives the program a private Xvfb).
// Figures are wall-clock times; each is the best of several rounds.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>

#include "BenchClock.h"
#include "CsvSeriesWriter.h"
#include "DialogIds.h"
#include "ExportDialog.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"
#include "SeriesExport.h"
#include "WException.h"
#include "WFile.h"
#include "WSystem.h"

namespace {

const char* const dataSet = "data/cru/hadcrut3v.dat";
const SeriesRange everyMonth = {1850, 1, 2014, 12, false};
const unsigned months = 1980;

// The smallest of the times the work measures itself over the given rounds.
double bestMeasured(int rounds, const std::function<double()>& timedWork)
{
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        double elapsed = timedWork();
        if (elapsed < best)
            best = elapsed;
    }
    return best;
}

double timed(const std::function<void()>& work)
{
    double start = nowMs();
    work();
    return nowMs() - start;
}

void report(const char* what, double ms, double targetMs)
{
    if (targetMs > 0)
        std::printf("%-58s %9.2f ms   target <= %6.0f ms   %s\n", what, ms, targetMs,
                    ms <= targetMs ? "met" : "MISSED");
    else
        std::printf("%-58s %9.2f ms\n", what, ms);
}

void addCities(PositionCollection& positions)
{
    const struct {
        const char* name;
        int lat, latMin, south, lon, lonMin, west;
    } cities[] = {{"Berlin", 52, 31, 0, 13, 24, 0},
                  {"Sydney", 33, 52, 1, 151, 12, 0},
                  {"New York", 40, 43, 0, 74, 0, 1}};
    for (const auto& c : cities) {
        Position p;
        p.name = c.name;
        p.coordinates.latDegrees = c.lat;
        p.coordinates.latMinutes = c.latMin;
        p.coordinates.latSouth = c.south;
        p.coordinates.lonDegrees = c.lon;
        p.coordinates.lonMinutes = c.lonMin;
        p.coordinates.lonWest = c.west;
        positions.add(p, false);
    }
}

// --- The export through the dialog -----------------------------------------
// A timer presses "Start ..." once the dialog shows; a CBT hook takes the
// time when the result message appears, answers it and, once the dialog is
// idle again, closes it.
struct DialogRun {
    double started = 0;
    double finished = 0;
    bool pressed = false;
};
DialogRun* currentRun = nullptr;
HHOOK hook = nullptr;

LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = reinterpret_cast<HWND>(wParam);
    char name[16] = "";
    if (code == HCBT_ACTIVATE && currentRun != nullptr && currentRun->finished == 0 &&
        GetClassNameA(window, name, sizeof name) > 0 && std::string(name) == "#32770" &&
        !WSystem::isDialogWindow(window)) {
        currentRun->finished = nowMs();
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

BOOL CALLBACK findDialog(HWND window, LPARAM data)
{
    if (IsWindowVisible(window) && WSystem::isDialogWindow(window))
        *reinterpret_cast<HWND*>(data) = window;
    return TRUE;
}

void CALLBACK onTick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr || !IsWindowEnabled(dialog))
        return;
    if (!currentRun->pressed) {
        currentRun->pressed = true;
        currentRun->started = nowMs();
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXPORT_START, BN_CLICKED), 0);
    } else if (currentRun->finished != 0) {
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_EXPORT_CANCEL, BN_CLICKED), 0);
    }
}

double exportThroughDialog(const OrvexDatabase& database, const PositionCollection& positions)
{
    DialogRun run;
    currentRun = &run;
    ExportDialog dialog(nullptr, database, positions);
    UINT_PTR timer = SetTimer(nullptr, 0, 10, onTick);
    dialog.show(true);
    KillTimer(nullptr, timer);
    currentRun = nullptr;
    return run.finished - run.started;
}

// --- What the export adds ---------------------------------------------------

double readEveryMonth()
{
    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE, dataSet);
    return timed([&] {
        for (unsigned i = 0; i < months; ++i)
            database.load(1850 + i / 12, i % 12 + 1, false);
    });
}

double seriesExport(const PositionCollection* positions)
{
    std::atomic<bool> cancel(false);
    SeriesExport series(dataSet, everyMonth, positions);
    return timed([&] { series.write("export_bench.csv", cancel, nullptr); });
}

// 1980 data lines, each written on its own with writeln.
double unbufferedLines()
{
    WFile file;
    file.create("export_bench_lines.csv", false);
    return timed([&] {
        for (unsigned i = 0; i < months; ++i)
            file.writeln(
                WFormattedString("%u;%u;-0,270000;0,123456;84", 1850 + i / 12, i % 12 + 1));
    });
}

double bufferedLines()
{
    CsvSeriesWriter writer(true);
    writer.create("export_bench_lines.csv");
    return timed([&] {
        for (unsigned i = 0; i < months; ++i)
            writer.writeMonth(1850 + i / 12, i % 12 + 1, -0.27, 0.123456, 83.5);
        writer.close();
    });
}

// A progress bar on this thread, advanced from another thread.
double progressMessages(bool sendEveryMonth)
{
    HWND bar = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0, 200, 20, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    SendMessageA(bar, PBM_SETRANGE32, 0, months);
    SendMessageA(bar, PBM_SETSTEP, 1, 0);
    std::atomic<bool> done(false);
    double elapsed = timed([&] {
        std::thread worker([&] {
            for (unsigned i = 1; i <= months; ++i) {
                if (sendEveryMonth)
                    SendMessageA(bar, PBM_STEPIT, 0, 0);
                else if (i % (months / 100) == 0 || i == months)
                    PostMessageA(bar, PBM_SETPOS, i, 0);
            }
            done = true;
            PostMessageA(bar, WM_NULL, 0, 0);
        });
        MSG message;
        while (!done || PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&message, nullptr, 0, 0) <= 0)
                break;
            DispatchMessageA(&message);
            if (done && !PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE))
                break;
        }
        worker.join();
    });
    DestroyWindow(bar);
    return elapsed;
}

} // namespace

int main()
{
    try {
        WSystem::startup("OrvexExportBench", GetModuleHandleA(nullptr), nullptr,
                         const_cast<char*>(""), SW_SHOWNORMAL);
        hook = SetWindowsHookExA(WH_CBT, onCbt, nullptr, GetCurrentThreadId());

        OrvexDatabase database;
        database.open(OrvexDatabase::TYPE_GRID_FILE, dataSet);
        database.load(2014, 12, false);
        PositionCollection none;
        PositionCollection cities;
        addCities(cities);

        std::printf("Series export of %s, every month 1850/1-2014/12 (%u months)\n", dataSet,
                    months);
        report("through the dialog, without positions",
               bestMeasured(5, [&] { return exportThroughDialog(database, none); }), 600);
        report("through the dialog, three positions",
               bestMeasured(5, [&] { return exportThroughDialog(database, cities); }), 600);

        std::printf("\nWhere the time goes\n");
        report("reading every month (OrvexDatabase::load)", bestMeasured(5, readEveryMonth), 0);
        report("SeriesExport::write, without positions",
               bestMeasured(5, [] { return seriesExport(nullptr); }), 0);
        report("SeriesExport::write, three positions",
               bestMeasured(5, [&] { return seriesExport(&cities); }), 0);
        report("1980 lines, one writeln each (unbuffered)", bestMeasured(5, unbufferedLines), 0);
        report("1980 lines through CsvSeriesWriter (64 KB blocks)", bestMeasured(5, bufferedLines),
               0);
        report("progress: 1980 cross-thread SendMessage(PBM_STEPIT)",
               bestMeasured(5, [] { return progressMessages(true); }), 0);
        report("progress: about 100 posted PBM_SETPOS",
               bestMeasured(5, [] { return progressMessages(false); }), 0);
        report("the result message box, shown until it is active",
               bestMeasured(5,
                            [] {
                                DialogRun run;
                                currentRun = &run;
                                run.started = nowMs();
                                MessageBoxA(nullptr, "Export wurde erfolgreich durchgeführt.",
                                            "Information", MB_OK | MB_ICONINFORMATION);
                                currentRun = nullptr;
                                return run.finished - run.started;
                            }),
               0);
        report("copy of the three positions",
               bestMeasured(5, [&] { return timed([&] { PositionCollection copy(cities); }); }), 0);
        UnhookWindowsHookEx(hook);
        DeleteFileA("export_bench.csv");
        DeleteFileA("export_bench_lines.csv");
        DeleteFileA("Auswertung.csv");
        WSystem::shutdown();
    } catch (const WException& e) {
        std::fprintf(stderr, "%s\n", static_cast<const char*>(e.toString()));
        return 1;
    }
    return 0;
}
