#include "qt_backend/page_pictures.h"

#include "tests/platform/gui_test_support.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

const int kPageBitmaps[] = {120, 121, 122, 123, 1012};

QImage Embedded(int bitmap)
{
    return QImage(QStringLiteral(":/bitmaps/%1.bmp").arg(bitmap)).convertToFormat(QImage::Format_RGB32);
}

} // namespace

// The pictures are embedded 8-bit bitmaps of exactly the sizes their controls are laid out for.
TEST(Pictures, EmbeddedBitmapsHaveTheirSizesAndEightBits)
{
    ASSERT_TRUE(StartTestGui());
    const struct {
        const char* name;
        int width;
        int height;
    } cases[] = {
        {"120", 257, 124}, {"121", 226, 126}, {"122", 254, 124},  {"123", 255, 124},
        {"1012", 178, 242}, {"icon32", 32, 32}, {"icon16", 16, 16},
    };
    for (const auto& c : cases) {
        const QImage image(QStringLiteral(":/bitmaps/%1.bmp").arg(QString::fromLatin1(c.name)));
        ASSERT_FALSE(image.isNull()) << c.name;
        EXPECT_EQ(image.width(), c.width) << c.name;
        EXPECT_EQ(image.height(), c.height) << c.name;
        EXPECT_EQ(image.format(), QImage::Format_Indexed8) << c.name;
    }
}

// The window icon carries the theme's sizes beside the two bitmaps, so a task bar that reads it from
// the window draws it sharp at its own size.
TEST(Pictures, TheWindowIconHoldsEverySizeFrom16To128)
{
    ASSERT_TRUE(StartTestGui());
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    for (const int size : {16, 32, 48, 64, 128})
        EXPECT_TRUE(sizes.contains(QSize(size, size))) << size;
}

// The drawing code at ratio 1 gives each embedded bitmap pixel for pixel, so what is drawn at other
// ratios is the same picture, and a picture changed in the code and not written out again is found.
TEST(Pictures, DrawnAtRatioOneTheyAreTheEmbeddedBitmaps)
{
    ASSERT_TRUE(StartTestGui());
    for (const int bitmap : kPageBitmaps) {
        SCOPED_TRACE(bitmap);
        const QImage drawn = DrawPagePicture(bitmap, 1.0).convertToFormat(QImage::Format_RGB32);
        const QImage embedded = Embedded(bitmap);
        ASSERT_EQ(drawn.size(), embedded.size());
        int differing = 0;
        for (int y = 0; y < drawn.height(); ++y)
            for (int x = 0; x < drawn.width(); ++x)
                differing += drawn.pixel(x, y) != embedded.pixel(x, y) ? 1 : 0;
        EXPECT_EQ(differing, 0);
    }
}

// On a screen of another ratio a picture control shows the picture drawn for its device pixels,
// not the bitmap enlarged: as many device pixels as the picture's size times the ratio, at the
// picture's own size in units. Averaged over each 2 x 2 block, the picture drawn at ratio 2 is the
// bitmap again, up to the smoothing of its edges.
TEST(Pictures, AtOtherRatiosTheyAreDrawnForTheDevicePixels)
{
    ASSERT_TRUE(StartTestGui());
    const QSize sizes[] = {{257, 124}, {226, 126}, {254, 124}, {255, 124}, {178, 242}};
    for (int index = 0; index < 5; ++index) {
        const int bitmap = kPageBitmaps[index];
        const QSize size = sizes[index];
        EXPECT_EQ(PagePictureSize(bitmap), size) << bitmap;
        EXPECT_EQ(PagePicture(bitmap, 1.0).toImage().convertToFormat(QImage::Format_RGB32), Embedded(bitmap)) << bitmap;
        for (const double ratio : {1.25, 1.5, 2.0}) {
            SCOPED_TRACE(std::to_string(bitmap) + " at " + std::to_string(ratio));
            const QPixmap picture = PagePicture(bitmap, ratio);
            EXPECT_EQ(picture.devicePixelRatio(), ratio);
            EXPECT_EQ(picture.size(), QSize(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio))));
            EXPECT_EQ(PagePictureSize(bitmap, picture), size);
        }

        const QImage twice = PagePicture(bitmap, 2.0).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage once = Embedded(bitmap);
        long long difference = 0;
        for (int y = 0; y < once.height(); ++y) {
            for (int x = 0; x < once.width(); ++x) {
                int mean = 0;
                for (const QPoint p : {QPoint(0, 0), QPoint(1, 0), QPoint(0, 1), QPoint(1, 1)})
                    mean += qGray(twice.pixel(2 * x + p.x(), 2 * y + p.y()));
                difference += std::abs(mean / 4 - qGray(once.pixel(x, y)));
            }
        }
        EXPECT_LT(double(difference) / (once.width() * once.height()), 4.0) << bitmap;
    }
}
