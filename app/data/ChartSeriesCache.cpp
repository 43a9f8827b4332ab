#include "ChartSeriesCache.h"

#include <windows.h>

#include "FileNameText.h"
#include "OrvexDatabase.h"
#include "PositionCollection.h"

namespace {

// The file's size and last write: an import or an update may replace a
// data set by one of the same name and length.
std::string fileStamp(const char* name)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(systemFileName(name).c_str(), GetFileExInfoStandard, &data))
        return "-";
    return std::to_string(data.nFileSizeHigh) + ':' + std::to_string(data.nFileSizeLow) + ':' +
           std::to_string(data.ftLastWriteTime.dwHighDateTime) + ':' +
           std::to_string(data.ftLastWriteTime.dwLowDateTime);
}

// Everything the series depend on, as one text.
std::string seriesKey(OrvexDatabase& database, PositionCollection& positions)
{
    const ReferencePeriod& reference = database.getReference();
    std::string key = std::string(static_cast<const char*>(database.getName())) + '\n' +
                      fileStamp(database.getName()) + ' ' +
                      std::to_string(database.getMonthCount()) + ' ' +
                      std::to_string(database.getBlockSize()) + ' ' +
                      std::to_string(reference.method) + ' ' + std::to_string(reference.firstYear) +
                      ' ' + std::to_string(reference.lastYear);
    positions.reset();
    while (positions.hasMoreElements()) {
        const Position& position = positions.nextPosition();
        const GmsCoordinates& c = position.coordinates;
        key += '\n' + std::to_string(positions.getCurrentNumber()) + ' ' +
               static_cast<const char*>(position.name) + '\t' + std::to_string(c.latDegrees) + ' ' +
               std::to_string(c.latMinutes) + ' ' + std::to_string(c.latSeconds) + ' ' +
               std::to_string(c.latSouth) + ' ' + std::to_string(c.lonDegrees) + ' ' +
               std::to_string(c.lonMinutes) + ' ' + std::to_string(c.lonSeconds) + ' ' +
               std::to_string(c.lonWest);
    }
    return key;
}

} // namespace

const ChartSeries& ChartSeriesCache::get(OrvexDatabase& database, PositionCollection& positions)
{
    std::string wanted = seriesKey(database, positions);
    if (!series || wanted != key) {
        clear();
        series.reset(new ChartSeries(database, positions));
        key = wanted;
        ++reads;
    }
    return *series;
}

void ChartSeriesCache::clear()
{
    series.reset();
    key.clear();
}
