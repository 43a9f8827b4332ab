#include "SeriesExport.h"

#include "CsvSeriesWriter.h"
#include "OrvexDatabase.h"
#include "WSystem.h"

namespace {

// The sums of one group of months.
struct GroupSums {
    double globalMean = 0.0;
    double positionMean = 0.0;
    double coverage = 0.0;
    unsigned int months = 0;
    unsigned int monthsWithPositions = 0;
    unsigned int firstYear = 0;
    unsigned int firstMonth = 0;
};

WString spanText(unsigned int first, unsigned int last)
{
    if (first == last)
        return WFormattedString("%u", first);
    return WFormattedString("%u bis %u", first, last);
}

} // namespace

SeriesExport::SeriesExport(const char* dataSetName, const SeriesRange& range,
                           const PositionCollection* positions)
    : dataSetName(dataSetName), range(range),
      positions(positions != nullptr ? new PositionCollection(*positions) : nullptr), lastYear(0),
      lastMonth(0)
{
}

unsigned int SeriesExport::monthsPerGroup(unsigned int startMonth, unsigned int stopMonth)
{
    if (stopMonth >= startMonth)
        return stopMonth - startMonth + 1;
    return stopMonth + 13 - startMonth;
}

WString SeriesExport::positionNames()
{
    // The names in the position column's heading; a semicolon or quote in
    // a name would break the columns.
    WString names;
    positions->reset();
    while (positions->hasMoreElements()) {
        WString name(positions->nextPosition().name);
        name.replace(';', ',');
        name.replace('"', '\'');
        if (names.length() > 0)
            names.append(", ");
        names.append(name);
    }
    return names;
}

bool SeriesExport::write(const char* fileName, const std::atomic<bool>& cancel, Listener* listener)
{
    lastYear = 0;
    lastMonth = 0;
    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE, dataSetName);
    if (!reference.isStored())
        database.setReference(reference);

    bool withPositions = positions != nullptr;
    CsvSeriesWriter writer(withPositions);
    writer.create(fileName);
    WString dataSetFile;
    WSystem::extractPath(dataSetName, dataSetFile, true);
    if (!reference.isStored()) {
        WFormattedString referred(", %s (%s)", referenceSuffix(reference).c_str(),
                                  referenceMethodName(reference.method));
        dataSetFile += referred;
    }
    writer.writeHeading(dataSetFile, withPositions ? positionNames() : WString());

    unsigned long long perGroup = monthsPerGroup(range.startMonth, range.stopMonth);
    unsigned long long groups =
        range.stopYear >= range.startYear ? range.stopYear - range.startYear + 1ULL : 0;
    unsigned long long total = groups * perGroup;
    if (listener != nullptr)
        listener->onExportStart(total);

    unsigned long long index = range.startYear * 12ULL + range.startMonth - 1;
    unsigned long long done = 0;
    for (unsigned long long group = 0; group < groups && !cancel; ++group) {
        GroupSums sums;
        for (unsigned long long k = 0; k < perGroup && !cancel; ++k) {
            unsigned int year = static_cast<unsigned int>((index + k) / 12);
            unsigned int month = static_cast<unsigned int>((index + k) % 12 + 1);
            lastYear = year;
            lastMonth = month;
            if (sums.months == 0) {
                sums.firstYear = year;
                sums.firstMonth = month;
            }
            database.load(year, month, false);
            double positionMean = withPositions ? positions->meanValue(database) : 0.0;
            if (range.monthlyAverage) {
                sums.globalMean += database.getGlobalMean();
                sums.coverage += database.getCoverage();
                if (positionMean != MISSING_VALUE) {
                    sums.positionMean += positionMean;
                    ++sums.monthsWithPositions;
                }
            } else {
                writer.writeMonth(year, month, database.getGlobalMean(), positionMean,
                                  database.getCoverage());
            }
            ++sums.months;
            ++done;
            if (listener != nullptr)
                listener->onExportProgress(done);
        }
        // A group cut short by cancelling is the mean of the months read.
        if (range.monthlyAverage && sums.months > 0) {
            double share = 1.0 / sums.months;
            double positionMean = sums.monthsWithPositions > 0
                                      ? sums.positionMean * (1.0 / sums.monthsWithPositions)
                                      : MISSING_VALUE;
            writer.writeGroup(spanText(sums.firstYear, lastYear),
                              spanText(sums.firstMonth, lastMonth), sums.globalMean * share,
                              positionMean, sums.coverage * share);
        }
        index += 12;
    }
    writer.close();
    return done == total;
}
