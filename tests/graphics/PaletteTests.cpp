#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"
#include "WException.h"
#include "WPalette.h"

TEST(Palette, CreatesWithinTheLimitsAndRefusesBeyond)
{
    WPalette palette;
    palette.create(256, 8);
    EXPECT_EQ(palette.getColorCount(), 256u);
    EXPECT_EQ(palette.getBPP(), 8u);
    EXPECT_NE(static_cast<HPALETTE>(palette), nullptr);
    EXPECT_EQ(GetObjectType(static_cast<HPALETTE>(palette)), static_cast<DWORD>(OBJ_PAL));
    RGBQUAD colour = {1, 2, 3, 77};
    palette.getColor(255, colour);
    EXPECT_EQ(colour.rgbBlue, 0) << "new entries are zeroed";
    EXPECT_EQ(colour.rgbReserved, 77) << "getColor must not touch the reserved byte";

    EXPECT_EQ(thrownMessage<WPaletteException>([&] { palette.create(257, 8); }), "To many colors.");
    EXPECT_EQ(thrownMessage<WPaletteException>([&] { palette.create(16, 9); }),
              "Invalid color deept.");
    EXPECT_EQ(thrownMessage<WPaletteException>([&] { palette.create(1000, 9); }),
              "Invalid color deept.");
    EXPECT_EQ(palette.getColorCount(), 0u) << "a failed create leaves the palette empty";
    EXPECT_EQ(static_cast<HPALETTE>(palette), nullptr);

    // No entries: the system decides; either way the result is well defined.
    std::string zero = thrownMessage<WPaletteException>([&] { palette.create(0, 8); });
    if (zero == "(nothing thrown)")
        EXPECT_EQ(palette.getColorCount(), 0u);
    else
        EXPECT_EQ(zero, "Cannot create palette.");
    EXPECT_EQ(thrownMessage<WPaletteException>([&] { palette.getColor(0, colour); }),
              "Invalid palette index.");

    WPalette empty;
    EXPECT_EQ(empty.getColorCount(), 0u);
    EXPECT_EQ(static_cast<const PALETTEENTRY*>(empty), nullptr);
    EXPECT_EQ(thrownMessage<WPaletteException>([&] { empty.setColor(0, colour); }),
              "Invalid palette index.");
    EXPECT_EQ(thrownMessage<WPaletteException>([&] { empty.getColor(0, colour); }),
              "Invalid palette index.");
}

TEST(Palette, ColoursGoToTheSystemPaletteAndCopiesAreIndependent)
{
    const RGBQUAD colours[4] = {{10, 20, 30, 0}, {40, 50, 60, 0}, {70, 80, 90, 9}, {1, 2, 3, 0}};
    WPalette palette;
    palette.create(colours, 4, 2);
    EXPECT_EQ(palette.getColorCount(), 4u);
    EXPECT_EQ(palette.getBPP(), 2u);
    const PALETTEENTRY* entries = palette;
    ASSERT_NE(entries, nullptr);
    EXPECT_EQ(entries[2].peRed, 90);
    EXPECT_EQ(entries[2].peGreen, 80);
    EXPECT_EQ(entries[2].peBlue, 70);
    EXPECT_EQ(entries[2].peFlags, 0);

    palette.setColor(1, RGBQUAD{200, 100, 50, 0});
    PALETTEENTRY system = {};
    ASSERT_EQ(GetPaletteEntries(palette, 1, 1, &system), 1u);
    EXPECT_EQ(system.peRed, 50);
    EXPECT_EQ(system.peBlue, 200);
    EXPECT_EQ(entries[1].peRed, 50) << "the block was not updated";
    EXPECT_EQ(thrownMessage<WPaletteException>([&] { palette.setColor(4, RGBQUAD{}); }),
              "Invalid palette index.");

    WPalette copy(palette);
    EXPECT_NE(static_cast<HPALETTE>(copy), static_cast<HPALETTE>(palette));
    EXPECT_EQ(copy.getColorCount(), 4u);
    EXPECT_EQ(copy.getBPP(), 2u);
    copy.setColor(1, RGBQUAD{0, 0, 0, 0});
    RGBQUAD original = {};
    palette.getColor(1, original);
    EXPECT_EQ(original.rgbRed, 50) << "changing the copy changed the original";

    WPalette assigned;
    assigned.create(2, 1);
    assigned = palette;
    EXPECT_EQ(assigned.getColorCount(), 4u);
    RGBQUAD third = {};
    assigned.getColor(2, third);
    EXPECT_EQ(third.rgbGreen, 80);
    assigned = assigned;
    EXPECT_EQ(assigned.getColorCount(), 4u);

    HPALETTE handle = palette;
    palette.close();
    EXPECT_EQ(GetObjectType(handle), 0u) << "close must delete the palette";
    EXPECT_EQ(palette.getColorCount(), 0u);
}
