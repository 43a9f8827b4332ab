#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TempDir.h"
#include "WException.h"
#include "WInitFile.h"

namespace {
void writeBytes(const std::string& name, const std::string& bytes)
{
    FILE* f = _wfopen(TempDir::toWide(name).c_str(), L"wb");
    ASSERT_NE(nullptr, f) << name;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string readBytes(const std::string& name)
{
    std::string out;
    FILE* f = _wfopen(TempDir::toWide(name).c_str(), L"rb");
    if (f == nullptr)
        return "<missing>";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0)
        out.append(buffer, n);
    fclose(f);
    return out;
}

// Reads bytes into a fresh store and saves it again with "=".
std::string roundTrip(const TempDir& dir, const std::string& bytes)
{
    writeBytes(dir.file("in.txt"), bytes);
    WInitFile settings;
    settings.open(dir.file("in.txt").c_str(), "=");
    settings.save(dir.file("out.txt").c_str(), "=");
    return readBytes(dir.file("out.txt"));
}
} // namespace

TEST(WInitFileTest, ReadsKeysValuesCommentsAndSkipsMalformedLines)
{
    TempDir dir;
    writeBytes(dir.file("init.txt"), "  YEAR = 1990 \r\n"
                                     "# comment\r\n"
                                     "MONTH=6\r\n"
                                     "garbage\r\n"
                                     "\r\n"
                                     "\t# indented comment=1\r\n"
                                     "NOTE=1 # not a comment\r\n"
                                     "KEY=a=b\r\n"
                                     "=value\r\n"
                                     "EMPTY=\r\n"
                                     "Year=other\r\n"
                                     "MONTH=7\r\n");
    WInitFile settings;
    settings.open(dir.file("init.txt").c_str(), "=");
    EXPECT_STREQ("1990", settings.getValue("YEAR"));
    EXPECT_EQ(1990, settings.getIntValue("YEAR"));
    EXPECT_EQ(7, settings.getIntValue("MONTH")) << "the later value wins";
    EXPECT_STREQ("", settings.getValue("garbage"));
    EXPECT_FALSE(settings.isParam("garbage"));
    EXPECT_FALSE(settings.isParam("# indented comment"));
    EXPECT_STREQ("1 # not a comment", settings.getValue("NOTE"));
    EXPECT_STREQ("a=b", settings.getValue("KEY")) << "only the first separator splits";
    EXPECT_STREQ("value", settings.getValue("")) << "empty key";
    EXPECT_TRUE(settings.isParam("EMPTY"));
    EXPECT_STREQ("", settings.getValue("EMPTY", "default")) << "empty value is stored";
    EXPECT_STREQ("other", settings.getValue("Year")) << "keys differ by case";
    EXPECT_STREQ("1990", settings.getValue("YEAR"));

    settings.save(dir.file("out.txt").c_str(), "=");
    EXPECT_EQ("YEAR=1990\r\nMONTH=7\r\nNOTE=1 # not a comment\r\nKEY=a=b\r\n=value\r\nEMPTY=\r\n"
              "Year=other\r\n",
              readBytes(dir.file("out.txt")))
        << "first-insertion order, no comments, no blanks around the separator";

    // A second file adds to the store and overwrites in place.
    writeBytes(dir.file("more.txt"), "EXTRA::x\nYEAR:: 2001\n");
    settings.open(dir.file("more.txt").c_str(), "::");
    EXPECT_EQ(2001, settings.getIntValue("YEAR"));
    EXPECT_STREQ("x", settings.getValue("EXTRA"));
    settings.save(dir.file("out.txt").c_str(), "::");
    EXPECT_EQ("YEAR::2001\r\nMONTH::7\r\nNOTE::1 # not a comment\r\nKEY::a=b\r\n::value\r\n"
              "EMPTY::\r\nYear::other\r\nEXTRA::x\r\n",
              readBytes(dir.file("out.txt")));

    settings.close();
    EXPECT_FALSE(settings.isParam("YEAR"));
    settings.save(dir.file("out.txt").c_str(), "=");
    EXPECT_EQ("", readBytes(dir.file("out.txt"))) << "an emptied store saves an empty file";
}

TEST(WInitFileTest, ConvertsValuesOnTheWayInAndOut)
{
    WInitFile settings;
    settings.putValue("ORTH_VIEW", "Yes");
    settings.putValue("ON", "oN");
    settings.putValue("ONE", "1");
    settings.putValue("TRUEISH", "true ");
    EXPECT_TRUE(settings.getFlagValue("ORTH_VIEW"));
    EXPECT_TRUE(settings.getFlagValue("ON"));
    EXPECT_FALSE(settings.getFlagValue("ONE", true)) << "only true/on/yes are true";
    EXPECT_FALSE(settings.getFlagValue("TRUEISH")) << "must match exactly";
    EXPECT_TRUE(settings.getFlagValue("MISSING", true));
    EXPECT_FALSE(settings.getFlagValue("MISSING"));

    settings.putValue("N", " -42abc");
    settings.putValue("WORD", "abc");
    settings.putValue("HUGE", "99999999999");
    EXPECT_EQ(-42, settings.getIntValue("N"));
    EXPECT_EQ(0, settings.getIntValue("WORD", 5)) << "a stored text without digits is 0";
    EXPECT_EQ(5, settings.getIntValue("MISSING", 5));
    EXPECT_EQ(INT_MAX, settings.getIntValue("HUGE")) << "saturates instead of wrapping";
    const char* fallback = "fallback";
    EXPECT_EQ(fallback, settings.getValue("MISSING", fallback));
    ASSERT_NE(nullptr, settings.getValue("MISSING"));

    settings.close();
    settings.putValue("B", 1);
    settings.putValue("A", true);
    settings.putValue("B", 2);
    settings.putValue("F", false);
    settings.putValue("I", -7);
    settings.putValue("U", 4294967295UL);
    settings.putValue("D2", 2.5, 2);
    settings.putValue("D3", 1.0 / 3.0, 3);
    settings.putValue("D0", 2.7, 0);
    settings.putValue("NEG", -0.125, -1);
    EXPECT_STREQ("2.50", settings.getValue("D2"));
    EXPECT_STREQ("0.333", settings.getValue("D3"));
    EXPECT_STREQ("3", settings.getValue("D0"));
    EXPECT_STREQ("-0", settings.getValue("NEG")) << "negative digits count as 0";

    TempDir dir;
    settings.save(dir.file("init.txt").c_str(), "=");
    EXPECT_EQ("B=2\r\nA=true\r\nF=false\r\nI=-7\r\nU=4294967295\r\nD2=2.50\r\nD3=0.333\r\nD0=3\r\n"
              "NEG=-0\r\n",
              readBytes(dir.file("init.txt")));
}

TEST(WInitFileTest, ToleratesAwkwardAndHostileFiles)
{
    TempDir dir;
    EXPECT_EQ("A=1\r\nB=2\r\n", roundTrip(dir, "A=1\nB=2")) << "no final line feed";
    EXPECT_EQ("", roundTrip(dir, "")) << "empty file";
    EXPECT_EQ("", roundTrip(dir, "\r\n\n\r\n# only comments\n")) << "nothing but blanks";
    EXPECT_EQ("A=1\r\nB=2\r\nC=3\r\nD=4\r\n", roundTrip(dir, "A=1\r\nB=2\nC=3\r\r\nD=4\r"))
        << "CR LF, LF, doubled CR and a final CR";
    EXPECT_EQ("A=1\rB=2\r\n", roundTrip(dir, "A=1\rB=2\n"))
        << "a lone CR inside a line does not end it";

    const std::string longKey(5000, 'k');
    const std::string longValue(7000, 'v');
    EXPECT_EQ("S=1\r\n" + longKey + "=" + longValue + "\r\nT=2\r\n",
              roundTrip(dir, "S=1\n" + longKey + " = " + longValue + "\nT=2\n"))
        << "lines far longer than the read-ahead";
    const std::string separators(20000, '=');
    EXPECT_EQ("X=" + separators + "\r\n", roundTrip(dir, "X=" + separators));

    // Binary garbage: must neither crash nor hang, and what it yields saves.
    std::string garbage;
    unsigned int seed = 12345;
    for (int i = 0; i < 65536; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(seed >> 16));
    }
    garbage.replace(1000, 7, "\n=\0=\r\n=", 7);
    writeBytes(dir.file("garbage.bin"), garbage);
    WInitFile settings;
    settings.open(dir.file("garbage.bin").c_str(), "=");
    settings.save(dir.file("garbage.txt").c_str(), "=");
    WInitFile again;
    again.open(dir.file("garbage.txt").c_str(), "=");
    again.save(dir.file("garbage2.txt").c_str(), "=");
    EXPECT_EQ(readBytes(dir.file("garbage.txt")), readBytes(dir.file("garbage2.txt")))
        << "what garbage yields is stable over a second round trip";
}

TEST(WInitFileTest, FileFailuresLeaveTheStoreAlone)
{
    TempDir dir;
    WInitFile settings;
    settings.putValue("KEEP", "1");

    const std::string missing = dir.file("missing.txt");
    try {
        settings.open(missing.c_str(), "=");
        FAIL() << "a missing file must throw";
    } catch (const WFileNotFoundException& e) {
        EXPECT_STREQ(("File not found: " + missing).c_str(), e.getMessage());
    }

    try {
        settings.open(dir.path().c_str(), "=");
        FAIL() << "a directory must not open as a settings file";
    } catch (const WFileNotFoundException&) {
        FAIL() << "a directory exists: not 'File not found'";
    } catch (const WFileException& e) {
        EXPECT_STREQ(("Cannot open file: " + dir.path()).c_str(), e.getMessage());
        EXPECT_EQ(-2, e.getId());
    }

    try {
        settings.save(dir.path().c_str(), "=");
        FAIL() << "saving over a directory must throw";
    } catch (const WFileException& e) {
        EXPECT_STREQ(("Cannot open file: " + dir.path()).c_str(), e.getMessage());
    }

    EXPECT_STREQ("1", settings.getValue("KEEP"));
    settings.save(dir.file("init.txt").c_str(), "=");
    EXPECT_EQ("KEEP=1\r\n", readBytes(dir.file("init.txt"))) << "store intact after failures";
}

namespace {

// What saving after reading must give, found the straightforward way:
// trimmed lines, "#" comments and lines without "=" skipped, the first "="
// splits, a later value replaces an earlier one in its first place.
std::string expectedSave(const std::string& file)
{
    auto trim = [](const std::string& text) {
        size_t first = text.find_first_not_of(" \t\r");
        size_t last = text.find_last_not_of(" \t\r");
        return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
    };
    std::vector<std::pair<std::string, std::string>> pairs;
    std::map<std::string, size_t> place;
    size_t start = 0;
    while (start < file.size()) {
        size_t end = file.find('\n', start);
        if (end == std::string::npos)
            end = file.size();
        std::string line = trim(file.substr(start, end - start));
        start = end + 1;
        size_t separator = line.find('=');
        if (line.empty() || line[0] == '#' || separator == std::string::npos)
            continue;
        std::string key = trim(line.substr(0, separator));
        std::string value = trim(line.substr(separator + 1));
        auto known = place.find(key);
        if (known != place.end()) {
            pairs[known->second].second = value;
        } else {
            place[key] = pairs.size();
            pairs.emplace_back(key, value);
        }
    }
    std::string out;
    for (const auto& pair : pairs)
        out += pair.first + "=" + pair.second + "\r\n";
    return out;
}

// Six digits and a letter that gives every key the same byte sum.
std::string sameSumKey(int number)
{
    std::string key = "000000";
    int digitSum = 0;
    for (int i = 5; i >= 0; --i, number /= 10) {
        key[i] = static_cast<char>('0' + number % 10);
        digitSum += number % 10;
    }
    return key + static_cast<char>('A' + 54 - digitSum);
}

} // namespace

// Settings files far beyond any the program writes: every pair is kept with
// the file's meaning, as the straightforward reading gives it.
TEST(WInitFileTest, HugeFilesKeepEveryPairWithTheFilesMeaning)
{
    std::string distinct, sameSum, repeated, mixed;
    for (int i = 0; i < 100000; ++i) {
        distinct += "KEY_" + std::to_string(i) + " = " + std::to_string(i * 7) + "\r\n";
        sameSum += sameSumKey(i) + "=" + std::to_string(i) + "\n";
        repeated += "YEAR=" + std::to_string(1850 + i % 200) + "\r\n";
        // Unknown keys, comments, keys read again later and lines without "=".
        mixed += (i % 5 == 0   ? "# comment " + std::to_string(i)
                  : i % 7 == 0 ? "no separator " + std::to_string(i)
                               : sameSumKey(i % 3001) + "=" + std::to_string(i)) +
                 "\r\n";
    }
    const struct {
        const char* name;
        std::string content;
        size_t pairs;
    } cases[] = {
        {"100 000 different keys", distinct, 100000},
        {"100 000 keys of one byte sum", sameSum, 100000},
        {"100 000 lines of one key", repeated, 1},
        {"keys read again, comments, unknown lines", mixed, 3001},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeBytes(dir.file("init.txt"), c.content);
        WInitFile settings;
        settings.open(dir.file("init.txt").c_str(), "=");
        settings.save(dir.file("out.txt").c_str(), "=");
        std::string expected = expectedSave(c.content);
        std::string saved = readBytes(dir.file("out.txt"));
        EXPECT_EQ(c.pairs, static_cast<size_t>(std::count(saved.begin(), saved.end(), '\n')));
        EXPECT_TRUE(expected == saved) << "saved " << saved.size() << " bytes, expected "
                                       << expected.size();
    }
}

