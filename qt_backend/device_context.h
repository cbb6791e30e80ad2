#pragma once

#include "platform/device_context.h"

#include <QPoint>

#include <cstdint>
#include <vector>

class QColor;
class QFont;
class QPainter;

// The device context of a paint, drawing through a QPainter without antialiasing. Starts like a
// fresh classic device context: a black 1-pixel pen, black text on a white background, the current
// position at (0, 0).
class QtDeviceContext : public DeviceContext {
public:
    QtDeviceContext(QPainter& painter, Colour buttonFace, double scale = 1.0);
    ~QtDeviceContext() override;

    void SelectPen(PenStyle style, int width, Colour colour) override;
    void SelectStockBlackPen() override;
    void RestorePen() override;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Ellipse(const Rect& box) override;

    void FillSolid(const Rect& area, Colour colour) override;
    void FillHalftone(const Rect& area) override;

    void SetTextColour(Colour colour) override { textColour_ = colour; }
    Colour TextColour() const override { return textColour_; }
    void SetBackgroundColour(Colour colour) override { backgroundColour_ = colour; }
    Colour BackgroundColour() const override { return backgroundColour_; }
    Colour ButtonFaceColour() const override { return buttonFace_; }

    // The text is read as UTF-8, a byte that is not valid UTF-8 as U+FFFD; each character is
    // drawn from the font file it is measured in.
    void TextOut(int x, int y, const std::string& text, const FontDescription& font) override;

    // The colour as the painter takes it, palette entries resolved.
    static QColor ToQColor(Colour colour);

private:
    struct Pen {
        int width = 1;
        Colour colour = 0;
    };

    QPainter& painter_;
    Colour buttonFace_;
    double scale_;
    Pen pen_;
    std::vector<Pen> savedPens_;
    QPoint position_;
    Colour textColour_ = Rgb(0, 0, 0);
    Colour backgroundColour_ = Rgb(255, 255, 255);

    // The device pixel edge nearest to a coordinate of the drawing calls.
    int64_t Device(int64_t coordinate) const;
    // The device pixels of a pen width: at least one, the same wherever the pen draws.
    int Thickness(int width) const;
    void FillDevice(int64_t left, int64_t top, int64_t width, int64_t height, const QColor& colour);
    void DrawThinLine(int64_t x, int64_t y, int64_t endX, int64_t endY);
};
