#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "GridTestSupport.h"
#include "GridToken.h"
#include "OrvexDatabase.h"
#include "WException.h"

namespace {

const unsigned hadcrut3Block = 28613;
const char* const hadcrut3 = "data/cru/hadcrut3.dat";

// A file of month blocks, block k (from 1) filled with the value k / 10.
void writeNumberedMonths(const std::string& name, unsigned blockSize, int months)
{
    std::string bytes;
    for (int k = 1; k <= months; ++k)
        bytes += monthBlock(blockSize, uniformRows(number(k / 10.0)));
    writeFile(name, bytes);
}

// A scratch directory holding a hadcrut3 file of numbered months, open in db.
struct NumberedMonthsFile {
    explicit NumberedMonthsFile(int months)
    {
        writeNumberedMonths(hadcrut3, hadcrut3Block, months);
        db.open(1, hadcrut3);
    }

    ScratchDir dir;
    OrvexDatabase db;
};

// The one value of a uniform field, or a note of what is wrong with it.
double uniformValue(const OrvexDatabase& db)
{
    double first = db.valueAtCell(0, 0);
    for (unsigned row = 0; row < db.getRows(); ++row) {
        for (unsigned column = 0; column < db.getColumns(); ++column) {
            if (db.valueAtCell(column, row) != first) {
                ADD_FAILURE() << "field not uniform at row " << row << " column " << column;
                return first;
            }
        }
    }
    return first;
}

void expectCleared(const OrvexDatabase& db, const std::string& what)
{
    EXPECT_EQ(0u, db.getCellsWithData()) << what;
    EXPECT_EQ(0.0, db.getGlobalMean()) << what;
    EXPECT_EQ(0.0, db.getCoverage()) << what;
    for (unsigned row = 0; row < db.getRows(); ++row)
        for (unsigned column = 0; column < db.getColumns(); ++column)
            if (db.valueAtCell(column, row) != MISSING_VALUE) {
                ADD_FAILURE() << what << ": cell " << column << "/" << row << " holds "
                              << db.valueAtCell(column, row);
                return;
            }
}

// The row of cell values one month of a single-row test gives. The row may
// be longer than a block: the file is then longer than one block.
std::vector<double> rowAfterReading(const std::string& line, unsigned row = 0)
{
    std::string bytes = "Month\n";
    for (unsigned r = 0; r < 36; ++r)
        bytes += (r == row ? line : "-99.9") + "\n";
    if (bytes.size() < hadcrut3Block)
        bytes.resize(hadcrut3Block, ' ');
    writeFile(hadcrut3, bytes);
    OrvexDatabase db;
    db.open(1, hadcrut3);
    db.load(1850, 1, false);
    std::vector<double> values;
    for (unsigned column = 0; column < 72; ++column)
        values.push_back(db.valueAtCell(column, row));
    return values;
}

double asFloat(const char* token)
{
    float value = 0.0f;
    std::sscanf(token, "%f", &value);
    return value;
}

} // namespace

TEST(OrvexDatabaseTest, MonthBlocksAreFoundByIndexAndBlockSizeOfTheName)
{
    NumberedMonthsFile file(13);
    OrvexDatabase& db = file.db;
    db.load(1850, 1, false);
    EXPECT_DOUBLE_EQ(asFloat("0.10"), uniformValue(db)) << "January 1850 is the block at byte 0";
    db.load(1850, 2, false);
    EXPECT_DOUBLE_EQ(asFloat("0.20"), uniformValue(db)) << "February 1850 starts at byte 28613";
    db.load(1851, 1, false);
    EXPECT_DOUBLE_EQ(asFloat("1.30"), uniformValue(db)) << "January 1851 starts at 12 * 28613";
    EXPECT_EQ(2592u, db.getCellsWithData());
    db.nextMonth();
    expectCleared(db, "February 1851 lies beyond a file of 13 blocks");

    EXPECT_EQ(28613u, OrvexDatabase::blockSizeForName("data/cru/hadcrut3.dat"));
    EXPECT_EQ(28613u, OrvexDatabase::blockSizeForName("data/cru/hadcrut3v.dat"));
    EXPECT_EQ(28561u, OrvexDatabase::blockSizeForName("data/cru/abstem3.dat"));
    EXPECT_EQ(20780u, OrvexDatabase::blockSizeForName("data/cru/hadsst2.dat"));
    EXPECT_EQ(20856u, OrvexDatabase::blockSizeForName("data/cru/hadcrut4.dat"));
    EXPECT_EQ(28613u, OrvexDatabase::blockSizeForName("./data/cru/hadsst2.dat"));
    EXPECT_EQ(28613u, OrvexDatabase::blockSizeForName("data\\cru\\hadcrut4.dat"));

    const char* const names[] = {"data/cru/abstem3.dat", "data/cru/hadsst2.dat",
                                 "data/cru/hadcrut4.dat"};
    for (const char* name : names) {
        unsigned blockSize = OrvexDatabase::blockSizeForName(name);
        writeNumberedMonths(name, blockSize, 3);
        db.open(1, name);
        db.load(1850, 3, false);
        EXPECT_DOUBLE_EQ(asFloat("0.30"), uniformValue(db)) << name << " read in blocks of "
                                                            << blockSize;
    }

    // The same hadsst2 file under another form of its path: 28613-byte blocks.
    writeNumberedMonths("data/cru/hadsst2.dat", 28613, 3);
    db.open(1, "./data/cru/hadsst2.dat");
    db.load(1850, 3, false);
    EXPECT_DOUBLE_EQ(asFloat("0.30"), uniformValue(db)) << "./data/cru/hadsst2.dat";
    EXPECT_STREQ("./data/cru/hadsst2.dat", db.getName());
}

TEST(OrvexDatabaseTest, EndOfDataAndYearAverages)
{
    ScratchDir dir;
    OrvexDatabase db;

    // A file of exactly k blocks holds month k; k + 1 is beyond the end.
    writeNumberedMonths(hadcrut3, hadcrut3Block, 4);
    db.open(1, hadcrut3);
    db.load(1850, 4, false);
    EXPECT_DOUBLE_EQ(asFloat("0.40"), uniformValue(db));
    db.load(1850, 5, false);
    expectCleared(db, "month 5 of a 4-block file");

    // A last block shorter than the block size is beyond the end.
    writeFile(hadcrut3, monthBlock(hadcrut3Block, uniformRows("1.00")) +
                            monthBlock(hadcrut3Block, uniformRows("2.00")).substr(0, 28000));
    db.open(1, hadcrut3);
    db.load(1850, 2, false);
    expectCleared(db, "a truncated second block");
    db.load(1850, 1, true);
    EXPECT_DOUBLE_EQ(1.0, uniformValue(db)) << "the year average uses the whole block only";

    // The last line of the file without a line feed, then the months before.
    std::string lastWithoutLineFeed = monthBlock(hadcrut3Block, uniformRows("3.00"));
    lastWithoutLineFeed.back() = ' ';
    writeFile(hadcrut3, monthBlock(hadcrut3Block, uniformRows("1.00")) +
                            monthBlock(hadcrut3Block, uniformRows("2.00")) + lastWithoutLineFeed);
    db.open(1, hadcrut3);
    db.load(1850, 3, false);
    EXPECT_DOUBLE_EQ(3.0, uniformValue(db));
    db.previousMonth();
    EXPECT_DOUBLE_EQ(2.0, uniformValue(db)) << "a read that met the end of the file";
    db.load(1850, 3, false);
    db.load(1850, 1, true);
    EXPECT_DOUBLE_EQ(2.0, uniformValue(db)) << "the year average after meeting the end";

    // Data ending in May: the year average uses January to May. Cell 0/0 has
    // values in three months only, cell 1/0 in none.
    std::string bytes;
    for (int m = 1; m <= 5; ++m) {
        bytes += monthBlock(hadcrut3Block, gridRows([m](int row, int column) {
                                if (row == 0 && column == 0)
                                    return std::string(m <= 3 ? number(m * 2.0) : "-99.9");
                                if (row == 0 && column == 1)
                                    return std::string("99");
                                return number(m);
                            }));
    }
    writeFile(hadcrut3, bytes);
    db.open(1, hadcrut3);
    db.load(1850, 7, true);
    EXPECT_EQ(7u, db.getMonth()) << "the stored month stays in year-average mode";
    EXPECT_DOUBLE_EQ(3.0, db.valueAtCell(2, 0)) << "mean of January to May";
    EXPECT_DOUBLE_EQ(3.0, db.valueAtCell(71, 35));
    EXPECT_DOUBLE_EQ(4.0, db.valueAtCell(0, 0)) << "mean of the three months with a value";
    EXPECT_EQ(MISSING_VALUE, db.valueAtCell(1, 0)) << "no month with a value";
    EXPECT_EQ(2591u, db.getCellsWithData());
    db.load(1851, 1, true);
    expectCleared(db, "a year wholly beyond the end");
}

TEST(OrvexDatabaseTest, MonthsOutsideTheDataGiveTheClearedFieldNeverAnotherMonth)
{
    NumberedMonthsFile file(13);
    OrvexDatabase& db = file.db;
    // In 32-bit arithmetic this offset wraps to 15682 + 4 * 28613, inside the file.
    db.load(14359, 3, false);
    expectCleared(db, "March 14359");
    for (unsigned month = 1; month <= 12; ++month) {
        db.load(1849, month, false);
        expectCleared(db, "month " + std::to_string(month) + " of 1849");
    }
    db.load(1849, 1, true);
    expectCleared(db, "the year 1849");
    db.load(0, 6, false);
    expectCleared(db, "June of the year 0");
    db.load(UINT_MAX, 12, false);
    expectCleared(db, "the largest year");
    db.load(1850, 0, false);
    expectCleared(db, "month 0");
    db.load(1850, 13, false);
    expectCleared(db, "month 13");

    db.load(1851, 1, false);
    db.previousYear();
    EXPECT_EQ(1850u, db.getYear());
    EXPECT_DOUBLE_EQ(asFloat("0.10"), uniformValue(db));
    db.previousYear();
    EXPECT_EQ(1849u, db.getYear());
    expectCleared(db, "previousYear below 1850");
    db.nextYear();
    EXPECT_DOUBLE_EQ(asFloat("0.10"), uniformValue(db)) << "nextYear back into the data";
}

TEST(OrvexDatabaseTest, MonthAndYearSteps)
{
    NumberedMonthsFile file(14);
    OrvexDatabase& db = file.db;

    db.load(1850, 1, false);
    EXPECT_TRUE(db.previousMonth()) << "January 1850 steps back to nothing but says true";
    EXPECT_EQ(1850u, db.getYear());
    EXPECT_EQ(1u, db.getMonth());
    EXPECT_DOUBLE_EQ(asFloat("0.10"), uniformValue(db));

    db.load(1850, 12, false);
    EXPECT_TRUE(db.nextMonth());
    EXPECT_EQ(1851u, db.getYear());
    EXPECT_EQ(1u, db.getMonth());
    EXPECT_DOUBLE_EQ(asFloat("1.30"), uniformValue(db));
    EXPECT_TRUE(db.nextMonth());
    EXPECT_DOUBLE_EQ(asFloat("1.40"), uniformValue(db));
    EXPECT_TRUE(db.previousMonth());
    EXPECT_TRUE(db.previousMonth());
    EXPECT_EQ(1850u, db.getYear());
    EXPECT_EQ(12u, db.getMonth());
    EXPECT_DOUBLE_EQ(asFloat("1.20"), uniformValue(db));

    db.load(1850, 5, true);
    EXPECT_FALSE(db.nextMonth()) << "year-average mode";
    EXPECT_FALSE(db.previousMonth()) << "year-average mode";
    EXPECT_EQ(5u, db.getMonth());
    EXPECT_EQ(1850u, db.getYear());
    double sum = 0.0;
    for (int k = 1; k <= 12; ++k)
        sum += asFloat(number(k / 10.0).c_str());
    EXPECT_DOUBLE_EQ(sum / 12, uniformValue(db)) << "the average of blocks 1 to 12";

    db.load(UINT_MAX, 12, false);
    EXPECT_TRUE(db.nextMonth());
    EXPECT_EQ(UINT_MAX, db.getYear()) << "no step past the largest year";
    EXPECT_EQ(12u, db.getMonth());
}

TEST(OrvexDatabaseTest, TokenRules)
{
    ScratchDir dir;
    std::vector<double> values =
        rowAfterReading("-99.9 -99 99 98.99 -98.99 abc 1.5 nan inf 1e30 -1e+30 --5 12.5abc "
                        "-nan 0x10 .5 -0 +2.25 infinity 99.0 -99.0 98.999");
    const char* const what[] = {"-99.9", "-99", "99", "98.99", "-98.99", "abc", "1.5", "nan",
                                "inf", "1e30", "-1e+30", "--5", "12.5abc", "-nan", "0x10",
                                ".5", "-0", "+2.25", "infinity", "99.0", "-99.0", "98.999"};
    const double expected[] = {MISSING_VALUE, MISSING_VALUE, MISSING_VALUE, asFloat("98.99"),
                               asFloat("-98.99"), 0.0, 1.5, MISSING_VALUE, MISSING_VALUE,
                               MISSING_VALUE, MISSING_VALUE, 0.0, 12.5, MISSING_VALUE, 16.0,
                               0.5, 0.0, 2.25, MISSING_VALUE, MISSING_VALUE, MISSING_VALUE,
                               asFloat("98.999")};
    for (size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i)
        EXPECT_EQ(expected[i], values[i]) << "token " << what[i] << " in column " << i;
    EXPECT_EQ(MISSING_VALUE, values[22]) << "a short row leaves the rest without value";
    EXPECT_EQ(MISSING_VALUE, values[71]);

    values = rowAfterReading("   1.00     2.00  3.00\t4.00  ");
    EXPECT_EQ(1.0, values[0]) << "leading spaces";
    EXPECT_EQ(2.0, values[1]) << "several spaces";
    EXPECT_EQ(3.0, values[2]) << "a tab is part of a token";
    EXPECT_EQ(MISSING_VALUE, values[3]) << "trailing spaces add no token";

    // More tokens than columns: the 73rd and later go nowhere, the next row
    // keeps its own values.
    std::string longRow;
    for (int i = 0; i < 5000; ++i)
        longRow += number(i % 90) + "  ";
    values = rowAfterReading(longRow, 4);
    EXPECT_EQ(asFloat("71.00"), values[71]);
    {
        OrvexDatabase db;
        db.open(1, hadcrut3);
        db.load(1850, 1, false);
        EXPECT_EQ(MISSING_VALUE, db.valueAtCell(0, 5)) << "extra tokens must not spill over";
        EXPECT_EQ(72u, db.getCellsWithData());
    }

    // A row of only blanks.
    values = rowAfterReading(std::string(3000, ' '));
    EXPECT_EQ(MISSING_VALUE, values[0]);
}

TEST(OrvexDatabaseTest, DecimalTokensReadAsTheirFloat)
{
    // Random plain decimals, compared with what "%f" makes of them.
    ScratchDir dir;
    std::mt19937 random(20261208);
    std::vector<std::vector<std::string>> months(4);
    std::string bytes;
    for (std::vector<std::string>& tokens : months) {
        std::vector<std::string> rows = gridRows([&](int, int) {
            int decimals = static_cast<int>(random() % 7);
            double value = std::uniform_real_distribution<double>(-98.9, 98.9)(random);
            char text[40];
            std::snprintf(text, sizeof text, "%.*f", decimals, value);
            tokens.push_back(text);
            return std::string(text);
        });
        bytes += monthBlock(hadcrut3Block, rows, "\r\n");
    }
    writeFile("decimals.dat", bytes);
    OrvexDatabase db;
    db.open(1, "decimals.dat");
    for (int k = 0; k < 4; ++k) {
        db.load(1850, k + 1, false);
        int wrong = 0;
        for (int i = 0; i < 2592; ++i) {
            double expected = asFloat(months[k][i].c_str());
            if (!(expected > -99.0 && expected < 99.0))
                expected = MISSING_VALUE;
            if (db.valueAtCell(i % 72, i / 72) != expected && ++wrong <= 5)
                ADD_FAILURE() << "token " << months[k][i] << " read as "
                              << db.valueAtCell(i % 72, i / 72) << ", expected " << expected;
        }
    }
}

TEST(OrvexDatabaseTest, GlobalMeanCoverageAndWeights)
{
    ScratchDir dir;
    OrvexDatabase db;
    writeFile(hadcrut3, monthBlock(hadcrut3Block, uniformRows("1.50")));
    db.open(1, hadcrut3);

    EXPECT_NEAR(2.642571e-05, db.getLatitudeWeight(0), 5e-12);
    EXPECT_NEAR(2.642571e-05, db.getLatitudeWeight(35), 5e-12);
    EXPECT_NEAR(7.907601e-05, db.getLatitudeWeight(1), 5e-12);
    EXPECT_NEAR(7.907601e-05, db.getLatitudeWeight(34), 5e-12);
    EXPECT_NEAR(6.052482e-04, db.getLatitudeWeight(17), 5e-11);
    EXPECT_NEAR(6.052482e-04, db.getLatitudeWeight(18), 5e-11);
    double total = 0.0;
    for (unsigned row = 0; row < 36; ++row) {
        EXPECT_NEAR(db.getLatitudeWeight(row), db.getLatitudeWeight(35 - row), 1e-15) << row;
        total += 72 * db.getLatitudeWeight(row);
    }
    EXPECT_NEAR(1.0, total, 1e-9) << "the weights of all cells add up to one";

    db.load(1850, 1, false);
    EXPECT_NEAR(100.0, db.getCoverage(), 1e-9);
    EXPECT_NEAR(1.5, db.getGlobalMean(), 1e-9);
    EXPECT_EQ(2592u, db.getCellsWithData());

    // Northern hemisphere only: the mean over the cells with data.
    writeFile(hadcrut3, monthBlock(hadcrut3Block, gridRows([](int row, int) {
                                       return std::string(row < 18 ? "2.00" : "-99.9");
                                   })));
    db.open(1, hadcrut3);
    db.load(1850, 1, false);
    EXPECT_NEAR(50.0, db.getCoverage(), 1e-9);
    EXPECT_NEAR(2.0, db.getGlobalMean(), 1e-9) << "not 0.75 * v";
    EXPECT_EQ(1296u, db.getCellsWithData());

    // The polar band at 1.0 and the band north of the equator at 3.0.
    writeFile(hadcrut3, monthBlock(hadcrut3Block, gridRows([](int row, int) {
                                       return std::string(row == 0 ? "1.00"
                                                          : row == 17 ? "3.00" : "-99.9");
                                   })));
    db.open(1, hadcrut3);
    db.load(1850, 1, false);
    double w0 = db.getLatitudeWeight(0);
    double w17 = db.getLatitudeWeight(17);
    EXPECT_NEAR((w0 + 3.0 * w17) / (w0 + w17), db.getGlobalMean(), 1e-12);
    EXPECT_NEAR(7200.0 * (w0 + w17), db.getCoverage(), 1e-12);
    EXPECT_EQ(144u, db.getCellsWithData());

    writeFile(hadcrut3, monthBlock(hadcrut3Block, uniformRows("999")));
    db.open(1, hadcrut3);
    db.load(1850, 1, false);
    expectCleared(db, "a field without any valid value");
}

TEST(OrvexDatabaseTest, OpenCloseAndBadFiles)
{
    ScratchDir dir;
    OrvexDatabase db;
    try {
        db.open(3, hadcrut3);
        ADD_FAILURE() << "type 3 must throw";
    } catch (const WException& e) {
        EXPECT_STREQ("Unkown orvex database dbType.", e.getMessage());
    }
    EXPECT_EQ(0u, db.getRows());

    try {
        db.open(1, "data/cru/none.dat");
        ADD_FAILURE() << "a missing file must throw";
    } catch (const WFileNotFoundException& e) {
        EXPECT_STREQ("File not found: data/cru/none.dat", e.getMessage());
    }
    EXPECT_EQ(5u, db.getResolution());
    EXPECT_EQ(0u, db.getRows());
    EXPECT_EQ(0u, db.getColumns());
    EXPECT_STREQ("data/cru/none.dat", db.getName());
    db.load(1990, 6, false);
    EXPECT_TRUE(db.nextMonth());
    EXPECT_EQ(0u, db.getCellsWithData()) << "no grid, nothing read";

    EXPECT_THROW(db.open(1, "data/cru"), WFileException) << "a directory is no grid file";
    EXPECT_EQ(0u, db.getRows());

    db.open(2, "one degree");
    EXPECT_EQ(1u, db.getResolution());
    EXPECT_EQ(180u, db.getRows());
    EXPECT_EQ(360u, db.getColumns());
    db.load(2001, 2, false);
    EXPECT_EQ(2001u, db.getYear());
    expectCleared(db, "a type-2 data set is never read");

    // Random bytes, line feeds and zero bytes included: every cell is either
    // without data or a valid value, and nothing throws.
    std::mt19937 random(7);
    std::string garbage(6 * hadcrut3Block, '\0');
    for (char& c : garbage)
        c = static_cast<char>(random());
    writeFile(hadcrut3, garbage);
    db.open(1, hadcrut3);
    EXPECT_EQ(2001u, db.getYear()) << "open keeps year, month and mode";
    for (unsigned month = 1; month <= 7; ++month) {
        db.load(1850, month, month == 7);
        for (unsigned i = 0; i < 2592; ++i) {
            double value = db.valueAtCell(i % 72, i / 72);
            if (value != MISSING_VALUE && !(value > -99.0 && value < 99.0)) {
                ADD_FAILURE() << "month " << month << " cell " << i << " holds " << value;
                break;
            }
        }
    }

    db.close();
    EXPECT_EQ(0u, db.getRows());
    EXPECT_EQ(0u, db.getResolution());
    EXPECT_STREQ(hadcrut3, db.getName()) << "close keeps the name";
    EXPECT_EQ(1850u, db.getYear());
    EXPECT_TRUE(db.isYearAverage());
}

TEST(OrvexDatabaseTest, HostileGridFiles)
{
    // Each file is hadcrut3 (28613-byte blocks); its month of 1850 is loaded.
    // A failure names the file as no grid file: at open, the set is left as
    // one that could not be opened (no grid); at a later month, the field is
    // cleared and the next good month reads again. Otherwise the first cells
    // of row 0 are compared.
    struct Case {
        const char* what;
        std::string bytes;
        unsigned month;
        bool failsAtOpen;
        bool failsAtLoad;
        std::vector<double> firstCells;
    };
    const std::string month1 = monthBlock(hadcrut3Block, uniformRows("1.50"));
    const std::string month3 = monthBlock(hadcrut3Block, uniformRows("2.50"));
    const std::string restOfRows = [] {
        std::string rows;
        for (int r = 1; r < 36; ++r)
            rows += "1.50\n";
        return rows;
    }();
    auto firstRow = [&](const std::string& line) {
        std::string bytes = "Month\n" + line + "\n" + restOfRows;
        bytes.resize(std::max<size_t>(bytes.size(), hadcrut3Block), ' ');
        return bytes;
    };
    const std::string longest = std::string(GridToken::maxLength - 3, '0') + "4.5";
    const Case cases[] = {
        {"a number of two million digits", firstRow("0." + std::string(2000000, '1') + " 3"), 1,
         false, false, {MISSING_VALUE, 3.0}},
        {"a token one byte longer than the longest number", firstRow("0" + longest + " 3"), 1,
         false, false, {MISSING_VALUE, 3.0}},
        {"the longest number", firstRow(longest + " 3"), 1, false, false, {4.5, 3.0}},
        {"the longest number before a carriage return", firstRow("3 " + longest + "\r"), 1,
         false, false, {3.0, 4.5}},
        {"a row of three million blanks and then a value", firstRow(std::string(3000000, ' ') + "2"),
         1, false, false, {2.0, MISSING_VALUE}},
        {"no line feed in twelve blocks", std::string(12 * hadcrut3Block, '7'), 1, true, false, {}},
        {"a header line as long as the block",
         std::string(hadcrut3Block, 'H') + "\n" + month1, 1, true, false, {}},
        {"a header line one byte shorter, its rows after the block",
         std::string(hadcrut3Block - 1, 'H') + "\n" + month1.substr(month1.find('\n') + 1), 1,
         false, false, {1.5, 1.5}},
        {"a second block without a line feed",
         month1 + std::string(hadcrut3Block, '7') + month3, 2, false, true, {}},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        writeFile(hadcrut3, c.bytes);
        OrvexDatabase db;
        bool openFailed = false;
        bool loadFailed = false;
        try {
            db.open(1, hadcrut3);
        } catch (const WException& e) {
            openFailed = true;
            EXPECT_EQ(-4, e.getId()) << c.what;
            EXPECT_STREQ("WException: Not a grid file (its header line does not end within "
                         "the 28613-byte month block): data/cru/hadcrut3.dat (id=-4, "
                         "syserr=00000000h)",
                         e.toString())
                << c.what;
        }
        EXPECT_EQ(c.failsAtOpen, openFailed) << c.what;
        if (openFailed) {
            EXPECT_EQ(0u, db.getRows()) << c.what << ": left without a grid";
            EXPECT_STREQ(hadcrut3, db.getName()) << c.what;
            db.load(1850, c.month, false);
            continue;
        }
        try {
            db.load(1850, c.month, false);
        } catch (const WException& e) {
            loadFailed = true;
            EXPECT_NE(nullptr, std::strstr(e.getMessage(), "Not a grid file")) << c.what;
        }
        EXPECT_EQ(c.failsAtLoad, loadFailed) << c.what;
        if (loadFailed) {
            expectCleared(db, c.what);
            db.nextMonth();
            EXPECT_DOUBLE_EQ(2.5, uniformValue(db)) << c.what << ": the next month reads";
            continue;
        }
        for (size_t column = 0; column < c.firstCells.size(); ++column)
            EXPECT_EQ(c.firstCells[column], db.valueAtCell(static_cast<unsigned>(column), 0))
                << c.what << ", column " << column;
    }
}
