#include "interleaver/memory_page.h"

#include "tests/host/pages/page_test_support.h"

#include <algorithm>

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
