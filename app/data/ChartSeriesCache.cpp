#include "ChartSeriesCache.h"

#include "OrvexDatabase.h"
#include "PositionCollection.h"

namespace {

// Everything the series depend on, as one text.
std::string seriesKey(OrvexDatabase& database, PositionCollection& positions)
{
    const ReferencePeriod& reference = database.getReference();
    std::string key = std::string(static_cast<const char*>(database.getName())) + '\n' +
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
               std::to_string(c.latSouth) + ' ' + std::to_string(c.lonDegrees) + ' ' +
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
    }
    return *series;
}

void ChartSeriesCache::clear()
{
    series.reset();
    key.clear();
}
