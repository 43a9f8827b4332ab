#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ImageTestSupport.h"
#include "TempDir.h"

// Reading back what the animated GIF writer wrote: the blocks of the file,
// and the hand-off to the independent decoders (animation_referees.py).

// One frame as its blocks describe it.
struct GifFrameFacts {
    int left, top, width, height;
    int disposal;
    bool transparent;
    int transparentIndex;
    int delay;
};

struct GifAnimationFacts {
    std::string signature;
    int width = 0, height = 0;
    int loop = -1; // -1: no NETSCAPE2.0 extension
    std::vector<unsigned char> table; // red, green, blue
    std::vector<GifFrameFacts> frames;
    bool trailer = false;
    std::string error; // empty when the blocks are well formed
};

// Walks the blocks of a GIF file: header, global table, extensions, image
// descriptors with their data sub-blocks, trailer.
inline GifAnimationFacts readGifBlocks(const std::vector<unsigned char>& bytes)
{
    GifAnimationFacts facts;
    auto u16 = [&](size_t at) { return bytes[at] | (bytes[at + 1] << 8); };
    if (bytes.size() < 13) {
        facts.error = "too short";
        return facts;
    }
    facts.signature.assign(bytes.begin(), bytes.begin() + 6);
    facts.width = u16(6);
    facts.height = u16(8);
    size_t at = 13;
    if (bytes[10] & 0x80) {
        size_t size = 3u << ((bytes[10] & 7) + 1);
        facts.table.assign(bytes.begin() + at, bytes.begin() + at + size);
        at += size;
    }
    GifFrameFacts pending = {};
    auto skipSubBlocks = [&]() {
        while (at < bytes.size() && bytes[at] != 0)
            at += bytes[at] + 1;
        at++;
    };
    while (at < bytes.size()) {
        unsigned char tag = bytes[at];
        if (tag == 0x3B) {
            facts.trailer = at + 1 == bytes.size();
            if (!facts.trailer)
                facts.error = "bytes after the trailer";
            return facts;
        }
        if (tag == 0x21 && at + 2 < bytes.size() && bytes[at + 1] == 0xF9) {
            pending.disposal = (bytes[at + 3] >> 2) & 7;
            pending.transparent = (bytes[at + 3] & 1) != 0;
            pending.delay = u16(at + 4);
            pending.transparentIndex = bytes[at + 6];
            at += 8;
        } else if (tag == 0x21 && at + 13 < bytes.size() && bytes[at + 1] == 0xFF &&
                   std::string(bytes.begin() + at + 3, bytes.begin() + at + 14) == "NETSCAPE2.0") {
            facts.loop = u16(at + 16);
            at += 14;
            skipSubBlocks();
        } else if (tag == 0x21) {
            at += 2;
            skipSubBlocks();
        } else if (tag == 0x2C) {
            pending.left = u16(at + 1);
            pending.top = u16(at + 3);
            pending.width = u16(at + 5);
            pending.height = u16(at + 7);
            if (bytes[at + 9] & 0x80)
                facts.error = "local colour table";
            at += 10 + 1; // descriptor, minimum code size
            skipSubBlocks();
            facts.frames.push_back(pending);
            pending = GifFrameFacts();
        } else {
            facts.error = "unknown block " + std::to_string(tag) + " at " + std::to_string(at);
            return facts;
        }
    }
    facts.error = "no trailer";
    return facts;
}

// One frame of an expectation: its delay and the whole picture's indices
// (top line first) as a viewer shows it after the frame.
struct ExpectedFrame {
    int delay;
    std::vector<unsigned char> indices;
};

// Leaves the GIF's expectation beside it for animation_referees.py: a line
// "ORVEX-ANIMATION width height frames loop", the 256-entry colour table as
// red, green, blue bytes, then per frame its delay (16 bits, little-endian)
// and its indices. The name goes into the folder's manifest.txt.
inline bool expectAnimation(const std::string& folder, const std::string& name, int width,
                            int height, int loop, const std::vector<unsigned char>& table,
                            const std::vector<ExpectedFrame>& frames)
{
    std::string header = "ORVEX-ANIMATION " + std::to_string(width) + " " +
                         std::to_string(height) + " " + std::to_string(frames.size()) + " " +
                         std::to_string(loop) + "\n";
    std::vector<unsigned char> bytes(header.begin(), header.end());
    bytes.insert(bytes.end(), table.begin(), table.end());
    for (const ExpectedFrame& frame : frames) {
        bytes.push_back(static_cast<unsigned char>(frame.delay & 0xFF));
        bytes.push_back(static_cast<unsigned char>(frame.delay >> 8));
        bytes.insert(bytes.end(), frame.indices.begin(), frame.indices.end());
    }
    return writeExpectation(folder, name, bytes);
}
