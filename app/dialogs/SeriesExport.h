#pragma once

#include <atomic>
#include <memory>

#include "FieldChoice.h"
#include "PositionCollection.h"
#include "WString.h"

// Which months an export covers: startMonth..stopMonth (over the turn of the
// year when stopMonth is the smaller) of every year from startYear to
// stopYear; with monthlyAverage one averaged line per such group of months.
struct SeriesRange {
    unsigned int startYear;
    unsigned int startMonth;
    unsigned int stopYear;
    unsigned int stopMonth;
    bool monthlyAverage;
};

// The monthly series of a grid data set written as CSV (CsvSeriesWriter):
// per month the global value, the positions' mean and the coverage. It reads
// a data set of its own and a copy of the positions, so it can run on any
// thread while the program's data set and positions stay in use.
class SeriesExport {
public:
    // Hears about the advance, on the exporting thread.
    class Listener {
    public:
        // Before the first month: the number of months the range has.
        virtual void onExportStart(unsigned long long total) = 0;
        // After each month: how many are done.
        virtual void onExportProgress(unsigned long long done) = 0;

    protected:
        ~Listener() = default;
    };

    // positions: copied now; null exports without the position column.
    SeriesExport(const char* dataSetName, const SeriesRange& range,
                 const PositionCollection* positions);
    SeriesExport(const SeriesExport&) = delete;
    SeriesExport& operator=(const SeriesExport&) = delete;

    // The months are referred to this period (as stored by default), and
    // the heading names it.
    void setReference(const ReferencePeriod& period) { reference = period; }

    // Opens the data set, creates the file and writes the range. Stops
    // before the next month once cancel is set: true when every month was
    // written. The listener may be null. Failures of the data set or the file are thrown
    // (WException).
    bool write(const char* fileName, const std::atomic<bool>& cancel, Listener* listener);

    // The last month read (0 before the first).
    unsigned int getLastYear() const { return lastYear; }
    unsigned int getLastMonth() const { return lastMonth; }
    // Months of one group: stop - start + 1, over the turn of the year + 12.
    static unsigned int monthsPerGroup(unsigned int startMonth, unsigned int stopMonth);

private:
    WString positionNames();

    WString dataSetName;
    SeriesRange range;
    ReferencePeriod reference;
    std::unique_ptr<PositionCollection> positions;
    unsigned int lastYear;
    unsigned int lastMonth;
};
