#include "interleaver/memory_page.h"

#include "tests/host/pages/page_test_support.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QWidget>

#include <algorithm>
#include <functional>

namespace {

constexpr int kInternal = 1153, kExternal = 1154, kLatency = 1039, kResources = 1037;

const std::string kStream =
    "When clken signal goes high, the symbols are transmitted in a continous stream. The latency between "
    "the first interleaver input symbol and the first deinterleaver output symbol is 2250 clock cycles.";
std::string Discrete(const std::string& condition)
{
    // Block figures for I 12, J 17: 2 * 204 + 4 = 412 cycles.
    return "When clken signal goes high, the symbols are transmitted in discrete flow as long as the signal "
        + condition
        + ". The delay between the first valid interleaver input symbol and the first valid deinterleaver "
          "output symbol is 412 clock cycles";
}

using MemoryPageTest = PageFixture;

TEST_F(MemoryPageTest, TextsFollowAlgorithmDirectionAndMemory)
{
    const struct {
        int convolutional, block, continuous, interleaver, internal;
        std::string resources, latency;
    } cases[] = {
        {1, 0, 0, 1, 1, "This convolutional interleaver uses a dual port ram of 2244 words of 8 bits",
         kStream},
        {1, 0, 0, 0, 0, "This convolutional deinterleaver uses a dual port ram of 2244 words of 8 bits",
         kStream},
        {0, 1, 0, 1, 1, "This block interleaver uses a single port ram of 204 words of 8 bits",
         Discrete("next_din stays high")},
        {0, 0, 1, 0, 0, "This block deinterleaver uses a single port ram of 204 words of 8 bits",
         Discrete("block_full stays low")},
    };
    for (const auto& c : cases) {
        settings.CONVOLUTIONAL = c.convolutional;
        settings.BLOCK = c.block;
        settings.BLOCK_CONTINOUS = c.continuous;
        settings.INTERLEAVER = c.interleaver;
        settings.DEINTERLEAVER = 1 - c.interleaver;
        settings.INTERNAL_DPRAM = c.internal;
        settings.EXTERNAL_DPRAM = 1 - c.internal;
        MemoryPage page(settings, symbol);
        Show(page, [&](Dialog& dialog) {
            EXPECT_EQ(dialog.ControlText(kResources), c.resources);
            EXPECT_EQ(dialog.ControlText(kLatency), c.latency);
            EXPECT_EQ(dialog.IsChecked(kInternal), c.internal == 1);
            EXPECT_EQ(dialog.IsChecked(kExternal), c.internal == 0);
        });
    }
}

TEST_F(MemoryPageTest, ClicksWriteTheFlagsAndChangeTextsAndPins)
{
    settings.CONVOLUTIONAL = 0;
    settings.BLOCK = 1;
    const auto hasPin = [&](const std::string& name) {
        return std::any_of(symbol.pins.begin(), symbol.pins.end(),
                           [&](const auto& pin) { return pin->pinName == name; });
    };
    MemoryPage page(settings, symbol);
    Show(page, [&](Dialog& dialog) {
        dialog.Click(kExternal);
        EXPECT_EQ(settings.INTERNAL_DPRAM, 0);
        EXPECT_EQ(settings.EXTERNAL_DPRAM, 1);
        EXPECT_EQ(dialog.ControlText(kLatency), Discrete("block_full stays low"));
        EXPECT_TRUE(hasPin("addr[8..0]")); // block addresses of 4 + 5 bits
        EXPECT_FALSE(hasPin("din[7..0]"));
        dialog.Click(kInternal);
        EXPECT_EQ(settings.INTERNAL_DPRAM, 1);
        EXPECT_EQ(settings.EXTERNAL_DPRAM, 0);
        EXPECT_TRUE(hasPin("din[7..0]"));
    });
}

} // namespace

namespace {

// Lets the GUI process events, at most two seconds, until done() holds.
bool WaitFor(const std::function<bool()>& done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 2000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void PressKey(int key)
{
    QWidget* target = QApplication::activeModalWidget()->focusWidget();
    ASSERT_NE(target, nullptr);
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

} // namespace

// "External" stands beside "Internal", yet Down goes to it: the arrows follow the group's order,
// round from the last button to the first, and choose the button they reach.
TEST_F(MemoryPageTest, ArrowsGoThroughTheRadioGroupInItsOrder)
{
    MemoryPage page(settings, symbol);
    Show(page, [&](Dialog& dialog) {
        QApplication::activeModalWidget()->activateWindow();
        dialog.SetFocus(kInternal);
        ASSERT_TRUE(WaitFor([&] { return dialog.FocusId() == kInternal; }));
        const struct {
            int key, focus, external;
        } steps[] = {{Qt::Key_Down, kExternal, 1}, {Qt::Key_Down, kInternal, 0}, {Qt::Key_Up, kExternal, 1},
                     {Qt::Key_Left, kInternal, 0}};
        for (const auto& step : steps) {
            PressKey(step.key);
            EXPECT_EQ(dialog.FocusId(), step.focus);
            EXPECT_EQ(dialog.IsChecked(kExternal), step.external == 1);
            EXPECT_EQ(settings.EXTERNAL_DPRAM, step.external);
        }
    });
}

// The latency and resource texts are tab stops: with the focus they look different (a caret and a
// focus frame), and a screen reader knows them by short names, the paragraphs as descriptions.
TEST_F(MemoryPageTest, ReadOnlyTextsShowTheFocusAndAreNamedShortly)
{
    MemoryPage page(settings, symbol);
    Show(page, [&](Dialog& dialog) {
        QWidget* window = QApplication::activeModalWidget();
        window->activateWindow();
        ASSERT_TRUE(WaitFor([&] { return window->isActiveWindow(); }));
        for (const int text : {kLatency, kResources}) {
            dialog.SetFocus(kInternal);
            ASSERT_TRUE(WaitFor([&] { return dialog.FocusId() == kInternal; }));
            dialog.SetFocus(text);
            ASSERT_TRUE(WaitFor([&] { return dialog.FocusId() == text; }));
            QWidget* widget = window->focusWidget();
            ASSERT_TRUE(widget != nullptr && widget->hasFocus());
            const QImage focused = widget->grab().toImage();
            dialog.SetFocus(kInternal);
            ASSERT_TRUE(WaitFor([&] { return dialog.FocusId() == kInternal; }));
            EXPECT_NE(widget->grab().toImage(), focused) << text;
        }
        EXPECT_EQ(dialog.AccessibleName(kLatency), "Latency");
        EXPECT_EQ(dialog.AccessibleDescription(kLatency), kStream);
        EXPECT_EQ(dialog.AccessibleName(kResources), "Memory");
        EXPECT_EQ(dialog.AccessibleDescription(kResources), MemoryPage::ResourceText(settings));
        // The paragraphs follow the settings.
        dialog.Click(kExternal);
        EXPECT_EQ(dialog.AccessibleDescription(kResources), MemoryPage::ResourceText(settings));
        EXPECT_EQ(dialog.AccessibleName(kResources), "Memory");
    });
}
