#include "platform/dialog_template.h"

#include <gtest/gtest.h>

// Horizontal units are 6/4 of a pixel, vertical ones 13/8, each rounded to the nearest pixel with
// halves going away from zero.
TEST(DialogUnits, HorizontalUnitsAreOneAndAHalfPixels)
{
    const struct {
        int units;
        int pixels;
    } cases[] = {{0, 0}, {1, 2}, {2, 3}, {3, 5}, {10, 15}, {171, 257}, {222, 333}, {342, 513}, {-1, -2}, {-3, -5}};
    for (const auto& c : cases)
        EXPECT_EQ(DialogUnitsToPixelsX(c.units), c.pixels) << c.units;
}

TEST(DialogUnits, VerticalUnitsAreThirteenEighthsOfAPixel)
{
    const struct {
        int units;
        int pixels;
    } cases[] = {{0, 0}, {1, 2}, {4, 7}, {8, 13}, {12, 20}, {76, 124}, {151, 245}, {181, 294}, {266, 432}, {-4, -7}};
    for (const auto& c : cases)
        EXPECT_EQ(DialogUnitsToPixelsY(c.units), c.pixels) << c.units;
}

TEST(DialogUnits, ExtremeValuesDoNotOverflow)
{
    // 2^31 - 1 units are far more pixels than an int holds; the point is a defined result.
    EXPECT_EQ(DialogUnitsToPixelsX(1000000000), 1500000000);
    EXPECT_EQ(DialogUnitsToPixelsY(1000000000), 1625000000);
}
