#include "ChartTable.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "ChartOptions.h"
#include "ChartSeries.h"
#include "ChartTexts.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "ReplacementFile.h"
#include "SeriesStatistics.h"
#include "WException.h"
#include "YearRange.h"

namespace {

[[noreturn]] void tableFailed()
{
    throw WException("Die Tabelle kann nicht geschrieben werden.", -3);
}

std::string number(double value)
{
    if (value == MISSING_VALUE)
        return "-99,9";
    char text[64];
    std::snprintf(text, sizeof text, "%.6f", value);
    std::string result(text);
    for (char& c : result)
        if (c == '.')
            c = ',';
    return result;
}

// An open C stream on the temporary file, closed at the end of a scope.
class TableFile {
public:
    explicit TableFile(const std::wstring& name) : file(_wfopen(name.c_str(), L"wb")) {}
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;
    ~TableFile()
    {
        if (file != nullptr)
            std::fclose(file);
    }
    bool isOpen() const { return file != nullptr; }
    void line(const std::string& text) { std::fputs((text + "\r\n").c_str(), file); }
    // False when anything failed to be written.
    bool close()
    {
        bool written = std::ferror(file) == 0;
        written = std::fclose(file) == 0 && written;
        file = nullptr;
        return written;
    }

private:
    FILE* file;
};

} // namespace

void writeChartTable(const char* fileName, const ChartSeries& series, const ChartOptions& options,
                     long long firstMonth, long long lastMonth)
{
    ReplacementFile output(fileName);
    if (!output.isReserved())
        tableFailed();
    TableFile table(output.getWideName());
    if (!table.isOpen())
        tableFailed();
    table.line("Datenbank: " + series.dataSetName());
    table.line(referenceText(series));
    std::string names;
    for (const PositionSeries& position : series.positions())
        names += ";" + position.name;
    table.line("Monat;Global;Nordhalbkugel;Südhalbkugel;Abdeckung %" + names);
    long long count = series.monthCount();
    for (long long k = std::max(firstMonth, 1LL); k <= std::min(lastMonth, count); ++k) {
        size_t i = static_cast<size_t>(k - 1);
        std::string line = monthText(k) + ";" + number(series.globalMonths()[i]) + ";" +
                           number(series.northernMonths()[i]) + ";" +
                           number(series.southernMonths()[i]) + ";" +
                           number(series.coverageMonths()[i]);
        for (const PositionSeries& position : series.positions())
            line += ";" + number(position.months.empty() ? MISSING_VALUE : position.months[i]);
        table.line(line);
    }
    table.line("");
    table.line("Jahr;Global;Nordhalbkugel;Südhalbkugel;Abdeckung %" + names);
    size_t firstYear = static_cast<size_t>(std::max(firstMonth, 1LL) - 1) / 12;
    size_t lastYear = static_cast<size_t>(std::min(lastMonth, count) - 1) / 12;
    for (size_t i = firstYear; i <= lastYear && i < series.yearCount(); ++i) {
        std::string line = std::to_string(FIRST_YEAR + i) + ";" + number(series.globalYears()[i]) +
                           ";" + number(series.northernYears()[i]) + ";" +
                           number(series.southernYears()[i]) + ";" +
                           number(series.coverageYears()[i]);
        for (const PositionSeries& position : series.positions())
            line += ";" + number(position.years.empty() ? MISSING_VALUE : position.years[i]);
        table.line(line);
    }
    if (options.runningYears > 0) {
        table.line("");
        table.line("Gleitendes Mittel über " + std::to_string(options.runningYears) +
                   " Jahre;Global");
        std::vector<double> means = runningMean(series.globalYears(), options.runningYears);
        for (size_t i = 0; i < means.size(); ++i) {
            double middle = FIRST_YEAR + i + (options.runningYears - 1) / 2.0;
            table.line(number(middle).substr(0, number(middle).find(',') + 2) + ";" +
                       number(means[i]));
        }
    }
    if (options.trend) {
        LinearTrend trend =
            linearTrend(series.globalYears(), options.trendFirstYear, options.trendLastYear);
        table.line("");
        table.line("Trend " + yearSpanText(options.trendFirstYear, options.trendLastYear) +
                   " (°C/Jahrzehnt);" + (trend.valid ? number(trend.perDecade) : "-99,9"));
    }
    if (!table.close() || !output.commit())
        tableFailed();
}
