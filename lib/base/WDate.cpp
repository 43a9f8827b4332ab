#include "WDate.h"

#include <cstdio>
#include <cstdlib>

#include "WException.h"
#include "WSystem.h"
#include "WSystemInfo.h"

namespace {
const long long ticksPerSecond = 10000000LL;
const long long ticksPerMinute = 60 * ticksPerSecond;
const long long secondsFrom1601To1970 = 11644473600LL;
const long long secondsPerDay = 86400LL;

const WTimeZone defaultZoneMarker;

const char* const monthShort[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                  "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const monthFull[] = {"January", "February", "March",     "April",
                                 "May",     "June",     "July",      "August",
                                 "September", "October", "November", "December"};
const char* const weekdayShort[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const weekdayFull[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                   "Thursday", "Friday", "Saturday"};

bool ticksToSystemTime(long long ticks, SYSTEMTIME& out)
{
    if (ticks < 0)
        return false;
    FILETIME fileTime;
    fileTime.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFLL);
    fileTime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return FileTimeToSystemTime(&fileTime, &out) != 0;
}

long long fileTimeToTicks(const FILETIME& fileTime)
{
    return static_cast<long long>((static_cast<unsigned long long>(fileTime.dwHighDateTime) << 32)
                                  | fileTime.dwLowDateTime);
}

// ticks + minutes, false when the result leaves the range the system can hold.
bool addMinutes(long long ticks, int minutes, long long& out)
{
    long long offset = static_cast<long long>(minutes) * ticksPerMinute;
    return !__builtin_add_overflow(ticks, offset, &out) && out >= 0;
}

// Days since 1 January 1970 of a proleptic Gregorian date.
long long daysFromCivil(long long year, long long month, long long day)
{
    year -= month <= 2 ? 1 : 0;
    long long era = (year >= 0 ? year : year - 399) / 400;
    long long yearOfEra = year - era * 400;
    long long dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// 0 = Sunday; 1 January 1970 was a Thursday.
int weekdayOf(long long year, long long month, long long day)
{
    long long weekday = (daysFromCivil(year, month, day) + 4) % 7;
    return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

bool isLeap(long long year)
{
    return year % 400 == 0 || (year % 4 == 0 && year % 100 != 0);
}

int isoWeeksInYear(long long year)
{
    int firstWeekday = weekdayOf(year, 1, 1);
    return firstWeekday == 4 || (firstWeekday == 3 && isLeap(year)) ? 53 : 52;
}

// The system's conversion alone is not strict everywhere (some versions
// roll 29 February 2001 over to 1 March), so the fields are checked first.
bool isPossible(int year, int month, int day, int hour, int minute, int second)
{
    return year >= 1601 && year <= 30827 && month >= 1 && month <= 12 && day >= 1
           && day <= WDate::getMaxDaysOfMonth(static_cast<unsigned long>(year),
                                              static_cast<unsigned long>(month))
           && hour >= 0 && hour < 24 && minute >= 0 && minute < 60 && second >= 0 && second < 60;
}
}

const WTimeZone& WDate::TIME_ZONE_DEFAULT = defaultZoneMarker;

WDate::WDate()
    : local(), utc(0), formatBuffer(32UL),
      timeZone(WSystem::getSystemInfo().getLocalTimeZone()), bias(0), daylight(false)
{
    loadTime();
}

WDate::WDate(unsigned long long seconds)
    : local(), utc(0), formatBuffer(32UL),
      timeZone(WSystem::getSystemInfo().getLocalTimeZone()), bias(0), daylight(false)
{
    setTime(seconds);
}

WDate::WDate(int year, int month, int day, int hour, int minute, int second,
             const WTimeZone& zone)
    : local(), utc(0), formatBuffer(32UL),
      timeZone(WSystem::getSystemInfo().getLocalTimeZone()), bias(0), daylight(false)
{
    parse(year, month, day, hour, minute, second, zone);
}

WDate::~WDate() = default;

void WDate::parse(int year, int month, int day, int hour, int minute, int second,
                  const WTimeZone& zone)
{
    if (!isPossible(year, month, day, hour, minute, second))
        throw WDateException("Invalid date/time", -1);
    SYSTEMTIME fields = {};
    fields.wYear = static_cast<WORD>(year);
    fields.wMonth = static_cast<WORD>(month);
    fields.wDay = static_cast<WORD>(day);
    fields.wHour = static_cast<WORD>(hour);
    fields.wMinute = static_cast<WORD>(minute);
    fields.wSecond = static_cast<WORD>(second);
    FILETIME localTime;
    if (!SystemTimeToFileTime(&fields, &localTime) || !FileTimeToSystemTime(&localTime, &fields))
        throw WDateException("Invalid date/time", -1);

    const WTimeZone& conversionZone = &zone == &TIME_ZONE_DEFAULT ? timeZone : zone;
    bool newDaylight;
    int newBias = conversionZone.calcBias(year, month, day, hour, minute, newDaylight);
    long long utcTicks;
    if (!addMinutes(fileTimeToTicks(localTime), newBias, utcTicks))
        throw WDateException("Invalid time value", -1);

    local = fields;
    utc = static_cast<unsigned long long>(utcTicks);
    bias = newBias;
    daylight = newDaylight;
}

void WDate::setTime(unsigned long long seconds)
{
    long long utcSeconds;
    long long utcTicks;
    if (__builtin_add_overflow(static_cast<long long>(seconds), secondsFrom1601To1970, &utcSeconds)
        || __builtin_mul_overflow(utcSeconds, ticksPerSecond, &utcTicks) || utcTicks < 0)
        throw WDateException("Invalid time value", -1);
    setUtc(utcTicks);
}

void WDate::loadTime()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    setUtc(fileTimeToTicks(now));
}

unsigned long long WDate::getTime() const
{
    return utc / ticksPerSecond - secondsFrom1601To1970;
}

bool WDate::toLocal(long long utcTicks, const WTimeZone& zone, LocalTime& out)
{
    // The zone's base bias gives the local time at which the rules are read.
    SYSTEMTIME standardTime;
    long long standardTicks;
    if (!addMinutes(utcTicks, -zone.getBias(), standardTicks)
        || !ticksToSystemTime(standardTicks, standardTime))
        return false;
    out.bias = zone.calcBias(standardTime.wYear, standardTime.wMonth, standardTime.wDay,
                             standardTime.wHour, standardTime.wMinute, out.daylight);
    long long localTicks;
    return addMinutes(utcTicks, -out.bias, localTicks) && ticksToSystemTime(localTicks, out.time);
}

void WDate::setUtc(long long utcTicks)
{
    LocalTime fields;
    if (!toLocal(utcTicks, timeZone, fields))
        throw WDateException("Invalid time value", -1);
    local = fields.time;
    utc = static_cast<unsigned long long>(utcTicks);
    bias = fields.bias;
    daylight = fields.daylight;
}

void WDate::setDefaultTimeZone(const WTimeZone& zone)
{
    LocalTime fields;
    if (!toLocal(static_cast<long long>(utc), zone, fields))
        throw WDateException("Invalid time value", -1);
    timeZone = zone;
    local = fields.time;
    bias = fields.bias;
    daylight = fields.daylight;
}

const WString& WDate::format(const char* pattern) const
{
    return format(pattern, TIME_ZONE_DEFAULT);
}

const WString& WDate::format(const char* pattern, const WTimeZone& zone) const
{
    if (&zone == &TIME_ZONE_DEFAULT) {
        formatFields(LocalTime{local, bias, daylight}, timeZone, pattern);
        return formatBuffer;
    }
    LocalTime fields;
    if (!toLocal(static_cast<long long>(utc), zone, fields))
        throw WDateException("Invalid time value", -1);
    formatFields(fields, zone, pattern);
    return formatBuffer;
}

const WString& WDate::toString() const
{
    return format("%d.%m.%Y / %H:%i:%s");
}

void WDate::formatFields(const LocalTime& fields, const WTimeZone& zone,
                         const char* pattern) const
{
    const SYSTEMTIME& t = fields.time;
    const int hour12 = t.wHour > 12 ? t.wHour - 12 : t.wHour;
    const int offset = -fields.bias;
    const unsigned absOffset = static_cast<unsigned>(std::abs(offset));
    // The sign of the whole offset: half an hour west is -00:30, not +00:30.
    const char* offsetSign = offset < 0 ? "-" : "+";
    char number[48];

    formatBuffer.truncate(0);
    for (const char* p = pattern; *p != 0; ++p) {
        if (*p != '%') {
            formatBuffer.append(static_cast<int>(*p));
            continue;
        }
        if (*++p == 0)
            break;
        number[0] = 0;
        switch (*p) {
        case 'd': std::snprintf(number, sizeof number, "%.2u", t.wDay); break;
        case 'j': std::snprintf(number, sizeof number, "%u", t.wDay); break;
        case 'm': std::snprintf(number, sizeof number, "%.2u", t.wMonth); break;
        case 'n': std::snprintf(number, sizeof number, "%u", t.wMonth); break;
        case 'M': formatBuffer.append(monthShort[t.wMonth - 1]); break;
        case 'F': formatBuffer.append(monthFull[t.wMonth - 1]); break;
        case 'Y': std::snprintf(number, sizeof number, "%u", t.wYear); break;
        case 'y': std::snprintf(number, sizeof number, "%.2u", t.wYear % 100u); break;
        case 'H': std::snprintf(number, sizeof number, "%.2u", t.wHour); break;
        case 'G': std::snprintf(number, sizeof number, "%u", t.wHour); break;
        case 'h': std::snprintf(number, sizeof number, "%.2d", hour12); break;
        case 'g': std::snprintf(number, sizeof number, "%d", hour12); break;
        case 'i': std::snprintf(number, sizeof number, "%.2u", t.wMinute); break;
        case 's': std::snprintf(number, sizeof number, "%.2u", t.wSecond); break;
        case 'A': formatBuffer.append(t.wHour > 12 ? "PM" : "AM"); break;
        case 'a': formatBuffer.append(t.wHour > 12 ? "pm" : "am"); break;
        case 'D': formatBuffer.append(weekdayShort[t.wDayOfWeek]); break;
        case 'l': formatBuffer.append(weekdayFull[t.wDayOfWeek]); break;
        case 'w': std::snprintf(number, sizeof number, "%u", t.wDayOfWeek); break;
        case 'z':
            std::snprintf(number, sizeof number, "%d", getDayOfYear(t.wYear, t.wMonth, t.wDay));
            break;
        case 'W':
            std::snprintf(number, sizeof number, "%d", getWeekOfYear(t.wYear, t.wMonth, t.wDay));
            break;
        case 't':
            std::snprintf(number, sizeof number, "%d", getMaxDaysOfMonth(t.wYear, t.wMonth));
            break;
        case 'L': formatBuffer.append(isLeapYear(t.wYear) ? "1" : "0"); break;
        case 'I': formatBuffer.append(fields.daylight ? "1" : "0"); break;
        case 'e':
            formatBuffer.append(fields.daylight ? zone.getDaylightName() : zone.getName());
            break;
        case 'O':
            std::snprintf(number, sizeof number, "%s%.2u%.2u", offsetSign, absOffset / 60,
                          absOffset % 60);
            break;
        case 'P':
            std::snprintf(number, sizeof number, "%s%.2u:%.2u", offsetSign, absOffset / 60,
                          absOffset % 60);
            break;
        case 'Z': std::snprintf(number, sizeof number, "%d", offset * 60); break;
        case '%': formatBuffer.append("%"); break;
        default: break;
        }
        formatBuffer.append(number);
    }
}

bool WDate::isLeapYear(unsigned long year)
{
    return isLeap(static_cast<long long>(year));
}

int WDate::getMaxDaysOfMonth(unsigned long year, unsigned long month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

int WDate::getDayOfYear(unsigned long year, unsigned long month, unsigned long day)
{
    if (month < 1 || month > 12)
        return 0;
    unsigned long total = day;
    for (unsigned long m = 1; m < month; ++m)
        total += static_cast<unsigned long>(getMaxDaysOfMonth(year, m));
    return static_cast<int>(total);
}

int WDate::getWeekOfYear(unsigned long year, unsigned long month, unsigned long day)
{
    if (day < 1 || day > static_cast<unsigned long>(getMaxDaysOfMonth(year, month)))
        return 0;
    const long long y = static_cast<long long>(year);
    int weekday = weekdayOf(y, month, day);
    int isoWeekday = weekday == 0 ? 7 : weekday;
    int week = (getDayOfYear(year, month, day) - isoWeekday + 10) / 7;
    if (week < 1)
        return isoWeeksInYear(y - 1);
    return week > isoWeeksInYear(y) ? 1 : week;
}

unsigned long long WDate::getEasterDate(unsigned long year)
{
    const long long y = static_cast<long long>(year);
    const long long a = y % 19;
    const long long b = y % 4;
    const long long c = y % 7;
    const long long k = y / 100;
    const long long p = (13 + 8 * k) / 25;
    const long long q = k / 4;
    const long long m = (15 - p + k - q) % 30;
    const long long n = (4 + k - q) % 7;
    const long long d = (19 * a + m) % 30;
    const long long e = (2 * b + 4 * c + 6 * d + n) % 7;
    long long month = 3;
    long long day = 22 + d + e;
    if (day > 31) {
        month = 4;
        day -= 31;
    }
    // Gauss's two exceptions keep Easter on or before 25 April.
    if (month == 4 && day == 26)
        day = 19;
    else if (month == 4 && day == 25 && d == 28 && a > 10)
        day = 18;
    return static_cast<unsigned long long>(daysFromCivil(y, month, day) * secondsPerDay);
}
