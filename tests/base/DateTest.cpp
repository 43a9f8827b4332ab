#include <gtest/gtest.h>

#include <ctime>

#include "WDate.h"
#include "WException.h"
#include "WTimeZone.h"

namespace {
const WTimeZone utcZone("UTC", 0);

// Central Europe: daylight from the last Sunday of March at 2:00 to the last
// Sunday of October at 3:00.
WTimeZone centralEurope()
{
    WTimeZone::Date standardDate{10, 0, 5, 3, 0};
    WTimeZone::Date daylightDate{3, 0, 5, 2, 0};
    return WTimeZone("CET", "CEST", -60, standardDate, 0, daylightDate, -60);
}

// Eastern Australia: daylight from the first Sunday of October at 2:00 to the
// first Sunday of April at 3:00, over the turn of the year.
WTimeZone easternAustralia()
{
    WTimeZone::Date standardDate{4, 0, 1, 3, 0};
    WTimeZone::Date daylightDate{10, 0, 1, 2, 0};
    return WTimeZone("AEST", "AEDT", -600, standardDate, 0, daylightDate, -60);
}

WDate dateIn(const WTimeZone& zone, int year, int month, int day, int hour, int minute,
             int second)
{
    WDate date(2000, 1, 1, 0, 0, 0, WDate::TIME_ZONE_DEFAULT);
    date.setDefaultTimeZone(zone);
    date.parse(year, month, day, hour, minute, second, WDate::TIME_ZONE_DEFAULT);
    return date;
}

template <typename Action>
void expectDateException(Action action, const char* message, const char* what)
{
    try {
        action();
        ADD_FAILURE() << what << ": no exception";
    } catch (const WDateException& e) {
        EXPECT_STREQ(message, e.getMessage()) << what;
        EXPECT_EQ(-1, e.getId()) << what;
        EXPECT_STREQ("WDateException", e.getName()) << what;
    }
}
}

TEST(DateTest, ParsesAndFormatsLocalFields)
{
    WDate date = dateIn(utcZone, 1990, 6, 15, 12, 0, 0);
    EXPECT_STREQ("15.06.1990", date.format("%d.%m.%Y"));
    EXPECT_EQ(5, date.getWeekday()) << "15 June 1990 was a Friday";
    EXPECT_STREQ("15.06.1990 / 12:00:00", date.toString());
    EXPECT_EQ(645451200ULL, date.getTime());

    date.parse(2009, 3, 5, 7, 8, 9, WDate::TIME_ZONE_DEFAULT);
    EXPECT_STREQ("5.3.09", date.format("%j.%n.%y"));
    EXPECT_STREQ("Thu March", date.format("%D %F"));
    EXPECT_STREQ("Mar Thursday 4 64 10 31 0", date.format("%M %l %w %z %W %t %L"));
    EXPECT_STREQ("07 7 08 09 2009 %", date.format("%H %G %i %s %Y %%"));
    EXPECT_STREQ("0 UTC +0000 +00:00 0", date.format("%I %e %O %P %Z"));
    EXPECT_STREQ("ab", date.format("a%qb%")) << "unknown letter and trailing % give nothing";

    date.parse(2012, 2, 29, 12, 30, 0, WDate::TIME_ZONE_DEFAULT);
    EXPECT_STREQ("AM am 12 12 29 1", date.format("%A %a %h %g %t %L"));
    date.parse(2012, 2, 29, 0, 15, 0, WDate::TIME_ZONE_DEFAULT);
    EXPECT_STREQ("AM 00 0", date.format("%A %h %g"));
    date.parse(2012, 2, 29, 23, 5, 0, WDate::TIME_ZONE_DEFAULT);
    EXPECT_STREQ("PM pm 11 11", date.format("%A %a %h %g"));
}

TEST(DateTest, ConvertsBetweenUtcAndZone)
{
    const WTimeZone cet = centralEurope();
    WDate summer(1277985600ULL); // 1 July 2010, 12:00 UTC
    summer.setDefaultTimeZone(cet);
    EXPECT_STREQ("01.07.2010 14:00", summer.format("%d.%m.%Y %H:%i"));
    EXPECT_TRUE(summer.isDaylight());
    EXPECT_EQ(-120, summer.getUTCMinutes());
    EXPECT_STREQ("1 CEST +0200 +02:00 7200", summer.format("%I %e %O %P %Z"));
    EXPECT_EQ(1277985600ULL, summer.getTime()) << "a new zone keeps the moment";

    WDate parsed = dateIn(cet, 2010, 7, 1, 14, 0, 0);
    EXPECT_EQ(1277985600ULL, parsed.getTime());
    WDate winter = dateIn(cet, 2010, 12, 1, 14, 0, 0);
    EXPECT_FALSE(winter.isDaylight());
    EXPECT_EQ(1291208400ULL, winter.getTime());

    // Another zone serves one conversion or one format only.
    WDate inUtc = dateIn(utcZone, 2010, 7, 1, 12, 0, 0);
    inUtc.parse(2010, 7, 1, 14, 0, 0, cet);
    EXPECT_EQ(1277985600ULL, inUtc.getTime());
    EXPECT_STREQ("14:00", inUtc.format("%H:%i")) << "local fields stay as given";
    EXPECT_EQ(-120, inUtc.getUTCMinutes());
    WDate moment(1277985600ULL);
    moment.setDefaultTimeZone(utcZone);
    EXPECT_STREQ("14:00 CEST +0200", moment.format("%H:%i %e %O", cet));
    EXPECT_STREQ("12:00 UTC", moment.format("%H:%i %e"));

    WDate newfoundland(1277985600ULL);
    newfoundland.setDefaultTimeZone(WTimeZone("NST", 210));
    EXPECT_STREQ("-0330 -03:30 -12600", newfoundland.format("%O %P %Z"));
    WDate halfHourWest(1277985600ULL);
    halfHourWest.setDefaultTimeZone(WTimeZone("X", 30));
    EXPECT_STREQ("-0030 11:30", halfHourWest.format("%O %H:%i"))
        << "the sign belongs to the whole offset, not its hours";

    WDate beforeEpoch = dateIn(utcZone, 1950, 6, 15, 12, 0, 0);
    WDate again(beforeEpoch.getTime());
    again.setDefaultTimeZone(utcZone);
    EXPECT_STREQ("15.06.1950 12:00", again.format("%d.%m.%Y %H:%i"))
        << "times before 1970 survive getTime/setTime";

    WDate now;
    long long difference = static_cast<long long>(now.getTime()) - std::time(nullptr);
    EXPECT_LE(difference < 0 ? -difference : difference, 5) << "WDate() is the current time";
}

TEST(DateTest, RejectsImpossibleDatesAndTimes)
{
    WDate date = dateIn(utcZone, 1990, 6, 15, 12, 0, 0);
    const struct {
        int year, month, day, hour, minute, second;
        const char* what;
    } impossible[] = {
        {2001, 2, 29, 12, 0, 0, "29 February 2001"}, {2010, 2, 30, 12, 0, 0, "30 February"},
        {2010, 13, 1, 12, 0, 0, "month 13"},         {2010, 0, 1, 12, 0, 0, "month 0"},
        {2010, 1, 0, 12, 0, 0, "day 0"},             {2010, 4, 31, 0, 0, 0, "31 April"},
        {2010, 1, 1, 24, 0, 0, "hour 24"},           {2010, 1, 1, 12, 60, 0, "minute 60"},
        {2010, 1, 1, 12, 0, 60, "second 60"},        {1600, 12, 31, 0, 0, 0, "before 1601"},
        {-2010, 1, 1, 0, 0, 0, "negative year"},     {2010, 65537, 1, 0, 0, 0, "month wrapping to 1"},
        {2010, 1, -1, 0, 0, 0, "negative day"},
    };
    for (const auto& d : impossible) {
        expectDateException(
            [&] { date.parse(d.year, d.month, d.day, d.hour, d.minute, d.second,
                             WDate::TIME_ZONE_DEFAULT); },
            "Invalid date/time", d.what);
        EXPECT_STREQ("15.06.1990 / 12:00:00", date.toString()) << d.what << " changed the date";
    }
    expectDateException([] { WDate(2001, 2, 29, 12, 0, 0, WDate::TIME_ZONE_DEFAULT); },
                        "Invalid date/time", "constructor");

    // 1 January 1601, 00:30 local, one hour east of UTC lies before 1601 in UTC.
    expectDateException([&] { date.parse(1601, 1, 1, 0, 30, 0, WTimeZone("X", -60)); },
                        "Invalid time value", "UTC before 1601");
    expectDateException([&] { date.setTime(static_cast<unsigned long long>(-11644473601LL)); },
                        "Invalid time value", "one second before 1601");
    expectDateException([&] { date.setTime(0x7FFFFFFFFFFFFFFFULL); }, "Invalid time value",
                        "seconds overflowing the tick count");
    EXPECT_STREQ("15.06.1990 / 12:00:00", date.toString()) << "a failed setTime changed the date";

    date.setTime(static_cast<unsigned long long>(-11644473600LL));
    EXPECT_STREQ("01.01.1601 00:00 Mon", date.format("%d.%m.%Y %H:%i %D"));

    expectDateException([] { WTimeZone::getCurrentTimeZoneDay(2010, 13, 0, 1); },
                        "Invalid date/time", "rule month 13");
    WTimeZone::Date badRule{13, 0, 1, 2, 0};
    WTimeZone broken("S", "D", -60, badRule, 0, badRule, -60);
    bool daylight = true;
    expectDateException([&] { broken.calcBias(2010, 13, 1, 0, 0, daylight); },
                        "Invalid date/time", "zone with a rule in month 13");
}

TEST(DateTest, CalendarArithmetic)
{
    EXPECT_TRUE(WDate::isLeapYear(2000));
    EXPECT_TRUE(WDate::isLeapYear(2008));
    EXPECT_FALSE(WDate::isLeapYear(1900));
    EXPECT_FALSE(WDate::isLeapYear(2009));

    EXPECT_EQ(29, WDate::getMaxDaysOfMonth(2000, 2));
    EXPECT_EQ(28, WDate::getMaxDaysOfMonth(1900, 2));
    EXPECT_EQ(30, WDate::getMaxDaysOfMonth(2009, 9));
    EXPECT_EQ(31, WDate::getMaxDaysOfMonth(2009, 12));
    EXPECT_EQ(0, WDate::getMaxDaysOfMonth(2009, 13));
    EXPECT_EQ(0, WDate::getMaxDaysOfMonth(2009, 0));

    EXPECT_EQ(1, WDate::getDayOfYear(2009, 1, 1));
    EXPECT_EQ(60, WDate::getDayOfYear(2008, 2, 29));
    EXPECT_EQ(366, WDate::getDayOfYear(2008, 12, 31));
    EXPECT_EQ(0, WDate::getDayOfYear(2008, 13, 1));

    EXPECT_EQ(53, WDate::getWeekOfYear(2010, 1, 1));
    EXPECT_EQ(53, WDate::getWeekOfYear(2009, 12, 31));
    EXPECT_EQ(1, WDate::getWeekOfYear(2008, 12, 29));
    EXPECT_EQ(1, WDate::getWeekOfYear(2010, 1, 4));
    EXPECT_EQ(52, WDate::getWeekOfYear(2006, 1, 1));
    EXPECT_EQ(53, WDate::getWeekOfYear(2021, 1, 3));
    EXPECT_EQ(0, WDate::getWeekOfYear(2010, 2, 30));
    EXPECT_EQ(0, WDate::getWeekOfYear(2010, 13, 1));

    // Every day of 1995-2030 against the week of its Thursday, with the
    // weekday taken from the system's own conversion.
    const unsigned long long firstDay = 788961600ULL; // 1 January 1995, 12:00 UTC
    for (unsigned long long seconds = firstDay; seconds < 1924992000ULL; seconds += 86400) {
        WDate day(seconds);
        day.setDefaultTimeZone(utcZone);
        int isoWeekday = day.getWeekday() == 0 ? 7 : day.getWeekday();
        WDate thursday(seconds + static_cast<unsigned long long>(4 - isoWeekday) * 86400);
        thursday.setDefaultTimeZone(utcZone);
        int expected =
            (WDate::getDayOfYear(thursday.getYear(), thursday.getMonth(), thursday.getDay()) - 1)
                / 7
            + 1;
        ASSERT_EQ(expected, WDate::getWeekOfYear(day.getYear(), day.getMonth(), day.getDay()))
            << day.toString();
    }

    EXPECT_EQ(1270339200ULL, WDate::getEasterDate(2010)) << "4 April 2010";
    EXPECT_EQ(356486400ULL, WDate::getEasterDate(1981)) << "19 April 1981, not 26 April";
    EXPECT_EQ(static_cast<unsigned long long>(-495676800LL), WDate::getEasterDate(1954))
        << "18 April 1954, not 25 April";
    EXPECT_EQ(956448000ULL, WDate::getEasterDate(2000)) << "23 April 2000";
    WDate easter(WDate::getEasterDate(2049));
    easter.setDefaultTimeZone(utcZone);
    EXPECT_STREQ("18.04.2049 Sun", easter.format("%d.%m.%Y %D"));
}

TEST(DateTest, TimeZoneRules)
{
    const WTimeZone cet = centralEurope();
    const WTimeZone sydney = easternAustralia();
    // In 2010 Central Europe changed on 28 March and 31 October, Eastern
    // Australia on 4 April and 3 October.
    const struct {
        const WTimeZone& zone;
        int month, day, hour, minute;
        int bias;
        const char* what;
    } moments[] = {
        {cet, 7, 1, 12, 0, -120, "CET summer"},
        {cet, 12, 1, 12, 0, -60, "CET winter"},
        {cet, 3, 28, 1, 59, -60, "CET before the change to daylight"},
        {cet, 3, 28, 2, 0, -120, "CET at the change to daylight"},
        {cet, 10, 31, 2, 59, -120, "CET before the change back"},
        {cet, 10, 31, 3, 0, -60, "CET at the change back"},
        {cet, 3, 27, 23, 0, -60, "CET the day before daylight"},
        {cet, 10, 30, 23, 0, -120, "CET the day before the change back"},
        {sydney, 1, 15, 12, 0, -660, "southern summer"},
        {sydney, 7, 1, 12, 0, -600, "southern winter"},
        {sydney, 4, 4, 2, 59, -660, "Sydney before the change back"},
        {sydney, 4, 4, 3, 0, -600, "Sydney at the change back"},
        {sydney, 10, 3, 1, 59, -600, "Sydney before the change to daylight"},
        {sydney, 10, 3, 2, 0, -660, "Sydney at the change to daylight"},
    };
    bool daylight = false;
    for (const auto& m : moments) {
        EXPECT_EQ(m.bias, m.zone.calcBias(2010, m.month, m.day, m.hour, m.minute, daylight))
            << m.what;
        EXPECT_EQ(m.bias == m.zone.getBias() + m.zone.getDaylightBias(), daylight) << m.what;
    }

    WTimeZone plain("EST", 300);
    daylight = true;
    EXPECT_EQ(300, plain.calcBias(2010, 7, 1, 12, 0, daylight));
    EXPECT_FALSE(daylight);
    EXPECT_FALSE(plain.isDaylightZone());
    EXPECT_TRUE(cet.isDaylightZone());

    EXPECT_EQ(28, WTimeZone::getCurrentTimeZoneDay(2010, 3, 0, 5));
    EXPECT_EQ(31, WTimeZone::getCurrentTimeZoneDay(2010, 10, 7, 5)) << "Sunday given as 7";
    EXPECT_EQ(2, WTimeZone::getCurrentTimeZoneDay(2010, 5, 0, 1));
    EXPECT_EQ(23, WTimeZone::getCurrentTimeZoneDay(2010, 5, 0, 4));
    EXPECT_EQ(28, WTimeZone::getCurrentTimeZoneDay(2010, 2, 0, 4));
    EXPECT_EQ(0, WTimeZone::getCurrentTimeZoneDay(2010, 5, 0, 0));

    TIME_ZONE_INFORMATION info = {};
    info.Bias = -60;
    wcscpy(info.StandardName, L"Mitteleurop\u00e4ische Zeit");
    wcscpy(info.DaylightName, L"Mitteleurop\u00e4ische Sommerzeit");
    info.StandardDate.wMonth = 10;
    info.StandardDate.wDay = 5;
    info.StandardDate.wHour = 3;
    info.DaylightDate.wMonth = 3;
    info.DaylightDate.wDay = 5;
    info.DaylightDate.wHour = 2;
    info.DaylightBias = -60;
    WTimeZone system(info);
    EXPECT_STREQ("Mitteleurop\xC3\xA4ische Zeit", system.getName());
    EXPECT_STREQ("Mitteleurop\xC3\xA4ische Sommerzeit", system.getDaylightName());
    EXPECT_EQ(-60, system.getBias());
    EXPECT_EQ(-60, system.getDaylightBias());
    EXPECT_TRUE(system.isDaylightZone());
    EXPECT_EQ(5, system.getStandardDate().week);
    EXPECT_EQ(3, system.getDaylightDate().month);
    EXPECT_EQ(-120, system.calcBias(2010, 7, 1, 12, 0, daylight));
    EXPECT_EQ(-60, system.calcBias(2010, 12, 1, 12, 0, daylight));
}
