#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TempDir.h"
#include "WException.h"
#include "WSystem.h"

namespace {
std::string text(const WString& s)
{
    return std::string(static_cast<const char*>(s), s.length());
}
}

TEST(WSystemTest, RoundingHalvesAwayFromZero)
{
    EXPECT_DOUBLE_EQ(2.35, WSystem::round(2.345, 2)) << "2.345 lies just below the half in binary";
    EXPECT_DOUBLE_EQ(-2.35, WSystem::round(-2.345, 2));
    EXPECT_DOUBLE_EQ(1.0, WSystem::round(0.5, 0));
    EXPECT_DOUBLE_EQ(-1.0, WSystem::round(-0.5, 0));
    EXPECT_DOUBLE_EQ(1230.0, WSystem::round(1234.5, -1));
    EXPECT_DOUBLE_EQ(0.0, WSystem::round(0.0, 2));
    EXPECT_DOUBLE_EQ(0.0, WSystem::round(0.4, 0));
    EXPECT_DOUBLE_EQ(0.0, WSystem::round(-0.4, 0));
    EXPECT_DOUBLE_EQ(3.0, WSystem::round(2.5, 0));
    EXPECT_DOUBLE_EQ(-3.0, WSystem::round(-2.5, 0));
    EXPECT_DOUBLE_EQ(0.1, WSystem::round(0.05, 1));
    EXPECT_DOUBLE_EQ(-12.3, WSystem::round(-12.34, 1));
    EXPECT_DOUBLE_EQ(1235.0, WSystem::round(1234.5, 0));

    EXPECT_FLOAT_EQ(2.35f, WSystem::round(2.345f, 2));
    EXPECT_FLOAT_EQ(-1.0f, WSystem::round(-0.5f, 0));
    EXPECT_FLOAT_EQ(1230.0f, WSystem::round(1234.5f, -1));

    EXPECT_EQ(2, WSystem::float2Int(2.5f)) << "ties to even";
    EXPECT_EQ(4, WSystem::float2Int(3.5f));
    EXPECT_EQ(-3, WSystem::float2Int(-2.7f));
}

TEST(WSystemTest, Crc32)
{
    const unsigned char check[] = "123456789";
    unsigned long crc = 0xFFFFFFFFUL;
    WSystem::calcCRC32(check, 9, crc);
    EXPECT_EQ(0xCBF43926UL, crc ^ 0xFFFFFFFFUL);

    unsigned long pieces = 0xFFFFFFFFUL;
    WSystem::calcCRC32(check, 4, pieces);
    WSystem::calcCRC32(check + 4, 5, pieces);
    EXPECT_EQ(0xCBF43926UL, pieces ^ 0xFFFFFFFFUL) << "updating in pieces gives the same sum";

    unsigned long untouched = 0x12345678UL;
    WSystem::calcCRC32(check, 0, untouched);
    EXPECT_EQ(0x12345678UL, untouched);
}

TEST(WSystemTest, PathFunctions)
{
    WString out("old");
    WSystem::extractPath("C:\\data\\x.dat", out, true);
    EXPECT_EQ("x.dat", text(out));
    WSystem::extractPath("C:\\data\\x.dat", out, false);
    EXPECT_EQ("C:\\data", text(out));
    WSystem::extractPath("x.dat", out, false);
    EXPECT_EQ("", text(out));
    WSystem::extractPath("x.dat", out, true);
    EXPECT_EQ("x.dat", text(out));
    WSystem::extractPath("a/b\\c/d.txt", out, true);
    EXPECT_EQ("d.txt", text(out)) << "the last of either separator";
    WSystem::extractPath("a/b\\c/d.txt", out, false);
    EXPECT_EQ("a/b\\c", text(out));
    WSystem::extractPath("a\\b/c\\d.txt", out, false);
    EXPECT_EQ("a\\b/c", text(out));
    WSystem::extractPath("dir\\", out, true);
    EXPECT_EQ("", text(out));
    out = "kept";
    WSystem::extractPath("", out, true);
    EXPECT_EQ("kept", text(out)) << "an empty path leaves out unchanged";
    WSystem::extractPath("", out, false);
    EXPECT_EQ("", text(out));

    WSystem::extractFileExtension("a.b\\file", out);
    EXPECT_EQ("b\\file", text(out)) << "the last dot of the whole path";
    WSystem::extractFileExtension("C:\\d\\pic.map.jpg", out);
    EXPECT_EQ("jpg", text(out));
    WSystem::extractFileExtension("noext", out);
    EXPECT_EQ("", text(out));
    WSystem::extractFileExtension("trailing.", out);
    EXPECT_EQ("", text(out));
}

TEST(WSystemTest, FilesAndDirectories)
{
    TempDir dir;
    std::string file = dir.file("f.txt");
    HANDLE h = CreateFileW((dir.widePath() + L"\\f.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    CloseHandle(h);

    EXPECT_FALSE(WSystem::existsFile(dir.path().c_str(), false)) << "a directory is not a file";
    EXPECT_TRUE(WSystem::existsFile(dir.path().c_str(), true));
    EXPECT_TRUE(WSystem::existsFile(file.c_str(), false));
    EXPECT_FALSE(WSystem::existsFile(file.c_str(), true));
    EXPECT_FALSE(WSystem::existsFile(dir.file("missing").c_str(), false));
    EXPECT_FALSE(WSystem::existsFile(dir.file("missing").c_str(), true));
    EXPECT_FALSE(WSystem::existsFile("\xFF\xFE", false)) << "invalid UTF-8";
    EXPECT_FALSE(WSystem::existsFile(std::string(400, 'a').c_str(), false)) << "too long";

    // A sub-directory whose name needs UTF-8: "Ä" then "ö".
    std::string sub = dir.file("\xC3\x84\xC3\xB6");
    ASSERT_TRUE(CreateDirectoryW((dir.widePath() + L"\\\u00C4\u00F6").c_str(), nullptr));
    EXPECT_TRUE(WSystem::existsFile(sub.c_str(), true)) << "names are UTF-8";

    WString before;
    WSystem::getCurrentDirectory(before);
    ASSERT_GT(before.length(), 0UL);
    ASSERT_TRUE(WSystem::setCurrentDirectory(sub.c_str()));
    WString now;
    WSystem::getCurrentDirectory(now);
    EXPECT_EQ(sub, text(now));
    EXPECT_FALSE(WSystem::setCurrentDirectory(dir.file("missing").c_str()));
    EXPECT_FALSE(WSystem::setCurrentDirectory("\xFF"));
    ASSERT_TRUE(WSystem::setCurrentDirectory(before));
}

TEST(WSystemTest, TimesAndServices)
{
    SYSTEMTIME epoch = {};
    epoch.wYear = 1970;
    epoch.wMonth = 1;
    epoch.wDay = 1;
    FILETIME expected;
    ASSERT_TRUE(SystemTimeToFileTime(&epoch, &expected));
    FILETIME converted = {1, 1};
    WSystem::cTime2WindowsTime(0ULL, converted);
    EXPECT_EQ(expected.dwLowDateTime, converted.dwLowDateTime);
    EXPECT_EQ(expected.dwHighDateTime, converted.dwHighDateTime);

    unsigned long long seconds = 1;
    WSystem::windowsTime2CTime(expected, seconds);
    EXPECT_EQ(0ULL, seconds);

    ULARGE_INTEGER ticks;
    ticks.LowPart = expected.dwLowDateTime;
    ticks.HighPart = expected.dwHighDateTime;
    ticks.QuadPart += 1700000000ULL * 10000000ULL + 9999999ULL;
    FILETIME later;
    later.dwLowDateTime = ticks.LowPart;
    later.dwHighDateTime = ticks.HighPart;
    WSystem::windowsTime2CTime(later, seconds);
    EXPECT_EQ(1700000000ULL, seconds) << "the fraction of a second is dropped";
    WSystem::cTime2WindowsTime(seconds, converted);
    WSystem::windowsTime2CTime(converted, seconds);
    EXPECT_EQ(1700000000ULL, seconds);

    long long frequency = 0;
    long long first = 0;
    long long second = 0;
    double scale = 0;
    ASSERT_TRUE(WSystem::getPerformanceFrequency(frequency));
    EXPECT_GT(frequency, 0);
    ASSERT_TRUE(WSystem::getPerformanceCounter(first));
    WSystem::sleepMs(20);
    ASSERT_TRUE(WSystem::getPerformanceCounter(second));
    ASSERT_TRUE(WSystem::getPerformanceTimeScale(scale));
    EXPECT_DOUBLE_EQ(1.0 / static_cast<double>(frequency), scale);
    EXPECT_GE((second - first) * scale, 0.015) << "sleepMs(20) slept";

    SetLastError(1234);
    EXPECT_EQ(1234UL, WSystem::getSysErrCode());

    EXPECT_NO_THROW(WSystem::setLocale("C"));
    try {
        WSystem::setLocale("no-such-locale-xyz");
        ADD_FAILURE() << "an unknown locale must throw";
    } catch (const WSystemException& e) {
        EXPECT_EQ("Cannot set country/locale to no-such-locale-xyz", text(e.getMessage()));
        EXPECT_EQ(-2, e.getId());
    }
    WSystem::setLocale("C");
}
