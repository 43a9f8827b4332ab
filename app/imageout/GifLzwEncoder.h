#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The LZW coder of GIF image data as the classic compress does it: a
// 5003-slot open-addressing hash, codes of up to 12 bits packed least
// significant bit first, the table cleared when code 4095 is used up, and
// the data cut into sub-blocks of at most 254 bytes. One object can encode
// many images one after the other (the frames of an animation); every
// encode starts from a fresh table.
class GifLzwEncoder {
public:
    // minimumCodeSize is the GIF's "LZW minimum code size" (2..8).
    explicit GifLzwEncoder(int minimumCodeSize);
    GifLzwEncoder(const GifLzwEncoder&) = delete;
    GifLzwEncoder& operator=(const GifLzwEncoder&) = delete;

    // Appends the sub-blocks of count palette indices to out: neither the
    // minimum-code-size byte before them nor the terminator after them.
    void encode(const unsigned char* indices, size_t count, std::vector<unsigned char>& out);

private:
    void clearTable();
    void output(int code);
    void putByte(unsigned char byte);
    void flushBlock();

    std::vector<unsigned char>* out;
    uint32_t accumulator;
    int pending;
    const int initialWidth;
    int codeWidth;
    int maxCode;
    const int clearCode;
    const int endCode;
    int nextFree;
    bool clearFlag;
    std::vector<int32_t> hashKeys;
    std::vector<uint16_t> codes;
    unsigned char block[256];
    int blockCount;
};
