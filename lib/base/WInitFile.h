#pragma once

#include "WExport.h"
#include "WHashtable.h"
#include "WString.h"

// Named text values kept in memory and read from and written to a text file
// of "key<separator>value" lines. Saving writes the pairs in the order in
// which their keys were first stored; comments and blank lines of a file that
// was read are not kept.
class QUARN2_API WInitFile {
public:
    WInitFile();
    WInitFile(const WInitFile&) = delete;
    WInitFile& operator=(const WInitFile&) = delete;
    virtual ~WInitFile();

    // Adds the file's pairs to the store; a key read again takes the new value.
    void open(const char* fileName, const char* separator);
    // Writes every pair, each line ended by CR LF; an existing file is emptied.
    void save(const char* fileName, const char* separator);

    const char* getValue(const char* key, const char* defaultValue) const;
    const char* getValue(const char* key) const { return getValue(key, ""); }
    int getIntValue(const char* key, int defaultValue) const;
    int getIntValue(const char* key) const { return getIntValue(key, 0); }
    // True for the values "true", "on" and "yes" in any case.
    bool getFlagValue(const char* key, bool defaultValue) const;
    bool getFlagValue(const char* key) const { return getFlagValue(key, false); }
    bool isParam(const char* key) const;

    void putValue(const char* key, const char* value);
    void putValue(const char* key, int value);
    void putValue(const char* key, unsigned long value);
    void putValue(const char* key, bool value);
    // The value with the given number of decimals (0 to 99).
    void putValue(const char* key, double value, int digits);

    // Removes every pair.
    void close();

private:
    WHashtable<WString, WString, const char*, const WString&> store;
};
