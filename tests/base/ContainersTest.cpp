#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "WHashtable.h"
#include "WLinkedList.h"
#include "WSorter.h"
#include "WStringTokenizer.h"

namespace {
typedef WLinkedList<WString, const char*> TextList;
typedef WHashtable<WString, WString, const char*, const WString&> TextTable;

// Drains a list from its cursor, as callers iterate it.
std::vector<std::string> values(TextList& list)
{
    std::vector<std::string> out;
    while (list.hasMoreElements())
        out.push_back(list.nextValue());
    return out;
}

std::vector<std::string> keys(TextTable& table)
{
    std::vector<std::string> out;
    while (table.hasMoreElements()) {
        table.nextValue();
        out.push_back(table.getCurrentKey());
    }
    return out;
}

typedef std::vector<std::string> Texts;

class Ascending : public WSorter {
public:
    int compare(const WString& a, const WString& b) override { return a.compare(b); }
};

// Claims every pair is out of order.
class Contradictory : public WSorter {
public:
    int compare(const WString&, const WString&) override { return -1; }
};

// A value that counts its live copies, to catch entries that are never freed.
struct Counted {
    static int live;
    explicit Counted(int n) : number(n), name("value") { ++live; }
    Counted(const Counted& other) : number(other.number), name(other.name) { ++live; }
    Counted& operator=(const Counted& other) = default;
    ~Counted() { --live; }
    int number;
    WString name;
};
int Counted::live = 0;
} // namespace

TEST(WLinkedListTest, CursorWalksRewindsMarksAndSurvivesRemoval)
{
    TextList list;
    EXPECT_FALSE(list.hasMoreElements()) << "empty list";
    TextList::WEntry* a = list.add("a");
    list.add("b");
    TextList::WEntry* c = list.add("c");
    list.add("d");
    EXPECT_EQ(4UL, list.size());
    EXPECT_EQ((Texts{"a", "b", "c", "d"}), values(list));
    EXPECT_EQ((Texts{"a", "b", "c", "d"}), values(list)) << "a finished walk rewinds itself";

    Texts backwards;
    list.setLast();
    while (list.hasPrevElements())
        backwards.push_back(list.prevValue());
    EXPECT_EQ((Texts{"d", "c", "b", "a"}), backwards);
    EXPECT_STREQ("d", list.prevValue()) << "a finished backward walk stands on the last entry";

    list.reset();
    list.nextValue();
    list.mark();
    list.nextValue();
    list.reset();
    EXPECT_STREQ("b", list.nextValue()) << "reset returns to the mark";

    // Cursor and mark on removed entries move to the entry after them.
    list.reset();
    list.remove(a);
    list.remove(1);
    EXPECT_EQ(2UL, list.size());
    list.reset();
    EXPECT_STREQ("c", list.nextValue()) << "mark moved past both removed entries";
    list.reset();
    list.nextValue();
    list.remove(c);
    EXPECT_EQ((Texts{"d"}), values(list));
    list.remove(5);
    EXPECT_EQ(0UL, list.size());
    EXPECT_FALSE(list.hasMoreElements());
    list.add("x");
    EXPECT_EQ((Texts{"x"}), values(list)) << "first entry of an emptied list takes the cursor";
    list.removeAll();
    list.add("y");
    EXPECT_EQ((Texts{"y"}), values(list));
}

TEST(WLinkedListTest, CopiesFromTheSourceCursorAndRewindsIt)
{
    TextList source;
    source.add("1");
    source.add("2");
    source.add("3");
    TextList whole(source);
    EXPECT_EQ((Texts{"1", "2", "3"}), values(whole));

    source.nextValue();
    TextList tail(source);
    EXPECT_EQ((Texts{"2", "3"}), values(tail)) << "copy starts at the source's cursor";
    EXPECT_STREQ("1", source.nextValue()) << "source cursor is rewound after the copy";
    source.reset();

    TextList target;
    target.add("old");
    target = source;
    EXPECT_EQ((Texts{"1", "2", "3"}), values(target)) << "assignment empties the target first";
    target = target;
    EXPECT_EQ(3UL, target.size()) << "self-assignment keeps the values";
}

TEST(WLinkedListTest, SortExchangesValuesUntilNoPairIsNegative)
{
    TextList list;
    TextList::WEntry* first = list.add("a");
    list.add("c");
    list.add("b");
    Ascending ascending;
    list.sort(ascending);
    EXPECT_EQ((Texts{"c", "b", "a"}), values(list)) << "an ascending comparator sorts descending";
    EXPECT_STREQ("c", first->value) << "values move, entries stay in place";

    TextList many;
    for (const char* v : {"m", "z", "a", "q", "a", "k"})
        many.add(v);
    many.sort(ascending);
    EXPECT_EQ((Texts{"z", "q", "m", "k", "a", "a"}), values(many));

    Contradictory contradictory;
    many.sort(contradictory);
    EXPECT_EQ(6UL, many.size()) << "a contradictory comparator ends and loses nothing";
}

TEST(WStringTokenizerTest, SplitsAtTheWholeDelimiterText)
{
    WStringTokenizer number("12.5", ".", true);
    EXPECT_EQ((Texts{"12", "5"}), values(number));
    EXPECT_EQ(0UL, WStringTokenizer("125", ".", true).size()) << "no delimiter, no token";

    WStringTokenizer fields;
    EXPECT_EQ(4UL, fields.parse("Berlin\t52\t31\t0", "\t", true));
    EXPECT_EQ((Texts{"Berlin", "52", "31", "0"}), values(fields));
    EXPECT_EQ(5UL, fields.parse("Berlin\t52\t31\t0\t", "\t", true)) << "trailing tab";
    EXPECT_EQ((Texts{"Berlin", "52", "31", "0", ""}), values(fields));

    WStringTokenizer trimmed(" a \t b ", "\t", true);
    EXPECT_EQ((Texts{"a", "b"}), values(trimmed));
    WStringTokenizer untrimmed(" a \t b ", "\t", false);
    EXPECT_EQ((Texts{" a ", " b "}), values(untrimmed));
    WStringTokenizer empties("a,,b", ",", false);
    EXPECT_EQ((Texts{"a", "", "b"}), values(empties)) << "empty middle token kept";
    WStringTokenizer twoChars("a:b::c", "::", false);
    EXPECT_EQ((Texts{"a:b", "c"}), values(twoChars));
    WStringTokenizer overlap("aab", "ab", false);
    EXPECT_EQ((Texts{"a", ""}), values(overlap));
    WStringTokenizer onlyDelimiter(";", ";", false);
    EXPECT_EQ((Texts{"", ""}), values(onlyDelimiter));

    EXPECT_EQ(0UL, fields.parse("a,b", "", false)) << "empty delimiter gives no token, no hang";
    EXPECT_EQ(0UL, fields.parse("", ",", false));
    EXPECT_EQ(2UL, fields.parse("x;y", ";", false)) << "parse replaces earlier tokens";
    EXPECT_EQ((Texts{"x", "y"}), values(fields));
}

TEST(WHashtableTest, HashesAndChainsAreFixed)
{
    EXPECT_EQ(65, WHashKey<WString>::hash("A"));
    EXPECT_EQ(305, WHashKey<WString>::hash("YEAR"));
    EXPECT_EQ(65508, WHashKey<WString>::hash("\xE4")) << "bytes count as signed";
    EXPECT_EQ(65535, WHashKey<WString>::hash("\xFF"));
    EXPECT_EQ(7664, WHashKey<WString>::hash(std::string(600, 'z').c_str())) << "16-bit wrap";
    EXPECT_EQ(0, WHashKey<WString>::hash(""));

    EXPECT_EQ(0, WHashKey<unsigned long>::hash(0));
    EXPECT_EQ(158, WHashKey<unsigned long>::hash(1));
    EXPECT_EQ(60, WHashKey<unsigned long>::hash(2));
    EXPECT_EQ(97, WHashKey<unsigned long>::hash(0xFFFF));
    EXPECT_EQ(158, WHashKey<unsigned long>::hash(0x10001)) << "only the low 16 bits count";
    EXPECT_EQ(97, WHashKey<int>::hash(-1));
    HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x123450001ULL));
    EXPECT_EQ(158, WHashKey<HWND>::hash(window)) << "a handle hashes by its low 16 bits";

    WHashtable<unsigned long, int, unsigned long, int> positions(100);
    EXPECT_EQ(100U, positions.getChainCount());
    EXPECT_EQ(0UL, positions.getChainLength(58)) << "no buckets before the first insertion";
    positions.put(1, 10);
    positions.put(0x10001, 11);
    EXPECT_EQ(2UL, positions.getChainLength(58)) << "158 mod 100";
    EXPECT_EQ(2UL, positions.size());
    EXPECT_EQ(10, *positions.find(1));
    EXPECT_EQ(11, *positions.find(0x10001)) << "same hash, different key";

    TextTable settings(10);
    settings.put("A", "x");
    EXPECT_EQ(1UL, settings.getChainLength(5)) << "65 mod 10";
}

TEST(WHashtableTest, ReplacesInPlaceAndIteratesInInsertionOrder)
{
    TextTable table(10);
    EXPECT_EQ(nullptr, table.find("a"));
    EXPECT_FALSE(table.hasMoreElements());
    table.put("c", "1");
    table.put("a", "2");
    table.put("b", "3");
    table.put("a", "22");
    EXPECT_EQ(3UL, table.size());
    EXPECT_STREQ("22", *table.find("a"));
    EXPECT_EQ((Texts{"c", "a", "b"}), keys(table)) << "replacing keeps the first place";
    EXPECT_EQ((Texts{"c", "a", "b"}), keys(table)) << "iteration rewinds itself";

    table.put("Year", "1");
    table.put("YEAR", "2");
    EXPECT_STREQ("1", *table.find("Year")) << "keys are case-sensitive";
    EXPECT_FALSE(table.containsKey("year"));

    // Removal during a walk goes on with the next entry.
    ASSERT_TRUE(table.hasMoreElements());
    EXPECT_STREQ("1", static_cast<const char*>(table.nextValue()));
    EXPECT_TRUE(table.remove("a"));
    EXPECT_TRUE(table.hasMoreElements());
    EXPECT_STREQ("3", static_cast<const char*>(table.nextValue()));
    EXPECT_STREQ("b", table.getCurrentKey());
    table.reset();
    EXPECT_EQ((Texts{"c", "b", "Year", "YEAR"}), keys(table));
    EXPECT_FALSE(table.remove("a"));
    EXPECT_FALSE(table.containsKey("a"));
    table.put("a", "again");
    EXPECT_EQ((Texts{"c", "b", "Year", "YEAR", "a"}), keys(table)) << "a re-added key goes last";

    table.removeAll();
    EXPECT_EQ(0UL, table.size());
    EXPECT_EQ(0UL, table.getChainLength(7));
    table.put("z", "1");
    EXPECT_EQ((Texts{"z"}), keys(table));
}

TEST(WHashtableTest, HundredKeysAndHandleKeys)
{
    TextTable settings(10);
    for (int i = 0; i < 100; ++i)
        settings.put(WFormattedString("KEY%i", i), WFormattedString("%i", i * 3));
    for (unsigned int chain = 0; chain < 10; ++chain)
        EXPECT_EQ(10UL, settings.getChainLength(chain)) << "chain " << chain;
    for (int i = 0; i < 100; ++i)
        ASSERT_STREQ(WFormattedString("%i", i * 3), *settings.find(WFormattedString("KEY%i", i)));

    WHashtable<unsigned long, unsigned long, unsigned long, unsigned long> numbers(100);
    for (unsigned long i = 1; i <= 100; ++i)
        numbers.put(i, i * i);
    unsigned long chained = 0;
    for (unsigned int chain = 0; chain < 100; ++chain)
        chained += numbers.getChainLength(chain);
    EXPECT_EQ(100UL, chained);
    for (unsigned long i = 1; i <= 100; ++i)
        ASSERT_EQ(i * i, *numbers.find(i));

    // Handles that differ above 32 bits are different keys.
    WHashtable<HWND, int, HWND, int> windows(10);
    HWND low = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x00010042ULL));
    HWND high = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x700000010042ULL));
    windows.put(low, 1);
    windows.put(high, 2);
    EXPECT_EQ(2UL, windows.size());
    EXPECT_EQ(1, *windows.find(low));
    EXPECT_EQ(2, *windows.find(high));
    EXPECT_EQ(nullptr, windows.find(nullptr));
}

TEST(WHashtableTest, FreesEveryValue)
{
    const int before = Counted::live;
    {
        WHashtable<unsigned long, Counted, unsigned long, const Counted&> table(100);
        for (unsigned long i = 1; i <= 20; ++i)
            table.put(i, Counted(static_cast<int>(i)));
        table.put(5, Counted(55));
        EXPECT_EQ(before + 20, Counted::live) << "replacing copies into the entry";
        EXPECT_EQ(55, table.find(5)->number);
        table.remove(7);
        EXPECT_EQ(before + 19, Counted::live);

        // Clearing in the middle of a walk still frees every entry.
        table.hasMoreElements();
        table.nextValue();
        table.nextValue();
        table.removeAll();
        EXPECT_EQ(before, Counted::live);
        for (unsigned long i = 1; i <= 5; ++i)
            table.put(i, Counted(1));
    }
    EXPECT_EQ(before, Counted::live) << "destructor frees the entries";
}

namespace {

// The straightforward table the hash table must agree with: pairs in
// first-insertion order, found by walking them all.
class ReferenceTable {
public:
    void put(const std::string& key, int value)
    {
        auto found = at(key);
        if (found != pairs.end())
            found->second = value;
        else
            pairs.emplace_back(key, value);
    }
    bool remove(const std::string& key)
    {
        auto found = at(key);
        if (found == pairs.end())
            return false;
        pairs.erase(found);
        return true;
    }
    const int* find(const std::string& key) const
    {
        for (const auto& pair : pairs) {
            if (pair.first == key)
                return &pair.second;
        }
        return nullptr;
    }
    std::vector<std::pair<std::string, int>> pairs;

private:
    std::vector<std::pair<std::string, int>>::iterator at(const std::string& key)
    {
        return std::find_if(pairs.begin(), pairs.end(),
                            [&](const std::pair<std::string, int>& p) { return p.first == key; });
    }
};

// Six digits and a letter that gives every key the same byte sum.
std::string sameSumKey(unsigned int number)
{
    std::string key = "000000";
    int digitSum = 0;
    for (int i = 5; i >= 0; --i, number /= 10) {
        key[i] = static_cast<char>('0' + number % 10);
        digitSum += static_cast<int>(number % 10);
    }
    return key + static_cast<char>('A' + 54 - digitSum);
}

unsigned long longestChain(unsigned int chains,
                           const std::function<unsigned long(unsigned)>& length)
{
    unsigned long longest = 0;
    for (unsigned int chain = 0; chain < chains; ++chain)
        longest = std::max(longest, length(chain));
    return longest;
}

} // namespace

// Text and number keys that share one short hash: a long run of mixed puts,
// replacements, removals and look-ups gives what the straightforward table
// gives, while the table grows past its chains; its chains stay short.
TEST(WHashtableTest, GrowsPastItsChainsAndAgreesWithTheStraightforwardTable)
{
    const struct {
        const char* name;
        unsigned int chains;
        std::function<std::string(unsigned int)> text; // the key as text
    } families[] = {
        {"texts of one byte sum", 10, sameSumKey},
        {"texts of many sums", 10, [](unsigned int n) { return "KEY" + std::to_string(n); }},
        {"numbers of one short hash", 100,
         [](unsigned int n) { return std::to_string(1u + n * 0x10000u); }},
        {"sequential numbers", 100, [](unsigned int n) { return std::to_string(n + 1); }},
    };
    for (const auto& family : families) {
        SCOPED_TRACE(family.name);
        const bool numbers = std::string(family.name).find("numbers") != std::string::npos;
        TextTable texts(family.chains);
        WHashtable<unsigned long, int, unsigned long, int> integers(family.chains);
        ReferenceTable reference;
        unsigned int seed = 2024;
        for (int step = 0; step < 12000; ++step) {
            seed = seed * 1103515245u + 12345u;
            unsigned int pick = (seed >> 8) % 4000;
            std::string key = family.text(pick);
            unsigned long number = std::stoul(numbers ? key : "0");
            int value = static_cast<int>(seed >> 20);
            switch ((seed >> 4) % 6) {
            case 0:
                ASSERT_EQ(reference.remove(key), numbers ? integers.remove(number)
                                                         : texts.remove(key.c_str()));
                break;
            case 1: {
                const int* expected = reference.find(key);
                if (numbers) {
                    const int* found = integers.find(number);
                    ASSERT_EQ(expected != nullptr, found != nullptr) << key;
                    if (found != nullptr) {
                        ASSERT_EQ(*expected, *found);
                    }
                } else {
                    const WString* found = texts.find(key.c_str());
                    ASSERT_EQ(expected != nullptr, found != nullptr) << key;
                    if (found != nullptr) {
                        ASSERT_EQ(std::to_string(*expected), static_cast<const char*>(*found));
                    }
                }
                break;
            }
            default:
                reference.put(key, value);
                if (numbers)
                    integers.put(number, value);
                else
                    texts.put(key.c_str(), WString(std::to_string(value).c_str()));
            }
        }
        std::vector<std::pair<std::string, int>> walked;
        if (numbers) {
            while (integers.hasMoreElements()) {
                int value = integers.nextValue();
                walked.emplace_back(std::to_string(integers.getCurrentKey()), value);
            }
        } else {
            while (texts.hasMoreElements()) {
                const WString& value = texts.nextValue();
                walked.emplace_back(texts.getCurrentKey(), std::atoi(value));
            }
        }
        EXPECT_EQ(reference.pairs, walked) << "the same pairs in first-insertion order";
        EXPECT_GT(numbers ? integers.getChainCount() : texts.getChainCount(), family.chains)
            << "grown past the chains it was made with";
        unsigned long longest =
            numbers ? longestChain(integers.getChainCount(),
                                   [&](unsigned c) { return integers.getChainLength(c); })
                    : longestChain(texts.getChainCount(),
                                   [&](unsigned c) { return texts.getChainLength(c); });
        EXPECT_LE(longest, 3UL * TextTable::MAX_LOAD);
    }

    // A hundred thousand keys of one byte sum, as a hostile settings file
    // brings them: all found, no chain long.
    TextTable sameSum(10);
    for (unsigned int i = 0; i < 100000; ++i)
        sameSum.put(sameSumKey(i).c_str(), "v");
    EXPECT_EQ(100000UL, sameSum.size());
    for (unsigned int i = 0; i < 100000; i += 997)
        ASSERT_TRUE(sameSum.containsKey(sameSumKey(i).c_str())) << i;
    EXPECT_LE(longestChain(sameSum.getChainCount(),
                           [&](unsigned c) { return sameSum.getChainLength(c); }),
              3UL * TextTable::MAX_LOAD);

    // Cleared, the table is as made: the short hashes place the entries again.
    sameSum.removeAll();
    EXPECT_EQ(10U, sameSum.getChainCount());
    sameSum.put("A", "x");
    EXPECT_EQ(1UL, sameSum.getChainLength(5)) << "65 mod 10";
}

