#include "WSystem.h"

#include <windows.h>

#include <clocale>
#include <cmath>
#include <cstring>

#include "WException.h"
#include "WUnicode.h"

double WSystem::round(const double& value, int digits)
{
    double factor = std::pow(10.0, digits + 1);
    double t = value * factor;
    t = value >= 0 ? t + 5 : t - 5;
    t = std::trunc(t / 10);
    return t / std::pow(10.0, digits);
}

float WSystem::round(const float& value, int digits)
{
    float factor = std::pow(10.0f, static_cast<float>(digits + 1));
    float t = value * factor;
    t = value >= 0 ? t + 5 : t - 5;
    t = std::trunc(t / 10);
    return t / std::pow(10.0f, static_cast<float>(digits));
}

int WSystem::float2Int(float value)
{
    return static_cast<int>(std::nearbyint(value));
}

namespace {
struct Crc32Table {
    unsigned long entries[256];
    Crc32Table()
    {
        for (unsigned long n = 0; n < 256; ++n) {
            unsigned long c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320UL ^ (c >> 1) : c >> 1;
            entries[n] = c;
        }
    }
};
const Crc32Table crcTable;

long lastSeparator(const char* path)
{
    const char* back = std::strrchr(path, '\\');
    const char* slash = std::strrchr(path, '/');
    const char* last = back > slash ? back : slash;
    return last == nullptr ? -1 : static_cast<long>(last - path);
}
}

void WSystem::calcCRC32(const unsigned char* data, unsigned long length, unsigned long& crc)
{
    unsigned long c = crc;
    for (unsigned long i = 0; i < length; ++i)
        c = crcTable.entries[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    crc = c;
}

void WSystem::extractPath(const char* path, WString& out, bool fileName)
{
    long sep = lastSeparator(path);
    if (fileName) {
        if (*path == 0)
            return;
        out = sep < 0 ? path : path + sep + 1;
    } else {
        if (sep < 0)
            out = "";
        else
            out.assign(path, static_cast<unsigned long>(sep));
    }
}

void WSystem::extractFileExtension(const char* path, WString& out)
{
    const char* dot = std::strrchr(path, '.');
    out = dot == nullptr ? "" : dot + 1;
}

void WSystem::getCurrentDirectory(WString& out)
{
    wchar_t wide[MAX_PATH + 1];
    DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, wide);
    if (n == 0 || n > MAX_PATH) {
        out = "";
        return;
    }
    WUnicode::toUtf8(wide, out);
}

bool WSystem::setCurrentDirectory(const char* path)
{
    wchar_t wide[MAX_PATH + 1];
    return WUnicode::toWide(path, wide, MAX_PATH + 1) && SetCurrentDirectoryW(wide) != 0;
}

bool WSystem::existsFile(const char* path, bool directory)
{
    wchar_t wide[MAX_PATH + 1];
    if (!WUnicode::toWide(path, wide, MAX_PATH + 1))
        return false;
    DWORD attributes = GetFileAttributesW(wide);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    return ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == directory;
}

namespace {
const unsigned long long ticksPerSecond = 10000000ULL;
const unsigned long long secondsFrom1601To1970 = 11644473600ULL;
}

void WSystem::windowsTime2CTime(const FILETIME& fileTime, unsigned long long& seconds)
{
    unsigned long long ticks =
        (static_cast<unsigned long long>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    seconds = ticks / ticksPerSecond - secondsFrom1601To1970;
}

void WSystem::cTime2WindowsTime(const unsigned long long& seconds, FILETIME& fileTime)
{
    unsigned long long ticks = (seconds + secondsFrom1601To1970) * ticksPerSecond;
    fileTime.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFULL);
    fileTime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
}

unsigned long WSystem::getSysErrCode()
{
    return GetLastError();
}

void WSystem::sleep(unsigned long seconds)
{
    Sleep(seconds * 1000);
}

void WSystem::sleepMs(unsigned long ms)
{
    Sleep(ms);
}

bool WSystem::getPerformanceFrequency(long long& frequency)
{
    LARGE_INTEGER value;
    if (!QueryPerformanceFrequency(&value))
        return false;
    frequency = value.QuadPart;
    return true;
}

bool WSystem::getPerformanceCounter(long long& counter)
{
    LARGE_INTEGER value;
    if (!QueryPerformanceCounter(&value))
        return false;
    counter = value.QuadPart;
    return true;
}

bool WSystem::getPerformanceTimeScale(double& secondsPerTick)
{
    long long frequency = 0;
    if (!getPerformanceFrequency(frequency) || frequency == 0)
        return false;
    secondsPerTick = 1.0 / static_cast<double>(frequency);
    return true;
}

void WSystem::setLocale(const char* locale)
{
    if (std::setlocale(LC_ALL, locale) == nullptr)
        throw WSystemException(WFormattedString("Cannot set country/locale to %s", locale), -2);
}
