// A range's stop month must lie in the data set; a year average needs January.
#include <gtest/gtest.h>

#include <string>

#include "MonthRange.h"

TEST(MonthRange, RangesPastTheDataSetAreRefused)
{
    const unsigned int to2014 = 165 * 12, toJune2024 = 174 * 12 + 6;
    const struct {
        unsigned int stopYear, stopMonth;
        bool yearAverage;
        unsigned int monthCount;
        std::string message; // empty: taken
    } cases[] = {
        {2014, 12, false, to2014, ""}, {2015, 1, false, to2014, "Daten bis Dezember 2014 vorhanden."},
        {2014, 12, true, to2014, ""},  {2015, 1, true, to2014, "Daten bis 2014 vorhanden."},
        {2024, 6, false, toJune2024, ""},
        {2024, 7, false, toJune2024, "Daten bis Juni 2024 vorhanden."},
        {2024, 12, true, toJune2024, ""}, {2025, 1, true, toJune2024, "Daten bis 2024 vorhanden."},
        {1850, 1, true, 0, "Der Datensatz enthält keine Daten."},
    };
    for (const auto& c : cases) {
        WFormattedString text;
        const char* message =
            dataSetRangeProblem(c.stopYear, c.stopMonth, c.yearAverage, c.monthCount, text);
        EXPECT_EQ(c.message, message == nullptr ? "" : message) << c.stopYear << "-" << c.stopMonth;
    }
}
