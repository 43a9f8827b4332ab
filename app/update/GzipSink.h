#pragma once

#include <zlib.h>

#include "DownloadSink.h"

// Unpacks a gzip stream on its way to another sink (several members one
// after another, as gunzip takes them). A damaged stream, or one that ends
// in the middle, throws UpdateFailure.
class GzipSink : public DownloadSink {
public:
    explicit GzipSink(DownloadSink& unpacked);
    ~GzipSink() override;
    GzipSink(const GzipSink&) = delete;
    GzipSink& operator=(const GzipSink&) = delete;

    void write(const char* data, size_t size) override;
    void finish() override;

private:
    DownloadSink& unpacked;
    z_stream stream;
    bool memberEnded = false; // the last member is complete; anything after starts another
};
