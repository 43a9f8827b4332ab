#include "GzipSink.h"

#include <vector>

#include "UpdateFailure.h"

namespace {

const unsigned int outputSize = 256 * 1024;
// 15 bits of window, plus 16: a gzip header and trailer around the stream.
const int gzipWindowBits = 15 + 16;

[[noreturn]] void damaged()
{
    throw UpdateFailure("die gzip-Datei ist beschädigt oder unvollständig");
}

} // namespace

GzipSink::GzipSink(DownloadSink& unpacked) : unpacked(unpacked), stream()
{
    if (inflateInit2(&stream, gzipWindowBits) != Z_OK)
        throw UpdateFailure("zum Entpacken fehlt der Speicher");
}

GzipSink::~GzipSink()
{
    inflateEnd(&stream);
}

void GzipSink::write(const char* data, size_t size)
{
    std::vector<unsigned char> output(outputSize);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = static_cast<uInt>(size);
    while (stream.avail_in > 0) {
        if (memberEnded) {
            if (inflateReset(&stream) != Z_OK)
                damaged();
            memberEnded = false;
        }
        stream.next_out = output.data();
        stream.avail_out = outputSize;
        int status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            damaged();
        size_t produced = outputSize - stream.avail_out;
        if (produced > 0)
            unpacked.write(reinterpret_cast<const char*>(output.data()), produced);
        if (status == Z_STREAM_END)
            memberEnded = true;
        else if (status == Z_BUF_ERROR && produced == 0)
            damaged();
    }
}

void GzipSink::finish()
{
    if (!memberEnded)
        damaged();
    unpacked.finish();
}
