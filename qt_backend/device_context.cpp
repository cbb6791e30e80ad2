#include "qt_backend/device_context.h"

#include "platform/font_fallback.h"
#include "platform/utf8_text.h"
#include "qt_backend/symbol_font.h"

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Lines longer than this, in device pixels, are left to the painter; pixel by pixel they would
// take too long.
constexpr int64_t kLongestPixelLine = 1 << 14;
// No pen is drawn wider than this many device pixels.
constexpr int kWidestPen = 4096;

// The part of a device area that lies on the surface, worked out without overflow for any edges.
QRect OnSurface(int64_t left, int64_t top, int64_t right, int64_t bottom, const QRect& surface)
{
    left = std::max<int64_t>(left, surface.left());
    top = std::max<int64_t>(top, surface.top());
    right = std::min<int64_t>(right, int64_t(surface.left()) + surface.width());
    bottom = std::min<int64_t>(bottom, int64_t(surface.top()) + surface.height());
    if (left >= right || top >= bottom)
        return QRect();
    return QRect(int(left), int(top), int(right - left), int(bottom - top));
}

bool FitsInt(int64_t value)
{
    return value >= INT_MIN && value <= INT_MAX;
}

// A line between device points, through the painter's integer path where the points allow it.
void DrawLine(QPainter& painter, int64_t x, int64_t y, int64_t endX, int64_t endY)
{
    if (FitsInt(x) && FitsInt(y) && FitsInt(endX) && FitsInt(endY))
        painter.drawLine(QPoint(int(x), int(y)), QPoint(int(endX), int(endY)));
    else
        painter.drawLine(QLineF(double(x), double(y), double(endX), double(endY)));
}

} // namespace

QtDeviceContext::QtDeviceContext(QPainter& painter, Colour buttonFace, double scale)
    : painter_(painter), buttonFace_(buttonFace), scale_(std::isfinite(scale) && scale > 0 ? scale : 1.0)
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

int64_t QtDeviceContext::Device(int64_t coordinate) const
{
    if (scale_ == 1.0)
        return coordinate;
    // Half-way points go to the right and down, so every coordinate rounds the same way.
    return int64_t(std::floor(double(coordinate) * scale_ + 0.5));
}

int QtDeviceContext::Thickness(int width) const
{
    return int(std::clamp<int64_t>(Device(width), 1, kWidestPen));
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
    const int64_t fromX = Device(position_.x());
    const int64_t fromY = Device(position_.y());
    const int64_t toX = Device(x);
    const int64_t toY = Device(y);
    if (pen_.width <= 1) {
        DrawThinLine(fromX, fromY, toX, toY);
    } else {
        // A wide pen is a stroke centred on the line with round ends, like a geometric pen.
        painter_.setPen(QPen(ToQColor(pen_.colour), Thickness(pen_.width), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        DrawLine(painter_, fromX, fromY, toX, toY);
    }
    position_ = QPoint(x, y);
}

void QtDeviceContext::FillDevice(int64_t left, int64_t top, int64_t width, int64_t height, const QColor& colour)
{
    const QRect target = OnSurface(left, top, left + width, top + height, painter_.window());
    if (!target.isEmpty())
        painter_.fillRect(target, colour);
}

// A one-unit line covers the pixels of the classic line algorithm: every pixel from the start up
// to, but not including, the end point, so that joined lines never paint a corner twice. Above
// scale 1 the algorithm runs between the device points and each of its pixels becomes a square of
// the pen's thickness, so a line is equally wide along its whole length and at every angle.
void QtDeviceContext::DrawThinLine(int64_t x, int64_t y, int64_t endX, int64_t endY)
{
    const QColor colour = ToQColor(pen_.colour);
    const int thickness = Thickness(1);
    const int64_t dx = std::llabs(endX - x);
    const int64_t dy = -std::llabs(endY - y);
    if (std::max(dx, -dy) > kLongestPixelLine) {
        painter_.setPen(QPen(colour, thickness));
        DrawLine(painter_, x, y, endX, endY);
        return;
    }
    if (dy == 0 && dx > 0) {
        FillDevice(std::min(x, endX + 1), y, dx + thickness - 1, thickness, colour);
        return;
    }
    if (dx == 0 && dy < 0) {
        FillDevice(x, std::min(y, endY + 1), thickness, -dy + thickness - 1, colour);
        return;
    }
    const int64_t stepX = x < endX ? 1 : -1;
    const int64_t stepY = y < endY ? 1 : -1;
    int64_t error = dx + dy;
    while (x != endX || y != endY) {
        FillDevice(x, y, thickness, thickness, colour);
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
    const int64_t left = Device(box.left);
    const int64_t top = Device(box.top);
    const int64_t width = Device(box.right) - left;
    const int64_t height = Device(box.bottom) - top;
    if (width <= 0 || height <= 0 || width > kLongestPixelLine || height > kLongestPixelLine || !FitsInt(left + width)
        || !FitsInt(top + height) || !FitsInt(left) || !FitsInt(top))
        return;
    painter_.setPen(QPen(ToQColor(pen_.colour), Thickness(pen_.width)));
    painter_.setBrush(Qt::white);
    // The box excludes its right and bottom edges; the outline lies inside it.
    painter_.drawEllipse(QRect(int(left), int(top), int(width) - 1, int(height) - 1));
    painter_.setBrush(Qt::NoBrush);
}

void QtDeviceContext::FillSolid(const Rect& area, Colour colour)
{
    backgroundColour_ = colour;
    const QRect target =
        OnSurface(Device(area.left), Device(area.top), Device(area.right), Device(area.bottom), painter_.window());
    if (!target.isEmpty())
        painter_.fillRect(target, ToQColor(colour));
}

void QtDeviceContext::FillHalftone(const Rect& area)
{
    // Only the part on the surface is drawn, so an oversized area costs nothing.
    const QRect target =
        OnSurface(Device(area.left), Device(area.top), Device(area.right), Device(area.bottom), painter_.window());
    if (target.isEmpty())
        return;
    // The checker is tied to the surface's device pixels, not to the area: pixel (x, y) takes the
    // text colour when x + y is even, so neighbouring fills continue the same pattern, and at any
    // scale exactly half of the pixels take each colour.
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
    // Consecutive characters drawn from the same font file form one run, drawn in that file's font.
    struct Run {
        std::string file;
        QString characters;
    };
    std::vector<Run> runs;
    for (const char32_t character : DecodeUtf8(text)) {
        const std::string file = FontFileForCharacter(font.faceName, character);
        if (runs.empty() || runs.back().file != file)
            runs.push_back(Run{file, QString()});
        runs.back().characters += QString::fromUcs4(&character, 1);
    }

    const QFontMetricsF metrics(SymbolQFont(font));
    // Whole pixels above and below the baseline, rounded outward as the measurement's font
    // metrics are, so that the cell is exactly as high as the measured text.
    const int ascent = int(std::ceil(metrics.ascent()));
    const int descent = int(std::ceil(metrics.descent()));
    std::vector<QFont> fonts;
    qreal advance = 0;
    for (const Run& run : runs) {
        fonts.push_back(SymbolQFont(font, run.file));
        advance += QFontMetricsF(fonts.back()).horizontalAdvance(run.characters);
    }
    const int64_t cellWidth = Device(int64_t(std::ceil(advance)));
    const int64_t cellHeight = Device(ascent + descent);
    const QRect cell(0, 0, int(std::min<int64_t>(cellWidth, INT_MAX)), int(std::min<int64_t>(cellHeight, INT_MAX)));

    // The reference point is the cell's top-left corner in the text's own direction; a text with
    // an escapement is turned about it, so 900 reads upward with the point at its bottom-left.
    painter_.save();
    painter_.translate(double(Device(x)), double(Device(y)));
    if (font.escapement != 0)
        painter_.rotate(-font.escapement / 10.0);
    painter_.fillRect(cell, ToQColor(backgroundColour_));
    if (scale_ != 1.0)
        painter_.scale(scale_, scale_);
    painter_.setPen(ToQColor(textColour_));
    qreal position = 0;
    for (size_t index = 0; index < runs.size(); ++index) {
        painter_.setFont(fonts[index]);
        painter_.drawText(QPointF(position, ascent), runs[index].characters);
        position += QFontMetricsF(fonts[index]).horizontalAdvance(runs[index].characters);
    }
    painter_.restore();
}
