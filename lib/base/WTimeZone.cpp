#include "WTimeZone.h"

#include "WDate.h"
#include "WException.h"
#include "WUnicode.h"

namespace {
WTimeZone::Date toRule(const SYSTEMTIME& time)
{
    WTimeZone::Date rule;
    rule.month = time.wMonth;
    rule.dayOfWeek = time.wDayOfWeek;
    rule.week = time.wDay;
    rule.hour = time.wHour;
    rule.minute = time.wMinute;
    return rule;
}

WString toUtf8(const wchar_t* text)
{
    WString converted;
    WUnicode::toUtf8(text, converted);
    return converted;
}

// Weekday (0 = Sunday) of the first of the month by the system's conversion.
int weekdayOfFirst(int year, int month)
{
    // Checked here as well: not every system rejects month 13 itself.
    if (year < 1601 || year > 30827 || month < 1 || month > 12)
        throw WDateException("Invalid date/time", -1);
    SYSTEMTIME time = {};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = 1;
    FILETIME fileTime;
    if (!SystemTimeToFileTime(&time, &fileTime) || !FileTimeToSystemTime(&fileTime, &time))
        throw WDateException("Invalid date/time", -1);
    return time.wDayOfWeek;
}

bool isAtOrAfter(int hour, int minute, const WTimeZone::Date& rule)
{
    return hour > rule.hour || (hour == rule.hour && minute >= rule.minute);
}
}

WTimeZone::WTimeZone()
    : bias(0), standardBias(0), daylightBias(0), daylightZone(false)
{
}

WTimeZone::WTimeZone(const char* name, int bias)
    : bias(bias), standardName(name), standardBias(0), daylightBias(0), daylightZone(false)
{
}

WTimeZone::WTimeZone(const char* standardName, const char* daylightName, int bias,
                     const Date& standardDate, int standardBias, const Date& daylightDate,
                     int daylightBias)
    : bias(bias), standardName(standardName), daylightName(daylightName),
      standardDate(standardDate), standardBias(standardBias), daylightDate(daylightDate),
      daylightBias(daylightBias), daylightZone(standardDate.month != 0)
{
}

WTimeZone::WTimeZone(const TIME_ZONE_INFORMATION& info)
    : WTimeZone(toUtf8(info.StandardName), toUtf8(info.DaylightName), info.Bias,
                toRule(info.StandardDate), info.StandardBias, toRule(info.DaylightDate),
                info.DaylightBias)
{
}

int WTimeZone::calcBias(int year, int month, int day, int hour, int minute,
                        bool& daylight) const
{
    daylight = daylightZone && isDaylightAt(year, month, day, hour, minute);
    return bias + (daylight ? daylightBias : standardBias);
}

bool WTimeZone::isDaylightAt(int year, int month, int day, int hour, int minute) const
{
    const int daylightMonth = daylightDate.month;
    const int standardMonth = standardDate.month;
    auto afterDaylightChange = [&]() {
        int changeDay =
            getCurrentTimeZoneDay(year, daylightMonth, daylightDate.dayOfWeek, daylightDate.week);
        return day != changeDay ? day > changeDay : isAtOrAfter(hour, minute, daylightDate);
    };
    auto beforeStandardChange = [&]() {
        int changeDay =
            getCurrentTimeZoneDay(year, standardMonth, standardDate.dayOfWeek, standardDate.week);
        return day != changeDay ? day < changeDay : !isAtOrAfter(hour, minute, standardDate);
    };

    if (daylightMonth <= standardMonth) {
        if (month >= daylightMonth && month < standardMonth)
            return month > daylightMonth || afterDaylightChange();
        return month == standardMonth && beforeStandardChange();
    }
    // The daylight period runs over the turn of the year.
    if (month > daylightMonth || month < standardMonth)
        return true;
    if (month == daylightMonth)
        return afterDaylightChange();
    return month == standardMonth && beforeStandardChange();
}

int WTimeZone::getCurrentTimeZoneDay(int year, int month, int dayOfWeek, int week)
{
    int firstWeekday = weekdayOfFirst(year, month);
    if (dayOfWeek == 7)
        dayOfWeek = 0;
    if (dayOfWeek < 0 || dayOfWeek > 6 || week < 1 || week > 5)
        return 0;
    int first = 1 + (dayOfWeek - firstWeekday + 7) % 7;
    int last = WDate::getMaxDaysOfMonth(static_cast<unsigned long>(year),
                                        static_cast<unsigned long>(month));
    if (week == 5)
        return first + (last - first) / 7 * 7;
    int day = first + (week - 1) * 7;
    return day <= last ? day : 0;
}
