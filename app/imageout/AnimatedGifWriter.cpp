#include "AnimatedGifWriter.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {
const int tableSize = 256;
const int codeSize = 8;
// Graphic control: disposal 1, "leave the frame in place", in bits 2-4.
const unsigned char leaveInPlace = 1 << 2;

void put16(std::vector<unsigned char>& out, int value)
{
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}
}

AnimatedGifWriter::AnimatedGifWriter()
    : file(nullptr), width(0), height(0), transparentIndex(-1), frameCount(0), encoder(codeSize)
{
}

AnimatedGifWriter::~AnimatedGifWriter()
{
    abandon();
}

bool AnimatedGifWriter::fail(const char* message)
{
    lastError = message;
    abandon();
    return false;
}

void AnimatedGifWriter::abandon()
{
    if (file == nullptr)
        return;
    std::fclose(file);
    file = nullptr;
    output.reset();
}

bool AnimatedGifWriter::write(const std::vector<unsigned char>& bytes)
{
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::ferror(file))
        return fail("Write Error in GIF file");
    return true;
}

bool AnimatedGifWriter::open(const char* fileName, int pictureWidth, int pictureHeight,
                             const RGBQUAD* colours, unsigned int colourCount,
                             unsigned int loopCount)
{
    abandon();
    lastError.clear();
    frameCount = 0;
    if (pictureWidth < 1 || pictureHeight < 1 || pictureWidth > 0xFFFF || pictureHeight > 0xFFFF) {
        lastError = "GIF Images must be 1 to 65535 pixels wide and high";
        return false;
    }
    if (colourCount < 1 || colourCount > tableSize || loopCount > 0xFFFF) {
        lastError = "Unsupported operation for this format";
        return false;
    }
    output.reset(new ReplacementFile(fileName));
    file = output->isReserved() ? _wfopen(output->getWideName().c_str(), L"wb") : nullptr;
    if (file == nullptr) {
        output.reset();
        lastError = "Can't open GIF for writing";
        return false;
    }
    width = pictureWidth;
    height = pictureHeight;
    transparentIndex = colourCount < tableSize ? static_cast<int>(colourCount) : -1;
    shown.assign(static_cast<size_t>(width) * height, 0);

    std::vector<unsigned char> head;
    const char signature[] = "GIF89a";
    head.insert(head.end(), signature, signature + 6);
    put16(head, width);
    put16(head, height);
    // Global table of 256 entries, 8 bits of colour resolution.
    head.push_back(0xF7);
    head.push_back(0);
    head.push_back(0);
    for (int i = 0; i < tableSize; i++) {
        RGBQUAD c = i < static_cast<int>(colourCount) ? colours[i] : RGBQUAD{0, 0, 0, 0};
        head.push_back(c.rgbRed);
        head.push_back(c.rgbGreen);
        head.push_back(c.rgbBlue);
    }
    const unsigned char loop[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P',
                                  'E',  '2',  '.',  '0', 0x03, 0x01};
    head.insert(head.end(), loop, loop + sizeof loop);
    put16(head, static_cast<int>(loopCount));
    head.push_back(0x00);
    return write(head);
}

bool AnimatedGifWriter::changedRectangle(const unsigned char* indices, Rectangle& changed) const
{
    int top = -1, bottom = -1, left = width, right = -1;
    for (int y = 0; y < height; y++) {
        const unsigned char* now = indices + static_cast<size_t>(y) * width;
        const unsigned char* before = shown.data() + static_cast<size_t>(y) * width;
        if (std::memcmp(now, before, width) == 0)
            continue;
        if (top < 0)
            top = y;
        bottom = y;
        int first = 0;
        while (now[first] == before[first])
            first++;
        int last = width - 1;
        while (now[last] == before[last])
            last--;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (top < 0)
        return false;
    changed = Rectangle{left, top, right - left + 1, bottom - top + 1};
    return true;
}

void AnimatedGifWriter::encodeRectangle(const unsigned char* indices, const Rectangle& area,
                                        bool keyed, std::vector<unsigned char>& data)
{
    rectanglePixels.resize(static_cast<size_t>(area.width) * area.height);
    unsigned char* next = rectanglePixels.data();
    for (int y = area.top; y < area.top + area.height; y++) {
        size_t at = static_cast<size_t>(y) * width + area.left;
        if (keyed) {
            for (int x = 0; x < area.width; x++, at++)
                *next++ = indices[at] == shown[at] ? static_cast<unsigned char>(transparentIndex)
                                                   : indices[at];
        } else {
            std::memcpy(next, indices + at, area.width);
            next += area.width;
        }
    }
    data.clear();
    encoder.encode(rectanglePixels.data(), rectanglePixels.size(), data);
}

bool AnimatedGifWriter::addFrame(const unsigned char* indices, unsigned short delay)
{
    if (file == nullptr) {
        lastError = "Can't open GIF for writing";
        return false;
    }
    Rectangle area{0, 0, width, height};
    bool keyed = false;
    if (frameCount == 0) {
        encodeRectangle(indices, area, false, opaqueData);
    } else if (!changedRectangle(indices, area)) {
        // Nothing changed: one pixel that leaves the picture as it is.
        area = Rectangle{0, 0, 1, 1};
        keyed = transparentIndex >= 0;
        encodeRectangle(indices, area, keyed, opaqueData);
    } else {
        encodeRectangle(indices, area, false, opaqueData);
        if (transparentIndex >= 0) {
            encodeRectangle(indices, area, true, keyedData);
            if (keyedData.size() < opaqueData.size()) {
                keyed = true;
                opaqueData.swap(keyedData);
            }
        }
    }

    frameBytes.clear();
    const unsigned char control[] = {
        0x21, 0xF9, 0x04, static_cast<unsigned char>(leaveInPlace | (keyed ? 1 : 0)),
        static_cast<unsigned char>(delay & 0xFF), static_cast<unsigned char>(delay >> 8),
        static_cast<unsigned char>(keyed ? transparentIndex : 0), 0x00};
    frameBytes.insert(frameBytes.end(), control, control + sizeof control);
    frameBytes.push_back(0x2C);
    put16(frameBytes, area.left);
    put16(frameBytes, area.top);
    put16(frameBytes, area.width);
    put16(frameBytes, area.height);
    frameBytes.push_back(0x00);
    frameBytes.push_back(codeSize);
    frameBytes.insert(frameBytes.end(), opaqueData.begin(), opaqueData.end());
    frameBytes.push_back(0x00);
    if (!write(frameBytes))
        return false;

    for (int y = area.top; y < area.top + area.height; y++) {
        size_t at = static_cast<size_t>(y) * width + area.left;
        std::memcpy(shown.data() + at, indices + at, area.width);
    }
    frameCount++;
    return true;
}

bool AnimatedGifWriter::finish()
{
    if (file == nullptr) {
        lastError = "Can't open GIF for writing";
        return false;
    }
    if (frameCount == 0)
        return fail("GIF animation has no frames");
    if (std::fputc(0x3B, file) == EOF || std::fflush(file) != 0 || std::ferror(file))
        return fail("Write Error in GIF file");
    FILE* closing = file;
    file = nullptr;
    std::unique_ptr<ReplacementFile> finished(std::move(output));
    if (std::fclose(closing) != 0) {
        lastError = "Write Error in GIF file";
        return false;
    }
    if (!finished->commit()) {
        lastError = finished->getLastError();
        return false;
    }
    return true;
}
