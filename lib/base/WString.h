#pragma once

#include "WExport.h"

// An owned, growable string of 8-bit characters. Lengths and positions count
// bytes. An empty string shares one static zero byte and owns no memory;
// growth is exact-fit (new length + 1), and assignments never shrink the
// buffer. The text is always zero-terminated, and so is the buffer's last byte.
class QUARN2_API WString {
public:
    WString();
    explicit WString(unsigned long reserve);
    WString(const char* s);
    WString(const char* s, unsigned long n);
    WString(const unsigned char* s, unsigned long n);
    WString(const WString& other);
    virtual ~WString();

    WString& assign(const char* s);
    WString& assign(const char* s, unsigned long n);
    WString& assign(const unsigned char* s, unsigned long n);
    WString& assign(const char* s, unsigned long start, unsigned long end);
    WString& assign(const WString& other);
    WString& operator=(const char* s) { return assign(s); }
    WString& operator=(const WString& other) { return assign(other); }

    WString& append(const char* s);
    WString& append(const unsigned char* s, unsigned long n);
    WString& append(const WString& other);
    // Appends ONE character, the low 8 bits of c.
    WString& append(int c);
    WString& operator+=(const char* s) { return append(s); }
    WString& operator+=(const WString& other) { return append(other); }

    unsigned long length() const { return len; }
    unsigned long getBufLength() const { return capacity; }
    operator const char*() const { return buffer; }

    void resize(unsigned long n);
    void clear() { resize(0); }
    void truncate(unsigned long pos);
    void fill(unsigned char c);

    // The byte at i, signed and widened (0xE4 gives -28); -1 past the end.
    int charAt(unsigned long i) const;
    int operator[](unsigned long i) const { return charAt(i); }
    int operator[](int i) const { return charAt(static_cast<unsigned long>(i)); }
    long indexOf(const char* s) const { return indexOf(buffer, s); }
    long lastIndexOf(char c) const { return lastIndexOf(buffer, len, c); }
    bool startsWith(const char* s) const { return startsWith(buffer, s); }
    bool startsWith(int c) const;
    void substring(unsigned long start, unsigned long end, WString& out) const;
    void substring(unsigned long start, WString& out) const;
    bool split(const char* sep, WString& left, WString& right, bool trimBoth) const;

    bool equals(const char* s) const;
    bool equals(const WString& other) const;
    int compare(const char* s) const;
    int compare(const WString& other) const { return compare(other.buffer); }

    WString& trim();
    WString& replace(char from, char to);
    WString& toLowerCase();
    WString& toUpperCase();

protected:
    void initialize(unsigned long n);

    static char* assign(char* buf, unsigned long* capacity, unsigned long* length, const char* src,
                        unsigned long n);
    static char* append(char* buf, unsigned long* capacity, unsigned long* length, const char* src,
                        unsigned long n);
    static unsigned long trim(char* buf, unsigned long length);
    static long indexOf(const char* buf, const char* s);
    static long lastIndexOf(const char* buf, unsigned long length, char c);
    static void replace(char* buf, unsigned long length, char from, char to);
    static bool startsWith(const char* buf, const char* s);
    static bool isSharedEmpty(const char* buf);

    char* buffer;
    unsigned long len;
    unsigned long capacity;
};

QUARN2_API WString operator+(const WString& a, const WString& b);
QUARN2_API WString operator+(const WString& a, const char* b);
QUARN2_API WString operator+(const char* a, const WString& b);
QUARN2_API bool operator==(const WString& a, const WString& b);
QUARN2_API bool operator==(const WString& a, const char* b);
QUARN2_API bool operator==(const char* a, const WString& b);
inline bool operator!=(const WString& a, const WString& b) { return !(a == b); }
inline bool operator!=(const WString& a, const char* b) { return !(a == b); }

// A string filled printf-style. The constructor formats into a fresh 1024
// character buffer; format() writes into the existing buffer and cuts output
// at its capacity - 1. Over-long output is never an error.
class QUARN2_API WFormattedString : public WString {
public:
    WFormattedString() = default;
    explicit WFormattedString(unsigned long reserve) : WString(reserve) {}
    explicit WFormattedString(const char* format, ...) __attribute__((format(printf, 2, 3)));
    WFormattedString(const WFormattedString& other) = default;
    WFormattedString& operator=(const WFormattedString& other) = default;

    WString& format(const char* format, ...) __attribute__((format(printf, 2, 3)));

protected:
    WString& formatArgs(const char* format, __builtin_va_list args);
};

class QUARN2_API WNumberString : public WFormattedString {
public:
    enum NumberType { SIGNED_INT = 1, UNSIGNED_LONG = 3 };

    WNumberString(int value, const char* format);
    WNumberString(unsigned long value, const char* format);
    // Plain unsigned literals (5u) are unsigned numbers too.
    WNumberString(unsigned int value, const char* format);
    WNumberString(const WNumberString& other) = default;
    WNumberString& operator=(const WNumberString& other) = default;

    NumberType getNumberType() const { return numberType; }

private:
    NumberType numberType;
};

// A string-table entry of the module that library start-up recorded.
class QUARN2_API WResourceString : public WString {
public:
    WResourceString() = default;
    explicit WResourceString(unsigned long reserve) : WString(reserve) {}
    WResourceString(const WResourceString& other) = default;
    WResourceString& operator=(const WResourceString& other) = default;

    WString& loadResource(unsigned long id);
    WString& operator=(unsigned long id) { return loadResource(id); }
};

// Text and file names: text that is shown or written to text files is
// Windows-1252; file names are UTF-8, converted to UTF-16 only where a W
// function of Win32 takes them (see README, "Text and file names").
