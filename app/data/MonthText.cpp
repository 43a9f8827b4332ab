#include "MonthText.h"

#include <cstdio>

#include "YearRange.h"

namespace {

const char* const monthNames[12] = {"Januar",    "Februar", "März",     "April",
                                    "Mai",       "Juni",    "Juli",     "August",
                                    "September", "Oktober", "November", "Dezember"};

// Year and month 1..12 of month k, months before FIRST_YEAR included.
void split(long long month, long long& year, int& monthOfYear)
{
    long long fromStart = month - 1;
    long long yearsFromStart = fromStart >= 0 ? fromStart / 12 : -((11 - fromStart) / 12);
    year = FIRST_YEAR + yearsFromStart;
    monthOfYear = static_cast<int>(fromStart - yearsFromStart * 12) + 1;
}

} // namespace

long long monthNumber(unsigned int year, unsigned int month)
{
    return (static_cast<long long>(year) - FIRST_YEAR) * 12 + month;
}

std::string monthText(long long month)
{
    long long year;
    int monthOfYear;
    split(month, year, monthOfYear);
    char text[32];
    std::snprintf(text, sizeof text, "%04lld-%02d", year, monthOfYear);
    return text;
}

const char* germanMonthName(unsigned int monthOfYear)
{
    return monthNames[(monthOfYear - 1) % 12];
}

std::string germanMonthText(long long month)
{
    long long year;
    int monthOfYear;
    split(month, year, monthOfYear);
    char text[48];
    std::snprintf(text, sizeof text, "%s %lld", monthNames[monthOfYear - 1], year);
    return text;
}
