// The trend map read by two readers on two threads against the same map
// read by one: equal bit for bit, for year, season and month means, on the
// demonstration data with its gaps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GridMonths.h"
#include "OrvexDatabase.h"
#include "TrendField.h"
#include "WFile.h"

TEST(TrendFieldTest, TwoReadersGiveWhatOneGives)
{
    const std::string path = std::string(ORVEX_RUN_DIR) + "/data/cru/hadcrut4.dat";
    OrvexDatabase database;
    database.open(OrvexDatabase::TYPE_GRID_FILE, path.c_str(), 20856);
    std::vector<double> weights;
    for (unsigned int row = 0; row < database.getRows(); ++row)
        weights.push_back(database.getLatitudeWeight(row));

    struct Span {
        unsigned int first, last, season, month;
    };
    for (const Span& s : {Span{1850, 2024, NO_SEASON, 0}, Span{1851, 1870, DJF, 0}, Span{1900, 1990, JJA, 0},
                          Span{1950, 2000, NO_SEASON, 7}, Span{1975, 1985, NO_SEASON, 0}}) {
        TrendSpan span;
        span.firstYear = s.first;
        span.lastYear = s.last;
        span.season = s.season;
        span.month = s.month;
        WFile one(path.c_str()), first(path.c_str()), second(path.c_str());
        GridMonths alone(one, 20856, 36, 72), half(first, 20856, 36, 72), otherHalf(second, 20856, 36, 72);
        TrendField reference({&alone}, weights.data(), span);
        TrendField shared({&half, &otherHalf}, weights.data(), span);
        EXPECT_EQ(reference.cellTrends(), shared.cellTrends()) << trendSpanText(span);
        EXPECT_EQ(reference.globalTrend(), shared.globalTrend()) << trendSpanText(span);
    }
}
