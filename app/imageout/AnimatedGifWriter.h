#pragma once

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "GifLzwEncoder.h"
#include "ReplacementFile.h"

// Writes an animated GIF frame by frame, as the frames are made: GIF89a, one
// global colour table of 256 entries, the NETSCAPE2.0 loop extension, and
// for every frame a graphic control extension (delay, "leave in place"
// disposal, transparency) and an image of its own rectangle.
//
// The first frame is stored whole. Every later frame stores only the
// rectangle that differs from the picture shown before it; inside that
// rectangle the pixels that stay as they are become the transparent index
// when that makes the frame's data shorter. A frame equal to the one before
// is a single transparent pixel, so that its delay still counts. Only the
// last frame's pixels are kept, so memory does not grow with the frames.
//
// The frames go to a temporary file beside the target, which finish() moves
// over the target. Failures are false results with a text in
// getLastError(). An animation that is not finished (a failed write, a
// cancelled animation, a writer destroyed before finish) leaves no file and
// an old target as it was.
class AnimatedGifWriter {
public:
    AnimatedGifWriter();
    AnimatedGifWriter(const AnimatedGifWriter&) = delete;
    AnimatedGifWriter& operator=(const AnimatedGifWriter&) = delete;
    ~AnimatedGifWriter();

    // Creates the file (name in UTF-8) and writes everything before the
    // first frame. The colours (1 to 256) fill the table from entry 0; with
    // fewer than 256 the entry after them is the transparent index, with
    // 256 no frame is transparent. loopCount 0 repeats for ever.
    bool open(const char* fileName, int width, int height, const RGBQUAD* colours,
              unsigned int colourCount, unsigned int loopCount);
    // width x height palette indices, top line first; delay in 1/100 s.
    bool addFrame(const unsigned char* indices, unsigned short delay);
    // Writes the trailer, closes the file and moves it over the target.
    bool finish();
    // Closes and removes an unfinished file; the target stays as it was.
    void abandon();

    // -1 when the table is full.
    int getTransparentIndex() const { return transparentIndex; }
    const char* getLastError() const { return lastError.c_str(); }

private:
    struct Rectangle {
        int left, top, width, height;
    };

    bool fail(const char* message);
    bool write(const std::vector<unsigned char>& bytes);
    // The smallest rectangle holding every pixel that differs from shown;
    // false when none does.
    bool changedRectangle(const unsigned char* indices, Rectangle& changed) const;
    void encodeRectangle(const unsigned char* indices, const Rectangle& area, bool keyed,
                         std::vector<unsigned char>& data);

    FILE* file;
    std::unique_ptr<ReplacementFile> output;
    int width;
    int height;
    int transparentIndex;
    int frameCount;
    // The picture as a viewer shows it after the last frame.
    std::vector<unsigned char> shown;
    std::vector<unsigned char> rectanglePixels;
    std::vector<unsigned char> opaqueData;
    std::vector<unsigned char> keyedData;
    std::vector<unsigned char> frameBytes;
    GifLzwEncoder encoder;
    std::string lastError;
};
