#include "WString.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "WException.h"
#include "WMemory.h"
#include "WSystem.h"

namespace {
// The one buffer every empty string shares; never written except its zero.
char sharedEmpty[1] = {0};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

// Size of a buffer for length characters plus the terminator. A length that
// cannot be represented with its terminator is as impossible to allocate as
// any other size the heap refuses.
unsigned long bufferSize(unsigned long long length)
{
    if (length >= 0xFFFFFFFFULL)
        throw WMemoryException(
            WFormattedString("Out of memory. Cannot alloc %llu bytes.", length + 1), -2);
    return static_cast<unsigned long>(length + 1);
}
}

bool WString::isSharedEmpty(const char* buf)
{
    return buf == sharedEmpty;
}

void WString::initialize(unsigned long n)
{
    buffer = sharedEmpty;
    len = 0;
    capacity = 1;
    resize(n);
}

WString::WString()
{
    initialize(0);
}

WString::WString(unsigned long reserve)
{
    initialize(reserve);
}

WString::WString(const char* s)
{
    initialize(0);
    assign(s);
}

WString::WString(const char* s, unsigned long n)
{
    initialize(0);
    assign(s, n);
}

WString::WString(const unsigned char* s, unsigned long n)
{
    initialize(0);
    assign(s, n);
}

WString::WString(const WString& other)
{
    initialize(0);
    assign(other);
}

WString::~WString()
{
    if (!isSharedEmpty(buffer))
        WMemory::freeMemory(buffer);
}

char* WString::assign(char* buf, unsigned long* capacity, unsigned long* length, const char* src,
                      unsigned long n)
{
    unsigned long needed = bufferSize(n);
    if (*capacity < needed) {
        // On failure WMemory throws before anything has changed.
        buf = static_cast<char*>(isSharedEmpty(buf) ? WMemory::allocMemory(needed)
                                                    : WMemory::reallocMemory(buf, needed));
        *capacity = needed;
    }
    if (n > 0)
        std::memmove(buf, src, n);
    buf[n] = 0;
    *length = n;
    return buf;
}

char* WString::append(char* buf, unsigned long* capacity, unsigned long* length, const char* src,
                      unsigned long n)
{
    unsigned long needed = bufferSize(static_cast<unsigned long long>(*length) + n);
    if (*capacity < needed) {
        if (isSharedEmpty(buf)) {
            buf = static_cast<char*>(WMemory::allocMemory(needed));
        } else {
            // src may point into the old buffer: keep its offset across the move.
            bool inside = src >= buf && src < buf + *capacity;
            unsigned long offset = inside ? static_cast<unsigned long>(src - buf) : 0;
            buf = static_cast<char*>(WMemory::reallocMemory(buf, needed));
            if (inside)
                src = buf + offset;
        }
        *capacity = needed;
    }
    if (n > 0)
        std::memmove(buf + *length, src, n);
    *length += n;
    buf[*length] = 0;
    return buf;
}

WString& WString::assign(const char* s)
{
    return assign(s, static_cast<unsigned long>(std::strlen(s)));
}

WString& WString::assign(const char* s, unsigned long n)
{
    buffer = assign(buffer, &capacity, &len, s, n);
    return *this;
}

WString& WString::assign(const unsigned char* s, unsigned long n)
{
    return assign(reinterpret_cast<const char*>(s), n);
}

WString& WString::assign(const char* s, unsigned long start, unsigned long end)
{
    return assign(s + start, end - start);
}

WString& WString::assign(const WString& other)
{
    if (&other != this)
        assign(other.buffer, other.len);
    return *this;
}

WString& WString::append(const char* s)
{
    return append(reinterpret_cast<const unsigned char*>(s),
                  static_cast<unsigned long>(std::strlen(s)));
}

WString& WString::append(const unsigned char* s, unsigned long n)
{
    buffer = append(buffer, &capacity, &len, reinterpret_cast<const char*>(s), n);
    return *this;
}

WString& WString::append(const WString& other)
{
    return append(reinterpret_cast<const unsigned char*>(other.buffer), other.len);
}

WString& WString::append(int c)
{
    char ch = static_cast<char>(c & 0xFF);
    buffer = append(buffer, &capacity, &len, &ch, 1);
    return *this;
}

void WString::resize(unsigned long n)
{
    if (n == 0) {
        if (!isSharedEmpty(buffer))
            WMemory::freeMemory(buffer);
        buffer = sharedEmpty;
        len = 0;
        capacity = 1;
        return;
    }
    bool wasShared = isSharedEmpty(buffer);
    unsigned long size = bufferSize(n);
    buffer = static_cast<char*>(wasShared ? WMemory::allocMemory(size)
                                          : WMemory::reallocMemory(buffer, size));
    capacity = size;
    if (wasShared) {
        len = 0;
        buffer[0] = 0;
    } else if (len > n) {
        len = n;
    }
    buffer[n] = 0;
}

void WString::truncate(unsigned long pos)
{
    if (pos >= capacity)
        pos = capacity - 1;
    if (isSharedEmpty(buffer))
        return;
    buffer[pos] = 0;
    len = pos;
}

void WString::fill(unsigned char c)
{
    if (len > 0)
        std::memset(buffer, c, len);
}

int WString::charAt(unsigned long i) const
{
    if (i >= len)
        return -1;
    return static_cast<signed char>(buffer[i]);
}

long WString::indexOf(const char* buf, const char* s)
{
    const char* hit = std::strstr(buf, s);
    return hit == nullptr ? -1 : static_cast<long>(hit - buf);
}

long WString::lastIndexOf(const char* buf, unsigned long length, char c)
{
    for (unsigned long i = length; i > 0; --i) {
        if (buf[i - 1] == c)
            return static_cast<long>(i - 1);
    }
    return -1;
}

bool WString::startsWith(const char* buf, const char* s)
{
    return std::strncmp(buf, s, std::strlen(s)) == 0;
}

bool WString::startsWith(int c) const
{
    return static_cast<signed char>(buffer[0]) == c;
}

void WString::substring(unsigned long start, unsigned long end, WString& out) const
{
    if (start >= len || end > len || end < start) {
        out.assign("", 0UL);
        return;
    }
    out.assign(buffer + start, end - start);
}

void WString::substring(unsigned long start, WString& out) const
{
    if (start >= len) {
        out.assign("", 0UL);
        return;
    }
    out.assign(buffer + start, len - start);
}

bool WString::split(const char* sep, WString& left, WString& right, bool trimBoth) const
{
    long at = indexOf(sep);
    if (at < 0)
        return false;
    unsigned long pos = static_cast<unsigned long>(at);
    unsigned long after = pos + static_cast<unsigned long>(std::strlen(sep));
    WString l(buffer, pos);
    WString r(buffer + after, len - after);
    if (trimBoth) {
        l.trim();
        r.trim();
    }
    left.assign(l);
    right.assign(r);
    return true;
}

bool WString::equals(const char* s) const
{
    return std::strcmp(buffer, s) == 0;
}

bool WString::equals(const WString& other) const
{
    return len == other.len && std::memcmp(buffer, other.buffer, len) == 0;
}

int WString::compare(const char* s) const
{
    int c = std::strcmp(buffer, s);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

unsigned long WString::trim(char* buf, unsigned long length)
{
    unsigned long first = 0;
    while (first < length && isBlank(buf[first]))
        ++first;
    if (first >= length || buf[first] == 0) {
        buf[0] = 0;
        return 0;
    }
    unsigned long last = length - 1;
    while (last > 0 && (isBlank(buf[last]) || buf[last] == 0))
        --last;
    unsigned long kept = last + 1 - first;
    std::memmove(buf, buf + first, kept);
    buf[kept] = 0;
    return kept;
}

WString& WString::trim()
{
    if (!isSharedEmpty(buffer))
        len = trim(buffer, len);
    return *this;
}

void WString::replace(char* buf, unsigned long length, char from, char to)
{
    for (unsigned long i = 0; i < length; ++i) {
        if (buf[i] == from)
            buf[i] = to;
    }
}

WString& WString::replace(char from, char to)
{
    if (!isSharedEmpty(buffer))
        replace(buffer, len, from, to);
    return *this;
}

WString& WString::toLowerCase()
{
    if (!isSharedEmpty(buffer))
        _strlwr(buffer);
    return *this;
}

WString& WString::toUpperCase()
{
    if (!isSharedEmpty(buffer))
        _strupr(buffer);
    return *this;
}

WString operator+(const WString& a, const WString& b)
{
    WString joined(a.length());
    joined.append(a);
    joined.append(b);
    return WString(static_cast<const char*>(joined), joined.length());
}

WString operator+(const WString& a, const char* b)
{
    return a + WString(b);
}

WString operator+(const char* a, const WString& b)
{
    return WString(a) + b;
}

bool operator==(const WString& a, const WString& b)
{
    return a.equals(b);
}

bool operator==(const WString& a, const char* b)
{
    return a.equals(b);
}

bool operator==(const char* a, const WString& b)
{
    return b.equals(a);
}

WFormattedString::WFormattedString(const char* format, ...) : WString(1024UL)
{
    va_list args;
    va_start(args, format);
    formatArgs(format, args);
    va_end(args);
}

WString& WFormattedString::format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    formatArgs(format, args);
    va_end(args);
    return *this;
}

WString& WFormattedString::formatArgs(const char* format, va_list args)
{
    if (capacity < 2)
        resize(1024);
    unsigned long limit = capacity - 1;
    int written = std::vsnprintf(buffer, capacity, format, args);
    if (written < 0)
        written = 0;
    len = static_cast<unsigned long>(written) > limit ? limit : static_cast<unsigned long>(written);
    buffer[len] = 0;
    return *this;
}

WNumberString::WNumberString(int value, const char* format)
    : WFormattedString(128UL), numberType(SIGNED_INT)
{
    WFormattedString::format(format, value);
}

WNumberString::WNumberString(unsigned int value, const char* format)
    : WNumberString(static_cast<unsigned long>(value), format)
{
}

WNumberString::WNumberString(unsigned long value, const char* format)
    : WFormattedString(128UL), numberType(UNSIGNED_LONG)
{
    WFormattedString::format(format, value);
}

WString& WResourceString::loadResource(unsigned long id)
{
    if (capacity < 2)
        resize(255);
    int count = LoadStringA(static_cast<HINSTANCE>(WSystem::getInstance()), id, buffer,
                            static_cast<int>(capacity));
    if (count <= 0) {
        resize(0);
        return *this;
    }
    len = static_cast<unsigned long>(count);
    return *this;
}
