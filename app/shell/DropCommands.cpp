// Copying the map onto the clipboard, and the files dropped on the window.
#include "OrvexVisualizer.h"

#include <string>

#include "DroppedFiles.h"
#include "FileNameText.h"
#include "GridFileProbe.h"
#include "MapCanvas.h"
#include "MapClipboard.h"
#include "WException.h"
#include "WSystem.h"

namespace {

// The last part of a path.
std::string lastPart(const std::string& path)
{
    size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// The extension of a path's last part in lower case; empty when it has none.
std::string extension(const std::string& path)
{
    std::string name = lastPart(path);
    size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    std::string lower = name.substr(dot + 1);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

} // namespace

void OrvexVisualizer::copyMap()
{
    if (isChartShown()) {
        // The chart as the tab shows it, at the page's size.
        int width, height;
        chartTab.pageSize(width, height);
        if (width <= 0 || height <= 0)
            return;
        MapCanvas picture(width, height);
        chartTab.draw(picture.getDC(), width, height);
        MapClipboard::copyPicture(*this, picture);
        return;
    }
    if (!coastlinesAvailable(true))
        return;
    MapClipboard(map).copy(*this);
}

void OrvexVisualizer::openDroppedFiles(const DroppedFiles& dropped)
{
    UINT count = dropped.count();
    if (count == 0)
        return;
    std::string file = dropped.name(0);
    std::string shownName = shownText(lastPart(file));
    if (count > 1)
        WSystem::showMessage(this,
                             WFormattedString("Es wurden %u Dateien abgelegt. Geöffnet wird nur "
                                              "die erste: »%.900s«.",
                                              count, shownName.c_str()),
                             "Information", false);
    std::string kind = extension(file);
    if (kind == "nc" || kind == "nc4" || kind == "cdf") {
        importFile(file);
    } else if (kind == "dat") {
        openDroppedGridFile(file);
    } else {
        WString text("Die Datei »");
        text += shownName.c_str();
        text += "« kann das Programm nicht öffnen.\r\nAuf dem Fenster abgelegt werden können "
                "netCDF-Dateien (*.nc, *.nc4, *.cdf), die dann importiert werden, und "
                "Datensätze (*.dat).";
        WSystem::showMessage(this, text, "Information", false);
    }
}

// Opened at the month shown, as "Datensatz laden" opens another set; its
// layout is told by its name or its content, wherever it lies.
void OrvexVisualizer::openDroppedGridFile(const std::string& file)
{
    const OrvexDatabase& database = map.database;
    unsigned int blockSize = 0;
    try {
        blockSize = gridFileBlockSize(file);
    } catch (const WException& e) {
        // The set shown stays.
        fileProblems.dataSet(shownText(file).c_str(), e);
        return;
    }
    openDataSet(WString(file.c_str()), blockSize, database.getYear(), database.getMonth(),
                database.isYearAverage());
}
