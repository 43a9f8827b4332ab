// The grid reader's block scan against the straightforward reading of a
// block line by line with WFile::readln, on the months of the data sets and
// on random lines built to cut tokens, carriage returns and rows at every
// place a read can end.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "GridBlockReader.h"
#include "GridTestSupport.h"
#include "GridToken.h"
#include "OrvexDatabase.h"
#include "WException.h"
#include "WFile.h"

namespace {

const unsigned rows = 36;
const unsigned columns = 72;

// Sums and counts of one 5-degree field.
struct Field {
    std::vector<double> values = std::vector<double>(rows * columns, 0.0);
    std::vector<unsigned> counts = std::vector<unsigned>(rows * columns, 0);
    bool notAGridFile = false;

    GridSums sums() { return GridSums{values.data(), counts.data(), rows, columns}; }
};

// The reference: the block at start read line by line. The header line must
// end within the block; then each row line is split at blanks, and every
// token takes a column.
Field readLineByLine(WFile& file, long long start, unsigned blockSize)
{
    Field field;
    file.setPos(static_cast<int>(start));
    WString line;
    file.readln(line, false);
    if (line.length() >= blockSize) {
        field.notAGridFile = true;
        return field;
    }
    for (unsigned row = 0; row < rows && file.readln(line, true); ++row) {
        const char* p = line;
        const char* end = p + line.length();
        for (unsigned column = 0; column < columns; ++column) {
            while (p < end && *p == ' ')
                ++p;
            if (p == end)
                break;
            const char* tokenEnd = p;
            while (tokenEnd < end && *tokenEnd != ' ')
                ++tokenEnd;
            double value = 0.0;
            if (GridToken::toCellValue(p, tokenEnd, value)) {
                field.values[row * columns + column] += value;
                ++field.counts[row * columns + column];
            }
            p = tokenEnd;
        }
    }
    return field;
}

Field readBlock(GridBlockReader& reader, WFile& file, long long start, unsigned blockSize)
{
    Field field;
    file.setPos(static_cast<int>(start));
    try {
        reader.read(file, blockSize, field.sums());
    } catch (const WException& e) {
        EXPECT_EQ(-4, e.getId());
        field.notAGridFile = true;
    }
    return field;
}

// Empty when both agree, else the first difference.
std::string difference(const Field& expected, const Field& actual)
{
    if (expected.notAGridFile != actual.notAGridFile)
        return expected.notAGridFile ? "a header too long was read" : "a header was refused";
    for (unsigned i = 0; i < rows * columns; ++i) {
        if (expected.values[i] != actual.values[i] || expected.counts[i] != actual.counts[i])
            return "cell " + std::to_string(i % columns) + "/" + std::to_string(i / columns) +
                   ": " + std::to_string(actual.values[i]) + " (" +
                   std::to_string(actual.counts[i]) + ") instead of " +
                   std::to_string(expected.values[i]) + " (" +
                   std::to_string(expected.counts[i]) + ")";
    }
    return "";
}

// A token of the kinds grid files and broken files hold: plain numbers,
// invalid ones, words, and tokens around the longest number.
std::string randomToken(std::mt19937& random)
{
    static const std::string words[] = {"-99.9", "abc", "nan", "1e30", "\t", "\r", "\r\r",
                                        "\x1a", std::string(1, '\0'), "0x1p3"};
    switch (random() % 8) {
    case 0: return words[random() % (sizeof words / sizeof words[0])];
    case 1: {
        size_t length = GridToken::maxLength - 2 + random() % 5;
        std::string token(length, '0');
        token.replace(length - 3, 3, "4.5");
        return token;
    }
    case 2: return std::string(1 + random() % 200, '7');
    default: return number(std::uniform_real_distribution<double>(-120.0, 120.0)(random));
    }
}

// Random row lines, some far longer than a block, with blanks, carriage
// returns and empty lines between.
std::string randomLines(std::mt19937& random, size_t size)
{
    std::string bytes;
    while (bytes.size() < size) {
        switch (random() % 12) {
        case 0: bytes += "\n"; break;
        case 1: bytes += "\r\n"; break;
        case 2: bytes += std::string(1 + random() % 3, ' '); break;
        default: bytes += randomToken(random) + (random() % 3 == 0 ? "  " : " ");
        }
        if (random() % 50 == 0) {
            // Rows of thousands of tokens run on past the block.
            for (int i = static_cast<int>(random() % 4000); i > 0; --i)
                bytes += randomToken(random) + " ";
        }
    }
    return bytes;
}

} // namespace

TEST(GridBlockReaderTest, MatchesTheLineByLineReaderOnTheDataSets)
{
    for (const char* name : {"hadcrut3v.dat", "hadcrut3.dat", "hadcrut4.dat", "hadsst2.dat",
                             "abstem3.dat"}) {
        std::string shortName = "data/cru/" + std::string(name);
        unsigned blockSize = OrvexDatabase::blockSizeForName(shortName.c_str());
        WFile file((std::string(ORVEX_RUN_DIR) + "/data/cru/" + name).c_str());
        unsigned months = file.getSize() / blockSize;
        ASSERT_GT(months, 11u) << name;
        GridBlockReader reader;
        unsigned withData = 0;
        // Every third month keeps the straightforward reader's time down.
        for (unsigned k = 0; k < months; k += 3) {
            long long start = static_cast<long long>(k) * blockSize;
            Field expected = readLineByLine(file, start, blockSize);
            Field actual = readBlock(reader, file, start, blockSize);
            std::string wrong = difference(expected, actual);
            ASSERT_EQ("", wrong) << name << " month " << k + 1;
            for (unsigned count : actual.counts)
                withData += count;
        }
        EXPECT_GT(withData, months / 3 * 500u) << name << " has data";
    }
}

TEST(GridBlockReaderTest, MatchesTheLineByLineReaderOnRandomLines)
{
    ScratchDir dir;
    const unsigned blockSize = 28613;
    std::mt19937 random(16);
    GridBlockReader reader;
    for (int round = 0; round < 40; ++round) {
        // A header that ends anywhere in the first block, or just after it.
        size_t headerLength = round % 10 == 0 ? blockSize - 1 + random() % 3
                                              : random() % (round % 2 == 0 ? 100 : blockSize);
        std::string bytes = std::string(headerLength, 'H') + "\n" +
                            randomLines(random, 3 * blockSize + random() % blockSize);
        // The last line ends without a line feed in every other file.
        if (round % 2 == 1 && bytes.back() == '\n')
            bytes.back() = ' ';
        writeFile("random.dat", bytes);
        WFile file("random.dat");
        unsigned months = file.getSize() / blockSize;
        for (unsigned k = 0; k < months; ++k) {
            long long start = static_cast<long long>(k) * blockSize;
            std::string wrong = difference(readLineByLine(file, start, blockSize),
                                           readBlock(reader, file, start, blockSize));
            ASSERT_EQ("", wrong) << "round " << round << " block " << k + 1;
        }
    }
}
