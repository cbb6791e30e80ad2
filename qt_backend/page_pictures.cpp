#include "qt_backend/page_pictures.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

#include <cmath>
#include <map>
#include <vector>

// The pictures are drawn in their own units with antialiasing. At ratio 1 the drawing is the
// embedded bitmap, which draw_pictures makes from it; at any other ratio it is drawn afresh at the
// device's resolution, so that lines and letters stay sharp.
namespace {

const QColor kInk(0, 0, 0);
const QColor kPaper(255, 255, 255);
const QColor kGrey(192, 192, 192);
const QColor kDarkGrey(128, 128, 128);
const QColor kDelay(255, 251, 240);
const QColor kTeal(0, 128, 128);
const QColor kBlue(0, 0, 255);
const QColor kPaleGreen(204, 232, 204);

// An image of the picture's size in device pixels at the ratio, filled with the ground colour.
// The painter on it draws in the picture's own units, as at ratio 1.
QImage Canvas(int width, int height, qreal ratio, const QColor& ground)
{
    QImage image(QSize(int(std::ceil(width * ratio)), int(std::ceil(height * ratio))), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(ground);
    return image;
}

QFont LabelFont(int pixels, bool bold = false)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// A line from `from` to `to` with a filled arrowhead at `to`.
void Arrow(QPainter& painter, QPointF from, QPointF to, const QColor& colour = kInk)
{
    painter.setPen(QPen(colour, 1.2));
    painter.drawLine(from, to);
    const double angle = std::atan2(to.y() - from.y(), to.x() - from.x());
    const double length = 7.0;
    const double spread = 0.42;
    QPolygonF head;
    head << to << to - QPointF(length * std::cos(angle - spread), length * std::sin(angle - spread))
         << to - QPointF(length * std::cos(angle + spread), length * std::sin(angle + spread));
    painter.setBrush(colour);
    painter.drawPolygon(head);
    painter.setBrush(Qt::NoBrush);
}

void Text(QPainter& painter, const QRectF& box, const QString& text, int flags = Qt::AlignCenter)
{
    painter.setPen(kInk);
    painter.drawText(box, flags, text);
}

// A commutator: the pivot, one contact per branch, and the arm resting on the first branch.
void Commutator(QPainter& painter, QPointF pivot, double contactX, const std::vector<double>& rows)
{
    painter.setPen(QPen(kInk, 1.2));
    for (double y : rows) {
        painter.setBrush(kPaper);
        painter.drawEllipse(QPointF(contactX, y), 2.5, 2.5);
    }
    painter.drawLine(pivot, QPointF(contactX, rows.front()));
    painter.setBrush(kInk);
    painter.drawEllipse(pivot, 3.0, 3.0);
    painter.setBrush(Qt::NoBrush);
}

// The convolutional interleaver (delays growing downward) or deinterleaver (shrinking).
QImage Convolutional(int width, bool deinterleaver, qreal ratio)
{
    QImage image = Canvas(width, 124, ratio, kPaper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    const std::vector<double> rows = {14, 36, 58, 104};
    const double dotsY = 81;
    const double pivotY = (rows.front() + rows.back()) / 2;
    const double leftContact = 66;
    const double rightContact = width - 67;
    const QPointF leftPivot(46, pivotY);
    const QPointF rightPivot(width - 47, pivotY);

    QStringList delays = {QString(), QStringLiteral("J"), QStringLiteral("2J"), QStringLiteral("(I-1)J")};
    std::vector<double> lengths = {0, 28, 50, 96};
    if (deinterleaver) {
        delays = {QStringLiteral("(I-1)J"), QStringLiteral("(I-2)J"), QStringLiteral("J"), QString()};
        lengths = {96, 80, 28, 0};
    }

    painter.setFont(LabelFont(11));
    const double boxLeft = 84;
    for (size_t branch = 0; branch < rows.size(); ++branch) {
        const double y = rows[branch];
        painter.setPen(QPen(kInk, 1.2));
        painter.drawLine(QPointF(leftContact + 3, y), QPointF(rightContact - 3, y));
        if (lengths[branch] > 0) {
            const QRectF box(boxLeft, y - 8, lengths[branch], 16);
            painter.setPen(QPen(kInk, 1.0));
            painter.setBrush(kDelay);
            painter.drawRect(box);
            painter.setBrush(Qt::NoBrush);
            Text(painter, box, delays[int(branch)]);
        }
    }
    // More branches between the last two drawn.
    painter.setPen(Qt::NoPen);
    painter.setBrush(kInk);
    for (double dy : {-6.0, 0.0, 6.0})
        painter.drawEllipse(QPointF((leftContact + rightContact) / 2, dotsY + dy), 1.4, 1.4);
    painter.setBrush(Qt::NoBrush);

    Commutator(painter, leftPivot, leftContact, rows);
    Commutator(painter, rightPivot, rightContact, rows);

    painter.setFont(LabelFont(12, true));
    Arrow(painter, QPointF(3, pivotY), QPointF(leftPivot.x() - 5, pivotY));
    Text(painter, QRectF(2, pivotY - 20, 40, 16), QStringLiteral("din"), Qt::AlignLeft | Qt::AlignVCenter);
    Arrow(painter, QPointF(rightPivot.x() + 5, pivotY), QPointF(width - 3, pivotY));
    Text(painter, QRectF(width - 42, pivotY - 20, 40, 16), QStringLiteral("dout"), Qt::AlignRight | Qt::AlignVCenter);
    return image;
}

// The array of a block interleaver: grey cells, I rows by J columns, with the row-wise writing
// shown in the first row.
QRectF BlockArray(QPainter& painter, double left, double top)
{
    const int columns = 7;
    const int rows = 5;
    const double cellWidth = 17;
    const double cellHeight = 13;
    const QRectF array(left, top, columns * cellWidth, rows * cellHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kGrey);
    painter.drawRect(array);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kDarkGrey, 1.0));
    for (int c = 1; c < columns; ++c)
        painter.drawLine(QPointF(left + c * cellWidth, top), QPointF(left + c * cellWidth, array.bottom()));
    for (int r = 1; r < rows; ++r)
        painter.drawLine(QPointF(left, top + r * cellHeight), QPointF(array.right(), top + r * cellHeight));
    painter.setPen(QPen(kInk, 1.2));
    painter.drawRect(array);
    return array;
}

// A dimension line across [from, to] with the label in a gap at its middle.
void Dimension(QPainter& painter, QPointF from, QPointF to, const QString& label, bool vertical)
{
    const QFontMetricsF metrics(painter.font());
    const double gap = metrics.horizontalAdvance(label) / 2 + 4;
    const QPointF middle = (from + to) / 2;
    const QPointF direction = vertical ? QPointF(0, 1) : QPointF(1, 0);
    Arrow(painter, middle - direction * gap, from, kDarkGrey);
    Arrow(painter, middle + direction * gap, to, kDarkGrey);
    painter.save();
    painter.translate(middle);
    if (vertical)
        painter.rotate(90);
    Text(painter, QRectF(-gap, -8, 2 * gap, 16), label);
    painter.restore();
}

QImage Block(int width, int height, bool deinterleaver, qreal ratio)
{
    QImage image = Canvas(width, height, ratio, kPaper);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(LabelFont(11));

    const double left = deinterleaver ? 74 : 62;
    const QRectF array = BlockArray(painter, left, 44);
    const double firstRow = array.top() + 6.5;
    const double firstColumn = array.left() + 8;

    painter.setFont(LabelFont(11));
    Dimension(painter, QPointF(array.left() + 18, 24), QPointF(array.right(), 24), QStringLiteral("J Columns"), false);
    const double rowsX = deinterleaver ? array.left() - 14 : array.right() + 14;
    Dimension(painter, QPointF(rowsX, array.top()), QPointF(rowsX, array.bottom()), QStringLiteral("I Rows"), true);

    painter.setFont(LabelFont(12, true));
    if (!deinterleaver) {
        // Written row by row from the left, read column by column at the top.
        Arrow(painter, QPointF(4, firstRow), QPointF(array.left() - 2, firstRow));
        Text(painter, QRectF(4, firstRow - 20, 40, 14), QStringLiteral("din"), Qt::AlignLeft | Qt::AlignVCenter);
        Arrow(painter, QPointF(array.left() + 3, firstRow), QPointF(array.right() - 4, firstRow), kBlue);
        Arrow(painter, QPointF(firstColumn, array.top()), QPointF(firstColumn, 4));
        Text(painter, QRectF(4, 2, firstColumn - 8, 14), QStringLiteral("dout"), Qt::AlignRight | Qt::AlignVCenter);
        Arrow(painter, QPointF(firstColumn, array.bottom() - 3), QPointF(firstColumn, array.top() + 4), kBlue);
    } else {
        // Written column by column from the top, read row by row at the right.
        Arrow(painter, QPointF(firstColumn, 4), QPointF(firstColumn, array.top() - 2));
        Text(painter, QRectF(4, 2, firstColumn - 8, 14), QStringLiteral("din"), Qt::AlignRight | Qt::AlignVCenter);
        Arrow(painter, QPointF(firstColumn, array.top() + 3), QPointF(firstColumn, array.bottom() - 4), kBlue);
        Arrow(painter, QPointF(array.right() + 2, firstRow), QPointF(width - 4, firstRow));
        Text(painter, QRectF(array.right() + 4, firstRow - 20, width - array.right() - 8, 14), QStringLiteral("dout"),
             Qt::AlignRight | Qt::AlignVCenter);
        Arrow(painter, QPointF(array.left() + 3, firstRow), QPointF(array.right() - 4, firstRow), kBlue);
    }
    return image;
}

// A small block symbol: white body with a teal outline and title bars, pins with blue crosses.
void BlockIcon(QPainter& painter, const QRectF& body, int pins)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(kDarkGrey);
    painter.drawRect(body.translated(3, 3));
    painter.setBrush(kPaper);
    painter.setPen(QPen(kTeal, 1.2));
    painter.drawRect(body);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(kTeal, 2.0));
    painter.drawLine(QPointF(body.left() + 6, body.top() + 7), QPointF(body.right() - 6, body.top() + 7));
    const double step = (body.height() - 12) / (pins + 1);
    for (int pin = 1; pin <= pins; ++pin) {
        const double y = body.top() + 10 + pin * step;
        for (bool leftSide : {true, false}) {
            const double edge = leftSide ? body.left() : body.right();
            const double end = leftSide ? edge - 8 : edge + 8;
            painter.setPen(QPen(kInk, 1.4));
            painter.drawLine(QPointF(edge, y), QPointF(end, y));
            painter.setPen(QPen(kBlue, 1.0));
            painter.drawLine(QPointF(end - 2, y - 2), QPointF(end + 2, y + 2));
            painter.drawLine(QPointF(end - 2, y + 2), QPointF(end + 2, y - 2));
        }
        painter.setPen(QPen(kInk, 1.0));
        painter.drawLine(QPointF(body.left() + 4, y), QPointF(body.left() + 12, y));
        painter.drawLine(QPointF(body.right() - 12, y), QPointF(body.right() - 4, y));
    }
}

void Star(QPainter& painter, QPointF centre, double outer, const QColor& colour)
{
    QPolygonF star;
    for (int point = 0; point < 10; ++point) {
        const double radius = point % 2 == 0 ? outer : outer * 0.42;
        const double angle = -M_PI / 2 + point * M_PI / 5;
        star << centre + QPointF(radius * std::cos(angle), radius * std::sin(angle));
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(star);
    painter.setBrush(Qt::NoBrush);
}

void Hat(QPainter& painter, QPointF tip, double brimY, double brimLeft, double brimRight)
{
    const QColor cloth(60, 40, 140);
    const QColor band(240, 200, 40);
    QPainterPath cone;
    cone.moveTo(tip);
    cone.cubicTo(tip + QPointF(10, 30), QPointF(brimRight - 22, brimY - 40), QPointF(brimRight - 14, brimY));
    cone.lineTo(brimLeft + 14, brimY);
    cone.cubicTo(QPointF(brimLeft + 24, brimY - 40), tip + QPointF(-6, 20), tip);
    painter.setPen(QPen(QColor(30, 20, 80), 1.5));
    painter.setBrush(cloth);
    painter.drawPath(cone);
    painter.drawEllipse(QRectF(brimLeft, brimY - 8, brimRight - brimLeft, 18));
    painter.setPen(Qt::NoPen);
    painter.setBrush(band);
    painter.drawRect(QRectF(brimLeft + 16, brimY - 9, brimRight - brimLeft - 32, 6));
    painter.setBrush(Qt::NoBrush);
    Star(painter, QPointF(tip.x() + 4, brimY - 58), 7, band);
    Star(painter, QPointF(tip.x() - 10, brimY - 30), 5, band);
    Star(painter, QPointF(tip.x() + 18, brimY - 26), 4, band);
}

void Wand(QPainter& painter, QPointF grip, QPointF tip)
{
    painter.setPen(QPen(kInk, 5, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(grip, tip);
    const QPointF white = tip + (grip - tip) * 0.18;
    painter.setPen(QPen(kPaper, 5, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(tip, white);
    painter.setPen(QPen(kInk, 1));
    painter.setBrush(Qt::NoBrush);
    const QColor spark(250, 210, 30);
    Star(painter, tip + QPointF(10, -12), 8, spark);
    Star(painter, tip + QPointF(-10, -18), 4, spark);
    Star(painter, tip + QPointF(18, 4), 4, spark);
}

QImage SummaryPicture(qreal ratio)
{
    QImage image = Canvas(178, 242, ratio, kPaleGreen);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Hat(painter, QPointF(66, 14), 118, 12, 124);
    Wand(painter, QPointF(110, 150), QPointF(150, 62));
    BlockIcon(painter, QRectF(18, 140, 44, 48), 2);
    BlockIcon(painter, QRectF(116, 164, 44, 48), 2);
    BlockIcon(painter, QRectF(58, 184, 44, 48), 2);
    return image;
}

// The colours of the image's pixels.
QSet<QRgb> Colours(const QImage& image)
{
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    return colours;
}

QImage Draw(int bitmap, qreal ratio)
{
    switch (bitmap) {
    case 120:
    case 122:
        return Convolutional(PagePictureSize(bitmap).width(), bitmap == 122, ratio);
    case 121:
    case 123:
        return Block(PagePictureSize(bitmap).width(), PagePictureSize(bitmap).height(), bitmap == 123, ratio);
    default:
        return SummaryPicture(ratio);
    }
}

// Whether the picture drawn at ratio 1 has more colours than an 8-bit bitmap holds, so that its
// bitmap takes the nearest of a fixed palette. Worked out once per picture.
bool TakesFixedPalette(int bitmap)
{
    static std::map<int, bool> known;
    const auto found = known.find(bitmap);
    if (found != known.end())
        return found->second;
    return known.emplace(bitmap, Colours(Draw(bitmap, 1.0)).size() > 256).first->second;
}

} // namespace

QImage DrawIcon(int size)
{
    QImage image = Canvas(size, size, 1.0, kPaleGreen);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size / 32.0;
    painter.scale(s, s);
    painter.setPen(QPen(kTeal, 1.5));
    painter.setBrush(kPaper);
    painter.drawRect(QRectF(8, 9, 16, 19));
    painter.setPen(QPen(kInk, 2));
    for (double y : {15.0, 22.0}) {
        painter.drawLine(QPointF(2, y), QPointF(8, y));
        painter.drawLine(QPointF(24, y), QPointF(30, y));
    }
    painter.setPen(QPen(kTeal, 2));
    painter.drawLine(QPointF(11, 13), QPointF(21, 13));
    Star(painter, QPointF(24, 7), 6.5, QColor(250, 200, 20));
    return image;
}

QImage DrawPagePicture(int bitmap, qreal ratio)
{
    const QSize size = PagePictureSize(bitmap);
    if (size.isEmpty() || !std::isfinite(ratio) || ratio <= 0 || ratio > kLargestPictureRatio)
        return QImage();
    const QImage drawn = Draw(bitmap, ratio);
    if (!TakesFixedPalette(bitmap))
        return drawn;
    // The picture keeps the colours of its bitmap at every ratio.
    QImage reduced = EightBit(drawn).convertToFormat(QImage::Format_RGB32);
    reduced.setDevicePixelRatio(ratio);
    return reduced;
}

QImage EightBit(const QImage& image)
{
    const QSet<QRgb> colours = Colours(image);
    if (colours.size() <= 256) {
        QVector<QRgb> table(colours.begin(), colours.end());
        return image.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
    }
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

QSize PagePictureSize(int bitmap)
{
    switch (bitmap) {
    case 120:
        return QSize(257, 124);
    case 121:
        return QSize(226, 126);
    case 122:
        return QSize(254, 124);
    case 123:
        return QSize(255, 124);
    case 1012:
        return QSize(178, 242);
    default:
        return QSize();
    }
}

QPixmap PagePicture(int bitmap, qreal ratio)
{
    if (ratio != 1.0) {
        const QImage drawn = DrawPagePicture(bitmap, ratio);
        if (!drawn.isNull())
            return QPixmap::fromImage(drawn);
    }
    return QPixmap(QStringLiteral(":/bitmaps/%1.bmp").arg(bitmap));
}

QSize PagePictureSize(int bitmap, const QPixmap& picture)
{
    // A drawn image is rounded up to whole device pixels, so its size divided by the ratio can
    // exceed the picture's own.
    const QSize own = PagePictureSize(bitmap);
    return own.isEmpty() ? picture.deviceIndependentSize().toSize() : own;
}
