#include "AnimationPalette.h"

#include "NearestColourIndex.h"
#include "OctreeQuantizer.h"

AnimationPalette::AnimationPalette()
    : quantizer(new OctreeQuantizer(maxColours, 8)), colours(), colourCount(0)
{
}

AnimationPalette::~AnimationPalette() = default;

void AnimationPalette::addPixels(const std::uint32_t* pixels, size_t count)
{
    if (quantizer)
        quantizer->addPixels(pixels, count);
}

void AnimationPalette::buildTable()
{
    if (!quantizer)
        return;
    quantizer->setColourTable(colours);
    colourCount = quantizer->getLeafCount();
    // A table is never empty: a palette fed nothing holds black.
    if (colourCount == 0)
        colourCount = 1;
    for (unsigned int i = 0; i < colourCount; i++)
        colours[i].rgbReserved = 0;
    quantizer.reset();
    nearest.reset(new NearestColourIndex(colours, colourCount));
}

void AnimationPalette::mapPixels(const std::uint32_t* pixels, size_t count,
                                 unsigned char* indices)
{
    buildTable();
    // Neighbouring pixels mostly share their colour.
    std::uint32_t lastPixel = 0xFFFFFFFF;
    unsigned char lastIndex = 0;
    for (size_t i = 0; i < count; i++) {
        std::uint32_t p = pixels[i] & 0x00FFFFFF;
        if (p != lastPixel) {
            lastPixel = p;
            lastIndex = static_cast<unsigned char>(nearest->find(
                static_cast<BYTE>(p >> 16), static_cast<BYTE>(p >> 8), static_cast<BYTE>(p)));
        }
        indices[i] = lastIndex;
    }
}

const RGBQUAD* AnimationPalette::getColours()
{
    buildTable();
    return colours;
}

unsigned int AnimationPalette::getColourCount()
{
    buildTable();
    return colourCount;
}
