// The panel as it reaches the screen at device pixel ratios 1, 1.25, 1.5 and 2: the widget is
// rendered into an image of device pixels with that ratio, as a screenshot would take it.
#include "qt_backend/panel_widget.h"

#include "platform/dialog.h"
#include "tests/platform/gui_test_support.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

const QRgb kGround = qRgb(192, 220, 192);
const QRgb kShadow = qRgb(128, 128, 128);
const QRgb kFace = qRgb(255, 255, 255);
const QRgb kOutline = qRgb(0, 128, 128);

// A small preview: the green ground, a shadow dithered over it, the white face with a teal
// outline of one unit, and a blue pin cross beside it.
class MiniPreview : public PanelPainter {
public:
    void Paint(DeviceContext& dc, const Rect& client) override
    {
        dc.FillSolid(client, PaletteIndex(8));
        dc.SetTextColour(Rgb(128, 128, 128));
        dc.FillHalftone(Rect{24, 18, 84, 58});
        dc.FillSolid(Rect{16, 10, 76, 50}, Rgb(255, 255, 255));
        dc.SelectPen(PenStyle::Solid, 1, Rgb(0, 128, 128));
        dc.MoveTo(16, 10);
        dc.LineTo(76, 10);
        dc.LineTo(76, 50);
        dc.LineTo(16, 50);
        dc.LineTo(16, 10);
        dc.RestorePen();
        dc.SelectPen(PenStyle::Solid, 1, Rgb(0, 0, 255));
        dc.MoveTo(2, 26);
        dc.LineTo(10, 34);
        dc.MoveTo(2, 34);
        dc.LineTo(10, 26);
        dc.RestorePen();
    }
};

// The panel at the ratio, placed offset units into the image, as the screen shows it.
QImage Screenshot(double ratio, QPoint offset = QPoint())
{
    MiniPreview preview;
    QtPanelWidget panel(preview, nullptr);
    panel.resize(90, 66);
    const QSize units = panel.size() + QSize(offset.x(), offset.y());
    QImage shot(QSize(int(std::ceil(units.width() * ratio)), int(std::ceil(units.height() * ratio))),
                QImage::Format_RGB32);
    shot.setDevicePixelRatio(ratio);
    shot.fill(Qt::black);
    panel.render(&shot, offset);
    shot.setDevicePixelRatio(1);
    // For looking at: ZORVEX_SCREENSHOT_DIR names a folder that receives every screenshot.
    if (const char* folder = std::getenv("ZORVEX_SCREENSHOT_DIR"))
        shot.save(QDir(QString::fromLocal8Bit(folder))
                      .filePath(QStringLiteral("panel-%1-at-%2-%3.png").arg(ratio).arg(offset.x()).arg(offset.y())));
    return shot;
}

// The bounding box of the pixels of one colour.
QRect Extent(const QImage& image, QRgb colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

class PanelScreenshot : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(StartTestGui()); }
};

} // namespace

// The shadow is a checker of device pixels, half grey, wherever the panel lies on the device
// grid; the face's outline is as many device pixels wide on all its rows and columns (one unit
// rounded: 1, 1, 2, 2), and the diagonals of the cross are 2t - 1 pixels wide on every inner row.
TEST_F(PanelScreenshot, PatternsStayEvenAtEveryRatio)
{
    const struct {
        double ratio;
        int thin;
    } cases[] = {{1.0, 1}, {1.25, 1}, {1.5, 2}, {2.0, 2}};
    for (const auto& c : cases) {
        for (const QPoint offset : {QPoint(0, 0), QPoint(3, 5)}) {
            SCOPED_TRACE(QStringLiteral("ratio %1 offset %2,%3").arg(c.ratio).arg(offset.x()).arg(offset.y()).toStdString());
            const QImage shot = Screenshot(c.ratio, offset);
            const QRect outline = Extent(shot, kOutline);
            ASSERT_FALSE(outline.isEmpty());

            // The strip of shadow below the face, clear of its ends.
            const QRect patch(outline.left() + int(12 * c.ratio), outline.bottom() + 1, int(40 * c.ratio),
                              int(6 * c.ratio));
            int grey = 0;
            for (int y = patch.top(); y <= patch.bottom(); ++y) {
                for (int x = patch.left(); x <= patch.right(); ++x) {
                    const QRgb pixel = shot.pixel(x, y);
                    ASSERT_TRUE(pixel == kShadow || pixel == kGround) << x << "," << y;
                    ASSERT_NE(pixel == kShadow, shot.pixel(x + 1, y) == kShadow) << x << "," << y;
                    ASSERT_NE(pixel == kShadow, shot.pixel(x, y + 1) == kShadow) << x << "," << y;
                    grey += pixel == kShadow ? 1 : 0;
                }
            }
            EXPECT_EQ(2 * grey, patch.width() * patch.height());

            for (int y = outline.top() + c.thin; y < outline.bottom() - c.thin; ++y) {
                int left = 0;
                while (shot.pixel(outline.left() + left, y) == kOutline)
                    ++left;
                ASSERT_EQ(left, c.thin) << "row " << y;
            }
            for (int x = outline.left() + c.thin; x < outline.right() - c.thin; ++x) {
                int top = 0;
                while (shot.pixel(x, outline.top() + top) == kOutline)
                    ++top;
                ASSERT_EQ(top, c.thin) << "column " << x;
            }

            // One diagonal of the cross, from its top-left end down to the crossing.
            const QRect cross = Extent(shot, qRgb(0, 0, 255));
            ASSERT_FALSE(cross.isEmpty());
            for (int y = cross.top() + c.thin - 1; y < cross.top() + int(3 * c.ratio); ++y) {
                int count = 0;
                for (int x = cross.left(); x < cross.left() + cross.width() / 2; ++x)
                    count += shot.pixel(x, y) == qRgb(0, 0, 255) ? 1 : 0;
                ASSERT_EQ(count, 2 * c.thin - 1) << "row " << y;
            }
        }
    }
}
