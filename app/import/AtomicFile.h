#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// A file written under a temporary name beside its final one
// ("<name>.<random>.part") and moved into place by commit(); until then an
// old file stays as it was, and a failure or destruction without commit
// removes the temporary file. Failures throw ImportFailure. Paths are
// UTF-8.
class AtomicFile {
public:
    explicit AtomicFile(const std::string& path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    void write(const char* data, size_t size);
    // Flushes to the disk and replaces the final file.
    void commit();

    const std::string& partPath() const { return part; }

private:
    // Closes and removes the temporary file, once.
    void discard();

    std::string path;
    std::string part;
    HANDLE file = INVALID_HANDLE_VALUE;
    bool pending = true; // the temporary file exists and is neither moved nor removed
};
