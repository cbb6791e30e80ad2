#include "recording_device_context.h"
#include "symbol/interleaver_symbol.h"
#include "symbol/preview_painting.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using Kind = RecordingDeviceContext::Kind;
using Call = RecordingDeviceContext::Call;

constexpr Colour kTeal = 0x808000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kGrey = 0x808080;
constexpr Colour kBlue = 0xFF0000;

// The initial layout in the panel of the process-wide graphic, painted once.
class PreviewPainting : public ::testing::Test {
protected:
    PreviewPainting()
    {
        LayOutInterleaverSymbol(symbol, settings, "fifo");
        client = Rect{0, 0, symbol.panelWidth(), 300};
        area = Rect{0, 0, symbol.panelWidth() - 25, 300};
    }

    void Paint() { PaintPreviewPanel(dc, client, symbol); }

    size_t IndexOf(const Call& wanted) const
    {
        for (size_t i = 0; i < dc.calls.size(); ++i)
            if (&dc.calls[i] == &wanted)
                return i;
        return dc.calls.size();
    }

    // The segments drawn with the given pen colour, in order.
    std::vector<Call> Segments(Colour colour) const
    {
        std::vector<Call> found;
        for (const Call& call : dc.Of(Kind::LineTo))
            if (call.pen.colour == colour)
                found.push_back(call);
        return found;
    }

    InterleaverSettings settings;
    SymbolGraphic symbol{ReferenceSymbolWidth(), 192};
    RecordingDeviceContext dc;
    Rect client;
    Rect area;
};

TEST_F(PreviewPainting, AreaStripAndStripEdges)
{
    Paint();
    const std::vector<Call> fills = dc.Of(Kind::FillSolid);
    ASSERT_GE(fills.size(), 2u);
    EXPECT_EQ(fills[0].rect, area);
    EXPECT_EQ(fills[0].colour, PaletteIndex(8));
    EXPECT_EQ(fills[1].rect, (Rect{area.right, 0, client.right, 300}));
    EXPECT_EQ(fills[1].colour, RecordingDeviceContext::kButtonFace);

    const std::vector<Call> light = Segments(PaletteIndex(10));
    ASSERT_EQ(light.size(), 1u);
    EXPECT_EQ(light[0].rect, (Rect{area.right + 1, 0, area.right + 1, 300}));
    // The dark edge is drawn with the strip and again after the shadow, both times full height.
    const std::vector<Call> dark = Segments(PaletteIndex(12));
    ASSERT_EQ(dark.size(), 2u);
    for (const Call& line : dark)
        EXPECT_EQ(line.rect, (Rect{area.right, 0, area.right, 300}));
    EXPECT_EQ(dc.unbalancedRestores, 0);
}

TEST_F(PreviewPainting, ShadowIsDitheredAgainstWhatLiesBeneath)
{
    Paint();
    const int ox = symbol.originX;
    const int oy = symbol.originY;
    const int w = symbol.symbolWidth;
    ASSERT_GT(ox + w + 8, area.right) << "the symbol should reach into the strip";

    const std::vector<Call> halftones = dc.Of(Kind::FillHalftone);
    ASSERT_EQ(halftones.size(), 2u);
    EXPECT_EQ(halftones[0].rect, (Rect{ox + 8, oy + 8, area.right, oy + 136}));
    EXPECT_EQ(halftones[0].backgroundColour, PaletteIndex(8));
    EXPECT_EQ(halftones[0].textColour, kGrey);
    EXPECT_EQ(halftones[1].rect, (Rect{area.right, oy + 8, ox + w + 8, oy + 136}));
    EXPECT_EQ(halftones[1].backgroundColour, RecordingDeviceContext::kButtonFace);
    EXPECT_EQ(halftones[1].textColour, kGrey);

    // The white face comes after the redrawn edge and covers the symbol rectangle.
    const std::vector<Call> fills = dc.Of(Kind::FillSolid);
    ASSERT_EQ(fills.size(), 3u);
    EXPECT_EQ(fills[2].rect, (Rect{ox, oy, ox + w, oy + 128}));
    EXPECT_EQ(fills[2].colour, kWhite);
}

TEST_F(PreviewPainting, SymbolInsideTheAreaGetsOneShadow)
{
    const Rect wide{0, 0, 1000, 300};
    symbol.Draw(dc, wide);
    const std::vector<Call> halftones = dc.Of(Kind::FillHalftone);
    ASSERT_EQ(halftones.size(), 1u);
    EXPECT_EQ(halftones[0].rect, (Rect{symbol.originX + 8, symbol.originY + 8,
                                       symbol.originX + symbol.symbolWidth + 8, symbol.originY + 136}));
    EXPECT_TRUE(Segments(PaletteIndex(12)).empty());
}

TEST_F(PreviewPainting, TextsInWhiteCellsBeforeOutlineLinesAndPins)
{
    Paint();
    size_t lastText = 0;
    size_t firstLine = dc.calls.size();
    for (size_t i = 0; i < dc.calls.size(); ++i) {
        const Call& call = dc.calls[i];
        if (call.kind == Kind::TextOut && call.font.height == -13)
            lastText = i;
        if (call.kind == Kind::LineTo && call.pen.colour != PaletteIndex(12) && call.pen.colour != PaletteIndex(10))
            firstLine = std::min(firstLine, i);
    }
    EXPECT_LT(lastText, firstLine);

    const std::vector<Call> texts = dc.Of(Kind::TextOut);
    // Three centred texts, then one label per pin.
    ASSERT_EQ(texts.size(), 3u + symbol.pins.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].backgroundColour, kWhite) << texts[i].text;
        EXPECT_EQ(texts[i].textColour, i < 3 ? kTeal : Colour(0)) << texts[i].text;
        EXPECT_EQ(texts[i].font.height, i < 3 ? -13 : -11) << texts[i].text;
        EXPECT_EQ(texts[i].font.faceName, "Arial");
    }
    const SymbolText& title = *symbol.texts[1];
    EXPECT_EQ(texts[1].text, "Interleaver 12 X 17");
    EXPECT_EQ(texts[1].x, title.refX + symbol.originX);
    EXPECT_EQ(texts[1].y, title.refY + symbol.originY);

    // The teal outline goes round the face once, clockwise from its top-left corner.
    const int l = symbol.originX;
    const int t = symbol.originY;
    const int r = l + symbol.symbolWidth;
    const int b = t + 128;
    const std::vector<Call> outline = Segments(kTeal);
    ASSERT_EQ(outline.size(), 4u);
    EXPECT_EQ(outline[0].rect, (Rect{l, t, r, t}));
    EXPECT_EQ(outline[1].rect, (Rect{r, t, r, b}));
    EXPECT_EQ(outline[2].rect, (Rect{r, b, l, b}));
    EXPECT_EQ(outline[3].rect, (Rect{l, b, l, t}));
}

TEST_F(PreviewPainting, StubPensAndCrossesOnEveryNamedPin)
{
    Paint();
    // Four body lines, then per pin its stub; thick data stubs use 2-pixel pens.
    int thick = 0;
    int thin = 0;
    for (const Call& line : Segments(0)) {
        (line.pen.width == 2 ? thick : thin)++;
        EXPECT_EQ(line.pen.width, line.rect.top == symbol.originY + 24 ? 2 : 1);
    }
    EXPECT_EQ(thick, 2);
    EXPECT_EQ(thin, 4 + 4);

    const std::vector<Call> crosses = Segments(kBlue);
    ASSERT_EQ(crosses.size(), 2 * symbol.pins.size());
    const SymbolPin& first = *symbol.pins[0];
    const int x = first.stub.x + symbol.originX;
    const int y = first.stub.y + symbol.originY;
    EXPECT_EQ(crosses[0].rect, (Rect{x - 4, y - 4, x + 4, y + 4}));
    EXPECT_EQ(crosses[1].rect, (Rect{x - 4, y + 4, x + 4, y - 4}));
    EXPECT_EQ(dc.penStack.size(), 1u) << "every pen selected while painting is put back";
}

} // namespace
