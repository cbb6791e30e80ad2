// The pages under a dark palette: every text stands out from its ground by at least 4.5 to 1, the
// separator by at least 3 to 1, measured on the pixels drawn; the preview keeps the symbol's own
// colours, pixel for pixel.
#include "host/preview_panel.h"
#include "host/summary_page.h"
#include "interleaver/algorithm_page.h"
#include "interleaver/characteristics_page.h"
#include "interleaver/memory_page.h"
#include "symbol/preview_colours.h"
#include "tests/host/pages/page_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

#include <cmath>
#include <map>
#include <sstream>

namespace {

double Luminance(QRgb colour)
{
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) + 0.0722 * channel(qBlue(colour));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The ground of an area is its most frequent colour; its ink the colour that stands out most.
double InkContrast(const QImage& image, const QRect& area)
{
    std::map<QRgb, int> counts;
    const QRect inside = area.intersected(image.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ++counts[image.pixel(x, y) & 0xFFFFFF];
    if (counts.empty())
        return 0;
    QRgb ground = counts.begin()->first;
    for (const auto& [colour, count] : counts) {
        if (count > counts[ground])
            ground = colour;
    }
    double best = 1;
    for (const auto& entry : counts)
        best = std::max(best, Contrast(entry.first, ground));
    return best;
}

QPalette DarkPalette()
{
    QPalette palette;
    const QColor window(42, 46, 50), base(30, 32, 35), text(232, 232, 232), button(55, 59, 64);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, button);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Light, QColor(80, 85, 90));
    palette.setColor(QPalette::Midlight, QColor(65, 70, 75));
    palette.setColor(QPalette::Mid, QColor(35, 38, 41));
    palette.setColor(QPalette::Dark, QColor(25, 27, 29));
    palette.setColor(QPalette::Shadow, QColor(10, 10, 10));
    palette.setColor(QPalette::Highlight, QColor(61, 174, 233));
    palette.setColor(QPalette::HighlightedText, QColor(20, 20, 20));
    palette.setColor(QPalette::ToolTipBase, window);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, QColor(160, 160, 160));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(120, 120, 120));
    return palette;
}

// Where each text control of the shown page draws its text, in window coordinates, by name.
std::vector<std::pair<std::string, QRect>> TextAreas(QWidget& window)
{
    std::vector<std::pair<std::string, QRect>> areas;
    const auto add = [&](const QWidget* widget, const QString& name, QRect rect) {
        if (widget->isVisible() && widget->isEnabled() && !name.trimmed().isEmpty())
            areas.emplace_back(name.toStdString(), rect.translated(widget->mapTo(&window, QPoint(0, 0))));
    };
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->pixmap().isNull())
                add(label, label->text(), label->contentsRect());
        } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            add(line, line->text(), line->rect());
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            add(text->viewport(), text->toPlainText(), text->viewport()->rect());
        } else if (auto* list = qobject_cast<QListWidget*>(widget)) {
            for (int row = 0; row < list->count(); ++row)
                add(list->viewport(), list->item(row)->text(), list->visualItemRect(list->item(row)));
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
            add(button, button->text(),
                button->style()->subElementRect(radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents,
                                                &option, button));
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            QStyleOptionGroupBox option;
            option.initFrom(box);
            option.text = box->title();
            option.subControls = QStyle::SC_GroupBoxLabel;
            add(box, box->title(),
                box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box));
        }
    }
    return areas;
}

class DarkPaletteTest : public PageFixture {
protected:
    void TearDown() override
    {
        QApplication::setPalette(QApplication::style()->standardPalette());
        PageFixture::TearDown();
    }

    // The problems of the shown page: texts and the separator that do not stand out enough.
    static std::vector<std::string> FaintParts(Dialog& dialog)
    {
        std::vector<std::string> faint;
        QWidget* window = QApplication::activeModalWidget();
        if (window == nullptr)
            return {"no page shown"};
        // Selected text is drawn in the selection's colours, which are not the ground's.
        for (QLineEdit* line : window->findChildren<QLineEdit*>())
            line->deselect();
        const QImage image = window->grab().toImage();
        for (const auto& [name, area] : TextAreas(*window)) {
            const double contrast = InkContrast(image, area);
            if (contrast < 4.5) {
                std::ostringstream text;
                text << name << ": " << contrast;
                faint.push_back(text.str());
            }
        }
        const Rect bar = dialog.ControlRect(kSeparator);
        const QRgb line = image.pixel(bar.left + 5, bar.top);
        const QRgb ground = image.pixel(bar.left + 5, bar.top - 2);
        if (Contrast(line, ground) < 3)
            faint.push_back("separator: " + std::to_string(Contrast(line, ground)));
        return faint;
    }

    // The preview's own part, left of the strip drawn in the window's face colour.
    static QImage Preview(Dialog& dialog)
    {
        const Rect panel = dialog.ControlRect(kPreviewPanelId);
        return QApplication::activeModalWidget()
            ->grab(QRect(panel.left, panel.top, panel.width() - kStripWidth, panel.height()))
            .toImage();
    }
};

TEST_F(DarkPaletteTest, EveryTextAndTheSeparatorStandOutAndThePreviewKeepsItsColours)
{
    std::vector<QImage> previews;
    for (const bool dark : {false, true}) {
        QApplication::setPalette(dark ? DarkPalette() : QApplication::style()->standardPalette());
        for (const int convolutional : {1, 0}) {
            settings = InterleaverSettings{};
            settings.CONVOLUTIONAL = convolutional;
            settings.BLOCK = 1 - convolutional;
            SCOPED_TRACE(testing::Message() << (dark ? "dark" : "default") << " palette, convolutional " << convolutional);
            AlgorithmPage algorithm(settings, symbol);
            Show(algorithm, [&](Dialog& dialog) { EXPECT_EQ(FaintParts(dialog), std::vector<std::string>{}); });
            CharacteristicsPage characteristics(settings, symbol);
            Show(characteristics, [&](Dialog& dialog) {
                EXPECT_EQ(FaintParts(dialog), std::vector<std::string>{});
                previews.push_back(Preview(dialog));
            });
            MemoryPage memory(settings, symbol);
            Show(memory, [&](Dialog& dialog) { EXPECT_EQ(FaintParts(dialog), std::vector<std::string>{}); });
        }
        SummaryPage summary("/work/");
        summary.AddFile("f.vhd");
        Show(summary, [&](Dialog& dialog) { EXPECT_EQ(FaintParts(dialog), std::vector<std::string>{}); });
    }
    ASSERT_EQ(previews.size(), 4u);
    EXPECT_EQ(previews[2], previews[0]);
    EXPECT_EQ(previews[3], previews[1]);
}

} // namespace
