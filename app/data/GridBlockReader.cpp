#include "GridBlockReader.h"

#include <cstring>

#include "WException.h"
#include "WFile.h"

GridBlockReader::GridBlockReader()
    : atFileEnd(false),
      sums{nullptr, nullptr, 0, 0},
      row(0),
      column(0),
      tokenLength(0),
      tokenLastByte(0)
{
}

void GridBlockReader::read(WFile& file, unsigned int blockSize, const GridSums& target)
{
    chunk.resize(blockSize);
    atFileEnd = false;
    size_t got = fill(file, blockSize);
    const char* rowsBegin = headerEnd(file, got) + 1;
    sums = target;
    row = 0;
    column = 0;
    tokenLength = 0;
    scanRows(rowsBegin, chunk.data() + got);
    while (row < sums.rows && !atFileEnd) {
        got = fill(file, chunk.size());
        scanRows(chunk.data(), chunk.data() + got);
    }
    // The file's last line may end without a line feed.
    if (row < sums.rows)
        endToken(true);
}

void GridBlockReader::checkFirstHeader(WFile& file, unsigned int blockSize)
{
    if (file.getSize() < blockSize)
        return;
    chunk.resize(blockSize);
    atFileEnd = false;
    file.setPos(0);
    headerEnd(file, fill(file, blockSize));
}

size_t GridBlockReader::fill(WFile& file, size_t n)
{
    try {
        return file.read(chunk.data(), static_cast<unsigned long>(n));
    } catch (const WEOFException&) {
        atFileEnd = true;
        return file.getEOFBytes();
    }
}

const char* GridBlockReader::headerEnd(const WFile& file, size_t got) const
{
    const void* lineFeed = std::memchr(chunk.data(), '\n', got);
    if (lineFeed == nullptr)
        throw WException(WFormattedString("Not a grid file (its header line does not end "
                                          "within the %u-byte month block): %s",
                                          static_cast<unsigned int>(chunk.size()),
                                          static_cast<const char*>(file.getFilename())),
                         -4);
    return static_cast<const char*>(lineFeed);
}

void GridBlockReader::scanRows(const char* p, const char* end)
{
    while (p < end && row < sums.rows) {
        if (*p == ' ') {
            endToken(false);
            ++p;
        } else if (*p == '\n') {
            endToken(true);
            ++row;
            column = 0;
            ++p;
        } else {
            const char* tokenEnd = p + 1;
            while (tokenEnd < end && *tokenEnd != ' ' && *tokenEnd != '\n')
                ++tokenEnd;
            if (column < sums.columns) {
                if (tokenLength == 0 && tokenEnd < end) {
                    // The whole token lies in this chunk: read it in place.
                    const char* last = tokenEnd;
                    if (*tokenEnd == '\n' && last[-1] == '\r')
                        --last;
                    if (last > p)
                        addValue(p, last);
                } else {
                    keepTokenBytes(p, tokenEnd);
                }
            }
            p = tokenEnd;
        }
    }
}

void GridBlockReader::keepTokenBytes(const char* begin, const char* end)
{
    size_t n = static_cast<size_t>(end - begin);
    if (tokenLength < sizeof token) {
        size_t room = sizeof token - tokenLength;
        std::memcpy(token + tokenLength, begin, n < room ? n : room);
    }
    tokenLength += n;
    tokenLastByte = end[-1];
}

void GridBlockReader::endToken(bool atLineEnd)
{
    if (tokenLength == 0)
        return;
    size_t length = tokenLength;
    tokenLength = 0;
    if (atLineEnd && tokenLastByte == '\r')
        --length;
    if (length == 0)
        return;
    if (length > GridToken::maxLength)
        ++column;
    else
        addValue(token, token + length);
}

void GridBlockReader::addValue(const char* begin, const char* end)
{
    double value = 0.0;
    if (GridToken::toCellValue(begin, end, value)) {
        size_t cell = static_cast<size_t>(row) * sums.columns + column;
        sums.values[cell] += value;
        ++sums.counts[cell];
    }
    ++column;
}
