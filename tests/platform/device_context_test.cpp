#include "platform/device_context.h"

#include <gtest/gtest.h>

TEST(ResolveColour, PaletteEntriesTakeTheirDefaultPaletteValues)
{
    const struct {
        int entry;
        Colour rgb;  // 0x00BBGGRR
    } cases[] = {
        {0, 0x000000},  {1, 0x000080},  {3, 0x008080},  {4, 0x800000},  {7, 0xC0C0C0},
        {8, 0xC0DCC0},  {9, 0xF0CAA6},  {10, 0xF0FBFF}, {11, 0xA4A0A0}, {12, 0x808080},
        {13, 0x0000FF}, {16, 0xFF0000}, {18, 0xFFFF00}, {19, 0xFFFFFF},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveColour(PaletteIndex(c.entry)), c.rgb) << c.entry;
}

TEST(ResolveColour, PlainColoursPassThrough)
{
    EXPECT_EQ(ResolveColour(0x808000), 0x808000u);
    EXPECT_EQ(ResolveColour(0xFF0000), 0xFF0000u);
    EXPECT_EQ(ResolveColour(Rgb(1, 2, 3)), 0x030201u);
}

TEST(ResolveColour, EntryPastThePaletteIsItsFirst)
{
    EXPECT_EQ(ResolveColour(PaletteIndex(20)), 0x000000u);
    EXPECT_EQ(ResolveColour(PaletteIndex(0xFFFF)), 0x000000u);
}
