#include "tests/platform/gui_test_support.h"

#include <QImage>
#include <QString>

#include <gtest/gtest.h>

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
