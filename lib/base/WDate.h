#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"
#include "WTimeZone.h"

// A point in time, held both as UTC (100-ns ticks since 1 January 1601) and
// as the broken-down local date and time in the date's own time zone. Every
// date starts with a copy of the local time zone that library start-up
// recorded. Failures throw WDateException: "Invalid date/time" for an
// impossible date, "Invalid time value" for a time the system cannot hold.
//
// Times as seconds since 1970 are unsigned; times before 1970 wrap around,
// and setTime reads values past 2^63 back as such negative times.
class QUARN2_API WDate {
public:
    // Marker for "the date's own zone" wherever a zone is expected.
    static const WTimeZone& TIME_ZONE_DEFAULT;

    // The current time.
    WDate();
    explicit WDate(unsigned long long seconds);
    WDate(int year, int month, int day, int hour, int minute, int second, const WTimeZone& zone);
    WDate(const WDate& other) = default;
    WDate& operator=(const WDate& other) = default;
    virtual ~WDate();

    // Sets the local date and time, converted to UTC by zone (the date's own
    // zone for TIME_ZONE_DEFAULT; another zone serves this conversion only).
    // An impossible date changes nothing.
    void parse(int year, int month, int day, int hour, int minute, int second,
               const WTimeZone& zone);
    void setTime(unsigned long long seconds);
    void loadTime();
    unsigned long long getTime() const;

    int getYear() const { return local.wYear; }
    int getMonth() const { return local.wMonth; }
    int getDay() const { return local.wDay; }
    int getWeekday() const { return local.wDayOfWeek; }
    int getHour() const { return local.wHour; }
    int getMinute() const { return local.wMinute; }
    int getSecond() const { return local.wSecond; }
    bool isDaylight() const { return daylight; }
    // The effective bias in minutes (UTC = local time + bias).
    int getUTCMinutes() const { return bias; }

    // Formats with %-codes (%d.%m.%Y, %H:%i:%s, ...). For a zone other than
    // TIME_ZONE_DEFAULT the same moment is formatted in that zone.
    const WString& format(const char* pattern) const;
    const WString& format(const char* pattern, const WTimeZone& zone) const;
    // "%d.%m.%Y / %H:%i:%s", e.g. "15.06.1990 / 12:00:00".
    const WString& toString() const;

    // Replaces the date's own zone; the moment stays and the local fields follow it.
    void setDefaultTimeZone(const WTimeZone& zone);

    static bool isLeapYear(unsigned long year);
    // 0 for a month outside 1-12.
    static int getMaxDaysOfMonth(unsigned long year, unsigned long month);
    static int getDayOfYear(unsigned long year, unsigned long month, unsigned long day);
    // ISO 8601 week number; 0 for an impossible month or day.
    static int getWeekOfYear(unsigned long year, unsigned long month, unsigned long day);
    // Easter Sunday (Gregorian), 00:00 UTC, as seconds since 1970.
    static unsigned long long getEasterDate(unsigned long year);

private:
    // Local fields of one moment in one zone.
    struct LocalTime {
        SYSTEMTIME time;
        int bias;
        bool daylight;
    };

    static bool toLocal(long long utcTicks, const WTimeZone& zone, LocalTime& out);
    void setUtc(long long utcTicks);
    void formatFields(const LocalTime& fields, const WTimeZone& zone, const char* pattern) const;

    SYSTEMTIME local;
    unsigned long long utc;
    mutable WString formatBuffer;
    WTimeZone timeZone;
    int bias;
    bool daylight;
};
