#include "ClassicLayout.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <vector>

#include "ImportFailure.h"
#include "SystemErrorText.h"

namespace {

const uint64_t MOST = std::numeric_limits<uint64_t>::max();

uint64_t typeSize(uint32_t type) {
    switch (type) {
    case 1: case 2: case 7: return 1;   // byte, char, ubyte
    case 3: case 8: return 2;           // short, ushort
    case 4: case 5: case 9: return 4;   // int, float, uint
    default: return 8;                  // double, int64, uint64
    }
}

// Sizes saturate: a header may claim more than 64 bits can count.
uint64_t times(uint64_t a, uint64_t b) {
    return b != 0 && a > MOST / b ? MOST : a * b;
}

uint64_t plus(uint64_t a, uint64_t b) {
    return a > MOST - b ? MOST : a + b;
}

uint64_t padded(uint64_t n) {
    return n > MOST - 3 ? MOST : (n + 3) & ~uint64_t(3);
}

// Big-endian reading of an open file, buffered; skips by seeking.
class HeaderReader {
public:
    HeaderReader(const std::wstring& path, const std::string& shown) : shown(shown) {
        file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            failed();
        LARGE_INTEGER length;
        if (!GetFileSizeEx(file, &length))
            failed();
        fileSize = uint64_t(length.QuadPart);
    }
    HeaderReader(const HeaderReader&) = delete;
    HeaderReader& operator=(const HeaderReader&) = delete;
    ~HeaderReader() { CloseHandle(file); }

    uint64_t size() const { return fileSize; }

    uint64_t number(int bytes) {
        uint64_t n = 0;
        for (int i = 0; i < bytes; ++i)
            n = n << 8 | byte();
        return n;
    }

    void skip(uint64_t bytes) { offset = plus(offset, bytes); }

private:
    unsigned char byte() {
        if (offset < start || offset >= start + buffer.size()) {
            buffer.assign(65536, 0);
            LARGE_INTEGER at;
            at.QuadPart = LONGLONG(std::min<uint64_t>(offset, uint64_t(std::numeric_limits<LONGLONG>::max())));
            DWORD read = 0;
            if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN) ||
                !ReadFile(file, buffer.data(), DWORD(buffer.size()), &read, nullptr))
                failed();
            if (read == 0)
                throw ImportFailure(shown + ": the file ends inside its header",
                                    shown + ": die Datei endet in ihrem Kopf");
            buffer.resize(read);
            start = offset;
        }
        return buffer[size_t(offset++ - start)];
    }

    [[noreturn]] void failed() const {
        SystemErrorText reason = systemErrorText(GetLastError());
        throw ImportFailure(shown + ": cannot read the file: " + reason.english,
                            shown + ": die Datei kann nicht gelesen werden: " + reason.german);
    }

    std::string shown;
    HANDLE file = INVALID_HANDLE_VALUE;
    uint64_t fileSize = 0;
    std::vector<unsigned char> buffer;
    uint64_t start = 0, offset = 0;
};

struct Variable {
    uint64_t begin = 0, bytes = 0;  // bytes: of one record for record variables
    bool record = false;
};

}  // namespace

ClassicLayout classicLayout(const std::wstring& path, const std::string& shownPath) {
    HeaderReader in(path, shownPath);
    ClassicLayout layout;
    layout.actual = in.size();
    uint64_t magic = in.number(4);
    int version = int(magic & 0xFF);
    int count = version == 5 ? 8 : 4;  // the width of counts and sizes
    uint64_t records = in.number(count);
    auto name = [&] { in.skip(padded(in.number(count))); };
    std::vector<uint64_t> dimensions;
    // Each list is a tag (or 0 when absent) and a count.
    in.number(4);
    for (uint64_t n = in.number(count), i = 0; i < n; ++i) {
        name();
        dimensions.push_back(in.number(count));
    }
    auto attributes = [&] {
        in.number(4);
        for (uint64_t n = in.number(count), i = 0; i < n; ++i) {
            name();
            uint64_t type = in.number(4);
            in.skip(padded(times(in.number(count), typeSize(uint32_t(type)))));
        }
    };
    attributes();
    std::vector<Variable> variables;
    in.number(4);
    for (uint64_t n = in.number(count), i = 0; i < n; ++i) {
        name();
        Variable v;
        v.bytes = 1;
        uint64_t rank = in.number(count);
        for (uint64_t d = 0; d < rank; ++d) {
            uint64_t id = in.number(count);
            uint64_t length = id < dimensions.size() ? dimensions[size_t(id)] : 0;
            if (d == 0 && length == 0)
                v.record = true;  // the record dimension is stored with length 0
            else
                v.bytes = times(v.bytes, length);
        }
        attributes();
        v.bytes = times(v.bytes, typeSize(uint32_t(in.number(4))));
        in.number(count);  // vsize: rounded, and capped for large variables
        v.begin = in.number(version == 1 ? 4 : 8);
        variables.push_back(v);
    }
    if (records == (count == 8 ? MOST : 0xFFFFFFFFu))  // written as a stream: no count of records yet
        return layout;
    // A record holds every record variable, each padded to 4 bytes unless it is the only one.
    uint64_t recordSize = 0, recordVariables = 0;
    for (const Variable& v : variables)
        recordVariables += v.record;
    for (const Variable& v : variables)
        if (v.record)
            recordSize = plus(recordSize, recordVariables == 1 ? v.bytes : padded(v.bytes));
    for (const Variable& v : variables) {
        uint64_t end = v.begin;
        if (!v.record)
            end = plus(end, v.bytes);
        else if (records > 0)
            end = plus(end, plus(times(records - 1, recordSize), v.bytes));
        layout.declared = std::max(layout.declared, end);
    }
    return layout;
}
