#pragma once

#include <windows.h>

#include "WExport.h"
#include "WString.h"

// A time zone in the form the system reports it: a base bias in minutes
// (UTC = local time + bias), standard and daylight names, and the yearly
// change dates as the n-th weekday of a month.
class QUARN2_API WTimeZone {
public:
    // A yearly change rule. month 0 means no change; week 1-4 is the n-th
    // occurrence of the weekday in the month, 5 the last one.
    struct Date {
        int month = 0;
        int dayOfWeek = 0; // 0 = Sunday ... 6 = Saturday
        int week = 0;
        int hour = 0;
        int minute = 0;
    };

    // UTC: all zero, no daylight saving.
    WTimeZone();
    // A zone without daylight saving.
    WTimeZone(const char* name, int bias);
    // A daylight zone when standardDate.month is not 0.
    WTimeZone(const char* standardName, const char* daylightName, int bias,
              const Date& standardDate, int standardBias, const Date& daylightDate,
              int daylightBias);
    // The zone as GetTimeZoneInformation reports it; names are converted to UTF-8.
    explicit WTimeZone(const TIME_ZONE_INFORMATION& info);
    WTimeZone(const WTimeZone& other) = default;
    WTimeZone& operator=(const WTimeZone& other) = default;

    int getBias() const { return bias; }
    const WString& getName() const { return standardName; }
    const WString& getDaylightName() const { return daylightName; }
    const Date& getStandardDate() const { return standardDate; }
    int getStandardBias() const { return standardBias; }
    const Date& getDaylightDate() const { return daylightDate; }
    int getDaylightBias() const { return daylightBias; }
    bool isDaylightZone() const { return daylightZone; }

    // The effective bias in minutes at the given local time; daylight tells
    // whether daylight saving applies. A daylight period that runs over the
    // turn of the year (southern zones) is handled as such.
    int calcBias(int year, int month, int day, int hour, int minute, bool& daylight) const;

    // The day of the month of the week-th (1-4) occurrence of dayOfWeek
    // (Sunday as 0 or 7), or of its last occurrence for week 5; 0 when there
    // is none. Throws WDateException "Invalid date/time" for an invalid year
    // or month.
    static int getCurrentTimeZoneDay(int year, int month, int dayOfWeek, int week);

private:
    bool isDaylightAt(int year, int month, int day, int hour, int minute) const;

    int bias;
    WString standardName;
    WString daylightName;
    Date standardDate;
    int standardBias;
    Date daylightDate;
    int daylightBias;
    bool daylightZone;
};
