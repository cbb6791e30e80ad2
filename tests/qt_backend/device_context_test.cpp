#include "qt_backend/device_context.h"

#include "tests/platform/gui_test_support.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>

namespace {

const QRgb kGround = qRgb(10, 20, 30);
const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kGrey = qRgb(128, 128, 128);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);

// Paints on a surface of an odd colour, size x size device pixels, at the scale, and returns it.
QImage Paint(const std::function<void(DeviceContext&)>& draw, double scale = 1.0, int size = 64)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(kGround);
    QPainter painter(&image);
    {
        QtDeviceContext dc(painter, Rgb(240, 240, 240), scale);
        draw(dc);
    }
    painter.end();
    return image;
}

// The number of pixels of the colour in a row or a column of the image.
int CountInRow(const QImage& image, int y, QRgb colour)
{
    int count = 0;
    for (int x = 0; x < image.width(); ++x)
        count += image.pixel(x, y) == colour ? 1 : 0;
    return count;
}

int CountInColumn(const QImage& image, int x, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        count += image.pixel(x, y) == colour ? 1 : 0;
    return count;
}

// Device scales with the device edges of the units 3, 17, 1 and 11 (each floor(v x scale + 0.5),
// worked out by hand) and the widths of a one-unit and a two-unit pen (round(width x scale)).
struct ScaleCase {
    double scale;
    int left;
    int right;
    int top;
    int bottom;
    int thin;
    int wide;
};

const ScaleCase kScales[] = {
    {1.0, 3, 17, 1, 11, 1, 2},
    {1.25, 4, 21, 1, 14, 1, 3},
    {1.5, 5, 26, 2, 17, 2, 3},
    {1.75, 5, 30, 2, 19, 2, 4},
    {2.0, 6, 34, 2, 22, 2, 4},
};

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

// At any scale the halftone is a checker of single device pixels over the device pixels the area
// covers, its edges rounded to the nearest device pixel: exactly half of an even-sized patch is
// each colour, and no two neighbours match.
TEST_F(QtDeviceContextTest, HalftoneIsACheckerOfDevicePixelsAtEveryScale)
{
    for (const ScaleCase& c : kScales) {
        SCOPED_TRACE(c.scale);
        const QImage image = Paint(
            [](DeviceContext& dc) {
                dc.SetTextColour(0x808080);
                dc.SetBackgroundColour(Rgb(255, 255, 255));
                dc.FillHalftone(Rect{3, 1, 17, 11});
            },
            c.scale);
        int grey = 0;
        int white = 0;
        for (int y = c.top; y < c.bottom; ++y) {
            for (int x = c.left; x < c.right; ++x) {
                ASSERT_EQ(image.pixel(x, y), (x + y) % 2 == 0 ? kGrey : kWhite) << x << "," << y;
                grey += image.pixel(x, y) == kGrey ? 1 : 0;
                white += image.pixel(x, y) == kWhite ? 1 : 0;
            }
        }
        if ((c.right - c.left) % 2 == 0 || (c.bottom - c.top) % 2 == 0) {
            EXPECT_EQ(grey, white);
        }
        EXPECT_EQ(image.pixel(c.left - 1, c.top), kGround);
        EXPECT_EQ(image.pixel(c.right, c.top), kGround);
        EXPECT_EQ(image.pixel(c.left, c.top - 1), kGround);
        EXPECT_EQ(image.pixel(c.left, c.bottom), kGround);
    }
}

// A pen is equally wide along the whole of every line at every scale: across a horizontal or
// vertical line, and along each row of a diagonal, where the squares of a pen t pixels wide that
// follow each other one pixel down and across cover 2t - 1 pixels.
TEST_F(QtDeviceContextTest, PensAreEquallyWideEverywhereAtEveryScale)
{
    for (const ScaleCase& c : kScales) {
        SCOPED_TRACE(c.scale);
        const QImage image = Paint(
            [](DeviceContext& dc) {
                dc.SelectPen(PenStyle::Solid, 1, 0x0000FF);
                dc.MoveTo(2, 4);
                dc.LineTo(40, 4);
                dc.MoveTo(50, 2);
                dc.LineTo(50, 40);
                dc.MoveTo(60, 44);
                dc.LineTo(68, 52);
                dc.RestorePen();
                dc.SelectPen(PenStyle::Solid, 2, 0xFF0000);
                dc.MoveTo(4, 30);
                dc.LineTo(40, 30);
                dc.RestorePen();
            },
            c.scale, 160);
        const auto device = [&](int unit) { return int(std::floor(unit * c.scale + 0.5)); };
        for (int x = device(2); x < device(40); ++x)
            ASSERT_EQ(CountInColumn(image, x, kRed), c.thin) << "column " << x;
        for (int y = device(6); y < device(40); ++y)
            ASSERT_EQ(CountInRow(image, y, kRed), c.thin) << "row " << y;
        // The pen's round ends are left out; between them the stroke is its width.
        for (int x = device(8); x < device(36); ++x)
            ASSERT_EQ(CountInColumn(image, x, kBlue), c.wide) << "column " << x;
        // The diagonal runs 8 units, its device length exactly 8 x scale at these starts.
        const int steps = device(52) - device(44);
        ASSERT_EQ(steps, device(68) - device(60));
        for (int y = device(44) + c.thin - 1; y < device(44) + steps; ++y) {
            int count = 0;
            for (int x = device(56); x < device(72); ++x)
                count += image.pixel(x, y) == kRed ? 1 : 0;
            ASSERT_EQ(count, 2 * c.thin - 1) << "row " << y;
        }
    }
}

namespace {

// The left and right edges of the opaque cell a text was drawn in, on its first row.
std::pair<int, int> CellEdges(const QImage& image, int y)
{
    int left = -1;
    int right = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (image.pixel(x, y) != kGround) {
            if (left < 0)
                left = x;
            right = x + 1;
        }
    }
    return {left, right};
}

QImage PaintText(const std::string& text)
{
    FontDescription font;
    font.height = -13;
    font.faceName = "Arial";
    return Paint([&](DeviceContext& dc) {
        dc.SetBackgroundColour(Rgb(255, 255, 255));
        dc.TextOut(10, 10, text, font);
    });
}

} // namespace

// A text is drawn as the UTF-8 characters it holds: "é" (two bytes) is one letter in a cell as wide
// as that of "e", which has the same advance, with more ink for its accent; read as Latin-1 it
// would be "Ã©", two letters in a wider cell. A byte that is not valid UTF-8 is drawn as U+FFFD.
TEST_F(QtDeviceContextTest, TextIsDrawnAsItsUtf8Characters)
{
    const QImage plain = PaintText("e");
    const QImage accented = PaintText("\xC3\xA9");
    EXPECT_EQ(CellEdges(accented, 10), CellEdges(plain, 10));
    EXPECT_NE(accented, plain);

    const QImage invalid = PaintText("a\xFF");
    EXPECT_EQ(invalid, PaintText("a\xEF\xBF\xBD"));
    EXPECT_NE(invalid, PaintText("a"));
}
