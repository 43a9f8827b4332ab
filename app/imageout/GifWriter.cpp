#include "GifWriter.h"

#include <cstdint>
#include <memory>
#include <vector>

#include "DibImage.h"

namespace {

constexpr int MAX_CODE_BITS = 12;
constexpr int CODE_LIMIT = 1 << MAX_CODE_BITS;
constexpr int HASH_SIZE = 5003;
// 8 minus the doublings that take HASH_SIZE to 65536 or more.
constexpr int HASH_SHIFT = 4;
constexpr int MAX_BLOCK_BYTES = 254;

// Delivers the palette indices from the top picture line to the bottom one
// (storage rows height - 1 down to 0), left to right; -1 after the last.
class PixelCursor {
public:
    explicit PixelCursor(const DibImage& image)
        : image(image), width(image.getWidth()), x(0), y(image.getHeight() - 1),
          remaining(static_cast<long long>(image.getWidth()) * image.getHeight()),
          row(remaining > 0 ? image.getRow(y) : nullptr), bytePixels(image.getBitCount() == 8)
    {
    }

    int next()
    {
        if (remaining == 0)
            return -1;
        remaining--;
        int index = bytePixels ? row[x] : image.getPixelIndex(x, y);
        if (++x == width) {
            x = 0;
            if (--y >= 0)
                row = image.getRow(y);
        }
        return index;
    }

private:
    const DibImage& image;
    const int width;
    int x;
    int y;
    long long remaining;
    const unsigned char* row;
    const bool bytePixels;
};

// The LZW coder of one image: codes are packed least significant bit first
// and appended to out in sub-blocks of at most 254 data bytes.
class LzwEncoder {
public:
    LzwEncoder(std::vector<unsigned char>& out, int minimumCodeSize)
        : out(out), accumulator(0), pending(0), initialWidth(minimumCodeSize + 1),
          codeWidth(initialWidth), maxCode((1 << initialWidth) - 1),
          clearCode(1 << minimumCodeSize), endCode(clearCode + 1), nextFree(clearCode + 2),
          clearFlag(false), blockCount(0)
    {
    }

    void compress(PixelCursor& pixels)
    {
        int prefix = pixels.next();
        clearTable();
        output(clearCode);
        if (prefix < 0) {
            output(endCode);
            return;
        }
        for (int c = pixels.next(); c >= 0; c = pixels.next()) {
            int32_t key = (static_cast<int32_t>(c) << MAX_CODE_BITS) + prefix;
            int i = (c << HASH_SHIFT) ^ prefix;
            if (hashKeys[i] == key) {
                prefix = codes[i];
                continue;
            }
            if (hashKeys[i] >= 0) {
                int displacement = i == 0 ? 1 : HASH_SIZE - i;
                bool found = false;
                do {
                    i -= displacement;
                    if (i < 0)
                        i += HASH_SIZE;
                    if (hashKeys[i] == key) {
                        found = true;
                        break;
                    }
                } while (hashKeys[i] > 0);
                if (found) {
                    prefix = codes[i];
                    continue;
                }
            }
            output(prefix);
            prefix = c;
            if (nextFree < CODE_LIMIT) {
                codes[i] = static_cast<uint16_t>(nextFree++);
                hashKeys[i] = key;
            } else {
                clearTable();
                nextFree = clearCode + 2;
                clearFlag = true;
                output(clearCode);
            }
        }
        output(prefix);
        output(endCode);
    }

private:
    void clearTable()
    {
        for (int32_t& key : hashKeys)
            key = -1;
    }

    void output(int code)
    {
        accumulator &= (1u << pending) - 1;
        accumulator = pending > 0 ? accumulator | (static_cast<uint32_t>(code) << pending)
                                  : static_cast<uint32_t>(code);
        pending += codeWidth;
        while (pending >= 8) {
            putByte(static_cast<unsigned char>(accumulator & 0xFF));
            accumulator >>= 8;
            pending -= 8;
        }
        // The decoder widens its codes when its table outgrows the width;
        // after a clear code both sides start again at the initial width.
        if (nextFree > maxCode || clearFlag) {
            if (clearFlag) {
                codeWidth = initialWidth;
                maxCode = (1 << codeWidth) - 1;
                clearFlag = false;
            } else {
                codeWidth++;
                maxCode = codeWidth == MAX_CODE_BITS ? CODE_LIMIT : (1 << codeWidth) - 1;
            }
        }
        if (code == endCode) {
            while (pending > 0) {
                putByte(static_cast<unsigned char>(accumulator & 0xFF));
                accumulator >>= 8;
                pending -= 8;
            }
            flushBlock();
        }
    }

    void putByte(unsigned char byte)
    {
        block[blockCount++] = byte;
        if (blockCount >= MAX_BLOCK_BYTES)
            flushBlock();
    }

    void flushBlock()
    {
        if (blockCount == 0)
            return;
        out.push_back(static_cast<unsigned char>(blockCount));
        out.insert(out.end(), block, block + blockCount);
        blockCount = 0;
    }

    std::vector<unsigned char>& out;
    uint32_t accumulator;
    int pending;
    const int initialWidth;
    int codeWidth;
    int maxCode;
    const int clearCode;
    const int endCode;
    int nextFree;
    bool clearFlag;
    int32_t hashKeys[HASH_SIZE];
    uint16_t codes[HASH_SIZE];
    unsigned char block[256];
    int blockCount;
};

void put16(std::vector<unsigned char>& out, int value)
{
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

}

bool writeGif(DibImage& image, FILE* file)
{
    if (file == nullptr) {
        image.setLastError("Can't open GIF for writing");
        return false;
    }
    if (image.isEmpty()) {
        image.setLastError("Image is empty");
        return false;
    }
    const int bits = image.getBitCount();
    if (bits > 8) {
        image.setLastError("GIF Images must be 8 bit or less");
        return false;
    }
    if (image.getWidth() > 0xFFFF || image.getHeight() > 0xFFFF) {
        image.setLastError("GIF Images must be 65535 pixels wide and high or less");
        return false;
    }

    // The whole file is put together in memory and written at once.
    std::vector<unsigned char> out;
    out.reserve(32 + 3 * 256 + static_cast<size_t>(image.getStride()) * image.getHeight() / 2);
    const char signature[] = "GIF87a";
    out.insert(out.end(), signature, signature + 6);
    put16(out, image.getWidth());
    put16(out, image.getHeight());
    // The colour-resolution field is shifted by 5, not 4, so for 8 bits its
    // top bit falls onto the colour-table flag (0xE7); decoders ignore it.
    out.push_back(static_cast<unsigned char>(0x80 | ((bits - 1) << 5) | (bits - 1)));
    out.push_back(0);
    out.push_back(0);
    const RGBQUAD* palette = image.getPalette();
    for (unsigned int i = 0; i < image.getClrUsed(); i++) {
        out.push_back(palette[i].rgbRed);
        out.push_back(palette[i].rgbGreen);
        out.push_back(palette[i].rgbBlue);
    }

    const int background = image.getBackgroundIndex();
    const unsigned char control[] = {0x21,
                                     0xF9,
                                     0x04,
                                     static_cast<unsigned char>(background >= 0),
                                     static_cast<unsigned char>(image.getFrameDelay() & 0xFF),
                                     static_cast<unsigned char>(image.getFrameDelay() >> 8),
                                     static_cast<unsigned char>(background & 0xFF),
                                     0x00};
    out.insert(out.end(), control, control + sizeof control);

    out.push_back(0x2C);
    put16(out, 0);
    put16(out, 0);
    put16(out, image.getWidth());
    put16(out, image.getHeight());
    out.push_back(0x00);
    const int minimumCodeSize = bits < 2 ? 2 : bits;
    out.push_back(static_cast<unsigned char>(minimumCodeSize));

    PixelCursor pixels(image);
    std::unique_ptr<LzwEncoder> encoder(new LzwEncoder(out, minimumCodeSize));
    encoder->compress(pixels);
    out.push_back(0x00);
    out.push_back(0x3B);

    if (std::fwrite(out.data(), 1, out.size(), file) != out.size() || std::fflush(file) != 0 ||
        std::ferror(file)) {
        image.setLastError("Write Error in GIF file");
        return false;
    }
    return true;
}
