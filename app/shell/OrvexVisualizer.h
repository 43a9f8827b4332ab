#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ChartTab.h"
#include "FieldChoice.h"
#include "FileProblemMessages.h"
#include "MapPage.h"
#include "OrvexMap.h"
#include "SettingsSession.h"
#include "WControlStatusbar.h"
#include "WControlTab.h"
#include "WHashtable.h"
#include "WMenu.h"
#include "WString.h"
#include "WThread.h"
#include "WWindow.h"
#include "WWindowStyle.h"

class DroppedFiles;
class MapSaver;
class WaitDialog;
struct SaveFormat;

// The application: the main window, the receiver of its events and of the
// map page's and the chart page's, and the body of the background worker. It owns the map with
// all run state, the settings read at start, the menus and the controls.
//
// Every rebuild of the map runs on the worker (startTask) while the window
// thread waits in the wait dialog; commands therefore never change the state
// while the worker reads it.
class OrvexVisualizer : public WWindow,
                        public WWindow::EventHandler,
                        public MapPageListener,
                        public ChartTabListener,
                        public WRunable {
public:
    static const char* const TITLE;

    // Worker tasks.
    enum Task { TASK_RENDER = 1, TASK_SAVE_GIF = 3, TASK_SAVE_JPEG = 4, TASK_SAVE_PNG = 5 };
    // The tab control's pages.
    enum Page { PAGE_MAP = 0, PAGE_CHART = 1 };

    OrvexVisualizer();
    OrvexVisualizer(const OrvexVisualizer&) = delete;
    OrvexVisualizer& operator=(const OrvexVisualizer&) = delete;
    ~OrvexVisualizer() override;

    void createMainWindow(WWindowContext* parent);

    void setMapType(int type, bool refresh);
    // The map at 100, 75 or 50 percent, the window fitted round it; x or y
    // of -1 keep the window's current left or top edge.
    void setScale(int percent, int x, int y);
    void toggleOrthographic();
    // Runs the task on the worker and returns when it is done.
    void startTask(int task);

    OrvexMap& getMap() { return map; }
    bool isStartedUp() const { return startedUp; }

    // Window events.
    void onWindowCreate() override;
    void onWindowResize(unsigned long width, unsigned long height) override;
    void onWindowClose() override;
    LRESULT onWindowMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
    void onWindowMouseEnter() override {}
    void onWindowMouseLeave() override {}
    void onWindowMouseMove(int, int, void*) override {}
    void onWindowMouseLeftDown(int, int, void*) override {}
    void onWindowMouseLeftDoubleClick(int, int, void*) override {}
    void onWindowMouseLeftUp(int, int, void*) override {}
    void onWindowMouseRightDown(int, int, void*) override {}
    void onWindowMouseRightUp(int, int, void*) override {}
    using WWindow::EventHandler::onWindowRestore;
    void onWindowRestore(HDC, const RECT&) override {}

    // The map page.
    void onMapPagePaint(HDC dc, const RECT& area) override;
    void onMapPageLeftDoubleClick(int x, int y) override;
    void onMapPageRightDown(int x, int y) override;
    void onMapPageMouseMove(int x, int y) override;

    // The chart page: a click opens the month or year on the map.
    void onChartMonthChosen(unsigned int year, unsigned int month, bool yearAverage) override;

    // The worker.
    void run() override;

private:
    // Start-up and shut-down (OrvexVisualizer.cpp).
    void loadSettings();
    void saveSettings();
    void createMenus();
    void openStartDataSet();
    // Outline maps need the coastline file: false when it cannot be opened,
    // after telling the user (once per session when only the map is rebuilt).
    bool coastlinesAvailable(bool saving);
    void refreshStatusText();
    void repaintMap();
    // The tab control and the window sized round the map picture, the
    // window's top left corner at left, top.
    void fitWindowToMap(int left, int top);

    // The window's resolution (DpiChanges.cpp): the map, the status bar's
    // parts, the controls' font and the menus' check marks follow the
    // monitor the window is on.
    int windowDpi() const;
    void changeDpi(int dpi, const RECT& suggested);
    void setStatusParts();
    // The tab control and the status bar in the system's message font.
    void setControlFont(int dpi);
    static void loadCheckBitmaps(int dpi, HBITMAP& on, HBITMAP& off);
    // A save of the map on the worker.
    void saveOnWorker(const std::function<void(MapSaver&)>& save);
    // Waits for a run whose wait the user ended early (Alt+F4); everything
    // that changes the run state calls it first.
    void finishPreviousRun();

    // Commands (Commands.cpp), one per menu item or key.
    // Waits for a run still going, then runs the command; its failures are
    // shown.
    void runCommand(const std::function<void()>& command);
    void dispatchCommand(unsigned long id);
    void loadDataSet();
    void newPosition();
    void exportSeries();
    void importDataSet();
    // The import dialog for a netCDF file (UTF-8 name).
    void importFile(const std::string& input);
    // Downloads and imports the published products the user checks.
    void updateData();
    // Opens the data set at the month after an import (or its attempt);
    // a set that does not open leaves an empty map, as after loading.
    void reopenDataSet(const WString& file, unsigned int year, unsigned int month,
                       bool yearAverage);
    // The same at the month written last (1 = January 1850), after an
    // import or an update.
    void reopenAtLastMonth(const WString& file, int lastMonth);
    // The same with the block size of the file's layout.
    void openDataSet(const WString& file, unsigned int blockSize, unsigned int year,
                     unsigned int month, bool yearAverage);
    // What the active tab shows. kind: TASK_SAVE_GIF, TASK_SAVE_JPEG,
    // TASK_SAVE_PNG or 0 for the metafile.
    void saveShownPicture(int kind);
    void saveMap(int kind);
    // The save dialog with the map's suggested name; false when the user
    // gave up or chose a name the format does not take (after saying so).
    bool chooseSaveFile(const SaveFormat& format, WString& name);
    bool chooseSaveFile(const SaveFormat& format, const WString& suggested, WString& name);
    // What the active tab shows onto the clipboard, and files dropped on
    // the window (DropCommands.cpp): the first of them is opened.
    void copyMap();
    void openDroppedFiles(const DroppedFiles& dropped);
    void openDroppedGridFile(const std::string& file);
    // The chart page (ChartCommands.cpp): its menu, its commands, the tab
    // switch and saving the chart.
    void createChartMenu();
    // False for an id that is none of the chart's.
    bool dispatchChartCommand(unsigned long id);
    void showPage(unsigned long page);
    bool isChartShown() const { return tab.getPage() == PAGE_CHART; }
    // Reads the chart's series when they changed and repaints it.
    void refreshChart();
    // "Klimastreifen für": the global value and the chart's positions.
    void fillStripesMenu();
    void checkRunningMean(unsigned long id);
    void saveChart(const SaveFormat& format);
    WString suggestedChartName(const char* extension) const;
    // "Bezugszeitraum", "Trendkarte" and "Karte als Tabelle exportieren"
    // (ReferenceCommands.cpp).
    void chooseReference();
    void chooseTrend();
    void exportMapTable();
    // After another data set was opened: says so when it does not cover the
    // reference period, which then ends.
    void tellReferenceNotice();
    // The settings' reference period and season on the data set opened at
    // start; one that no longer fits is told and left.
    void applyStartChoices();
    void showHelp();
    void stepMonth(bool forward);
    void stepYear(bool forward);
    // Adds a position as the user made it: number 1 in the globe view.
    void addPosition(const WString& name, const GmsCoordinates& coordinates);
    // The default file name for saving the current map with the extension.
    WString suggestedFileName(const char* extension) const;

    OrvexMap map;

    // init.txt and positions.txt; a file it could not read is not written.
    SettingsSession settingsFiles;
    // The settings as read at start.
    int startMapType;
    int startYear;
    int startMonth;
    bool startYearAverage;
    int startScalePercent;
    WString startDataFile;
    int startSeason;
    ReferencePeriod startReference;

    WWindowStyle windowStyle;
    WMenu menuBar;
    WMenu programMenu;
    WMenu viewMenu;
    WMenu mapMenu;
    WMenu saveMenu;
    WMenu chartMenu;
    WMenu runningMenu;
    WMenu stripesForMenu;
    WControlStatusbar statusBar;
    HBITMAP checkOff;
    HBITMAP checkOn;
    // The tab control's and the status bar's font at the window's resolution.
    HFONT controlFont;
    WHashtable<int, int, int, int> scaleMenuItems;
    int checkedScaleItem;
    int checkedMapItem;
    int workerTask;
    WControlTab tab;
    MapPage mapPage;
    ChartTab chartTab;
    WaitDialog* waitDialog;
    FileProblemMessages fileProblems;
    WString outputFile;
    WThread worker;
    // Makes replacing mapPicture on the worker atomic to the page's paint.
    CRITICAL_SECTION pictureLock;
    // False when the start-up failed and the program is ending.
    bool startedUp;
};
