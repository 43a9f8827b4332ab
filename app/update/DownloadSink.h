#pragma once

#include <cstddef>

// Where a download's body goes, piece by piece as it arrives. Failures
// throw UpdateFailure.
class DownloadSink {
public:
    virtual ~DownloadSink() = default;
    virtual void write(const char* data, size_t size) = 0;
    // The body has arrived whole.
    virtual void finish() = 0;
};
