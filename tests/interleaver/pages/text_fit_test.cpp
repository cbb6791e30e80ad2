// Every text of every page is visible whole at the settings that make it longest: each algorithm,
// direction and memory wording, with the extremes of every range. Run once for each display scale
// and font resolution the pages are meant for (the environment chooses it).
#include "host/summary_page.h"
#include "interleaver/algorithm_page.h"
#include "interleaver/characteristics_page.h"
#include "interleaver/memory_page.h"
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
            report(button->text(), button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width(),
                   room.width());
        } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
            report(box->title(), box->fontMetrics().horizontalAdvance(box->title()), box->width());
        }
    }
    return clipped;
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
                    Show(memory, [](Dialog&) { EXPECT_EQ(ClippedTexts(), std::vector<std::string>{}); });
                }
    SummaryPage summary("/work/");
    summary.AddFile("f.vhd");
    Show(summary, [](Dialog&) { EXPECT_EQ(ClippedTexts(), std::vector<std::string>{}); });
}

} // namespace
