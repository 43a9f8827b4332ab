#include "CsvFieldWriter.h"

#include <cstdio>
#include <string>

#include "FieldChoice.h"
#include "MonthText.h"
#include "OrvexDatabase.h"
#include "WFile.h"
#include "WSystem.h"

namespace {

std::string periodLine(const OrvexDatabase& database)
{
    if (database.isTrend())
        return "Zeitraum: " + trendSpanText(database.getTrend()) +
               " (Grad Celsius pro Jahrzehnt)";
    std::string year = std::to_string(database.getYear());
    if (database.getSeason() != NO_SEASON)
        return std::string("Zeitraum: ") + seasonName(database.getSeason()) + " " + year;
    if (database.isYearAverage())
        return "Zeitraum: Jahresdurchschnitt " + year;
    return "Zeitraum: " + germanMonthText(monthNumber(database.getYear(), database.getMonth()));
}

std::string referenceLine(const OrvexDatabase& database)
{
    if (database.isTrend())
        return "Bezug: keiner, ein Trend hängt vom Bezugszeitraum nicht ab";
    const ReferencePeriod& reference = database.getReference();
    if (reference.isStored())
        return "Bezug: " + storedReferenceChoice(static_cast<const char*>(database.getName()));
    return "Bezug: " + referenceSuffix(reference) + " (" + referenceMethodName(reference.method) +
           ")";
}

} // namespace

void CsvFieldWriter::write(const char* fileName, const OrvexDatabase& database)
{
    WString dataSetFile;
    WSystem::extractPath(database.getName(), dataSetFile, true);
    std::string text = std::string("Datenbank: ") + static_cast<const char*>(dataSetFile) + "\r\n";
    text += periodLine(database) + "\r\n";
    text += referenceLine(database) + "\r\n";
    text += "-99,9 Keine Daten\r\n";
    text += database.isTrend() ? "Breite;Länge;Trend pro Jahrzehnt\r\n" : "Breite;Länge;Anomalie\r\n";

    double size = database.getResolution();
    for (unsigned int row = 0; row < database.getRows(); ++row) {
        for (unsigned int column = 0; column < database.getColumns(); ++column) {
            double latitude = 90 - (row + 0.5) * size;
            double longitude = -180 + (column + 0.5) * size;
            double value = database.valueAtCell(column, row);
            char line[96];
            if (value == MISSING_VALUE)
                std::snprintf(line, sizeof line, "%.1f;%.1f;-99.9", latitude, longitude);
            else
                std::snprintf(line, sizeof line, "%.1f;%.1f;%f", latitude, longitude, value);
            for (char* c = line; *c != '\0'; ++c)
                if (*c == '.')
                    *c = ',';
            text += line;
            text += "\r\n";
        }
    }
    WFile file;
    file.create(fileName, false);
    file.write(text.data(), static_cast<unsigned long>(text.size()));
    file.close();
}
