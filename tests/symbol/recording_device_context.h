#pragma once

#include "platform/device_context.h"

#include <string>
#include <vector>

// A device context that paints nothing and records every call as data, with the pen, text colour
// and background colour in effect at that moment. Like a real one, a solid fill leaves its colour
// as the background colour.
class RecordingDeviceContext : public DeviceContext {
public:
    struct Pen {
        PenStyle style = PenStyle::Solid;
        int width = 1;
        Colour colour = 0;
        bool stock = false;
        bool operator==(const Pen&) const = default;
    };

    enum class Kind {
        SelectPen, SelectStockBlackPen, RestorePen, MoveTo, LineTo, Ellipse,
        FillSolid, FillHalftone, SetTextColour, SetBackgroundColour, TextOut,
    };

    struct Call {
        Kind kind;
        Rect rect;         // Ellipse and fills; for LineTo the segment (left, top) to (right, bottom)
        int x = 0;         // MoveTo, LineTo, TextOut
        int y = 0;
        Colour colour = 0; // SelectPen, FillSolid, SetTextColour, SetBackgroundColour
        Pen pen;           // the pen selected when the call was made
        Colour textColour = 0;
        Colour backgroundColour = 0;
        std::string text;
        FontDescription font;
    };

    static constexpr Colour kButtonFace = 0xF0F0F0;

    std::vector<Call> calls;
    // Pens selected and not yet restored, the one in use last.
    std::vector<Pen> penStack{Pen{}};
    int unbalancedRestores = 0;

    void SelectPen(PenStyle style, int width, Colour colour) override
    {
        Record(Kind::SelectPen).colour = colour;
        penStack.push_back(Pen{style, width, colour, false});
    }
    void SelectStockBlackPen() override
    {
        Record(Kind::SelectStockBlackPen);
        penStack.push_back(Pen{PenStyle::Solid, 1, 0, true});
    }
    void RestorePen() override
    {
        Record(Kind::RestorePen);
        if (penStack.size() > 1)
            penStack.pop_back();
        else
            ++unbalancedRestores;
    }
    void MoveTo(int x, int y) override
    {
        Call& call = Record(Kind::MoveTo);
        call.x = x;
        call.y = y;
        x_ = x;
        y_ = y;
    }
    void LineTo(int x, int y) override
    {
        Call& call = Record(Kind::LineTo);
        call.rect = Rect{x_, y_, x, y};
        call.x = x;
        call.y = y;
        x_ = x;
        y_ = y;
    }
    void Ellipse(const Rect& box) override { Record(Kind::Ellipse).rect = box; }
    void FillSolid(const Rect& area, Colour colour) override
    {
        Call& call = Record(Kind::FillSolid);
        call.rect = area;
        call.colour = colour;
        background_ = colour;
    }
    void FillHalftone(const Rect& area) override { Record(Kind::FillHalftone).rect = area; }
    void SetTextColour(Colour colour) override
    {
        Record(Kind::SetTextColour).colour = colour;
        text_ = colour;
    }
    Colour TextColour() const override { return text_; }
    void SetBackgroundColour(Colour colour) override
    {
        Record(Kind::SetBackgroundColour).colour = colour;
        background_ = colour;
    }
    Colour BackgroundColour() const override { return background_; }
    Colour ButtonFaceColour() const override { return kButtonFace; }
    void TextOut(int x, int y, const std::string& text, const FontDescription& font) override
    {
        Call& call = Record(Kind::TextOut);
        call.x = x;
        call.y = y;
        call.text = text;
        call.font = font;
    }

    // The recorded calls of one kind, in order.
    std::vector<Call> Of(Kind kind) const
    {
        std::vector<Call> found;
        for (const Call& call : calls)
            if (call.kind == kind)
                found.push_back(call);
        return found;
    }

private:
    Colour text_ = 0;
    Colour background_ = 0xFFFFFF;
    int x_ = 0;
    int y_ = 0;

    Call& Record(Kind kind)
    {
        Call call;
        call.kind = kind;
        call.pen = penStack.back();
        call.textColour = text_;
        call.backgroundColour = background_;
        calls.push_back(call);
        return calls.back();
    }
};
