#include "platform/qt_device_context.h"

#include "tests/platform/gui_test_support.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace {

const QRgb kGround = qRgb(10, 20, 30);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// Paints on a 64 x 64 surface of an odd colour and returns the result.
QImage Paint(const std::function<void(DeviceContext&)>& draw)
{
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(kGround);
    QPainter painter(&image);
    {
        QtDeviceContext dc(painter, Rgb(240, 240, 240));
        draw(dc);
    }
    painter.end();
    return image;
}

class QtDeviceContextTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartTestGui()); }
};

} // namespace

TEST_F(QtDeviceContextTest, SolidFillCoversItsRectangleAndBecomesTheBackground)
{
    Colour background = 0;
    const QImage image = Paint([&](DeviceContext& dc) {
        dc.FillSolid(Rect{2, 3, 6, 5}, PaletteIndex(8));
        background = dc.BackgroundColour();
    });
    const QRgb green = qRgb(192, 220, 192);
    EXPECT_EQ(image.pixel(2, 3), green);
    EXPECT_EQ(image.pixel(5, 4), green);
    EXPECT_EQ(image.pixel(6, 4), kGround);   // the right edge is outside
    EXPECT_EQ(image.pixel(5, 5), kGround);   // so is the bottom edge
    EXPECT_EQ(image.pixel(1, 3), kGround);
    EXPECT_EQ(background, PaletteIndex(8));
}

TEST_F(QtDeviceContextTest, HalftoneIsACheckerTiedToTheSurfaceGrid)
{
    const QImage image = Paint([](DeviceContext& dc) {
        dc.SetTextColour(0x808080);
        dc.SetBackgroundColour(Rgb(255, 255, 255));
        dc.FillHalftone(Rect{3, 1, 9, 6});
        // A second fill over another background goes on with the same phase.
        dc.SetBackgroundColour(PaletteIndex(19));
        dc.FillHalftone(Rect{9, 1, 12, 6});
    });
    for (int y = 1; y < 6; ++y) {
        for (int x = 3; x < 12; ++x)
            EXPECT_EQ(image.pixel(x, y), (x + y) % 2 == 0 ? kGrey : kWhite) << x << "," << y;
    }
    EXPECT_EQ(image.pixel(12, 1), kGround);
    EXPECT_EQ(image.pixel(3, 6), kGround);
}

TEST_F(QtDeviceContextTest, ThinLineStopsBeforeItsEndPoint)
{
    const QImage image = Paint([](DeviceContext& dc) {
        dc.SelectPen(PenStyle::Solid, 1, 0x0000FF);
        dc.MoveTo(2, 2);
        dc.LineTo(8, 2);
        dc.LineTo(8, 9);
        dc.MoveTo(20, 20);
        dc.LineTo(24, 24);
        dc.RestorePen();
    });
    for (int x = 2; x < 8; ++x)
        EXPECT_EQ(image.pixel(x, 2), kRed) << x;
    for (int y = 2; y < 9; ++y)
        EXPECT_EQ(image.pixel(8, y), kRed) << y;
    EXPECT_EQ(image.pixel(8, 9), kGround);
    EXPECT_EQ(image.pixel(1, 2), kGround);
    EXPECT_EQ(image.pixel(2, 3), kGround);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(image.pixel(20 + i, 20 + i), kRed) << i;
    EXPECT_EQ(image.pixel(24, 24), kGround);
    EXPECT_EQ(image.pixel(21, 20), kGround);
}

TEST_F(QtDeviceContextTest, TwoPixelPenIsTwoPixelsWide)
{
    const QImage image = Paint([](DeviceContext& dc) {
        dc.SelectPen(PenStyle::Solid, 2, 0xFF0000);
        dc.MoveTo(10, 20);
        dc.LineTo(40, 20);
        dc.MoveTo(50, 10);
        dc.LineTo(50, 40);
    });
    int horizontal = 0;
    for (int y = 15; y < 26; ++y)
        horizontal += image.pixel(25, y) == kBlue ? 1 : 0;
    EXPECT_EQ(horizontal, 2);
    EXPECT_TRUE(image.pixel(25, 19) == kBlue || image.pixel(25, 21) == kBlue);
    EXPECT_EQ(image.pixel(25, 20), kBlue);
    int vertical = 0;
    for (int x = 45; x < 56; ++x)
        vertical += image.pixel(x, 25) == kBlue ? 1 : 0;
    EXPECT_EQ(vertical, 2);
}

TEST_F(QtDeviceContextTest, RestorePenSelectsThePreviousOne)
{
    const QImage image = Paint([](DeviceContext& dc) {
        dc.SelectPen(PenStyle::Solid, 1, 0x0000FF);
        dc.SelectPen(PenStyle::Solid, 1, 0xFF0000);
        dc.RestorePen();
        dc.MoveTo(0, 0);
        dc.LineTo(5, 0);
        dc.RestorePen();
        dc.MoveTo(0, 1);
        dc.LineTo(5, 1);
        // More restores than selections keep the last pen.
        dc.RestorePen();
        dc.SelectStockBlackPen();
        dc.MoveTo(0, 2);
        dc.LineTo(5, 2);
    });
    EXPECT_EQ(image.pixel(2, 0), kRed);
    EXPECT_EQ(image.pixel(2, 1), kBlack);
    EXPECT_EQ(image.pixel(2, 2), kBlack);
}

TEST_F(QtDeviceContextTest, EllipseIsOutlinedAndFilledWhite)
{
    const QImage image = Paint([](DeviceContext& dc) {
        dc.SelectPen(PenStyle::Solid, 1, 0x0000FF);
        dc.Ellipse(Rect{10, 10, 30, 30});
    });
    EXPECT_EQ(image.pixel(20, 20), kWhite);
    EXPECT_EQ(image.pixel(10, 20), kRed);
    EXPECT_EQ(image.pixel(20, 10), kRed);
    EXPECT_EQ(image.pixel(9, 20), kGround);
    EXPECT_EQ(image.pixel(30, 20), kGround);
    EXPECT_EQ(image.pixel(20, 30), kGround);
}

TEST_F(QtDeviceContextTest, TextIsDrawnInAnOpaqueCellOfTheBackgroundColour)
{
    FontDescription font;
    font.height = -11;
    font.faceName = "Arial";
    const QImage image = Paint([&](DeviceContext& dc) {
        dc.SetBackgroundColour(Rgb(255, 255, 255));
        dc.SetTextColour(0);
        dc.TextOut(10, 10, "Wg", font);
    });
    // The cell starts at the reference point and holds ink and paper only. At 11 pixels the face
    // rises 9.96 pixels above the baseline and falls 2.33 below it: a cell of 10 + 3 rows.
    EXPECT_EQ(image.pixel(10, 10), kWhite);
    EXPECT_EQ(image.pixel(9, 10), kGround);
    EXPECT_EQ(image.pixel(10, 9), kGround);
    int ink = 0;
    for (int y = 10; y < 23; ++y) {
        for (int x = 10; x < 26; ++x) {
            EXPECT_NE(image.pixel(x, y), kGround) << x << "," << y;
            ink += qGray(image.pixel(x, y)) < 96 ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 10);
    EXPECT_EQ(image.pixel(10, 23), kGround);
    EXPECT_EQ(image.pixel(28, 15), kGround);
}

TEST_F(QtDeviceContextTest, VerticalTextReadsUpwardFromItsReferencePoint)
{
    FontDescription font;
    font.height = -11;
    font.escapement = 900;
    font.orientation = 900;
    font.faceName = "Arial";
    const QImage image = Paint([&](DeviceContext& dc) {
        dc.SetBackgroundColour(Rgb(255, 255, 255));
        dc.TextOut(20, 50, "Wg", font);
    });
    // The cell lies above and to the right of the reference point: its bottom-left corner.
    EXPECT_NE(image.pixel(20, 49), kGround);
    EXPECT_NE(image.pixel(31, 36), kGround);
    EXPECT_EQ(image.pixel(19, 49), kGround);
    EXPECT_EQ(image.pixel(20, 51), kGround);
    EXPECT_EQ(image.pixel(40, 49), kGround);
}
