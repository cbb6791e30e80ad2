#include "interleaver/memory_page.h"

#include "tests/interleaver/pages/parameter_page_fixture.h"

namespace {

constexpr int kInternal = 1153;
constexpr int kExternal = 1154;
constexpr int kLatency = 1039;
constexpr int kResources = 1037;

const std::string kStreamLatency =
    "When clken signal goes high, the symbols are transmitted in a continous stream. The latency "
    "between the first interleaver input symbol and the first deinterleaver output symbol is ";
const std::string kDiscreteLatency =
    "When clken signal goes high, the symbols are transmitted in discrete flow as long as the "
    "signal ";
const std::string kDelay =
    ". The delay between the first valid interleaver input symbol and the first valid "
    "deinterleaver output symbol is ";

using MemoryPageTest = ParameterPageFixture;

TEST_F(MemoryPageTest, InitialSettingsShowInternalMemoryAndItsTexts)
{
    MemoryPage page(settings, symbol);
    std::string resources, latency;
    bool internal = false, external = true;
    Show(page, [&](Dialog& dialog) {
        resources = dialog.ControlText(kResources);
        latency = dialog.ControlText(kLatency);
        internal = dialog.IsChecked(kInternal);
        external = dialog.IsChecked(kExternal);
    });
    EXPECT_EQ(resources, "This convolutional interleaver uses a dual port ram of 2244 words of 8 bits");
    EXPECT_EQ(latency, kStreamLatency + "2250 clock cycles.");
    EXPECT_TRUE(internal);
    EXPECT_FALSE(external);
}

TEST_F(MemoryPageTest, TextsFollowAlgorithmDirectionAndMemory)
{
    struct Case {
        int convolutional, block, continuous, interleaver, internal;
        std::string resources;
        std::string latency;
    };
    // Block figures for I 12, J 17: 204 words, 2 * 204 + 4 = 412 cycles.
    const Case cases[] = {
        {0, 1, 0, 1, 1, "This block interleaver uses a single port ram of 204 words of 8 bits",
         kDiscreteLatency + "next_din stays high" + kDelay + "412 clock cycles"},
        {0, 1, 0, 0, 0, "This block deinterleaver uses a single port ram of 204 words of 8 bits",
         kDiscreteLatency + "block_full stays low" + kDelay + "412 clock cycles"},
        {0, 0, 1, 1, 1, "This block interleaver uses a single port ram of 204 words of 8 bits",
         kDiscreteLatency + "next_din stays high" + kDelay + "412 clock cycles"},
        {1, 0, 0, 0, 0,
         "This convolutional deinterleaver uses a dual port ram of 2244 words of 8 bits",
         kStreamLatency + "2250 clock cycles."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.resources);
        settings.CONVOLUTIONAL = c.convolutional;
        settings.BLOCK = c.block;
        settings.BLOCK_CONTINOUS = c.continuous;
        settings.INTERLEAVER = c.interleaver;
        settings.DEINTERLEAVER = 1 - c.interleaver;
        settings.INTERNAL_DPRAM = c.internal;
        settings.EXTERNAL_DPRAM = 1 - c.internal;
        MemoryPage page(settings, symbol);
        std::string resources, latency;
        Show(page, [&](Dialog& dialog) {
            resources = dialog.ControlText(kResources);
            latency = dialog.ControlText(kLatency);
        });
        EXPECT_EQ(resources, c.resources);
        EXPECT_EQ(latency, c.latency);
    }
}

TEST_F(MemoryPageTest, ClickingExternalWritesFlagsTextsAndSymbol)
{
    settings.CONVOLUTIONAL = 0;
    settings.BLOCK = 1;
    MemoryPage page(settings, symbol);
    std::string latency;
    bool internal = true, external = false;
    bool addressPin = false, dataPin = true;
    Show(page, [&](Dialog& dialog) {
        dialog.Click(kExternal);
        latency = dialog.ControlText(kLatency);
        internal = dialog.IsChecked(kInternal);
        external = dialog.IsChecked(kExternal);
        // Block addresses of 4 + 5 bits.
        addressPin = HasPin("addr[8..0]");
        dataPin = HasPin("din[7..0]");
    });
    EXPECT_EQ(settings.INTERNAL_DPRAM, 0);
    EXPECT_EQ(settings.EXTERNAL_DPRAM, 1);
    EXPECT_EQ(latency, kDiscreteLatency + "block_full stays low" + kDelay + "412 clock cycles");
    EXPECT_FALSE(internal);
    EXPECT_TRUE(external);
    EXPECT_TRUE(addressPin);
    EXPECT_FALSE(dataPin);
}

TEST_F(MemoryPageTest, ClickingInternalGivesTheDataPinsBack)
{
    settings.INTERNAL_DPRAM = 0;
    settings.EXTERNAL_DPRAM = 1;
    MemoryPage page(settings, symbol);
    bool dataPin = false;
    Show(page, [&](Dialog& dialog) {
        dialog.Click(kInternal);
        dataPin = HasPin("din[7..0]") && HasPin("dout[7..0]");
    });
    EXPECT_EQ(settings.INTERNAL_DPRAM, 1);
    EXPECT_EQ(settings.EXTERNAL_DPRAM, 0);
    EXPECT_TRUE(dataPin);
}

} // namespace
