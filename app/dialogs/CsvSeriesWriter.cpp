#include "CsvSeriesWriter.h"

#include "OrvexDatabase.h"
#include "WSystem.h"

namespace {
// Enough for a few thousand lines per write call.
const unsigned long blockSize = 64 * 1024;
}

CsvSeriesWriter::CsvSeriesWriter(bool withPositions) : withPositions(withPositions)
{
    buffer.reserve(blockSize + 1024);
}

void CsvSeriesWriter::create(const char* fileName)
{
    buffer.clear();
    file.create(fileName, false);
}

void CsvSeriesWriter::writeHeading(const char* dataSetFile, const char* positionNames)
{
    // Joined rather than formatted: a formatted string ends at 1024
    // characters, and many or long names would cut off the last column.
    appendLine((std::string("Datenbank: ") + dataSetFile).c_str());
    appendLine("-99,9 Keine Daten");
    if (withPositions)
        appendLine((std::string("Jahr;Monat;Anomalie Gesamt;Anomalie ") + positionNames +
                    ";Abdeckung in Prozent")
                       .c_str());
    else
        appendLine("Jahr;Monat;Anomalie Gesamt;Abdeckung in Prozent");
}

void CsvSeriesWriter::writeMonth(unsigned int year, unsigned int month, double globalMean,
                                 double positionMean, double coverage)
{
    appendDataLine(WFormattedString("%u;%u", year, month), globalMean, positionMean, coverage);
}

void CsvSeriesWriter::writeGroup(const char* yearText, const char* monthText, double globalMean,
                                 double positionMean, double coverage)
{
    appendDataLine(WFormattedString("%s;%s", yearText, monthText), globalMean, positionMean,
                   coverage);
}

void CsvSeriesWriter::appendDataLine(const WString& leading, double globalMean, double positionMean,
                                     double coverage)
{
    unsigned int percent = static_cast<unsigned int>(WSystem::round(coverage, 0));
    WFormattedString line;
    if (!withPositions)
        line.format("%s;%f;%u", static_cast<const char*>(leading), globalMean, percent);
    else if (positionMean == MISSING_VALUE)
        line.format("%s;%f;-99.9;%u", static_cast<const char*>(leading), globalMean, percent);
    else
        line.format("%s;%f;%f;%u", static_cast<const char*>(leading), globalMean, positionMean,
                    percent);
    line.replace('.', ',');
    appendLine(line);
}

void CsvSeriesWriter::appendLine(const char* text)
{
    buffer.append(text);
    buffer.append("\r\n");
    if (buffer.size() >= blockSize)
        writeBuffer();
}

void CsvSeriesWriter::writeBuffer()
{
    if (!buffer.empty())
        file.write(buffer.data(), static_cast<unsigned long>(buffer.size()));
    buffer.clear();
}

void CsvSeriesWriter::close()
{
    try {
        writeBuffer();
    } catch (...) {
        file.close();
        throw;
    }
    file.close();
}
