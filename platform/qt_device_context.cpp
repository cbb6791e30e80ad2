#include "platform/qt_device_context.h"

#include "platform/qt_symbol_font.h"

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

// Lines longer than this are left to the painter; pixel by pixel they would take too long.
constexpr int64_t kLongestPixelLine = 1 << 14;

// The part of an area that lies on the surface, worked out without overflow for any edges.
QRect OnSurface(const Rect& area, const QRect& surface)
{
    const int64_t left = std::max<int64_t>(area.left, surface.left());
    const int64_t top = std::max<int64_t>(area.top, surface.top());
    const int64_t right = std::min<int64_t>(area.right, int64_t(surface.left()) + surface.width());
    const int64_t bottom = std::min<int64_t>(area.bottom, int64_t(surface.top()) + surface.height());
    if (left >= right || top >= bottom)
        return QRect();
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

} // namespace

QtDeviceContext::QtDeviceContext(QPainter& painter, Colour buttonFace) : painter_(painter), buttonFace_(buttonFace)
{
    painter_.save();
    painter_.setRenderHint(QPainter::Antialiasing, false);
}

QtDeviceContext::~QtDeviceContext()
{
    painter_.restore();
}

QColor QtDeviceContext::ToQColor(Colour colour)
{
    const Colour rgb = ResolveColour(colour);
    return QColor(int(rgb & 0xFF), int((rgb >> 8) & 0xFF), int((rgb >> 16) & 0xFF));
}

void QtDeviceContext::SelectPen(PenStyle, int width, Colour colour)
{
    savedPens_.push_back(pen_);
    pen_ = Pen{std::max(width, 1), colour};
}

void QtDeviceContext::SelectStockBlackPen()
{
    savedPens_.push_back(pen_);
    pen_ = Pen{1, Rgb(0, 0, 0)};
}

void QtDeviceContext::RestorePen()
{
    if (savedPens_.empty())
        return;
    pen_ = savedPens_.back();
    savedPens_.pop_back();
}

void QtDeviceContext::MoveTo(int x, int y)
{
    position_ = QPoint(x, y);
}

void QtDeviceContext::LineTo(int x, int y)
{
    const QPoint to(x, y);
    if (pen_.width <= 1) {
        DrawThinLine(position_, to);
    } else {
        // A wide pen is a stroke centred on the line with round ends, like a geometric pen.
        painter_.setPen(QPen(ToQColor(pen_.colour), pen_.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter_.drawLine(position_, to);
    }
    position_ = to;
}

// A one-pixel line covers the pixels of the classic line algorithm: every pixel from the start up
// to, but not including, the end point, so that joined lines never paint a corner twice.
void QtDeviceContext::DrawThinLine(QPoint from, QPoint to)
{
    const QColor colour = ToQColor(pen_.colour);
    int64_t x = from.x();
    int64_t y = from.y();
    const int64_t endX = to.x();
    const int64_t endY = to.y();
    const int64_t dx = std::llabs(endX - x);
    const int64_t dy = -std::llabs(endY - y);
    if (std::max(dx, -dy) > kLongestPixelLine) {
        painter_.setPen(QPen(colour, 1));
        painter_.drawLine(from, to);
        return;
    }
    if (dy == 0 && dx > 0) {
        painter_.fillRect(QRect(int(std::min(x, endX + 1)), int(y), int(dx), 1), colour);
        return;
    }
    if (dx == 0 && dy < 0) {
        painter_.fillRect(QRect(int(x), int(std::min(y, endY + 1)), 1, int(-dy)), colour);
        return;
    }
    const int64_t stepX = x < endX ? 1 : -1;
    const int64_t stepY = y < endY ? 1 : -1;
    int64_t error = dx + dy;
    while (x != endX || y != endY) {
        painter_.fillRect(QRect(int(x), int(y), 1, 1), colour);
        const int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            y += stepY;
        }
    }
}

void QtDeviceContext::Ellipse(const Rect& box)
{
    const int64_t width = int64_t(box.right) - box.left;
    const int64_t height = int64_t(box.bottom) - box.top;
    if (width <= 0 || height <= 0 || width > kLongestPixelLine || height > kLongestPixelLine)
        return;
    painter_.setPen(QPen(ToQColor(pen_.colour), pen_.width));
    painter_.setBrush(Qt::white);
    // The box excludes its right and bottom edges; the outline lies inside it.
    painter_.drawEllipse(QRect(box.left, box.top, int(width) - 1, int(height) - 1));
    painter_.setBrush(Qt::NoBrush);
}

void QtDeviceContext::FillSolid(const Rect& area, Colour colour)
{
    backgroundColour_ = colour;
    const QRect target = OnSurface(area, painter_.window());
    if (!target.isEmpty())
        painter_.fillRect(target, ToQColor(colour));
}

void QtDeviceContext::FillHalftone(const Rect& area)
{
    // Only the part on the surface is drawn, so an oversized area costs nothing.
    const QRect target = OnSurface(area, painter_.window());
    if (target.isEmpty())
        return;
    // The checker is tied to the surface's pixel grid, not to the area: pixel (x, y) takes the
    // text colour when x + y is even, so neighbouring fills continue the same pattern.
    const QRgb ink = ToQColor(textColour_).rgb();
    const QRgb paper = ToQColor(backgroundColour_).rgb();
    QImage pattern(target.size(), QImage::Format_RGB32);
    for (int row = 0; row < pattern.height(); ++row) {
        auto* line = reinterpret_cast<QRgb*>(pattern.scanLine(row));
        const int y = target.top() + row;
        for (int column = 0; column < pattern.width(); ++column)
            line[column] = ((target.left() + column + y) & 1) == 0 ? ink : paper;
    }
    painter_.drawImage(target.topLeft(), pattern);
}

void QtDeviceContext::TextOut(int x, int y, const std::string& text, const FontDescription& font)
{
    const QFont qfont = SymbolQFont(font);
    const QFontMetricsF metrics(qfont);
    const QString value = QString::fromLatin1(text.data(), qsizetype(text.size()));
    // Whole pixels above and below the baseline, rounded outward as the measurement's font
    // metrics are, so that the cell is exactly as high as the measured text.
    const int ascent = int(std::ceil(metrics.ascent()));
    const int descent = int(std::ceil(metrics.descent()));
    const QRect cell(0, 0, int(std::ceil(metrics.horizontalAdvance(value))), ascent + descent);

    // The reference point is the cell's top-left corner in the text's own direction; a text with
    // an escapement is turned about it, so 900 reads upward with the point at its bottom-left.
    painter_.save();
    painter_.translate(x, y);
    if (font.escapement != 0)
        painter_.rotate(-font.escapement / 10.0);
    painter_.fillRect(cell, ToQColor(backgroundColour_));
    painter_.setFont(qfont);
    painter_.setPen(ToQColor(textColour_));
    painter_.drawText(QPoint(0, ascent), value);
    painter_.restore();
}
