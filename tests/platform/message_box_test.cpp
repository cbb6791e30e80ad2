// The message box as the user reads it: a text whose columns are separated by tabs, as the usage
// message is, shows its columns lined up and each of its lines on one line.
#include "platform/gui_backend.h"

#include "tests/platform/gui_test_support.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// A row of text in a picture: the pixel rows it covers.
struct Band {
    int top;
    int bottom;
};

std::vector<Band> TextBands(const QImage& image)
{
    std::vector<Band> bands;
    bool inBand = false;
    for (int y = 0; y < image.height(); ++y) {
        const bool ink = !InkBox(image, QRect(0, y, image.width(), 1)).isEmpty();
        if (ink && !inBand)
            bands.push_back(Band{y, y});
        if (ink)
            bands.back().bottom = y;
        inBand = ink;
    }
    return bands;
}

// Where the second column of a band starts: the first ink after a blank run at least gap pixels
// wide that follows the first ink; -1 when there is none.
int SecondColumn(const QImage& image, const Band& band, int gap)
{
    int blank = 0;
    bool started = false;
    for (int x = 0; x < image.width(); ++x) {
        const bool ink = !InkBox(image, QRect(x, band.top, 1, band.bottom - band.top + 1)).isEmpty();
        if (ink && started && blank >= gap)
            return x;
        started = started || ink;
        blank = ink ? 0 : blank + 1;
    }
    return -1;
}

} // namespace

TEST(MessageBox, TabSeparatedColumnsLineUpAndNoLineWraps)
{
    ASSERT_TRUE(StartTestGui());
    // Short options take two tabs and long ones one, so that every description starts at the
    // second tab stop of the classic message box.
    const std::string text =
        "Options:\n\n"
        "-a\t\tmakes the first thing (required)\n"
        "<name>\tmakes the file that is named (required)\n\n"
        "-b\t\tmakes the second thing (optional)\n"
        "-longer\tmakes a thing whose description is the longest of all of these lines (optional)\n"
        "-c\t\tmakes the last thing (optional)";
    QImage shown;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            shown = label->grab().toImage();
        box->accept();
    });
    poll.start(10);
    FindGuiBackend()->ShowMessageBox("Usage", text);
    ASSERT_FALSE(shown.isNull());

    const std::vector<Band> bands = TextBands(shown);
    ASSERT_EQ(bands.size(), 6u);
    std::vector<int> descriptions;
    for (size_t row = 1; row < bands.size(); ++row)
        descriptions.push_back(SecondColumn(shown, bands[row], 6));
    EXPECT_GT(descriptions[0], 0);
    EXPECT_EQ(descriptions, std::vector<int>(5, descriptions[0]));
}
