#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

class NearestColourIndex;
class OctreeQuantizer;

// The one colour table of an animation, built before the first frame from
// pictures that hold every colour a frame can contain, and the mapping of
// each frame onto it. Pictures are 0x00RRGGBB words.
//
// The table has at most 255 colours, so that an animated GIF keeps one
// index for its transparent pixels. Frames are mapped pixel by pixel onto
// the nearest colour, without error diffusion: a pixel keeps its index as
// long as its colour stays, which is what lets a frame store only what
// changed.
class AnimationPalette {
public:
    static const unsigned int maxColours = 255;

    AnimationPalette();
    AnimationPalette(const AnimationPalette&) = delete;
    AnimationPalette& operator=(const AnimationPalette&) = delete;
    ~AnimationPalette();

    // Only before the first mapPixels.
    void addPixels(const std::uint32_t* pixels, size_t count);
    // The nearest entry of every pixel (squared distance, ties to the lower
    // index, as DibImage::nearestIndex finds it).
    void mapPixels(const std::uint32_t* pixels, size_t count, unsigned char* indices);

    // The table is fixed by the first call of any of these.
    const RGBQUAD* getColours();
    unsigned int getColourCount();

private:
    void buildTable();

    std::unique_ptr<OctreeQuantizer> quantizer;
    std::unique_ptr<NearestColourIndex> nearest;
    RGBQUAD colours[256];
    unsigned int colourCount;
};
