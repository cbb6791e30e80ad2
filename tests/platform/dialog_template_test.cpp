#include "platform/dialog_template.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

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

// A larger dialog font makes larger dialogs: units and the pixel lengths fixed for the 96-DPI font
// grow by the font's base units, and the base units grow as the font's metrics do.
TEST(DialogUnits, FollowTheBaseUnitsOfTheDialogFont)
{
    EXPECT_EQ(BaseUnitsOfFont(290.4, 12.2, 290.4, 12.2), (DialogBaseUnits{6, 13}));   // the 96-DPI font itself
    EXPECT_EQ(BaseUnitsOfFont(435.6, 18.3, 290.4, 12.2), (DialogBaseUnits{9, 20}));   // 1.5 times: 9, 19.5
    EXPECT_EQ(BaseUnitsOfFont(340, 14, 290.4, 12.2), (DialogBaseUnits{8, 15}));       // 7.02, 14.92 up
    EXPECT_EQ(BaseUnitsOfFont(0, 14, 290.4, 12.2), (DialogBaseUnits{6, 13}));         // no font: the classic units
    EXPECT_EQ(GetDialogBaseUnits(), (DialogBaseUnits{6, 13}));
    EXPECT_EQ(FontPixelsX(60), 60);
    EXPECT_EQ(FontPixelsY(23), 23);
    SetDialogBaseUnits(DialogBaseUnits{9, 20});
    const int pixels[] = {DialogUnitsToPixelsX(222), DialogUnitsToPixelsY(181), FontPixelsX(60), FontPixelsY(23),
                          FontPixelsY(43)};
    SetDialogBaseUnits(DialogBaseUnits{0, -3});
    const DialogBaseUnits floor = GetDialogBaseUnits();
    SetDialogBaseUnits(DialogBaseUnits{});
    // 222 * 9 / 4 = 499.5, 181 * 20 / 8 = 452.5, 60 * 9 / 6, 23 * 20 / 13 = 35.4, 43 * 20 / 13 = 66.2
    EXPECT_EQ(std::vector<int>(std::begin(pixels), std::end(pixels)), (std::vector<int>{500, 453, 90, 35, 66}));
    EXPECT_EQ(floor, (DialogBaseUnits{1, 1}));
}
