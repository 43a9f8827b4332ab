#include "WInitFile.h"

#include <cstdlib>
#include <string>

#include "WFile.h"

namespace {
const unsigned int chainCount = 10;
const int maxDigits = 99;
const size_t writeBlockSize = 65536;
}

WInitFile::WInitFile() : store(chainCount) {}

WInitFile::~WInitFile() = default;

void WInitFile::open(const char* fileName, const char* separator)
{
    WFile file;
    file.open(fileName, static_cast<unsigned long>(WFile::MODE_READ));
    WString line;
    WString key;
    WString value;
    while (file.readln(line, true)) {
        line.trim();
        if (line.startsWith('#'))
            continue;
        if (!line.split(separator, key, value, true))
            continue;
        store.put(key, value);
    }
    file.close();
}

void WInitFile::save(const char* fileName, const char* separator)
{
    WFile file;
    file.create(fileName, false);
    // Rewind first: a save that failed half-way may have left the cursor
    // inside the list.
    store.reset();
    // The lines go out in blocks: a system call per line would cost more
    // than all the rest for a large store.
    std::string block;
    while (store.hasMoreElements()) {
        const WString& value = store.nextValue();
        block.append(store.getCurrentKey());
        block.append(separator);
        block.append(value, value.length());
        block.append("\r\n");
        if (block.size() >= writeBlockSize) {
            file.write(block.data(), static_cast<unsigned long>(block.size()));
            block.clear();
        }
    }
    store.reset();
    file.write(block.data(), static_cast<unsigned long>(block.size()));
    file.flush();
    file.close();
}

const char* WInitFile::getValue(const char* key, const char* defaultValue) const
{
    const WString* value = store.find(key);
    return value != nullptr ? static_cast<const char*>(*value) : defaultValue;
}

int WInitFile::getIntValue(const char* key, int defaultValue) const
{
    const WString* value = store.find(key);
    if (value == nullptr)
        return defaultValue;
    // long is 32 bits here; strtol saturates where atoi would overflow.
    return static_cast<int>(std::strtol(*value, nullptr, 10));
}

bool WInitFile::getFlagValue(const char* key, bool defaultValue) const
{
    const WString* value = store.find(key);
    if (value == nullptr)
        return defaultValue;
    WString lower(*value);
    lower.toLowerCase();
    return lower.equals("true") || lower.equals("on") || lower.equals("yes");
}

bool WInitFile::isParam(const char* key) const
{
    return store.containsKey(key);
}

void WInitFile::putValue(const char* key, const char* value)
{
    store.put(key, WString(value != nullptr ? value : ""));
}

void WInitFile::putValue(const char* key, int value)
{
    store.put(key, WFormattedString("%i", value));
}

void WInitFile::putValue(const char* key, unsigned long value)
{
    store.put(key, WFormattedString("%lu", value));
}

void WInitFile::putValue(const char* key, bool value)
{
    store.put(key, WString(value ? "true" : "false"));
}

void WInitFile::putValue(const char* key, double value, int digits)
{
    // A negative count would print as a huge unsigned precision.
    if (digits < 0)
        digits = 0;
    else if (digits > maxDigits)
        digits = maxDigits;
    WFormattedString format("%%.%uf", static_cast<unsigned int>(digits));
    store.put(key, WFormattedString(format, value));
}

void WInitFile::close()
{
    store.removeAll();
}
