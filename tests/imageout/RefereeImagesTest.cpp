// Palette images from 1 x 1 to 1060 x 610 written as GIF for the independent
// decoders: gif_referees.py (a CTest test of its own, run after this
// program) opens every one of them with Pillow and with ImageMagick.
#include <gtest/gtest.h>

#include "DibImage.h"
#include "ImageTestSupport.h"

namespace {

const char* const folder = "referee";

enum class Content { Noise, Runs, Bands };

void paint(DibImage& image, std::mt19937& random, Content content)
{
    const int colours = static_cast<int>(image.getClrUsed());
    std::vector<RGBQUAD> palette = randomPalette(random, image.getClrUsed());
    image.setPalette(palette.data(), image.getClrUsed());
    int run = 0, index = 0;
    for (int y = 0; y < image.getHeight(); y++)
        for (int x = 0; x < image.getWidth(); x++) {
            switch (content) {
            case Content::Noise: index = static_cast<int>(random() % colours); break;
            case Content::Runs:
                if (run-- <= 0) {
                    run = static_cast<int>(random() % 40);
                    index = static_cast<int>(random() % colours);
                }
                break;
            case Content::Bands: index = ((x / 7) ^ (y / 5)) % colours; break;
            }
            image.setPixelIndex(x, y, index);
        }
}

}

TEST(Referees, RandomPaletteImagesAreLeftForTheDecoders)
{
    struct Case {
        const char* name;
        int width, height, bits;
        Content content;
    } cases[] = {
        {"single-8", 1, 1, 8, Content::Noise},       {"single-1", 1, 1, 1, Content::Noise},
        {"column-8", 1, 37, 8, Content::Noise},      {"row-4", 41, 1, 4, Content::Noise},
        {"odd-4", 3, 5, 4, Content::Noise},          {"odd-1", 13, 9, 1, Content::Runs},
        {"bands-4", 255, 3, 4, Content::Bands},      {"runs-8", 333, 211, 8, Content::Runs},
        {"bands-8", 640, 480, 8, Content::Bands},    {"noise-8", 1060, 610, 8, Content::Noise},
        {"runs-map-8", 1060, 610, 8, Content::Runs}, {"noise-1", 1061, 3, 1, Content::Noise},
    };
    std::mt19937 random(1850);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DibImage image;
        ASSERT_TRUE(image.create(c.width, c.height, c.bits));
        paint(image, random, c.content);
        EXPECT_TRUE(saveForReferees(image, folder, c.name)) << image.getLastError();
    }

    // A transparent image with a frame delay.
    DibImage keyed;
    ASSERT_TRUE(keyed.create(17, 11, 8));
    paint(keyed, random, Content::Runs);
    keyed.setBackgroundIndex(3);
    keyed.setFrameDelay(25);
    EXPECT_TRUE(saveForReferees(keyed, folder, "keyed-8")) << keyed.getLastError();
}
