#include "MonthRange.h"

#include "MonthText.h"
#include "YearRange.h"

const char* monthRangeProblem(unsigned int startYear, unsigned int startMonth, unsigned int stopYear,
                              unsigned int stopMonth, bool monthsInOrder, WFormattedString& text)
{
    if (startYear < FIRST_YEAR)
        return text.format("Jahr ab %u möglich.", FIRST_YEAR);
    if (startMonth < 1 || startMonth > 12 || stopMonth < 1 || stopMonth > 12)
        return "Monatsbereich 1-12.";
    if (stopYear < startYear)
        return "Start-Jahr muss vor dem Stop-Jahr liegen.";
    if (monthsInOrder && stopYear == startYear && stopMonth < startMonth)
        return "Start-Monat muss vor dem Stop-Monat liegen.";
    // Four-digit years keep month numbers, files and running times bounded
    // whatever is typed.
    if (stopYear > LAST_YEAR)
        return text.format("Jahr bis %u möglich.", LAST_YEAR);
    return nullptr;
}

const char* dataSetRangeProblem(unsigned int stopYear, unsigned int stopMonth, bool yearAverage,
                                unsigned int monthCount, WFormattedString& text)
{
    long long stop = (static_cast<long long>(stopYear) - FIRST_YEAR) * 12 +
                     (yearAverage ? 0 : static_cast<long long>(stopMonth) - 1);
    if (stop < static_cast<long long>(monthCount))
        return nullptr;
    if (monthCount == 0)
        return "Der Datensatz enthält keine Daten.";
    unsigned int lastYear = FIRST_YEAR + (monthCount - 1) / 12;
    if (yearAverage)
        return text.format("Daten bis %u vorhanden.", lastYear);
    return text.format("Daten bis %s vorhanden.", germanMonthText(monthCount).c_str());
}
