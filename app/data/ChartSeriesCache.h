#pragma once

#include <memory>
#include <string>

#include "ChartSeries.h"

// The chart's series of the open data set, read once and kept while the
// data set (name, months), its reference period and the positions stay as
// they were; any change reads them again at the next get.
class ChartSeriesCache {
public:
    // Throws what reading the file throws; the series kept before is then
    // dropped.
    const ChartSeries& get(OrvexDatabase& database, PositionCollection& positions);
    // Forgets the series (the data set was closed).
    void clear();
    // How often the series were read: a change of it means new series.
    unsigned long readCount() const { return reads; }

private:
    std::string key;
    unsigned long reads = 0;
    std::unique_ptr<ChartSeries> series;
};
