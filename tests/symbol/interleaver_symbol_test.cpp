#include "recording_device_context.h"
#include "symbol/interleaver_symbol.h"
#include "symbol/text_measurer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

enum Side { L, R };

struct ExpectedPin {
    std::string name;
    Side side;
    int row;
    bool thick;
};


class InterleaverLayout : public ::testing::Test {
protected:
    InterleaverSettings settings;
    SymbolGraphic symbol{ReferenceSymbolWidth(), 192};

    void LayOut(const std::string& baseName = "fifo")
    {
        LayOutInterleaverSymbol(symbol, settings, baseName);
    }

    void ExpectPins(const std::vector<ExpectedPin>& expected) const
    {
        ASSERT_EQ(symbol.pins.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            const SymbolPin& pin = *symbol.pins[i];
            const ExpectedPin& want = expected[i];
            SCOPED_TRACE("pin " + std::to_string(i) + " " + want.name);
            EXPECT_EQ(pin.pinName, want.name);
            EXPECT_EQ(pin.label.text, want.name);
            EXPECT_EQ(pin.stub.y, want.row);
            EXPECT_EQ(pin.stub.x, want.side == L ? 0 : symbol.symbolWidth);
            EXPECT_EQ(pin.stub.dx, want.side == L ? 16 : -16);
            EXPECT_EQ(pin.direction, want.side == L ? PinDirection::In : PinDirection::Out);
            EXPECT_EQ(pin.stub.thick, want.thick ? LineWeight::Thick : LineWeight::Thin);
            EXPECT_FALSE(pin.widthMark);
            EXPECT_FALSE(pin.clockMark);
        }
    }

    std::string TextAt(size_t index) const { return symbol.texts.at(index)->text; }
};

const std::vector<ExpectedPin> kControlPins = {{"sync_in", L, 56, false}, {"clken", L, 72, false}, {"clock", L, 88, false}};

std::vector<ExpectedPin> WithControlPins(const std::vector<ExpectedPin>& more)
{
    std::vector<ExpectedPin> pins = kControlPins;
    pins.insert(pins.end(), more.begin(), more.end());
    return pins;
}

struct RowCase {
    const char* algorithm;
    int convolutional;
    int block;
    int blockContinuous;
    bool external;
    std::vector<ExpectedPin> pins;
    const char* mode;
    const char* title;
    int width;
};

TEST_F(InterleaverLayout, EveryAlgorithmAndMemoryRow)
{
    // I 12 and J 17 give a 12-bit convolutional address and a 9-bit block address; continuous
    // block mode alone keeps the 12 of program start. Internal and external memory share a width,
    // as all four labels are always measured.
    // Widths by hand from the 8-point advances (a d e n o u _ digits 6, w 8, r 4, t [ ] . 3, i l 2):
    // "write_addr[11..0]" 81 beats "read_addr[11..0]" 80, "dout[7..0]" 45 beats "din[7..0]" 38
    // and "clock" 26, so 96 + 56 + 48; in block mode "read_addr[8..0]" 74 beats "addr[8..0]" 46,
    // so 88 + 56 + 48.
    const int continuousWidth = 200;
    const int blockWidth = 192;
    const std::vector<ExpectedPin> internalContinuous = WithControlPins(
        {{"dout[7..0]", R, 24, true}, {"din[7..0]", L, 24, true}, {"sync_out", R, 56, false}});
    const std::vector<ExpectedPin> externalContinuous = WithControlPins(
        {{"write_addr[11..0]", R, 24, true}, {"read_addr[11..0]", R, 40, true}, {"sync_out", R, 56, false}});
    const RowCase rows[] = {
        {"convolutional", 1, 0, 0, false, internalContinuous, "Convolutional", "Interleaver 12 X 17", continuousWidth},
        {"convolutional", 1, 0, 0, true, externalContinuous, "Convolutional", "Interleaver 12 X 17", continuousWidth},
        {"continuous", 0, 0, 1, false, internalContinuous, "Block Continous", "Interleaver 17 X 12", continuousWidth},
        {"continuous", 0, 0, 1, true, externalContinuous, "Block Continous", "Interleaver 17 X 12", continuousWidth},
        {"block", 0, 1, 0, false,
         WithControlPins({{"dout[7..0]", R, 24, true}, {"din[7..0]", L, 24, true},
                          {"dout_valid", R, 56, false}, {"next_din", R, 72, false}}),
         "Block Discrete", "Interleaver 17 X 12", blockWidth},
        {"block", 0, 1, 0, true,
         WithControlPins({{"addr[8..0]", R, 24, true}, {"write_enable", R, 56, false},
                          {"block_full", R, 72, false}, {"block_empty", R, 88, false}}),
         "Block Discrete", "Interleaver 17 X 12", blockWidth},
    };
    for (const RowCase& row : rows) {
        SCOPED_TRACE(std::string(row.algorithm) + (row.external ? " external" : " internal"));
        settings = InterleaverSettings{};
        settings.CONVOLUTIONAL = row.convolutional;
        settings.BLOCK = row.block;
        settings.BLOCK_CONTINOUS = row.blockContinuous;
        settings.INTERNAL_DPRAM = row.external ? 0 : 1;
        settings.EXTERNAL_DPRAM = row.external ? 1 : 0;
        LayOut();
        EXPECT_EQ(symbol.symbolWidth, row.width);
        EXPECT_EQ(symbol.symbolHeight, 128);
        ASSERT_EQ(symbol.texts.size(), 3u);
        EXPECT_EQ(TextAt(0), "fifo");
        EXPECT_EQ(TextAt(1), row.title);
        EXPECT_EQ(TextAt(2), row.mode);
        ExpectPins(row.pins);
    }
}

TEST_F(InterleaverLayout, DeinterleaverTitleAndSingleBitLabels)
{
    settings.CONVOLUTIONAL = 0;
    settings.BLOCK = 1;
    settings.INTERLEAVER = 0;
    settings.DEINTERLEAVER = 1;
    settings.SYMBOL_WIDTH = 1;
    LayOut();
    EXPECT_EQ(TextAt(1), "De-Interleaver 17 X 12");
    ExpectPins(WithControlPins({{"dout", R, 24, false}, {"din", L, 24, false},
                                {"dout_valid", R, 56, false}, {"next_din", R, 72, false}}));

    // A one-bit convolutional address (I 1) collapses the address labels and thins their stubs.
    settings = InterleaverSettings{};
    settings.CHARACTERISTIC_I = 1;
    settings.INTERNAL_DPRAM = 0;
    settings.EXTERNAL_DPRAM = 1;
    LayOut();
    ExpectPins(WithControlPins({{"write", R, 24, false}, {"read", R, 40, false}, {"sync_out", R, 56, false}}));
}

TEST_F(InterleaverLayout, BothAlgorithmFlagsAddBothExternalRows)
{
    settings.BLOCK = 1;
    settings.INTERNAL_DPRAM = 0;
    settings.EXTERNAL_DPRAM = 1;
    LayOut();
    EXPECT_EQ(TextAt(1), "Interleaver 12 X 17");
    EXPECT_EQ(TextAt(2), "Convolutional");
    ExpectPins(WithControlPins({{"addr[8..0]", R, 24, true}, {"read_addr[8..0]", R, 40, true},
                                {"sync_out", R, 56, false}, {"addr[8..0]", R, 24, true},
                                {"write_enable", R, 56, false}, {"block_full", R, 72, false},
                                {"block_empty", R, 88, false}}));

    settings.INTERNAL_DPRAM = 1;
    settings.EXTERNAL_DPRAM = 0;
    LayOut();
    ExpectPins(WithControlPins({{"dout[7..0]", R, 24, true}, {"din[7..0]", L, 24, true},
                                {"sync_out", R, 56, false}, {"dout_valid", R, 56, false},
                                {"next_din", R, 72, false}}));
}

TEST_F(InterleaverLayout, NoAlgorithmFlagGivesOnlyTheDataPins)
{
    settings.CONVOLUTIONAL = 0;
    LayOut();
    EXPECT_EQ(TextAt(2), "Block Discrete");
    EXPECT_EQ(TextAt(1), "Interleaver 17 X 12");
    // The write address label is empty; the read address keeps the width of program start.
    // "read_addr[11..0]" 80 and "dout[7..0]" 45: 88 + 56 + 48.
    EXPECT_EQ(symbol.symbolWidth, 192);
    ExpectPins(WithControlPins({{"dout[7..0]", R, 24, true}, {"din[7..0]", L, 24, true}}));

    settings.INTERNAL_DPRAM = 0;
    settings.EXTERNAL_DPRAM = 1;
    LayOut();
    ExpectPins(kControlPins);
}

TEST_F(InterleaverLayout, LongNamesAreShortenedOrDropped)
{
    const int limit = ReferenceSymbolWidth() - 8;
    LayOut(std::string(100, 'm'));
    const SymbolText& name = *symbol.texts.at(0);
    ASSERT_GE(name.text.size(), 3u);
    EXPECT_EQ(name.text.substr(name.text.size() - 3), "...");
    EXPECT_LE(name.textWidth, limit);

    LayOut(std::string(255, 'a'));
    ASSERT_EQ(symbol.texts.size(), 3u);
    EXPECT_EQ(TextAt(0), "");
    std::ostringstream lines;
    symbol.WriteSymbolLines(lines);
    EXPECT_EQ(lines.str().rfind("SYMBOL: BOX ", 0), 0u);
}

// A name is UTF-8: "filtér" is measured as its six characters, as wide as "filter" ("é" and "e"
// advance alike), so it is centred where "filter" is and its box line is the same; the device
// context gets its bytes unchanged, to draw them as those characters.
TEST_F(InterleaverLayout, Utf8NameIsMeasuredAndDrawnAsItsCharacters)
{
    LayOut("filter");
    std::ostringstream plain;
    symbol.WriteSymbolLines(plain);

    const std::string name = "filt\xC3\xA9r";
    LayOut(name);
    const int width = TextMeasurer("Arial", 10).Width("filter");
    EXPECT_EQ(symbol.texts.at(0)->textWidth, width);
    std::ostringstream accented;
    symbol.WriteSymbolLines(accented);
    EXPECT_EQ(accented.str(), plain.str());

    RecordingDeviceContext dc;
    symbol.Draw(dc, Rect{0, 0, 1000, 1000});
    const std::vector<RecordingDeviceContext::Call> texts = dc.Of(RecordingDeviceContext::Kind::TextOut);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts.front().text, name);
    EXPECT_EQ(texts.front().x, symbol.originX + symbol.symbolWidth / 2 - width / 2);
}

TEST(FitToWidth, KeepsShortensOrEmpties)
{
    const TextMeasurer measurer("Arial", 10);
    const std::string name = "abcdefghij";
    EXPECT_EQ(FitToWidth(name, measurer.Width(name), 10, "Arial"), name);
    // Exactly wide enough for four letters and the dots, so "abcde..." is too wide.
    EXPECT_EQ(FitToWidth(name, measurer.Width("abcd..."), 10, "Arial"), "abcd...");
    EXPECT_EQ(FitToWidth(name, measurer.Width("abcd...") - 1, 10, "Arial"), "abc...");
    // Not even the dots fit: nothing rather than "...".
    EXPECT_EQ(FitToWidth(name, measurer.Width("...") - 1, 10, "Arial"), "");
    EXPECT_EQ(FitToWidth("", 0, 10, "Arial"), "");
    // 254 characters are still shortened; 255 are dropped whatever the limit.
    EXPECT_EQ(FitToWidth(std::string(254, 'i'), 100000, 10, "Arial"), std::string(254, 'i'));
    EXPECT_EQ(FitToWidth(std::string(255, 'i'), 100000, 10, "Arial"), "");
    // The count is of characters: 200 two-byte characters (400 bytes) are kept or shortened, 255
    // of them are dropped.
    std::string accented;
    for (int i = 0; i < 200; ++i)
        accented += "\xC3\xA9";
    EXPECT_EQ(FitToWidth(accented, 100000, 10, "Arial"), accented);
    EXPECT_EQ(FitToWidth(accented, measurer.Width("\xC3\xA9\xC3\xA9..."), 10, "Arial"), "\xC3\xA9\xC3\xA9...");
    std::string tooLong;
    for (int i = 0; i < 255; ++i)
        tooLong += "\xC3\xA9";
    EXPECT_EQ(FitToWidth(tooLong, 100000, 10, "Arial"), "");
}

// Shortening takes whole characters off the end: at every limit the result is the name itself, or
// the longest of its starts that end between two characters and fit with "...", or nothing. The
// name mixes characters of one to four bytes and a byte that is not valid UTF-8, which goes as one.
TEST(FitToWidth, CutsBetweenCharactersNeverInsideOne)
{
    const TextMeasurer measurer("Arial", 10);
    const std::string name = "\xC3\xA9t\xE2\x82\xAC\xF0\x9F\x98\x80x\xFFy\xC3\xBC";
    const std::vector<std::string> starts = {
        "",
        "\xC3\xA9",
        "\xC3\xA9t",
        "\xC3\xA9t\xE2\x82\xAC",
        "\xC3\xA9t\xE2\x82\xAC\xF0\x9F\x98\x80",
        "\xC3\xA9t\xE2\x82\xAC\xF0\x9F\x98\x80x",
        "\xC3\xA9t\xE2\x82\xAC\xF0\x9F\x98\x80x\xFF",
        "\xC3\xA9t\xE2\x82\xAC\xF0\x9F\x98\x80x\xFFy",
    };
    for (int limit = 0; limit <= measurer.Width(name); ++limit) {
        std::string expected = measurer.Width(name) <= limit ? name : "";
        for (const std::string& start : starts)
            if (expected != name && measurer.Width(start + "...") <= limit)
                expected = start + "...";
        EXPECT_EQ(FitToWidth(name, limit, 10, "Arial"), expected) << "limit " << limit;
    }
}

// The symbol lines of the initial settings, each number worked out from the measured extents of
// the texts concerned: y is flipped against 128, left labels start at 20, right labels end 19
// left of the symbol's right edge, a label's box is centred on its row.
TEST_F(InterleaverLayout, InitialSettingsSymbolLines)
{
    LayOut("fifo");
    const TextMeasurer ten("Arial", 10);
    const TextMeasurer eight("Arial", 8);
    const int h10 = ten.Height("x");
    const int h8 = eight.Height("x");
    const int W = 200; // worked out in EveryAlgorithmAndMemoryRow
    auto n = [](int value) { return std::to_string(value); };
    auto centred = [&](const std::string& text) { return n(W / 2 - ten.Width(text) / 2); };
    auto labelBottom = [&](int fileRow) { return n(fileRow + h8 / 2 - h8); };

    const std::string expected =
        "SYMBOL: BOX " + n(W) + " 128 " + centred("fifo") + " " + n(126 - h10) + " Arial,10\n"
        "SYMBOL: LINE 16 112 16 16 SOLID THIN\n"
        "SYMBOL: LINE " + n(W - 16) + " 112 " + n(W - 16) + " 16 SOLID THIN\n"
        "SYMBOL: LINE 16 112 " + n(W - 16) + " 112 SOLID THIN\n"
        "SYMBOL: LINE 16 16 " + n(W - 16) + " 16 SOLID THIN\n"
        "SYMBOL: TEXT \"Interleaver 12 X 17\" " + centred("Interleaver 12 X 17") + " " + n(15 - h10) + " HORIZ Arial,10\n"
        "SYMBOL: TEXT \"Convolutional\" " + centred("Convolutional") + " " + n(32 - h10) + " HORIZ Arial,10\n"
        "SYMBOL: PINSTUB 0 72 IN sync_in 20 " + labelBottom(72) + " \"sync_in\" HORIZ Arial,8\n"
        "SYMBOL: LINE 0 72 16 72 SOLID THIN\n"
        "SYMBOL: PINSTUB 0 56 IN clken 20 " + labelBottom(56) + " \"clken\" HORIZ Arial,8\n"
        "SYMBOL: LINE 0 56 16 56 SOLID THIN\n"
        "SYMBOL: PINSTUB 0 40 IN clock 20 " + labelBottom(40) + " \"clock\" HORIZ Arial,8\n"
        "SYMBOL: LINE 0 40 16 40 SOLID THIN\n"
        "SYMBOL: PINSTUB " + n(W) + " 104 OUT dout[7..0] " + n(W - 19 - eight.Width("dout[7..0]")) + " " +
        labelBottom(104) + " \"dout[7..0]\" HORIZ Arial,8\n"
        "SYMBOL: LINE " + n(W) + " 104 " + n(W - 16) + " 104 SOLID THICK\n"
        "SYMBOL: PINSTUB 0 104 IN din[7..0] 20 " + labelBottom(104) + " \"din[7..0]\" HORIZ Arial,8\n"
        "SYMBOL: LINE 0 104 16 104 SOLID THICK\n"
        "SYMBOL: PINSTUB " + n(W) + " 72 OUT sync_out " + n(W - 19 - eight.Width("sync_out")) + " " +
        labelBottom(72) + " \"sync_out\" HORIZ Arial,8\n"
        "SYMBOL: LINE " + n(W) + " 72 " + n(W - 16) + " 72 SOLID THIN\n";
    std::ostringstream lines;
    symbol.WriteSymbolLines(lines);
    EXPECT_EQ(lines.str(), expected);
}

} // namespace
