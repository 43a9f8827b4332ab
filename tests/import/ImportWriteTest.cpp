// The writing half of the C++ importer against the Python importer: the
// binary files write_reference.py leaves hold inputs and what
// tools/gridimport gives for them; every grid file must agree byte for byte,
// and every number as closely as numpy's sine (SVML or the C library's,
// depending on the processor) lets it. The reference folder is the argument.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "CellMapping.h"
#include "CoverageSummary.h"
#include "GridBlocks.h"
#include "GridLayout.h"
#include "ImportFailure.h"
#include "PortableSine.h"

namespace {

// Reads what write_reference.py's Record wrote.
class Record {
public:
    explicit Record(const std::string& path) : name(path)
    {
        std::ifstream in(path, std::ios::binary);
        data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    bool exists() const { return !data.empty(); }
    bool atEnd() const { return position == data.size(); }

    int32_t integer()
    {
        int32_t value;
        take(&value, sizeof value);
        return value;
    }

    std::vector<double> doubles(size_t count)
    {
        std::vector<double> values(count);
        take(values.data(), count * sizeof(double));
        return values;
    }

    std::string bytes()
    {
        std::string text(integer(), '\0');
        take(&text[0], text.size());
        return text;
    }

    const std::string name;

private:
    void take(void* out, size_t size)
    {
        if (position + size > data.size())
            throw std::runtime_error(name + ": ends early");
        std::memcpy(out, data.data() + position, size);
        position += size;
    }

    std::string data;
    size_t position = 0;
};

std::string referenceFolder;

std::string referenceFile(const std::string& name)
{
    return referenceFolder + "\\" + name;
}

std::string numbered(const char* prefix, int number)
{
    char name[64];
    std::snprintf(name, sizeof name, "%s_%03d.bin", prefix, number);
    return referenceFile(name);
}

uint64_t bitsOf(double x)
{
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    return bits;
}

// "" when every value is the expected one or within allowance(expected)
// of it (NaN only with NaN, a zero only with a zero of its sign); else how
// many differ and the first.
template <class Allowance>
std::string differences(const std::vector<double>& expected, const double* actual,
                        Allowance allowance)
{
    size_t differing = 0, first = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        const double e = expected[i], a = actual[i];
        bool agree =
            bitsOf(e) == bitsOf(a) || ((e != 0 || a != 0) && std::fabs(e - a) <= allowance(e));
        if (!agree && differing++ == 0)
            first = i;
    }
    if (differing == 0)
        return "";
    std::ostringstream text;
    text.precision(17);
    text << differing << " of " << expected.size() << " differ, first at " << first << ": expected "
         << expected[first] << ", got " << actual[first];
    return text.str();
}

std::string byteDifferences(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return "";
    size_t first = 0;
    while (first < expected.size() && first < actual.size() && expected[first] == actual[first])
        ++first;
    std::ostringstream text;
    text << "sizes " << expected.size() << " and " << actual.size() << ", first difference at byte "
         << first << ": expected \"" << expected.substr(first > 20 ? first - 20 : 0, 40) << "\", got \""
         << actual.substr(first > 20 ? first - 20 : 0, 40) << "\"";
    return text.str();
}

// Weights and sums of them: a sine's last bits move them far less.
double relativeAllowance(double expected)
{
    return 1e-12 * std::fabs(expected);
}

// Sines that differ in their last bits put a cell mean on either side of a
// ninth-decimal rounding at most, one step apart, unless the values are
// huge: they move a weight by a few units in a sine's last place over the
// area of the thinnest row (sin 90 - sin 85, 0.0038), a mean by well under
// 1e-12 of the largest value taking part.
double meanAllowance(const std::vector<double>& values)
{
    double largest = 0;
    for (double v : values)
        largest = std::fmax(largest, std::fabs(v));
    return 1.000001e-9 + 1e-12 * largest;
}

} // namespace

TEST(CellMappingTest, GivesThePythonImportersCellsAndRefusals)
{
    int cases = 0;
    for (int number = 0;; ++number) {
        Record record(numbered("regrid", number));
        if (!record.exists())
            break;
        ++cases;
        const std::string name = record.bytes();
        SCOPED_TRACE(name);
        const int latitudes = record.integer(), longitudes = record.integer(), months = record.integer();
        const std::vector<double> lat = record.doubles(latitudes), lon = record.doubles(longitudes);
        const std::vector<double> values = record.doubles(size_t(months) * latitudes * longitudes);
        const std::string refusal = record.bytes();
        if (!refusal.empty()) {
            try {
                CellMapping mapping(lat, lon);
                ADD_FAILURE() << "accepted; the Python importer says: " << refusal;
            } catch (const ImportFailure& failure) {
                EXPECT_EQ(refusal, failure.english());
                EXPECT_FALSE(failure.german().empty());
            }
            continue;
        }
        const std::vector<double> steps = record.doubles(2);
        const std::vector<double> expected = record.doubles(size_t(months) * 36 * 72);
        EXPECT_TRUE(record.atEnd());
        CellMapping mapping(lat, lon);
        EXPECT_EQ(bitsOf(steps[0]), bitsOf(mapping.latitudeStep()));
        EXPECT_EQ(bitsOf(steps[1]), bitsOf(mapping.longitudeStep()));
        std::vector<double> cells(expected.size(), 12345.0);
        mapping.apply(values.data(), months, cells.data());
        const double allowance = meanAllowance(values);
        EXPECT_EQ("", differences(expected, cells.data(), [=](double) { return allowance; }));
    }
    EXPECT_GE(cases, 30);
}

TEST(CellMappingTest, KnowsARepeatedFirstLongitudeAsThePythonImporter)
{
    Record record(referenceFile("repeats.bin"));
    const int cases = record.integer();
    ASSERT_GE(cases, 10);
    for (int i = 0; i < cases; ++i) {
        const std::vector<double> longitudes = record.doubles(record.integer());
        const bool expected = record.integer() != 0;
        EXPECT_EQ(expected, repeatsFirstLongitude(longitudes)) << "case " << i;
    }
}

TEST(GridBlocksTest, GiveThePythonImportersBytesValidCellsAndCoverages)
{
    int cases = 0;
    for (int number = 0;; ++number) {
        Record record(numbered("blocks", number));
        if (!record.exists())
            break;
        ++cases;
        const std::string layoutName = record.bytes();
        const int months = record.integer();
        SCOPED_TRACE(layoutName + ", case " + std::to_string(number));
        const GridLayout* layout = gridLayoutByName(layoutName);
        ASSERT_NE(nullptr, layout);
        std::vector<std::string> headers;
        for (int m = 0; m < months; ++m)
            headers.push_back(record.bytes());
        const std::vector<double> cells = record.doubles(size_t(months) * GridLayout::cells);
        const std::string expectedBytes = record.bytes();
        const std::string expectedValid = record.bytes();
        const std::vector<double> expectedCoverage = record.doubles(months);
        const std::string expectedHasData = record.bytes();
        const int first = record.integer(), last = record.integer(), start = record.integer();
        const std::vector<double> means = record.doubles(2);
        EXPECT_TRUE(record.atEnd());

        std::string bytes = "left over";
        std::vector<unsigned char> valid;
        formatGridBlocks(*layout, headers, cells.data(), bytes, valid);
        EXPECT_EQ("", byteDifferences(expectedBytes, bytes));
        EXPECT_EQ(expectedValid, std::string(valid.begin(), valid.end()));

        CoverageSummary summary(months + 2);
        summary.add(3, valid.data(), months);
        std::vector<double> coverages;
        std::string hasData;
        for (int block = 3; block < months + 3; ++block) {
            coverages.push_back(summary.coverage(block));
            hasData += static_cast<char>(summary.hasData(block));
        }
        EXPECT_EQ("", differences(expectedCoverage, coverages.data(), relativeAllowance));
        EXPECT_EQ(expectedHasData, hasData);
        EXPECT_EQ(first ? first + 2 : 0, summary.firstBlockWithData());
        EXPECT_EQ(last ? last + 2 : 0, summary.lastBlockWithData());
        if (first) {
            const double actual[] = {summary.meanCoverage(start + 2, last + 2),
                                     summary.meanCoverage(3, months + 2)};
            EXPECT_EQ("", differences(means, actual, relativeAllowance));
        }
    }
    EXPECT_EQ(25, cases);
}

TEST(GridLayoutTest, HasTheFiveTargetsInOrder)
{
    const struct {
        const char* name;
        int blockSize, width, rowLineBytes, headerBytes;
    } expected[] = {{"hadcrut4", 20856, 7, 577, 84},
                    {"hadcrut3", 28613, 10, 793, 65},
                    {"hadcrut3v", 28613, 10, 793, 65},
                    {"hadsst2", 20780, 7, 577, 8},
                    {"abstem3", 28561, 10, 793, 13}};
    ASSERT_EQ(5u, gridLayouts().size());
    for (size_t i = 0; i < 5; ++i) {
        const GridLayout& layout = gridLayouts()[i];
        EXPECT_EQ(expected[i].name, layout.name);
        EXPECT_EQ(std::string(expected[i].name) + ".dat", layout.fileName());
        EXPECT_EQ(expected[i].blockSize, layout.blockSize);
        EXPECT_EQ(expected[i].width, layout.width);
        EXPECT_EQ(3, layout.decimals);
        EXPECT_EQ(expected[i].rowLineBytes, layout.rowLineBytes);
        EXPECT_EQ(expected[i].headerBytes, layout.headerBytes);
        EXPECT_EQ(&layout, gridLayoutByName(expected[i].name));
    }
    EXPECT_EQ(nullptr, gridLayoutByName("hadcrut5"));
}

// numpy's sine is within a few units in the last place of the true one
// whichever it takes, and so is the importer's.
TEST(PortableSineTest, GivesNumpysSineAndLatitudeWeights)
{
    Record record(referenceFile("sine.bin"));
    const int count = record.integer();
    const std::vector<double> x = record.doubles(count), expected = record.doubles(count);
    std::vector<double> sines;
    for (double v : x)
        sines.push_back(portableSine(v));
    EXPECT_EQ("", differences(expected, sines.data(), [](double e) {
                  return 4 * (std::nextafter(std::fabs(e), INFINITY) - std::fabs(e));
              }));
    EXPECT_EQ("", differences(record.doubles(36), latitudeWeights().data(), relativeAllowance));
}

namespace {

__attribute__((target("fma"))) double hardwareFma(double a, double b, double c)
{
    return __builtin_fma(a, b, c);
}

} // namespace

TEST(PortableSineTest, EmulatedFusedMultiplyAddIsTheProcessors)
{
    if (!__builtin_cpu_supports("fma"))
        GTEST_SKIP() << "the processor has no fused multiply-add";
    uint64_t state = 88172645463325252ull;
    auto next = [&] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    // Random mantissas over a moderate range of exponents, and products that
    // cancel c nearly or exactly.
    auto number = [&] { return std::ldexp(double(next() >> 11) * 0x1p-53 + 0.5, int(next() % 120) - 60) *
                               (next() & 1 ? -1 : 1); };
    int differing = 0;
    for (int i = 0; i < 1000000; ++i) {
        double a = number(), b = number(), c = i % 3 ? number() : -(a * b) * (1 + 0x1p-52 * (i % 7));
        if (bitsOf(exactFma(a, b, c)) != bitsOf(hardwareFma(a, b, c)) && differing++ < 5)
            ADD_FAILURE() << std::hexfloat << a << " * " << b << " + " << c;
    }
    EXPECT_EQ(0, differing);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder of write_reference.py's files>\n", argv[0]);
        return 2;
    }
    referenceFolder = argv[1];
    return RUN_ALL_TESTS();
}
