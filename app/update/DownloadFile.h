#pragma once

#include <windows.h>

#include <string>

#include "DownloadSink.h"

// The downloaded file, written under a temporary name beside the data set
// it will replace ("hadcrut4.dat.<random>.part") and removed again when this
// object goes, whatever happened: it is only the import's input. Its first
// bytes must be a netCDF file's (classic, 64-bit offset or netCDF-4), so
// that a web page or anything else is refused as soon as it arrives; it
// takes at most `limit` bytes. Failures throw UpdateFailure.
class DownloadFile : public DownloadSink {
public:
    DownloadFile(const std::string& besideFile, unsigned long long limit);
    ~DownloadFile() override;
    DownloadFile(const DownloadFile&) = delete;
    DownloadFile& operator=(const DownloadFile&) = delete;

    void write(const char* data, size_t size) override;
    // Checks the file is netCDF, flushes and closes it for the import.
    void finish() override;

    const std::string& path() const { return name; }

private:
    void checkSignature() const;
    void close();

    std::string name;
    HANDLE file = INVALID_HANDLE_VALUE;
    unsigned long long limit;
    unsigned long long written = 0;
    std::string beginning; // the first bytes, for the signature
};
