#include "GifLzwEncoder.h"

namespace {
constexpr int MAX_CODE_BITS = 12;
constexpr int CODE_LIMIT = 1 << MAX_CODE_BITS;
constexpr int HASH_SIZE = 5003;
// 8 minus the doublings that take HASH_SIZE to 65536 or more.
constexpr int HASH_SHIFT = 4;
constexpr int MAX_BLOCK_BYTES = 254;
}

GifLzwEncoder::GifLzwEncoder(int minimumCodeSize)
    : out(nullptr), accumulator(0), pending(0), initialWidth(minimumCodeSize + 1),
      codeWidth(initialWidth), maxCode((1 << initialWidth) - 1), clearCode(1 << minimumCodeSize),
      endCode(clearCode + 1), nextFree(clearCode + 2), clearFlag(false), hashKeys(HASH_SIZE),
      codes(HASH_SIZE), blockCount(0)
{
}

void GifLzwEncoder::encode(const unsigned char* indices, size_t count,
                           std::vector<unsigned char>& target)
{
    out = &target;
    accumulator = 0;
    pending = 0;
    codeWidth = initialWidth;
    maxCode = (1 << initialWidth) - 1;
    nextFree = clearCode + 2;
    clearFlag = false;
    blockCount = 0;

    clearTable();
    output(clearCode);
    if (count == 0) {
        output(endCode);
        return;
    }
    int prefix = indices[0];
    for (size_t n = 1; n < count; n++) {
        int c = indices[n];
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

void GifLzwEncoder::clearTable()
{
    for (int32_t& key : hashKeys)
        key = -1;
}

void GifLzwEncoder::output(int code)
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
    // The decoder widens its codes when its table outgrows the width; after
    // a clear code both sides start again at the initial width.
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

void GifLzwEncoder::putByte(unsigned char byte)
{
    block[blockCount++] = byte;
    if (blockCount >= MAX_BLOCK_BYTES)
        flushBlock();
}

void GifLzwEncoder::flushBlock()
{
    if (blockCount == 0)
        return;
    out->push_back(static_cast<unsigned char>(blockCount));
    out->insert(out->end(), block, block + blockCount);
    blockCount = 0;
}
