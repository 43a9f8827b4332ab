// The commands of the menus and the accelerator table, and the position
// edits made with the mouse on the map page.
#include "OrvexVisualizer.h"

#include <exception>
#include <functional>
#include <string>
#include <vector>

#include "AnimationDialog.h"
#include "DroppedFiles.h"
#include "ExportDialog.h"
#include "FileNameText.h"
#include "GridImport.h"
#include "HelpDialog.h"
#include "ImportDialog.h"
#include "ImportFailure.h"
#include "LoadDataSetDialog.h"
#include "MapSaver.h"
#include "PositionDialog.h"
#include "ProgramIds.h"
#include "SaveFormat.h"
#include "UpdateDialog.h"
#include "WException.h"
#include "WFileSelectDialog.h"
#include "WSystem.h"
#include "YearRange.h"

namespace {

// A report's lines as one message box text.
WString joinedLines(const std::vector<std::string>& lines)
{
    WString text;
    for (const std::string& line : lines) {
        if (text.length() > 0)
            text += "\r\n";
        text += line.c_str();
    }
    return text;
}

} // namespace

LRESULT OrvexVisualizer::onWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    bool tabChosen = message == WM_NOTIFY && header->hwndFrom == tab.getWindowHandle() &&
                     header->code == static_cast<UINT>(TCN_SELCHANGE);
    if (message == WM_MOUSEWHEEL && isChartShown()) {
        // The wheel goes to the window with the focus: the chart takes it
        // while it shows.
        SendMessageA(chartTab, message, wParam, lParam);
        return 0;
    }
    if (tabChosen) {
        runCommand([this] {
            showPage(static_cast<unsigned long>(SendMessageA(tab.getWindowHandle(), TCM_GETCURSEL, 0, 0)));
        });
    } else if (message == WM_COMMAND) {
        runCommand([this, wParam] { dispatchCommand(LOWORD(wParam)); });
    } else if (message == WM_DPICHANGED) {
        // Another monitor: the window takes the size Windows suggests.
        RECT suggested = *reinterpret_cast<const RECT*>(lParam);
        int dpi = HIWORD(wParam);
        runCommand([this, dpi, suggested] { changeDpi(dpi, suggested); });
    } else if (message == WM_DROPFILES) {
        // The drop is released however opening ends.
        DroppedFiles dropped(reinterpret_cast<HDROP>(wParam));
        runCommand([this, &dropped] { openDroppedFiles(dropped); });
    }
    return 0;
}

void OrvexVisualizer::runCommand(const std::function<void()>& command)
{
    try {
        // Commands change what the worker reads.
        finishPreviousRun();
        command();
        // The chart follows the data set, the reference, the positions and
        // the map's month.
        if (isChartShown() && getWindowHandle() != nullptr)
            refreshChart();
    } catch (const WException& e) {
        WSystem::showException(this, e);
    } catch (const std::exception& e) {
        // Out of memory while saving a metafile, for example: reported as
        // the worker reports it, and the program goes on.
        WSystem::showException(this, WException(e.what()));
    }
}

void OrvexVisualizer::dispatchCommand(unsigned long id)
{
    switch (id) {
    case CMD_EXIT: onWindowClose(); break;
    case CMD_NEW_POSITION:
    case CMD_KEY_NEW_POSITION: newPosition(); break;
    case CMD_LOAD_DATA_SET:
    case CMD_KEY_LOAD_DATA_SET: loadDataSet(); break;
    case CMD_EXPORT_SERIES: exportSeries(); break;
    case CMD_IMPORT_DATA_SET: importDataSet(); break;
    case CMD_UPDATE_DATA: updateData(); break;
    case CMD_SAVE_GIF:
    case CMD_KEY_SAVE_GIF: saveShownPicture(TASK_SAVE_GIF); break;
    case CMD_SAVE_JPEG: saveShownPicture(TASK_SAVE_JPEG); break;
    case CMD_SAVE_PNG: saveShownPicture(TASK_SAVE_PNG); break;
    case CMD_SAVE_EMF: saveShownPicture(0); break;
    case CMD_SAVE_ANIMATION: AnimationDialog(this, map).show(true); break;
    case CMD_SCALE_100: setScale(100, -1, -1); break;
    case CMD_SCALE_75: setScale(75, -1, -1); break;
    case CMD_SCALE_50: setScale(50, -1, -1); break;
    case CMD_MAP_OUTLINES: setMapType(1, true); break;
    case CMD_MAP_SATELLITE: setMapType(2, true); break;
    case CMD_MAP_LAND_WATER: setMapType(3, true); break;
    case CMD_MAP_PICTURE_2: setMapType(4, true); break;
    case CMD_ORTHOGRAPHIC: toggleOrthographic(); break;
    case CMD_HELP: showHelp(); break;
    case CMD_REFERENCE_PERIOD: chooseReference(); break;
    case CMD_TREND_MAP: chooseTrend(); break;
    case CMD_EXPORT_MAP_TABLE: exportMapTable(); break;
    case CMD_PREVIOUS_MONTH: stepMonth(false); break;
    case CMD_NEXT_MONTH: stepMonth(true); break;
    case CMD_NEXT_YEAR: stepYear(true); break;
    case CMD_PREVIOUS_YEAR: stepYear(false); break;
    case CMD_COPY: copyMap(); break;
    default: dispatchChartCommand(id); break;
    }
}

// The keys stop at the first and the last year the load dialog accepts, as
// the Left arrow stops at January 1850; the map is rebuilt all the same.
void OrvexVisualizer::stepMonth(bool forward)
{
    OrvexDatabase& database = map.database;
    bool rebuild;
    if (!forward)
        rebuild = database.previousMonth();
    else if (database.getYear() >= LAST_YEAR &&
             (database.getSeason() != NO_SEASON ? database.getSeason() == SON
                                                : database.getMonth() >= 12))
        rebuild = !database.isYearAverage() && !database.isTrend();
    else
        rebuild = database.nextMonth();
    if (!rebuild)
        return;
    startTask(TASK_RENDER);
    refreshStatusText();
}

void OrvexVisualizer::stepYear(bool forward)
{
    OrvexDatabase& database = map.database;
    // A trend map stays as it is.
    if (database.isTrend())
        return;
    if (forward && database.getYear() < LAST_YEAR)
        database.nextYear();
    else if (!forward && database.getYear() > FIRST_YEAR)
        database.previousYear();
    startTask(TASK_RENDER);
    refreshStatusText();
}

void OrvexVisualizer::loadDataSet()
{
    OrvexDatabase& database = map.database;
    LoadDataSetDialog dialog(this);
    dialog.setYear(database.getYear());
    dialog.setMonth(database.getMonth());
    dialog.setFileName(database.getName());
    dialog.setYearAverage(database.isYearAverage());
    dialog.setSeason(database.getSeason());
    if (dialog.show(true) != IDOK)
        return;
    const WString& chosen = dialog.getFileName();
    try {
        // Opened anew for another file, and also when no set is open (the
        // one named at start could not be opened, and may be there now).
        if (!chosen.equals(database.getName()) || database.getRows() == 0) {
            database.open(OrvexDatabase::TYPE_GRID_FILE, chosen);
            tellReferenceNotice();
        }
        if (dialog.getSeason() != NO_SEASON)
            database.loadSeason(dialog.getYear(), dialog.getSeason());
        else
            database.load(dialog.getYear(), dialog.getMonth(), dialog.isYearAverage());
    } catch (const WException& e) {
        // A set that does not open leaves an empty map, not a broken one.
        database.close();
        database.load(dialog.getYear(), dialog.getMonth(), dialog.isYearAverage());
        startTask(TASK_RENDER);
        refreshStatusText();
        fileProblems.dataSet(chosen, e);
        return;
    }
    startTask(TASK_RENDER);
    refreshStatusText();
}

void OrvexVisualizer::addPosition(const WString& name, const GmsCoordinates& coordinates)
{
    Position position;
    position.name = name;
    position.coordinates = coordinates;
    map.markerPixel(coordinates, position.mapX, position.mapY);
    map.positions.add(position, map.orthographic);
}

void OrvexVisualizer::newPosition()
{
    PositionDialog dialog(this);
    if (dialog.show(true) != IDOK)
        return;
    addPosition(dialog.getName(), dialog.getCoordinates());
    if (map.orthographic)
        startTask(TASK_RENDER);
    else
        repaintMap();
    refreshStatusText();
}

void OrvexVisualizer::exportSeries()
{
    ExportDialog dialog(this, map.database, map.positions);
    dialog.show(true);
}

void OrvexVisualizer::importDataSet()
{
    WFileSelectDialog files(this, "netCDF-Dateien\0*.nc;*.nc4;*.cdf\0");
    if (!files.showOpenDialog("netCDF-Datei öffnen"))
        return;
    importFile(static_cast<const char*>(files.getFilename()));
}

void OrvexVisualizer::importFile(const std::string& input)
{
    ImportRequest request;
    request.input = input;
    WString folder;
    WSystem::getCurrentDirectory(folder);
    request.outDir = static_cast<const char*>(folder);
    ImportPreview preview;
    try {
        preview = previewImport(request);
    } catch (const ImportFailure& e) {
        fileProblems.importRefused(shownText(request.input).c_str(), e.german().c_str());
        return;
    }

    OrvexDatabase& database = map.database;
    // What the dialog closes is opened again as it was, unless an import
    // replaced it by the data set written.
    WString shownFile(database.getName());
    unsigned int year = database.getYear();
    unsigned int month = database.getMonth();
    bool yearAverage = database.isYearAverage();
    ImportDialog dialog(this, request, preview, database);
    bool imported = dialog.show(true) == 1;
    if (imported) {
        reopenAtLastMonth(dialog.getTargetFile(), dialog.getReport().lastMonthWithData);
        WSystem::showMessage(this, joinedLines(dialog.getReport().german), "Information", false);
    } else if (dialog.closedDataSet()) {
        reopenDataSet(shownFile, year, month, yearAverage);
    }
}

void OrvexVisualizer::updateData()
{
    WString folder;
    WSystem::getCurrentDirectory(folder);
    std::string workFolder = static_cast<const char*>(folder);
    ProductCatalogue catalogue;
    try {
        catalogue = readProductCatalogue(catalogueFile(workFolder));
    } catch (const UpdateFailure& e) {
        WSystem::showMessage(this, e.german().c_str(), "Error", true);
        return;
    }

    OrvexDatabase& database = map.database;
    // As after an import: the data set closed by the dialog is opened again
    // as it was, unless an update replaced it by another.
    WString shownFile(database.getName());
    unsigned int year = database.getYear();
    unsigned int month = database.getMonth();
    bool yearAverage = database.isYearAverage();
    UpdateDialog dialog(this, catalogue, workFolder, database);
    if (dialog.show(true) != 1) {
        if (dialog.closedDataSet())
            reopenDataSet(shownFile, year, month, yearAverage);
        return;
    }
    if (!dialog.getUpdatedFile().empty()) {
        reopenAtLastMonth(WString(dialog.getUpdatedFile().c_str()), dialog.getLastMonth());
    } else if (dialog.closedDataSet()) {
        reopenDataSet(shownFile, year, month, yearAverage);
    }
    WSystem::showMessage(this, joinedLines(dialog.getReport()), "Information", false);
}

void OrvexVisualizer::reopenAtLastMonth(const WString& file, int lastMonth)
{
    // A file without any data opens at January 1850.
    int last = lastMonth > 0 ? lastMonth : 1;
    reopenDataSet(file, FIRST_YEAR + (last - 1) / 12, (last - 1) % 12 + 1, false);
}

void OrvexVisualizer::reopenDataSet(const WString& file, unsigned int year, unsigned int month,
                                    bool yearAverage)
{
    openDataSet(file, OrvexDatabase::blockSizeForName(file), year, month, yearAverage);
}

void OrvexVisualizer::openDataSet(const WString& file, unsigned int blockSize, unsigned int year,
                                  unsigned int month, bool yearAverage)
{
    OrvexDatabase& database = map.database;
    // The import or update may have written the file under the same name.
    chartTab.forgetSeries();
    try {
        database.open(OrvexDatabase::TYPE_GRID_FILE, file, blockSize);
        tellReferenceNotice();
        database.load(year, month, yearAverage);
    } catch (const WException& e) {
        database.close();
        database.load(year, month, yearAverage);
        startTask(TASK_RENDER);
        refreshStatusText();
        // The name is UTF-8; the message shows Windows-1252.
        fileProblems.dataSet(shownText(static_cast<const char*>(file)).c_str(), e);
        return;
    }
    startTask(TASK_RENDER);
    refreshStatusText();
}

void OrvexVisualizer::showHelp()
{
    HelpDialog dialog(this);
    dialog.show(true);
}

WString OrvexVisualizer::suggestedFileName(const char* extension) const
{
    const OrvexDatabase& database = map.database;
    WString name(database.getName());
    long dot = name.indexOf(".");
    if (dot >= 0)
        name.truncate(static_cast<unsigned long>(dot));
    if (database.isTrend()) {
        const TrendSpan& trend = database.getTrend();
        name.append(WFormattedString("_Trend_%u-%u", trend.firstYear, trend.lastYear));
        if (trend.season != NO_SEASON)
            name.append(WFormattedString("_%s", seasonCode(trend.season)));
        else if (trend.month != 0)
            name.append(WFormattedString("_%.2u", trend.month));
    } else if (database.getSeason() != NO_SEASON) {
        name.append(
            WFormattedString("_%u_%s", database.getYear(), seasonCode(database.getSeason())));
    } else if (database.isYearAverage()) {
        name.append(WFormattedString("_%u", database.getYear()));
    } else {
        name.append(WFormattedString("_%u_%.2u", database.getYear(), database.getMonth()));
    }
    name.append(".");
    name.append(extension);
    long slash = name.lastIndexOf('/');
    long backslash = name.lastIndexOf('\\');
    long cut = slash > backslash ? slash : backslash;
    WString shortName;
    name.substring(static_cast<unsigned long>(cut + 1), shortName);
    return shortName;
}

void OrvexVisualizer::saveShownPicture(int kind)
{
    if (!isChartShown()) {
        saveMap(kind);
        return;
    }
    saveChart(kind == TASK_SAVE_GIF    ? SaveFormat::gif
              : kind == TASK_SAVE_JPEG ? SaveFormat::jpeg
              : kind == TASK_SAVE_PNG  ? SaveFormat::png
                                       : SaveFormat::emf);
}

void OrvexVisualizer::saveMap(int kind)
{
    const SaveFormat& format = kind == TASK_SAVE_GIF    ? SaveFormat::gif
                               : kind == TASK_SAVE_JPEG ? SaveFormat::jpeg
                               : kind == TASK_SAVE_PNG  ? SaveFormat::png
                                                        : SaveFormat::emf;
    if (!coastlinesAvailable(true))
        return;
    WString name;
    if (!chooseSaveFile(format, name))
        return;
    if (kind == 0) {
        MapSaver(map).saveEmf(name);
        return;
    }
    outputFile = name;
    startTask(kind);
}

bool OrvexVisualizer::chooseSaveFile(const SaveFormat& format, WString& name)
{
    return chooseSaveFile(format, suggestedFileName(format.defaultExtension), name);
}

bool OrvexVisualizer::chooseSaveFile(const SaveFormat& format, const WString& suggested,
                                     WString& name)
{
    WFileSelectDialog dialog(this, format.filter);
    dialog.setInitialFilename(suggested);
    if (!dialog.showSaveDialog(format.title))
        return false;
    name = dialog.getFilename();
    if (!format.completeFileName(name)) {
        WSystem::showMessage(this, format.wrongExtension, "Information", false);
        return false;
    }
    return true;
}

void OrvexVisualizer::onMapPageLeftDoubleClick(int x, int y)
{
    finishPreviousRun();
    Position hit;
    unsigned int number = map.hitTestMarker(x, y, hit);
    PositionDialog dialog(this);
    if (number != 0) {
        dialog.setName(hit.name);
        dialog.setCoordinates(hit.coordinates);
    } else {
        GmsCoordinates clicked;
        map.pixelToPosition(x, y, clicked);
        dialog.setName("Neue Position");
        dialog.setCoordinates(clicked);
    }
    if (dialog.show(true) != IDOK)
        return;
    if (number != 0) {
        Position edited;
        edited.name = dialog.getName();
        edited.coordinates = dialog.getCoordinates();
        map.markerPixel(edited.coordinates, edited.mapX, edited.mapY);
        map.positions.replace(number, edited);
    } else {
        addPosition(dialog.getName(), dialog.getCoordinates());
    }
    if (map.orthographic)
        startTask(TASK_RENDER);
    else
        repaintMap();
    refreshStatusText();
}

void OrvexVisualizer::onMapPageRightDown(int x, int y)
{
    finishPreviousRun();
    Position hit;
    unsigned int number = map.hitTestMarker(x, y, hit);
    if (number == 0)
        return;
    if (map.orthographic) {
        WSystem::showMessage(
            this, "Im orthografischen Modus kann die Ansichtsposition nicht entfernt werden.",
            "Information", false);
        return;
    }
    if (number == 1 && map.positions.size() > 1) {
        WSystem::showMessage(this, "Bitte erst alle roten Positionen entfernen.", "Information",
                             false);
        return;
    }
    map.positions.remove(number);
    repaintMap();
    refreshStatusText();
}
