// The importer's rules that the Python importer (tools/gridimport) fixes and
// the C++ importer must follow to the bit: the months of time coordinates,
// how levels are written, and the values netCDF4-python reads from stored
// numbers. The expected values were produced by running the Python code on
// the same inputs; the whole-file comparison of both importers is
// tests/importer's.

#include <gtest/gtest.h>

#include <netcdf.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "GridAxes.h"
#include "ImportFailure.h"
#include "NetcdfValues.h"
#include "TimeAxis.h"

namespace {

struct TimeCase {
    std::vector<double> values;
    const char* units;
    const char* calendar;
    std::vector<int64_t> months;  // year * 12 + month - 1
    const char* failure;          // "" when the units are read
};

// From tools/gridimport/timeaxis.py's month_numbers.
const TimeCase TIME_CASES[] = {
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "standard", {22200, 22201, 22201, 22201, 22202, 22212, 22212, 22247, 22248}, ""},
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "gregorian", {22200, 22201, 22201, 22201, 22202, 22212, 22212, 22247, 22248}, ""},
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "proleptic_gregorian", {22200, 22201, 22201, 22201, 22202, 22212, 22212, 22247, 22248}, ""},
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "julian", {22200, 22201, 22201, 22201, 22202, 22212, 22212, 22247, 22248}, ""},
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "noleap", {22200, 22201, 22201, 22201, 22202, 22212, 22212, 22248, 22248}, ""},
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "365_day", {22200, 22201, 22201, 22201, 22202, 22212, 22212, 22248, 22248}, ""},
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "all_leap", {22200, 22201, 22201, 22201, 22201, 22211, 22212, 22247, 22247}, ""},
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "366_day", {22200, 22201, 22201, 22201, 22201, 22211, 22212, 22247, 22247}, ""},
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "360_day", {22200, 22201, 22201, 22201, 22201, 22212, 22212, 22248, 22248}, ""},
    {{0.0, 30.999999, 31.0, 58.5, 59.0, 365.0, 366.0, 1460.0, 1461.0}, "days since 1850-01-01", "", {22200, 22201, 22201, 22201, 22202, 22212, 22212, 22247, 22248}, ""},
    {{-1.0, 0.0, 9.0, 10.0, 11.0, 40.0}, "days since 1582-10-05", "julian", {18993, 18993, 18993, 18993, 18993, 18994}, ""},
    {{-1.0, 0.0, 1.0, 16.0, 17.0}, "days since 1582-10-15", "standard", {18993, 18993, 18993, 18993, 18994}, ""},
    {{-1.0, 0.0, 1.0, 16.0, 17.0, 40.0}, "days since 1582-10-04", "standard", {18993, 18993, 18993, 18993, 18993, 18994}, ""},
    {{-400000.5, -100000.0, 100000.0, 300000.0}, "days since 1800-01-01", "standard", {8457, 18314, 24885, 31456}, ""},
    {{-400000.5, -100000.0, 100000.0, 300000.0}, "days since 1800-01-01", "proleptic_gregorian", {8458, 18314, 24885, 31456}, ""},
    {{0.0, 743.99, 744.0, 1416.0, 1000000.0}, "hours since 1800-01-01 00:00:0.0", "standard", {21600, 21600, 21601, 21602, 22968}, ""},
    {{0.0, 1.0, 59.0, 60.0, 44639.0, 44640.0}, "minutes since 2000-01-31 23:00", "noleap", {24000, 24000, 24000, 24001, 24002, 24002}, ""},
    {{0.0, 2678399.9, 2678400.0, 1000000000.0}, "seconds since 1970-01-01T00:00:00Z", "standard", {23640, 23640, 23641, 24020}, ""},
    {{30.0}, "days since 1850-01-01 23:00:00 -2:00", "standard", {22201}, ""},
    {{30.0, 31.0}, "days since 1850-02-01 01:30 +0130", "standard", {22202, 22202}, ""},
    {{30.0}, "days since 1850-01-01 12:00:00 UTC", "standard", {22200}, ""},
    {{30.999999999, 30.99999}, "days since 1850-01-01", "standard", {22201, 22200}, ""},
    {{15.5, 45.0}, "Days  Since  1850-1-1", " Standard ", {22200, 22201}, ""},
    {{15.5, 45.0}, "day since 1850-1", "gregorian", {22200, 22201}, ""},
    {{0.0, 11.9999999, 12.0, 13.0, -1.0}, "months since 1961-01-01", "", {23532, 23544, 23544, 23545, 23531}, ""},
    {{0.0, 1.0, -1.0}, "months since 1961-07-15 12:00", "360_day", {23538, 23539, 23537}, ""},
    {{1850.0416666666667, 1850.9583333333333, 2024.4583333333333, 1849.9999999, 1849.99999999}, "year A.D.", "", {22200, 22211, 24293, 22199, 22200}, ""},
    {{2000.0}, "years a. d.", "", {24000}, ""},
    {{2000.0}, "Year AD", "", {24000}, ""},
    {{0.0, 100.0}, "d since -0100-03-01", "julian", {-1198, -1195}, ""},
    {{0.0, 100.0}, "h since 0001-01-01 06:30:15.5", "proleptic_gregorian", {12, 12}, ""},
    {{10.0}, "days since 1850-01-01", "Noleap", {22200}, ""},
    {{1.0, NAN}, "days since 1850-01-01", "standard", {}, "the time axis has missing values"},
    {{1.0, INFINITY}, "days since 1850-01-01", "standard", {}, "the time axis has missing values"},
    {{1.0}, "days after 1850-01-01", "standard", {}, "cannot read the time units 'days after 1850-01-01' (expected '<unit> since <date>')"},
    {{1.0}, "fortnights since 1850-1-1", "standard", {}, "cannot read the time units 'fortnights since 1850-1-1': unknown unit 'fortnights'"},
    {{1.0}, "days since 1850-13-01", "standard", {}, "the reference date of the time units 'days since 1850-13-01' is not a date"},
    {{1.0}, "days since 1850-01-32", "standard", {}, "the reference date of the time units 'days since 1850-01-32' is not a date"},
    {{1.0}, "days since yesterday", "standard", {}, "cannot read the reference date of the time units 'days since yesterday'"},
    {{1.0}, "days since 1850-01-01 25", "standard", {}, "cannot read the reference date of the time units 'days since 1850-01-01 25'"},
    {{1.0}, "days since 1850-01-01", "lunar", {}, "the calendar 'lunar' of the time axis is not supported"},
    {{1.0}, "", "standard", {}, "cannot read the time units '' (expected '<unit> since <date>')"},
    {{15.5, 1000000000.0}, "days since 1850-01-01", "standard", {}, "time step 2 (1000000000.0 days since 1850-01-01) falls after December 9999, the last month this program holds"},
    {{-1e+20}, "hours since 1850-01-01", "360_day", {}, "time step 1 (-1e+20 hours since 1850-01-01) falls before the year -9999, the first this program can place"},
    {{1e+300}, "months since 1850-1-1", "", {}, "time step 1 (1e+300 months since 1850-1-1) falls after December 9999, the last month this program holds"},
    {{9999.99, 10000.0}, "year A.D.", "", {}, "time step 2 (10000.0 year A.D.) falls after December 9999, the last month this program holds"},
    {{2976725.5}, "days since 1850-01-01", "proleptic_gregorian", {119999}, ""},
    {{2976726.0}, "days since 1850-01-01", "proleptic_gregorian", {}, "time step 1 (2976726.0 days since 1850-01-01) falls after December 9999, the last month this program holds"},
};

TEST(ImportRules, TimeCoordinatesBecomeTheMonthsOfThePythonImporter) {
    for (const TimeCase& c : TIME_CASES) {
        SCOPED_TRACE(std::string(c.units) + " / " + c.calendar);
        if (*c.failure) {
            try {
                monthNumbers(c.values, c.units, c.calendar);
                ADD_FAILURE() << "no failure";
            } catch (const ImportFailure& failure) {
                EXPECT_EQ(c.failure, failure.english());
                EXPECT_FALSE(failure.german().empty());
            }
        } else {
            EXPECT_EQ(c.months, monthNumbers(c.values, c.units, c.calendar));
        }
    }
}

// From numpy.format_float_positional(numpy.float32(value), trim="-").
const struct {
    double value;
    const char* text;
} LEVEL_CASES[] = {
    {0.0, "0"},
    {-0.0, "-0"},
    {10.0, "10"},
    {850.0, "850"},
    {1000.0, "1000"},
    {2.5, "2.5"},
    {0.1, "0.1"},
    {1e-05, "0.00001"},
    {123456789.0, "123456790"},
    {1e+20, "100000000000000000000"},
    {3.4028234663852886e+38, "340282350000000000000000000000000000000"},
    {-1100.0, "-1100"},
    {0.30000001192092896, "0.3"},
    {0.3, "0.3"},
    {0.3333333333333333, "0.33333334"},
    {7.5e-45, "0.000000000000000000000000000000000000000000007"},
    {1.17549435e-38, "0.000000000000000000000000000000000000011754944"},
    {16777217.0, "16777216"},
    {99.99999, "99.99999"},
    {5e-324, "0"},
    {12.345678, "12.345678"},
    {NAN, "nan"},
    {INFINITY, "inf"},
    {-INFINITY, "-inf"},
    {1e+39, "inf"},
};

TEST(ImportRules, LevelsAreWrittenAsTheShortestDecimalOfTheirFloat) {
    for (const auto& c : LEVEL_CASES)
        EXPECT_EQ(c.text, levelText(c.value)) << c.value;
}

struct ValueCase {
    int type;
    std::vector<NetcdfAttribute> attributes;
    std::vector<double> stored;
    std::vector<double> read;  // NaN where netCDF4-python masks
};

const ValueCase VALUE_CASES[] = {
    {NC_FLOAT, {},
     {0.10000000149011612, NAN, 9.969209968386869e+36, -999.0, 1.0000000150474662e+30, 2.5},
     {0.10000000149011612, NAN, NAN, -999.0, 1.0000000150474662e+30, 2.5}},
    {NC_FLOAT, {{"_FillValue", NC_FLOAT, "", {-999.0}}},
     {0.10000000149011612, NAN, 9.969209968386869e+36, -999.0, 1.0000000150474662e+30, 2.5},
     {0.10000000149011612, NAN, 9.969209968386869e+36, NAN, 1.0000000150474662e+30, 2.5}},
    {NC_FLOAT, {{"missing_value", NC_DOUBLE, "", {1e+30}}},
     {0.10000000149011612, NAN, 9.969209968386869e+36, -999.0, 1.0000000150474662e+30, 2.5},
     {0.10000000149011612, NAN, NAN, -999.0, 1.0000000150474662e+30, 2.5}},
    {NC_FLOAT, {{"missing_value", NC_FLOAT, "", {1.0000000150474662e+30}}},
     {0.10000000149011612, NAN, 9.969209968386869e+36, -999.0, 1.0000000150474662e+30, 2.5},
     {0.10000000149011612, NAN, NAN, -999.0, NAN, 2.5}},
    {NC_FLOAT, {{"missing_value", NC_FLOAT, "", {-999.0, 2.5}}},
     {0.10000000149011612, NAN, 9.969209968386869e+36, -999.0, 1.0000000150474662e+30, 2.5},
     {0.10000000149011612, NAN, NAN, NAN, 1.0000000150474662e+30, NAN}},
    {NC_FLOAT, {{"valid_min", NC_FLOAT, "", {-0.5}}, {"valid_max", NC_DOUBLE, "", {0.7}}},
     {0.10000000149011612, NAN, -0.5, 0.699999988079071, 0.7000100016593933, -0.5000100135803223},
     {0.10000000149011612, NAN, -0.5, 0.699999988079071, 0.7000100016593933, NAN}},
    {NC_FLOAT, {{"valid_range", NC_FLOAT, "", {-0.5, 0.5}}, {"valid_max", NC_FLOAT, "", {0.0}}},
     {0.10000000149011612, NAN, -0.5, 0.699999988079071, 0.7000100016593933, -0.5000100135803223},
     {0.10000000149011612, NAN, -0.5, NAN, NAN, NAN}},
    {NC_FLOAT, {{"scale_factor", NC_FLOAT, "", {0.10000000149011612}}, {"add_offset", NC_FLOAT, "", {0.30000001192092896}}},
     {-2.000000238418579, 14.000000953674316, -6.0, 119.5, 30.0, -2.9900002479553223},
     {0.09999997913837433, 1.7000000476837158, -0.30000001192092896, 12.25, 3.299999952316284, 0.0009999871253967285}},
    {NC_FLOAT, {{"scale_factor", NC_DOUBLE, "", {0.1}}, {"add_offset", NC_DOUBLE, "", {0.3}}},
     {-2.000000238418579, 14.000000953674316, -6.0, 119.5, 30.0, -2.9900002479553223},
     {0.09999997913837433, 1.7000000476837158, -0.30000001192092896, 12.25, 3.299999952316284, 0.0009999871253967285}},
    {NC_FLOAT, {{"add_offset", NC_DOUBLE, "", {273.15}}},
     {-273.04998779296875, -271.4499816894531, -273.4499816894531, -260.8999938964844, -269.8500061035156, -273.14898681640625},
     {0.100006103515625, 1.70001220703125, -0.29998779296875, 12.25, 3.29998779296875, 0.001007080078125}},
    {NC_FLOAT, {{"scale_factor", NC_DOUBLE, "", {1e+300}}},
     {0.0, 0.0, -0.0, 0.0, 0.0, 0.0},
     {0.0, 0.0, -0.0, 0.0, 0.0, 0.0}},
    {NC_DOUBLE, {{"scale_factor", NC_FLOAT, "", {0.10000000149011612}}, {"add_offset", NC_FLOAT, "", {1.5}}},
     {-13.999999791383745, 1.9999999701976776, NAN, 9.969209819834066e+37, 17.999999731779102, -14.989999776631597},
     {0.10000000000000009, 1.7, NAN, 9.969209968386869e+36, 3.3, 0.0009999999999998899}},
    {NC_SHORT, {},
     {-32767.0, -9999.0, 0.0, 1234.0, 32767.0, -32768.0},
     {NAN, -9999.0, 0.0, 1234.0, 32767.0, -32768.0}},
    {NC_SHORT, {{"_FillValue", NC_SHORT, "", {-9999.0}}, {"scale_factor", NC_FLOAT, "", {0.009999999776482582}}},
     {100.0, -16860.0, 0.0, -7672.0, -100.0, 0.0},
     {1.0, -168.59999084472656, 0.0, -76.72000122070312, -1.0, 0.0}},
    {NC_SHORT, {{"scale_factor", NC_DOUBLE, "", {0.01}}, {"add_offset", NC_DOUBLE, "", {10.0}}},
     {-900.0, -17860.0, -1000.0, -8672.0, -1100.0, -1000.0},
     {1.0, -168.6, 0.0, -76.72, -1.0, 0.0}},
    {NC_SHORT, {{"scale_factor", NC_FLOAT, "", {1.0}}, {"add_offset", NC_FLOAT, "", {0.0}}},
     {-32767.0, -9999.0, 0.0, 1234.0, 32767.0, -32768.0},
     {NAN, -9999.0, 0.0, 1234.0, 32767.0, -32768.0}},
    {NC_SHORT, {{"_Unsigned", NC_CHAR, "true", {}}, {"scale_factor", NC_FLOAT, "", {0.009999999776482582}}},
     {100.0, -16860.0, 0.0, -7672.0, -100.0, 0.0},
     {1.0, 486.7599792480469, 0.0, 578.6400146484375, 654.3599853515625, 0.0}},
    {NC_SHORT, {{"_FillValue", NC_SHORT, "", {-9999.0}}, {"_Unsigned", NC_CHAR, "true", {}}},
     {-32767.0, -9999.0, 0.0, 1234.0, 32767.0, -32768.0},
     {32769.0, NAN, 0.0, 1234.0, 32767.0, 32768.0}},
    {NC_SHORT, {{"scale_factor", NC_SHORT, "", {3.0}}},
     {-10922.0, -3333.0, 0.0, 411.0, 10922.0, -1.0},
     {-32766.0, -9999.0, 0.0, 1233.0, 32766.0, -3.0}},
    {NC_INT, {{"scale_factor", NC_FLOAT, "", {0.0010000000474974513}}},
     {-2147483648.0, -2147483648.0, -2147483648.0, -5000.0, 0.0, -2147483648.0},
     {-2147483.75, -2147483.75, -2147483.75, -5.0000002374872565, 0.0, -2147483.75}},
    {NC_INT, {{"scale_factor", NC_FLOAT, "", {1.0}}, {"add_offset", NC_FLOAT, "", {0.0}}},
     {-2147483647.0, 123456789.0, 16777217.0, -5.0, 0.0, 2147483647.0},
     {NAN, 123456792.0, 16777216.0, -5.0, 0.0, 2147483648.0}},
    {NC_BYTE, {},
     {-127.0, -128.0, 0.0, 5.0, 127.0, -1.0},
     {NAN, -128.0, 0.0, 5.0, 127.0, -1.0}},
    {NC_UBYTE, {{"scale_factor", NC_FLOAT, "", {0.5}}},
     {254.0, 0.0, 2.0, 0.0, 252.0, 14.0},
     {127.0, 0.0, 1.0, 0.0, 126.0, 7.0}},
    {NC_FLOAT, {{"missing_value", NC_FLOAT, "", {NAN}}, {"valid_min", NC_CHAR, "abc", {}}},
     {0.10000000149011612, NAN, 3.0, -2.0, 1.0, 2.0},
     {0.10000000149011612, NAN, 3.0, -2.0, 1.0, 2.0}},
};

// The stored values as the file holds them, in the variable's type.
std::vector<unsigned char> storedBytes(int type, const std::vector<double>& values) {
    std::vector<unsigned char> bytes;
    auto append = [&](auto v) {
        unsigned char b[sizeof v];
        std::memcpy(b, &v, sizeof v);
        bytes.insert(bytes.end(), b, b + sizeof v);
    };
    for (double v : values) {
        switch (type) {
        case NC_BYTE: append(int8_t(v)); break;
        case NC_UBYTE: append(uint8_t(v)); break;
        case NC_SHORT: append(int16_t(v)); break;
        case NC_USHORT: append(uint16_t(v)); break;
        case NC_INT: append(int32_t(v)); break;
        case NC_UINT: append(uint32_t(v)); break;
        case NC_FLOAT: append(float(v)); break;
        default: append(v);
        }
    }
    return bytes;
}

TEST(ImportRules, StoredValuesAreMaskedAndScaledAsNetcdf4PythonReadsThem) {
    int index = 0;
    for (const ValueCase& c : VALUE_CASES) {
        SCOPED_TRACE("case " + std::to_string(index++));
        NetcdfValues values(c.type, c.attributes, false);
        std::vector<unsigned char> bytes = storedBytes(c.type, c.stored);
        ASSERT_EQ(bytes.size(), c.stored.size() * values.storedSize());
        std::vector<double> read(c.stored.size());
        values.decode(bytes.data(), c.stored.size(), read.data());
        for (size_t i = 0; i < read.size(); ++i) {
            if (std::isnan(c.read[i]))
                EXPECT_TRUE(std::isnan(read[i])) << i << ": " << read[i];
            else
                EXPECT_EQ(c.read[i], read[i]) << i;
        }
    }
}

}  // namespace
