// Checks of the demonstration data generator: the exact block layout the map
// program reads, the portability of the arithmetic, and the character of the
// synthetic record (global curve, coverage history, gaps, climatology).
#include "Climatology.h"
#include "DemoClimate.h"
#include "Grid.h"
#include "GridFileWriter.h"
#include "LandMask.h"
#include "PortableMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

using namespace demodata;

namespace {

// Reads a block the way the map program does: header line dropped, then per
// row tokens separated by spaces, each read with "%f" into a float and valid
// strictly inside -99..99. Also counts the tokens of each row.
struct DecodedBlock {
    std::string header;
    std::vector<double> values = std::vector<double>(kCells, kMissingValue);
    std::vector<int> tokensPerRow;
    bool endsExactly = false;
};

DecodedBlock decodeBlock(const std::string& block)
{
    DecodedBlock decoded;
    std::size_t pos = 0;
    auto readLine = [&](std::string& line) {
        std::size_t end = block.find('\n', pos);
        if (end == std::string::npos)
            return false;
        line = block.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        pos = end + 1;
        return true;
    };
    readLine(decoded.header);
    for (int row = 0; row < kRows; ++row) {
        std::string line;
        if (!readLine(line))
            break;
        int column = 0;
        std::size_t i = 0;
        while (i < line.size()) {
            while (i < line.size() && line[i] == ' ')
                ++i;
            if (i >= line.size())
                break;
            float value = 0.0f;
            if (std::sscanf(line.c_str() + i, "%f", &value) != 1)
                value = 0.0f;
            if (value > -99.0f && value < 99.0f && column < kColumns)
                decoded.values[cellIndex(row, column)] = value;
            ++column;
            while (i < line.size() && line[i] != ' ')
                ++i;
        }
        decoded.tokensPerRow.push_back(column);
    }
    decoded.endsExactly = pos == block.size();
    return decoded;
}

// The written value and what a float reader gets back differ by the rounding
// to three decimals and the float's own precision.
constexpr double kReadBackTolerance = 0.00051;

const GridFileLayout kLayouts[] = {
    {"hadcrut4.dat", 20856, 7, 3}, {"hadcrut3.dat", 28613, 10, 3}, {"hadcrut3v.dat", 28613, 10, 3},
    {"hadsst2.dat", 20780, 7, 3},  {"abstem3.dat", 28561, 10, 3},
};

TEST(PortableMath, AgreesWithTheCLibrary)
{
    for (double x = -20.0; x <= 20.0; x += 0.0137) {
        ASSERT_NEAR(pm::sin(x), std::sin(x), 1e-14) << x;
        ASSERT_NEAR(pm::cos(x), std::cos(x), 1e-14) << x;
    }
    for (double x = -60.0; x <= 60.0; x += 0.0731)
        ASSERT_NEAR(pm::exp(x) / std::exp(x), 1.0, 1e-14) << x;
    EXPECT_EQ(pm::exp(-800.0), 0.0);
    for (double x = 1e-9; x < 1e9; x *= 1.37) {
        ASSERT_NEAR(pm::log(x), std::log(x), 1e-12) << x;
        ASSERT_NEAR(pm::pow(x, 1.2) / std::pow(x, 1.2), 1.0, 1e-12) << x;
    }
}

TEST(GridFileWriter, FormatsValuesRoundedAndRightAligned)
{
    struct Case {
        double value;
        int width;
        const char* text;
    };
    const Case cases[] = {
        {0.0005, 7, "  0.001"},      {-0.0005, 7, " -0.001"},  {-0.0004, 7, "  0.000"},  // never "-0.000"
        {12.3456, 10, "    12.346"}, {-97.9996, 7, "-98.000"}, {97.9, 7, " 97.900"},
        {98.0, 7, "-99.900"},        {-99.9, 7, "-99.900"},    {std::nan(""), 7, "-99.900"},
        {1e300, 10, "   -99.900"},   {-1e300, 7, "-99.900"},
    };
    for (const Case& c : cases) {
        std::string out(c.width, '?');
        GridFileWriter::formatValue(c.value, c.width, 3, &out[0]);
        EXPECT_EQ(out, c.text) << "value " << c.value;
    }
    // Whatever the value, it reads back as written and stays a valid value.
    for (double v = -97.0; v < 97.0; v += 0.3711) {
        char out[8] = {};
        GridFileWriter::formatValue(v, 7, 3, out);
        float parsed = 0.0f;
        std::sscanf(out, "%f", &parsed);
        ASSERT_NEAR(parsed, v, kReadBackTolerance) << out;
        ASSERT_TRUE(parsed > -99.0f && parsed < 99.0f) << out;
    }
}

TEST(GridFileWriter, BlocksHaveExactSizeAndReadBackAsWritten)
{
    std::vector<double> values(kCells);
    for (int cell = 0; cell < kCells; ++cell)
        values[cell] = cell % 7 == 3 ? kMissingValue : pm::sin(cell * 0.37) * (cell % 97);  // up to +-96
    for (const GridFileLayout& layout : kLayouts) {
        SCOPED_TRACE(layout.fileName);
        EXPECT_GE(layout.headerLineBytes(), 8u);  // room for "YYYYMM" and CR LF

        std::string block = GridFileWriter::formatBlock(layout, "185001", values.data());
        ASSERT_EQ(block.size(), layout.blockSize);
        DecodedBlock decoded = decodeBlock(block);
        EXPECT_TRUE(decoded.endsExactly) << "the block must end with the last row's line end";
        EXPECT_EQ(decoded.header.substr(0, 6), "185001");
        EXPECT_EQ(block.substr(layout.headerLineBytes() - 2, 2), "\r\n");
        EXPECT_EQ(decoded.tokensPerRow, std::vector<int>(kRows, kColumns));
        for (int cell = 0; cell < kCells; ++cell) {
            if (values[cell] == kMissingValue)
                ASSERT_EQ(decoded.values[cell], kMissingValue) << "cell " << cell;
            else
                ASSERT_NEAR(decoded.values[cell], values[cell], kReadBackTolerance) << "cell " << cell;
        }
        // A header that does not fit would shift every later block.
        EXPECT_THROW(GridFileWriter::formatBlock(layout, std::string(layout.headerTextLimit() + 1, 'x'), values.data()),
                     std::logic_error);
        EXPECT_THROW(GridFileWriter::formatBlock(layout, "1850\n01", values.data()), std::logic_error);
    }
    GridFileLayout tooWide{"wide.dat", 20780, 8, 3};
    EXPECT_THROW(GridFileWriter::formatBlock(tooWide, "x", values.data()), std::logic_error);
}

TEST(GridFileWriter, MonthKStartsAtItsOffset)
{
    namespace fs = std::filesystem;
    fs::path path = fs::temp_directory_path() / "demodata_test_offsets.dat";
    const GridFileLayout& layout = kLayouts[3];
    {
        GridFileWriter writer(path, layout);
        std::vector<double> values(kCells, 1.5);
        for (int k = 1; k <= 3; ++k) {
            values[0] = k;
            writer.writeMonth("18500" + std::to_string(k), values.data());
        }
        writer.close();
        EXPECT_EQ(writer.bytesWritten(), 3 * layout.blockSize);
    }
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    fs::remove(path);
    ASSERT_EQ(bytes.size(), 3 * layout.blockSize);
    for (int k = 1; k <= 3; ++k) {
        DecodedBlock decoded = decodeBlock(bytes.substr((k - 1) * layout.blockSize, layout.blockSize));
        EXPECT_EQ(decoded.header, "18500" + std::to_string(k));
        EXPECT_EQ(decoded.values[0], k);
        EXPECT_EQ(decoded.values[kCells - 1], 1.5);
    }
}

TEST(LandMask, ContinentsAndOceansWhereTheyBelong)
{
    struct Place {
        double lat, lon;
        bool land;
    };
    const Place places[] = {
        {23, 10, true},  {60, 100, true},  {40, -100, true}, {-10, -55, true}, {-25, 135, true},
        {-82, 0, true},  {72, -40, true},  {0, -150, false}, {45, -35, false}, {-40, 80, false},
        {35, 18, false}, {43, 34, false},  {15, 65, false},  {60, -88, false}, {-60, -120, false},
    };
    for (const Place& p : places)
        EXPECT_EQ(isLandPoint(p.lat, p.lon), p.land) << p.lat << ", " << p.lon;

    std::vector<double> fractions = landFractions();
    double land = 0.0;
    double total = 0.0;
    for (int cell = 0; cell < kCells; ++cell) {
        double w = DemoClimate::areaWeight(cell / kColumns);
        total += w;
        land += isLandCell(fractions[cell]) ? w : 0.0;
    }
    EXPECT_GT(land / total, 0.26);
    EXPECT_LT(land / total, 0.32);
}

TEST(DemoClimate, SameSeedGivesTheSameRecord)
{
    DemoClimate a(7);
    DemoClimate b(7);
    DemoClimate other(8);
    std::vector<double> va, vb, vo;
    bool differs = false;
    for (int k = 1; k <= 6; ++k) {
        a.advance();
        b.advance();
        other.advance();
        for (DataSet set : {DataSet::HadCRUT4, DataSet::HadCRUT3, DataSet::HadCRUT3v, DataSet::HadSST2}) {
            a.anomalies(set, va);
            b.anomalies(set, vb);
            other.anomalies(set, vo);
            ASSERT_EQ(va, vb) << "month " << k;
            differs = differs || va != vo;
        }
    }
    EXPECT_TRUE(differs) << "the seed must matter";
}

struct MonthSummary {
    double mean = 0.0;  // area-weighted over the observed cells
    double coverage = 0.0;  // observed share of the earth's area, percent
};

MonthSummary summarise(const std::vector<double>& values)
{
    double sum = 0.0, weights = 0.0, total = 0.0;
    for (int cell = 0; cell < kCells; ++cell) {
        double w = DemoClimate::areaWeight(cell / kColumns);
        total += w;
        if (values[cell] != kMissingValue) {
            sum += w * values[cell];
            weights += w;
        }
    }
    return {weights > 0.0 ? sum / weights : 0.0, 100.0 * weights / total};
}

// The whole record in one pass, as the tool makes it, with what the checks
// below need to know about it.
class DemoRecord : public testing::Test {
protected:
    struct Record {
        std::vector<MonthSummary> h4, h3, h3v;
        std::vector<double> curve;  // globalCurve per month
        std::vector<int> everObserved = std::vector<int>(kCells, 0);  // HadCRUT4
        std::vector<double> baselineSum = std::vector<double>(kCells, 0.0);  // HadCRUT4, 1961-90
        std::vector<int> baselineCount = std::vector<int>(kCells, 0);
        std::vector<double> land;
        int beyond20 = 0;
        int landInSst = 0;
        int coverageMismatch3v = 0;
        int monthsDamped3v = 0;
    };

    static void SetUpTestSuite()
    {
        record = new Record;
        DemoClimate climate;
        record->land = climate.landFractions();
        std::vector<double> v4, v3, v3v, sst;
        for (int k = 1; k <= monthIndexOf(2024, 12); ++k) {
            climate.advance();
            record->curve.push_back(climate.globalCurve(k));
            climate.anomalies(DataSet::HadCRUT4, v4);
            record->h4.push_back(summarise(v4));
            bool baseline = k >= monthIndexOf(1961, 1) && k <= monthIndexOf(1990, 12);
            for (int cell = 0; cell < kCells; ++cell) {
                if (v4[cell] == kMissingValue)
                    continue;
                record->everObserved[cell] = 1;
                record->beyond20 += std::fabs(v4[cell]) > 20.0;
                if (baseline) {
                    record->baselineSum[cell] += v4[cell];
                    ++record->baselineCount[cell];
                }
            }
            if (k > monthIndexOf(2014, 12))
                continue;
            climate.anomalies(DataSet::HadCRUT3, v3);
            climate.anomalies(DataSet::HadCRUT3v, v3v);
            climate.anomalies(DataSet::HadSST2, sst);
            record->h3.push_back(summarise(v3));
            record->h3v.push_back(summarise(v3v));
            double spread3 = 0.0, spread3v = 0.0;
            for (int cell = 0; cell < kCells; ++cell) {
                record->coverageMismatch3v += (v3[cell] == kMissingValue) != (v3v[cell] == kMissingValue);
                record->landInSst += sst[cell] != kMissingValue && isLandCell(record->land[cell]);
                if (v3[cell] != kMissingValue) {
                    spread3 += pm::square(v3[cell] - record->h3.back().mean);
                    spread3v += pm::square(v3v[cell] - record->h3v.back().mean);
                }
            }
            record->monthsDamped3v += spread3v < spread3;
        }
    }

    static void TearDownTestSuite()
    {
        delete record;
        record = nullptr;
    }

    static double average(const std::vector<MonthSummary>& months, int firstYear, int lastYear,
                          double MonthSummary::*field)
    {
        double sum = 0.0;
        int count = 0;
        for (int k = monthIndexOf(firstYear, 1); k <= monthIndexOf(lastYear, 12); ++k, ++count)
            sum += months.at(k - 1).*field;
        return sum / count;
    }
    static double meanOf(const std::vector<MonthSummary>& m, int first, int last)
    {
        return average(m, first, last, &MonthSummary::mean);
    }
    static double coverageOf(const std::vector<MonthSummary>& m, int first, int last)
    {
        return average(m, first, last, &MonthSummary::coverage);
    }

    static Record* record;
};

DemoRecord::Record* DemoRecord::record = nullptr;

TEST_F(DemoRecord, MeanOverObservedCellsFollowsTheInstrumentalRecord)
{
    const auto& h4 = record->h4;
    for (int decade = 1850; decade <= 1900; decade += 10) {
        EXPECT_GT(meanOf(h4, decade, decade + 9), -0.55) << decade;
        EXPECT_LT(meanOf(h4, decade, decade + 9), -0.25) << decade;
    }
    for (int decade = 1940; decade <= 1970; decade += 10) {
        EXPECT_GT(meanOf(h4, decade, decade + 9), -0.2) << decade;
        EXPECT_LT(meanOf(h4, decade, decade + 9), 0.1) << decade;
    }
    double rate = (meanOf(h4, 2010, 2019) - meanOf(h4, 1980, 1989)) / 3.0;
    EXPECT_GT(rate, 0.13) << "C per decade";
    EXPECT_LT(rate, 0.27) << "C per decade";
    EXPECT_GT(meanOf(h4, 2020, 2024), 0.7);
    EXPECT_LT(meanOf(h4, 2020, 2024), 1.1);
    EXPECT_NEAR(meanOf(record->h3v, 2000, 2009), meanOf(h4, 2000, 2009), 0.1);

    // Weather on top of the curve: visible while few cells are observed, never wild.
    double earlyWiggle = 0.0;
    double worst = 0.0;
    for (std::size_t k = 0; k < h4.size(); ++k) {
        double deviation = std::fabs(h4[k].mean - record->curve[k]);
        worst = std::fmax(worst, deviation);
        if (k < 120)
            earlyWiggle = std::fmax(earlyWiggle, deviation);
    }
    EXPECT_GT(earlyWiggle, 0.1);
    EXPECT_LT(worst, 1.0);
    EXPECT_EQ(record->beyond20, 0) << "anomalies beyond 20 C";
}

TEST_F(DemoRecord, CoverageGrowsFromSparseAndDipsInTheWorldWars)
{
    const auto& h4 = record->h4;
    const auto& h3 = record->h3;
    EXPECT_GT(h4[0].coverage, 12.0);
    EXPECT_LT(h4[0].coverage, 32.0);
    EXPECT_GT(h3[0].coverage, 12.0);
    EXPECT_LT(h3[0].coverage, 32.0);
    EXPECT_GT(coverageOf(h4, 1880, 1889), coverageOf(h4, 1850, 1859) + 15.0);
    for (int year = 1955; year <= 2014; ++year) {
        double c4 = coverageOf(h4, year, year);
        double c3 = coverageOf(h3, year, year);
        EXPECT_TRUE(c4 > 78.0 && c4 < 89.0) << year << ": " << c4;
        EXPECT_TRUE(c3 > 76.0 && c3 < 88.0) << year << ": " << c3;
        EXPECT_GE(c4, c3) << year << ": HadCRUT4 has the larger network";
    }
    EXPECT_LT(coverageOf(h4, 1942, 1944), coverageOf(h4, 1936, 1938) - 4.0);
    EXPECT_LT(coverageOf(h4, 1916, 1918), coverageOf(h4, 1910, 1912) - 2.0);
}

TEST_F(DemoRecord, PolesCentralAfricaAndSouthernOceanKeepGaps)
{
    int polar = 0, southernOcean = 0, centralAfricaGaps = 0;
    for (int cell = 0; cell < kCells; ++cell) {
        double lat = cellLatitude(cell / kColumns);
        double lon = cellLongitude(cell % kColumns);
        bool observed = record->everObserved[cell] != 0;
        polar += lat > 80.0 && observed;
        southernOcean += lat < -62.0 && !isLandCell(record->land[cell]) && observed;
        centralAfricaGaps += std::fabs(lat) < 8.0 && lon > 10.0 && lon < 30.0 && !observed;
    }
    EXPECT_EQ(polar, 0);
    EXPECT_EQ(southernOcean, 0);
    EXPECT_GE(centralAfricaGaps, 2);
}

TEST_F(DemoRecord, DataSetsDifferAsTheirNamesSay)
{
    EXPECT_EQ(record->landInSst, 0) << "HadSST2 has sea cells only";
    EXPECT_EQ(record->coverageMismatch3v, 0) << "HadCRUT3v has the cells of HadCRUT3";
    EXPECT_EQ(record->monthsDamped3v, int(record->h3v.size())) << "HadCRUT3v varies less in every month";
}

TEST_F(DemoRecord, AnomaliesAreRelativeTo1961To1990)
{
    // Cells with gaps in those years average only the months they have, which wander further.
    for (int cell = 0; cell < kCells; ++cell) {
        int n = record->baselineCount[cell];
        if (n < 240)
            continue;
        double mean = record->baselineSum[cell] / n;
        EXPECT_LT(std::fabs(mean), n == 360 ? 0.1 : 0.4) << "cell " << cell << ", " << n << " months";
    }
}

TEST(Climatology, RealisticTemperaturesAndSeasons)
{
    std::vector<double> land = landFractions();
    std::vector<double> january, july;
    absoluteClimatology(1, land, january);
    absoluteClimatology(7, land, july);
    double coldest = 100.0, hottest = -100.0;
    for (int month = 1; month <= 12; ++month) {
        std::vector<double> values;
        absoluteClimatology(month, land, values);
        ASSERT_EQ(values.size(), std::size_t(kCells));
        for (double v : values) {
            coldest = std::fmin(coldest, v);
            hottest = std::fmax(hottest, v);
        }
    }
    EXPECT_TRUE(coldest > -62.0 && coldest < -45.0) << coldest;
    EXPECT_TRUE(hottest > 31.0 && hottest < 40.0) << hottest;

    auto at = [](const std::vector<double>& field, double lat, double lon) {
        int row = static_cast<int>((90.0 - lat) / kCellDegrees);
        int column = static_cast<int>((lon + 180.0) / kCellDegrees);
        return field[cellIndex(row, column)];
    };
    EXPECT_LT(at(january, 62, 130), -20.0) << "Siberian winter";
    EXPECT_GT(at(july, 62, 130), 10.0) << "Siberian summer";
    EXPECT_LT(at(july, -25, 135), at(january, -25, 135) - 5.0) << "Australian winter is in July";
    EXPECT_LT(at(july, -80, 100), -40.0) << "Antarctic winter";
    EXPECT_LT(std::fabs(at(july, 0, -150) - at(january, 0, -150)), 3.0) << "equatorial sea";
    EXPECT_GT(at(july, 23, 10), 30.0) << "Sahara summer";
}

} // namespace
