#include "recording_device_context.h"
#include "symbol/symbol_graphic.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Kind = RecordingDeviceContext::Kind;
using Call = RecordingDeviceContext::Call;

TEST(SymbolDrawing, LineWithStartDotAtItsOrigin)
{
    SymbolLine line(10, 20, 5, -3, 0x123456, LineWeight::Thick, true);
    line.originX = 100;
    line.originY = 200;
    RecordingDeviceContext dc;
    line.Draw(dc);
    const std::vector<Call> segments = dc.Of(Kind::LineTo);
    ASSERT_EQ(segments.size(), 1u);
    EXPECT_EQ(segments[0].rect, (Rect{110, 220, 115, 217}));
    EXPECT_EQ(segments[0].pen, (RecordingDeviceContext::Pen{PenStyle::Solid, 2, 0x123456, false}));
    const std::vector<Call> dots = dc.Of(Kind::Ellipse);
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_EQ(dots[0].rect, (Rect{109, 219, 111, 221}));
    EXPECT_EQ(dc.penStack.size(), 1u);
}

TEST(SymbolDrawing, VerticalTextUsesTurnedFontAtItsReferencePoint)
{
    TextSpec spec;
    spec.x = 50;
    spec.y = 60;
    spec.text = "up";
    spec.colour = 0x00AA00;
    spec.pointSize = 10;
    spec.orientation = TextOrientation::Vertical;
    SymbolText text(spec, 20, 15);
    text.originX = 7;
    text.originY = 9;
    RecordingDeviceContext dc;
    text.Draw(dc);
    const std::vector<Call> out = dc.Of(Kind::TextOut);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].x, text.refX + 7);
    EXPECT_EQ(out[0].y, text.refY + 9);
    EXPECT_EQ(out[0].textColour, 0x00AA00u);
    EXPECT_EQ(out[0].font.escapement, 900);
    EXPECT_EQ(out[0].font.height, -13);
}

// A left clock pin with an outer-end label: label, stub, wedge with the stock pen, no cross for
// the unnamed and dashed ones.
TEST(SymbolDrawing, ClockWedgeAndCrossOnlyOnNamedPins)
{
    SymbolGraphic graphic(200, 192);
    graphic.Reset(100, 128);
    PinSpec spec;
    spec.y = 40;
    spec.dx = 16;
    spec.labelText = "clk";
    spec.clockMark = true;
    graphic.AddPin(std::make_unique<SymbolPin>(spec));
    spec.clockMark = false;
    spec.labelText = "-";
    graphic.AddPin(std::make_unique<SymbolPin>(spec));
    spec.labelText = "";
    spec.pinName = "hidden";
    graphic.AddPin(std::make_unique<SymbolPin>(spec));

    RecordingDeviceContext dc;
    graphic.pins[0]->Draw(dc);
    const int x2 = 16 + graphic.originX;
    const int y2 = 40 + graphic.originY;
    std::vector<Call> wedge;
    for (const Call& call : dc.Of(Kind::LineTo))
        if (call.pen.stock)
            wedge.push_back(call);
    ASSERT_EQ(wedge.size(), 2u);
    EXPECT_EQ(wedge[0].rect, (Rect{x2, y2 - 6, x2 + 6, y2}));
    EXPECT_EQ(wedge[1].rect, (Rect{x2 + 6, y2, x2, y2 + 6}));
    EXPECT_EQ(dc.Of(Kind::TextOut).at(0).text, "clk");
    int blue = 0;
    for (const Call& call : dc.Of(Kind::LineTo))
        blue += call.pen.colour == 0xFF0000;
    EXPECT_EQ(blue, 2);

    for (size_t i = 1; i < 3; ++i) {
        RecordingDeviceContext unnamed;
        graphic.pins[i]->Draw(unnamed);
        for (const Call& call : unnamed.Of(Kind::LineTo))
            EXPECT_NE(call.pen.colour, 0xFF0000u) << "pin " << i;
        EXPECT_EQ(unnamed.Of(Kind::LineTo).size(), 1u);
    }
}

TEST(SymbolDrawing, CircleAndArcStayOnTheirRadius)
{
    SymbolCircle circle(20, 30, 5, 0x0000FF);
    circle.originX = 1;
    circle.originY = 2;
    RecordingDeviceContext dc;
    circle.Draw(dc);
    ASSERT_EQ(dc.Of(Kind::Ellipse).size(), 1u);
    EXPECT_EQ(dc.Of(Kind::Ellipse)[0].rect, (Rect{16, 27, 26, 37}));
    EXPECT_EQ(dc.Of(Kind::Ellipse)[0].pen.colour, 0x0000FFu);

    // A quarter from the right (east) counter-clockwise to the top (north) of the centre.
    SymbolArc arc(50, 50, 20, 90, 50, 50, 0, 0);
    RecordingDeviceContext arcDc;
    arc.Draw(arcDc);
    const std::vector<Call> moves = arcDc.Of(Kind::MoveTo);
    const std::vector<Call> segments = arcDc.Of(Kind::LineTo);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0].x, 70);
    EXPECT_EQ(moves[0].y, 50);
    ASSERT_EQ(segments.size(), 8u);
    EXPECT_EQ(segments.back().x, 50);
    EXPECT_EQ(segments.back().y, 30);
    for (const Call& segment : segments) {
        EXPECT_NEAR(std::hypot(segment.x - 50, segment.y - 50), 20, 0.75);
        EXPECT_LE(segment.y, 50) << "the arc runs through the upper right quarter";
        EXPECT_GE(segment.x, 50);
    }
    EXPECT_EQ(arcDc.penStack.size(), 1u);
}

} // namespace
