#include "OrvexVisualizer.h"

#include <shellapi.h>

#include <algorithm>
#include <exception>

#include "GridFileProbe.h"
#include "MapCanvas.h"
#include "MapSaver.h"
#include "ProgramIds.h"
#include "WException.h"
#include "WFile.h"
#include "WMutex.h"
#include "WSystem.h"
#include "WSystemInfo.h"
#include "WaitDialog.h"

const char* const OrvexVisualizer::TITLE =
    "Orvex Visualizer V0.91 - Visualisierung von HadCRUT3-Daten";

namespace {
const unsigned int tableChains = 100;

// The map reports no progress for the length of a scope.
class ProgressPause {
public:
    explicit ProgressPause(OrvexMap& map) : map(map), bar(map.progressBar)
    {
        map.progressBar = nullptr;
    }
    ProgressPause(const ProgressPause&) = delete;
    ProgressPause& operator=(const ProgressPause&) = delete;
    ~ProgressPause() { map.progressBar = bar; }

private:
    OrvexMap& map;
    WControlProgressBar* bar;
};
// Main window: caption, system menu and minimise box; no sizing border.
const unsigned long mainWindowStyle = 0xCA0000;
} // namespace

OrvexVisualizer::OrvexVisualizer()
    : startMapType(0), startYear(0), startMonth(0), startYearAverage(false), startScalePercent(0),
      startSeason(0), checkOff(nullptr), checkOn(nullptr), controlFont(nullptr),
      scaleMenuItems(tableChains), checkedScaleItem(0), checkedMapItem(0), workerTask(TASK_RENDER),
      waitDialog(nullptr), fileProblems(this), startedUp(false)
{
    InitializeCriticalSection(&pictureLock);
}

OrvexVisualizer::~OrvexVisualizer()
{
    // The worker reads the map and reports to the wait dialog: it ends
    // first. Then the window goes, while the menus, controls and the map it
    // uses still exist.
    if (waitDialog != nullptr && worker.isActive())
        worker.join(INFINITE);
    if (getWindowHandle() != nullptr)
        destroy();
    map.progressBar = nullptr;
    map.statusBar = nullptr;
    delete waitDialog;
    if (checkOff != nullptr)
        DeleteObject(checkOff);
    if (checkOn != nullptr)
        DeleteObject(checkOn);
    if (controlFont != nullptr)
        DeleteObject(controlFont);
    DeleteCriticalSection(&pictureLock);
}

void OrvexVisualizer::createMainWindow(WWindowContext* parent)
{
    windowStyle = WWindowStyle(WSystem::getSystemInfo().getProgramName(), mainWindowStyle, 0);
    create(parent, TITLE, this, windowStyle, 0, 0, 0, 0);
    showWindow();
}

void OrvexVisualizer::onWindowCreate()
{
    loadSettings();
    try {
        int dpi = windowDpi();
        loadCheckBitmaps(dpi, checkOn, checkOff);
        statusBar.create(this, "AppStatusBar", WControlStatusbar::STYLE_PLAIN);
        setStatusParts();
        map.statusBar = &statusBar;
        createMenus();
        // Files dropped on the window arrive as WM_DROPFILES.
        DragAcceptFiles(*this, TRUE);
        tab.create(this, "Tabulator", WControlTab::STYLE_TABS);
        setControlFont(dpi);
        mapPage.create(&tab, this);
        tab.addPage(PAGE_MAP, "Weltkarte", mapPage);
        chartTab.create(&tab, this, &statusBar);
        tab.addPage(PAGE_CHART, "Zeitreihe", chartTab);

        map.mapType = startMapType;
        setMapType(map.mapType, false);
        openStartDataSet();

        map.setScale(startScalePercent, dpi);
        MapLayout start = map.layout();
        // Centred; a window larger than the screen keeps its top left corner on it.
        setScale(startScalePercent,
                 std::max(0, (GetSystemMetrics(SM_CXSCREEN) - start.mapWidth) / 2),
                 std::max(0, (GetSystemMetrics(SM_CYSCREEN) - start.mapHeight) / 2));
        startedUp = true;
    } catch (const WException& e) {
        WSystem::showException(this, e);
        // The program cannot go on; it ends with a failure code.
        PostQuitMessage(1);
    }
}

void OrvexVisualizer::loadSettings()
{
    ProgramSettings settings;
    settingsFiles.load(this, settings, map.positions);
    startDataFile = settings.dataFile;
    startYear = settings.year;
    startMonth = settings.month;
    startMapType = settings.mapType;
    startScalePercent = settings.scalePercent;
    startYearAverage = settings.yearAverage;
    map.orthographic = settings.orthographic;
    startSeason = settings.season;
    if (settings.referenceFirstYear > 0) {
        startReference.method =
            settings.referenceGlobal ? ReferencePeriod::GLOBAL : ReferencePeriod::PER_CELL;
        startReference.firstYear = static_cast<unsigned int>(settings.referenceFirstYear);
        startReference.lastYear = static_cast<unsigned int>(settings.referenceLastYear);
    }
}

void OrvexVisualizer::saveSettings()
{
    ProgramSettings settings;
    const OrvexDatabase& database = map.database;
    // A data set that could not be opened at start is still the one to try
    // next time.
    settings.dataFile = database.getName().length() > 0 ? database.getName() : startDataFile;
    settings.year = static_cast<int>(database.getYear());
    settings.month = static_cast<int>(database.getMonth());
    settings.yearAverage = database.isYearAverage();
    settings.scalePercent = map.scalePercent;
    settings.mapType = map.mapType;
    settings.orthographic = map.orthographic;
    const ReferencePeriod& reference = database.getReference();
    if (!reference.isStored()) {
        settings.referenceFirstYear = static_cast<int>(reference.firstYear);
        settings.referenceLastYear = static_cast<int>(reference.lastYear);
        settings.referenceGlobal = reference.method == ReferencePeriod::GLOBAL;
    } else if (database.getRows() == 0) {
        // Kept for the data set that could not be opened at start.
        settings.referenceFirstYear = static_cast<int>(startReference.firstYear);
        settings.referenceLastYear = static_cast<int>(startReference.lastYear);
        settings.referenceGlobal = startReference.method == ReferencePeriod::GLOBAL;
    }
    settings.season = static_cast<int>(database.getSeason());
    settingsFiles.save(this, settings, map.positions);
}

void OrvexVisualizer::createMenus()
{
    saveMenu.create();
    saveMenu.addItem(CMD_SAVE_GIF, "GIF");
    saveMenu.addItem(CMD_SAVE_JPEG, "JPEG");
    saveMenu.addItem(CMD_SAVE_PNG, "PNG");
    saveMenu.addItem(CMD_SAVE_ANIMATION, "Animation (GIF) ...");

    programMenu.create();
    programMenu.addItem(CMD_NEW_POSITION, "Position\tSTRG+P");
    programMenu.addItem(CMD_LOAD_DATA_SET, "Datensatz laden\tSTRG+D");
    programMenu.addSeparator();
    programMenu.addItem(CMD_EXPORT_SERIES, "Datenreihe exportieren");
    programMenu.addItem(CMD_EXPORT_MAP_TABLE, "Karte als Tabelle exportieren ...");
    programMenu.addSeparator();
    programMenu.addSubMenu(saveMenu, "Speichern als ...");
    programMenu.addItem(CMD_COPY, "Kopieren\tSTRG+C");
    programMenu.addSeparator();
    programMenu.addItem(CMD_IMPORT_DATA_SET, "Datensatz importieren ...");
    programMenu.addItem(CMD_UPDATE_DATA, "Daten aktualisieren ...");
    programMenu.addSeparator();
    programMenu.addItem(CMD_EXIT, "Beenden");

    mapMenu.create();
    mapMenu.addItem(CMD_MAP_OUTLINES, "Umrisse", checkOn, checkOff);
    mapMenu.addItem(CMD_MAP_SATELLITE, "Satellitenfoto", checkOn, checkOff);
    mapMenu.addItem(CMD_MAP_LAND_WATER, "Land/Wasser", checkOn, checkOff);

    viewMenu.create();
    const struct {
        int percent;
        int id;
        const char* text;
    } scales[] = {
        {100, CMD_SCALE_100, "100%"}, {75, CMD_SCALE_75, "75%"}, {50, CMD_SCALE_50, "50%"}};
    for (const auto& scale : scales) {
        viewMenu.addItem(scale.id, scale.text, checkOn, checkOff);
        scaleMenuItems.put(scale.percent, scale.id);
    }
    viewMenu.addSeparator();
    viewMenu.addSubMenu(mapMenu, "Karte");
    viewMenu.addSeparator();
    viewMenu.addItem(CMD_ORTHOGRAPHIC, "Orthographisch", checkOn, checkOff);
    viewMenu.setItemChecked(CMD_ORTHOGRAPHIC, map.orthographic);
    viewMenu.addSeparator();
    viewMenu.addItem(CMD_REFERENCE_PERIOD, "Bezugszeitraum ...");
    viewMenu.addItem(CMD_TREND_MAP, "Trendkarte ...");

    menuBar.create();
    menuBar.addSubMenu(programMenu, "Programm");
    menuBar.addSubMenu(viewMenu, "Ansicht");
    createChartMenu();
    menuBar.addSubMenu(chartMenu, "Zeitreihe");
    menuBar.addItem(CMD_HELP, "Hilfe");
    setMenu(menuBar);
}

void OrvexVisualizer::openStartDataSet()
{
    try {
        // Its layout by its file name or its content: a set opened last time
        // by a full path (dropped on the window) has its own block size.
        map.database.open(OrvexDatabase::TYPE_GRID_FILE, startDataFile,
                          gridFileBlockSize(static_cast<const char*>(startDataFile)));
        map.database.load(static_cast<unsigned int>(startYear),
                          static_cast<unsigned int>(startMonth), startYearAverage);
        applyStartChoices();
    } catch (const WException& e) {
        // Reported, and the program opens with an empty map: the user can
        // load another data set, and a stale init.txt cannot keep the
        // program from starting.
        map.database.close();
        map.database.load(static_cast<unsigned int>(startYear),
                          static_cast<unsigned int>(startMonth), startYearAverage);
        fileProblems.dataSet(startDataFile, e);
    }
}

void OrvexVisualizer::setMapType(int type, bool refresh)
{
    if (checkedMapItem != 0)
        mapMenu.setItemChecked(checkedMapItem, false);
    // The menu item of each map type, and the picture the map opens for it.
    int item = type == 2   ? CMD_MAP_SATELLITE
               : type == 3 ? CMD_MAP_LAND_WATER
               : type == 4 ? CMD_MAP_PICTURE_2
                           : CMD_MAP_OUTLINES;
    const char* picture = type == 2   ? "weltkarte1.jpg"
                          : type == 3 ? "weltkarte3.jpg"
                                      : "weltkarte2.jpg";
    map.mapType = type;
    checkedMapItem = 0;
    try {
        map.loadBackgroundPicture();
        mapMenu.setItemChecked(item, true);
        checkedMapItem = item;
    } catch (const WBitmapException& e) {
        // Only the picture types open a file.
        fileProblems.backgroundPicture(picture, e);
    }
    if (refresh) {
        startTask(TASK_RENDER);
        refreshStatusText();
    }
}

void OrvexVisualizer::setScale(int percent, int x, int y)
{
    map.setScale(percent, map.dpi);
    if (checkedScaleItem != 0)
        viewMenu.setItemChecked(checkedScaleItem, false);
    checkedScaleItem = 0;
    if (const int* item = scaleMenuItems.find(map.scalePercent)) {
        viewMenu.setItemChecked(*item, true);
        checkedScaleItem = *item;
    }
    startTask(TASK_RENDER);
    refreshStatusText();

    RECT outer;
    GetWindowRect(*this, &outer);
    fitWindowToMap(x == -1 ? outer.left : x, y == -1 ? outer.top : y);
}

void OrvexVisualizer::fitWindowToMap(int left, int top)
{
    // The page holds the whole picture inside its sunken edge.
    MapLayout picture = map.layout();
    int edge = 2 * GetSystemMetricsForDpi(SM_CXEDGE, static_cast<UINT>(map.dpi));
    RECT tabArea;
    tab.calcWindowRect(static_cast<unsigned long>(picture.pictureWidth + edge),
                       static_cast<unsigned long>(picture.pictureHeight + edge), tabArea);
    int tabWidth = tabArea.right - tabArea.left;
    int tabHeight = tabArea.bottom - tabArea.top;
    MoveWindow(tab.getWindowHandle(), 0, 0, tabWidth, tabHeight, TRUE);
    RECT client = {left, top, left + tabWidth,
                   top + tabHeight + static_cast<int>(statusBar.getControlHeight())};
    AdjustWindowRectExForDpi(&client, windowStyle.getStyle(), TRUE, windowStyle.getStyleEx(),
                             static_cast<UINT>(map.dpi));
    MoveWindow(*this, left, top, client.right - client.left, client.bottom - client.top, TRUE);
    // The page shown stays, sized anew.
    tab.setFocusPage(tab.getPage());
}

void OrvexVisualizer::toggleOrthographic()
{
    map.orthographic = !map.orthographic;
    viewMenu.setItemChecked(CMD_ORTHOGRAPHIC, map.orthographic);
    startTask(TASK_RENDER);
    refreshStatusText();
}

void OrvexVisualizer::onWindowResize(unsigned long, unsigned long)
{
    statusBar.adjust();
}

void OrvexVisualizer::onWindowClose()
{
    finishPreviousRun();
    try {
        saveSettings();
    } catch (const WException& e) {
        WString text = e.toString();
        WSystem::showMessage(
            this,
            WFormattedString("Konfiguration konnte nicht gespeichert werden.\r\n%s",
                             static_cast<const char*>(text)),
            text, false);
    }
    destroy();
    PostQuitMessage(0);
}

void OrvexVisualizer::refreshStatusText()
{
    // The chart's page writes its own status line.
    if (isChartShown())
        return;
    setStatusParts();
    map.updateStatusBar();
}

void OrvexVisualizer::repaintMap()
{
    InvalidateRect(mapPage, nullptr, FALSE);
}

bool OrvexVisualizer::coastlinesAvailable(bool saving)
{
    if (map.mapType != 1)
        return true;
    try {
        WFile file;
        file.open(FileProblemMessages::COASTLINE_FILE, static_cast<unsigned long>(WFile::MODE_READ));
    } catch (const WException& e) {
        if (saving)
            fileProblems.coastlinesForSaving(e);
        else
            fileProblems.coastlinesForMap(e);
        return false;
    }
    return true;
}

// --- Worker -------------------------------------------------------------

void OrvexVisualizer::startTask(int task)
{
    workerTask = task;
    if (waitDialog == nullptr) {
        waitDialog = new WaitDialog(this);
        map.progressBar = &waitDialog->getProgressBar();
    }
    finishPreviousRun();
    waitDialog->beginRun();
    try {
        worker.start(this);
    } catch (const WException&) {
        waitDialog->endRun();
        throw;
    }
    waitDialog->awaitRun();
}

void OrvexVisualizer::finishPreviousRun()
{
    // A wait closed by the user (Alt+F4) left its run going: the next task
    // waits for it, so that no rebuild is lost.
    if (waitDialog == nullptr)
        return;
    while (!waitDialog->isRunEnded())
        waitDialog->awaitRun();
    worker.join(INFINITE);
}

void OrvexVisualizer::run()
{
    try {
        switch (workerTask) {
        case TASK_RENDER: {
            if (waitDialog != nullptr)
                waitDialog->setWaitText("Erstelle Karte ...");
            // The picture stays as it was.
            if (!coastlinesAvailable(false))
                break;
            MapLayout layout = map.layout();
            MapCanvas canvas(layout.pictureWidth, layout.pictureHeight);
            map.renderMap(canvas.getDC(), false, false);
            {
                // The page paints from mapPicture on the window thread; the
                // picture's pixels are handed over, not copied.
                WMutexLocker locked(pictureLock);
                map.mapPicture.adopt(canvas.release(), layout.pictureWidth, layout.pictureHeight);
            }
            repaintMap();
            break;
        }
        case TASK_SAVE_GIF:
            if (waitDialog != nullptr)
                waitDialog->setWaitText("Speicher GIF-Datei ...");
            saveOnWorker([this](MapSaver& saver) { saver.saveGif(outputFile); });
            break;
        case TASK_SAVE_JPEG:
            if (waitDialog != nullptr)
                waitDialog->setWaitText("Speicher JPG-Datei ...");
            saveOnWorker([this](MapSaver& saver) { saver.saveJpeg(outputFile); });
            break;
        case TASK_SAVE_PNG:
            if (waitDialog != nullptr)
                waitDialog->setWaitText("Speicher PNG-Datei ...");
            saveOnWorker([this](MapSaver& saver) { saver.savePng(outputFile); });
            break;
        default: break;
        }
    } catch (const WException& e) {
        WSystem::showException(this, e);
    } catch (const std::exception& e) {
        // Out of memory and the like: reported too, and the wait still ends.
        WSystem::showException(this, WException(e.what()));
    }
    if (waitDialog != nullptr)
        waitDialog->endRun();
}

void OrvexVisualizer::saveOnWorker(const std::function<void(MapSaver&)>& save)
{
    // The saver draws the map at 96 pixels per inch for a while: the page
    // waits with its paint, which draws at the screen's. Nothing is sent to
    // the window thread meanwhile (no progress), so that the wait cannot
    // block the worker.
    WMutexLocker locked(pictureLock);
    ProgressPause pause(map);
    MapSaver saver(map);
    save(saver);
}

// --- Map page -------------------------------------------------------------

void OrvexVisualizer::onMapPagePaint(HDC dc, const RECT& area)
{
    WMutexLocker locked(pictureLock);
    map.paintMapPage(dc, area);
}

void OrvexVisualizer::onMapPageMouseMove(int x, int y)
{
    map.onMapMouseMove(x, y);
}
