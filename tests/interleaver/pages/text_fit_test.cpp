// Every text of every page is visible whole at the settings that make it longest: each algorithm,
// direction and memory wording, with the extremes of every range. Run once for each display scale
// and font resolution the pages are meant for (the environment chooses it).
#include "host/summary_page.h"
#include "interleaver/algorithm_page.h"
#include "interleaver/characteristics_page.h"
#include "interleaver/memory_page.h"
#include "platform/dialog_template.h"
#include "tests/host/pages/page_test_support.h"

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextLayout>

#include <cmath>
#include <map>

namespace {

// The texts of the shown page that do not fit their controls, each with the room it lacks.
std::vector<std::string> ClippedTexts()
{
    std::vector<std::string> clipped;
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr)
        return {"no page shown"};
    const auto report = [&](const QString& text, int need, int room) {
        if (need > room)
            clipped.push_back(text.toStdString() + ": needs " + std::to_string(need) + ", has " + std::to_string(room));
    };
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
            // The text laid out as the edit lays it out: wrapped to the viewport less the margins
            // and the cursor, below the top margin.
            const qreal margin = edit->document()->documentMargin();
            QTextLayout layout(edit->toPlainText(), edit->font());
            layout.setTextOption(edit->document()->defaultTextOption());
            layout.beginLayout();
            qreal height = margin;
            for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
                row.setLineWidth(edit->viewport()->width() - 2 * margin - edit->cursorWidth());
                height += row.height();
            }
            layout.endLayout();
            report(edit->toPlainText(), int(std::ceil(height)), edit->viewport()->height());
        } else if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            if (line->isReadOnly()) {
                const QMargins margins = line->textMargins();
                report(line->text(), line->fontMetrics().horizontalAdvance(line->text()) + margins.left() + margins.right(),
                       line->contentsRect().width());
            }
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            if (label->pixmap().isNull() && !label->text().isEmpty())
                report(label->text(), label->heightForWidth(label->contentsRect().width()), label->contentsRect().height());
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            // The text against the room the style leaves it beside the frame or the indicator.
            QStyleOptionButton option;
            option.initFrom(button);
            option.text = button->text();
            const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
            const QRect room = button->style()->subElementRect(
                radio ? QStyle::SE_RadioButtonContents : QStyle::SE_PushButtonContents, &option, button);
            const QSize text = button->fontMetrics().size(Qt::TextShowMnemonic, button->text());
            report(button->text(), text.width(), room.width());
            // Nor is its text cut at top or bottom, nor a radio button's indicator circle.
            report(button->text() + " (height)", text.height(), radio ? button->height() : room.height() + 2);
            if (radio) {
                const QRect indicator = button->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, button);
                report(button->text() + " (indicator)", std::max(indicator.bottom() + 1, button->height() - indicator.top()),
                       button->height());
            }
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            report(box->title(), box->fontMetrics().horizontalAdvance(box->title()), box->width());
        }
    }
    return clipped;
}

// The radio buttons of the shown page whose texts are not on the line of the others that share
// their template row (the same top), each with how far off they are.
std::vector<std::string> RadioRowsOffLine()
{
    std::vector<std::string> off;
    QWidget* window = QApplication::activeModalWidget();
    if (window == nullptr)
        return {"no page shown"};
    std::map<int, int> lineOfRow;
    for (QRadioButton* radio : window->findChildren<QRadioButton*>()) {
        QStyleOptionButton option;
        option.initFrom(radio);
        option.text = radio->text();
        const QRect text = radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &option, radio);
        const int line = radio->y() + text.center().y();
        const auto [row, first] = lineOfRow.emplace(radio->y(), line);
        if (!first && row->second != line)
            off.push_back(radio->text().toStdString() + ": " + std::to_string(line - row->second) + " px off");
    }
    return off;
}

InterleaverSettings Extreme(int convolutional, int interleaver, int internal, int low)
{
    InterleaverSettings s;
    s.CONVOLUTIONAL = convolutional;
    s.BLOCK = 1 - convolutional;
    s.INTERLEAVER = interleaver;
    s.DEINTERLEAVER = 1 - interleaver;
    s.INTERNAL_DPRAM = internal;
    s.EXTERNAL_DPRAM = 1 - internal;
    // The high end makes the longest figures; the low end the longest codeword spread.
    s.CHARACTERISTIC_I = low ? 2 : 40;
    s.CHARACTERISTIC_J = low ? 2 : 500;
    s.SYMBOL_WIDTH = low ? 1 : 64;
    s.NUMBER_OF_SYMBOL_PER_CODEWORD = low ? 500 : 2;
    s.NUMBER_OF_BURST_ERROR = low ? 2 : 500;
    return s;
}

using PageTextFit = PageFixture;

// The font the desktop hands the application in this run, as "family,points" in
// ZORVEX_TEST_DESKTOP_FONT (desktop_font.sh sets it up through qt6ct); no family when it hands none.
struct DesktopFont {
    QString family;
    double points = 0;
};

DesktopFont DesktopFontOfThisRun()
{
    const QStringList parts = qEnvironmentVariable("ZORVEX_TEST_DESKTOP_FONT").split(QLatin1Char(','));
    if (parts.size() != 2)
        return {};
    return DesktopFont{parts[0], parts[1].toDouble()};
}

// Without a desktop font the dialog font is the 8-point font at the screen's logical resolution,
// and the dialog units grow with it: 6 and 13 pixels at 96 DPI. With one, the pages take it as
// the desktop hands it, and the dialog units grow at least as its size in pixels against the
// 11 pixels of the 8-point font at 96 DPI; the template's own face at 8 points keeps 6 and 13.
TEST_F(PageTextFit, TheDialogFontFollowsTheScreensResolution)
{
    const DesktopFont desktop = DesktopFontOfThisRun();
    AlgorithmPage algorithm(settings, symbol);
    Show(algorithm, [&](Dialog&) {
        QWidget* window = QApplication::activeModalWidget();
        ASSERT_NE(window, nullptr);
        const int dpi = qRound(window->screen()->logicalDotsPerInchY());
        const DialogBaseUnits units = GetDialogBaseUnits();
        if (desktop.family.isEmpty()) {
            EXPECT_EQ(window->font().pixelSize(), (8 * dpi + 36) / 72);
            if (dpi == 96) {
                EXPECT_EQ(units, (DialogBaseUnits{6, 13}));
            }
            // Within a pixel of the classic units grown with the resolution.
            EXPECT_NEAR(units.x, 6.0 * dpi / 96, 1.0);
            EXPECT_NEAR(units.y, 13.0 * dpi / 96, 1.0);
        } else {
            EXPECT_EQ(window->font().family(), desktop.family);
            EXPECT_EQ(window->font().pointSizeF(), desktop.points);
            const double grown = desktop.points * dpi / 72 / 11;
            EXPECT_GE(units.x, std::floor(6 * grown));
            EXPECT_GE(units.y, std::floor(13 * grown));
            if (desktop.family == QLatin1String("Liberation Sans") && desktop.points == 8 && dpi == 96) {
                EXPECT_EQ(units, (DialogBaseUnits{6, 13}));
            }
        }
        // The page is the template's 222 units wide beside the preview.
        EXPECT_EQ(window->width(), DialogUnitsToPixelsX(222) + symbol.panelWidth());
    });
}

TEST_F(PageTextFit, EveryTextOfEveryPageIsVisibleWhole)
{
    for (int convolutional : {0, 1})
        for (int interleaver : {0, 1})
            for (int internal : {0, 1})
                for (int low : {0, 1}) {
                    settings = Extreme(convolutional, interleaver, internal, low);
                    SCOPED_TRACE(testing::Message() << "convolutional " << convolutional << ", interleaver "
                                                    << interleaver << ", internal " << internal << ", low " << low);
                    AlgorithmPage algorithm(settings, symbol);
                    Show(algorithm, [](Dialog&) { EXPECT_EQ(ClippedTexts(), std::vector<std::string>{}); });
                    CharacteristicsPage characteristics(settings, symbol);
                    Show(characteristics, [](Dialog&) { EXPECT_EQ(ClippedTexts(), std::vector<std::string>{}); });
                    MemoryPage memory(settings, symbol);
                    Show(memory, [](Dialog&) {
                        EXPECT_EQ(ClippedTexts(), std::vector<std::string>{});
                        EXPECT_EQ(RadioRowsOffLine(), std::vector<std::string>{});
                    });
                }
    SummaryPage summary("/work/");
    summary.AddFile("f.vhd");
    Show(summary, [](Dialog&) { EXPECT_EQ(ClippedTexts(), std::vector<std::string>{}); });
}

} // namespace
