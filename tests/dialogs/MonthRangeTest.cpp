// The range of an animation against the months of its data set: the stop
// month must lie in it, a year average only needs its year's January.
#include <gtest/gtest.h>

#include <string>

#include "MonthRange.h"

TEST(MonthRange, RangesPastTheDataSetAreRefused)
{
    const unsigned int to2014 = 165 * 12;    // 1850-01 to 2014-12
    const unsigned int toJune2024 = 174 * 12 + 6; // 1850-01 to 2024-06
    const struct {
        unsigned int stopYear, stopMonth;
        bool yearAverage;
        unsigned int monthCount;
        const char* message; // empty: taken
    } cases[] = {
        {2014, 12, false, to2014, ""},
        {2015, 1, false, to2014, "Daten bis 12-2014 vorhanden."},
        {9999, 12, false, to2014, "Daten bis 12-2014 vorhanden."},
        {2014, 12, true, to2014, ""},
        {2015, 1, true, to2014, "Daten bis 2014 vorhanden."},
        {2024, 6, false, toJune2024, ""},
        {2024, 7, false, toJune2024, "Daten bis 06-2024 vorhanden."},
        {2024, 12, true, toJune2024, ""},
        {2025, 1, true, toJune2024, "Daten bis 2024 vorhanden."},
        {1850, 1, false, 1, ""},
        {1850, 2, false, 1, "Daten bis 01-1850 vorhanden."},
        {1850, 1, true, 0, "Der Datensatz enthält keine Daten."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.stopYear) + "-" + std::to_string(c.stopMonth) +
                     (c.yearAverage ? " years" : " months"));
        WFormattedString text;
        const char* message =
            dataSetRangeProblem(c.stopYear, c.stopMonth, c.yearAverage, c.monthCount, text);
        EXPECT_EQ(c.message, std::string(message == nullptr ? "" : message));
    }
}
