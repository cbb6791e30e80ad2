// guide_to_pdf: turns the Markdown user guide into an A4 PDF with a running head, page numbers and
// its pictures. Run at build time, without a display. The same sources give the same bytes: the
// creation date is SOURCE_DATE_EPOCH's, or there is none.
#include "tools/guide_contents.h"
#include "tools/pdf_navigation.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QHashSeed>
#include <QImage>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QUrl>
#include <QAbstractTextDocumentLayout>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>
#include <vector>

namespace {

const QColor kHeadingColour(0x1f, 0x3a, 0x5f);
const QColor kRuleColour(0xa0, 0xa8, 0xb0);
const QColor kCodeBackground(0xf1, 0xf3, 0xf5);
const QColor kTableHeaderBackground(0xe4, 0xe9, 0xef);

// The text of the first top-level heading, which names the document; "" when there is none.
QString DocumentTitle(const QString& markdown)
{
    for (const QString& line : markdown.split(u'\n')) {
        if (line.startsWith(QLatin1String("# ")))
            return line.mid(2).trimmed();
    }
    return QString();
}

// Lengths below are in pixels at 96 DPI; the layout scales them to the PDF's resolution.
void StyleTable(QTextTable& table)
{
    QTextTableFormat format = table.format();
    format.setBorder(1);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderBrush(kRuleColour);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(4);
    format.setTopMargin(4);
    format.setBottomMargin(8);
    format.setHeaderRowCount(1);
    table.setFormat(format);
    for (int column = 0; column < table.columns(); ++column) {
        QTextTableCell cell = table.cellAt(0, column);
        QTextCharFormat cellFormat = cell.format();
        cellFormat.setBackground(kTableHeaderBackground);
        cell.setFormat(cellFormat);
    }
}

void StyleFrames(QTextFrame& frame)
{
    for (QTextFrame* child : frame.childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child))
            StyleTable(*table);
        StyleFrames(*child);
    }
}

// Code, in blocks and within text, in Liberation Mono a little smaller than the text: narrower
// than the default monospaced face, and it keeps the lines of a paragraph evenly spaced.
void SetCodeFont(QTextDocument& document, int from, int to)
{
    QTextCursor cursor(&document);
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    QTextCharFormat format;
    format.setFontFamilies({QStringLiteral("Liberation Mono")});
    format.setFontPointSize(9);
    cursor.mergeCharFormat(format);
}

void StyleInlineCode(QTextDocument& document, const QTextBlock& block)
{
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QTextFragment piece = fragment.fragment();
        if (piece.isValid() && piece.charFormat().fontFixedPitch())
            SetCodeFont(document, piece.position(), piece.position() + piece.length());
    }
}

// Headings get the guide's colour and room above them; code blocks a pale ground and an indent.
void StyleBlocks(QTextDocument& document)
{
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        StyleInlineCode(document, block);
        QTextBlockFormat format = block.blockFormat();
        cursor.setPosition(block.position());
        if (format.headingLevel() > 0) {
            format.setTopMargin(format.headingLevel() == 1 ? 0 : 14);
            format.setBottomMargin(6);
            format.setPageBreakPolicy(QTextFormat::PageBreak_Auto);
            cursor.setBlockFormat(format);
            cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
            QTextCharFormat text;
            text.setForeground(kHeadingColour);
            cursor.mergeCharFormat(text);
        } else if (format.hasProperty(QTextFormat::BlockCodeFence)) {
            format.setBackground(kCodeBackground);
            format.setLeftMargin(12);
            cursor.setBlockFormat(format);
            SetCodeFont(document, block.position(), block.position() + block.length() - 1);
        }
    }
}

// A block format property: the block starts the next page rather than end one without the block
// after it.
constexpr int kKeepWithNext = QTextFormat::UserProperty + 1;

// A heading, or a block marked kKeepWithNext, is never the last thing on a page: when what follows
// it does not begin on its page, or less than room follows a heading there, it starts the next
// page. Each move shifts everything after it, so the blocks are checked again from the start on a
// fresh layout after every move.
void KeepWithWhatFollows(QTextDocument& document, qreal pageHeight, qreal room)
{
    QAbstractTextDocumentLayout* const layout = document.documentLayout();
    bool moved = true;
    while (moved) {
        moved = false;
        document.markContentsDirty(0, document.characterCount());
        for (QTextBlock block = document.begin(); block.isValid() && !moved; block = block.next()) {
            QTextBlockFormat format = block.blockFormat();
            const bool heading = format.headingLevel() > 0;
            if ((!heading && !format.boolProperty(kKeepWithNext))
                || format.pageBreakPolicy() == QTextFormat::PageBreak_AlwaysBefore)
                continue;
            const QRectF place = layout->blockBoundingRect(block);
            const qreal pageEnd = (std::floor(place.top() / pageHeight) + 1) * pageHeight;
            // The layout moves a line that does not fit to the next page within its block.
            const QTextBlock next = block.next();
            const bool nextOnThisPage = !next.isValid() || next.layout()->lineCount() == 0
                || layout->blockBoundingRect(next).top() + next.layout()->lineAt(0).y() < pageEnd;
            if (nextOnThisPage && (!heading || pageEnd - place.bottom() >= room))
                continue;
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
            moved = true;
        }
    }
}

struct Picture {
    int position;
    QTextImageFormat format;
};

// A caption is a paragraph in italics, all of it.
bool IsCaption(const QTextBlock& block)
{
    if (!block.isValid() || block.length() <= 1 || block.blockFormat().headingLevel() > 0 || block.textList() != nullptr)
        return false;
    for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
        const QTextFragment piece = fragment.fragment();
        if (piece.isValid() && !piece.charFormat().fontItalic())
            return false;
    }
    return true;
}

// Loads every picture the guide shows from directory and gives it its size in the PDF: its own
// size at 96 DPI, made smaller to fit within width (pixels at 96 DPI) when it is wider. A paragraph
// that starts with a picture is centred, and so is its caption, the line in italics right under it
// (written after a hard line break), which it keeps on its page. False, with a message, when a
// picture cannot be read.
bool PlacePictures(QTextDocument& document, const QString& directory, qreal width)
{
    std::vector<Picture> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextFragment piece = fragment.fragment();
            if (piece.isValid() && piece.charFormat().isImageFormat())
                pictures.push_back({piece.position(), piece.charFormat().toImageFormat()});
        }
    }
    const QUrl base = QUrl::fromLocalFile(directory + u'/');
    for (Picture& picture : pictures) {
        const QUrl url = base.resolved(QUrl(picture.format.name()));
        const QImage image(url.toLocalFile());
        if (image.isNull()) {
            std::fprintf(stderr, "guide_to_pdf: cannot read the picture %s\n", qPrintable(url.toLocalFile()));
            return false;
        }
        document.addResource(QTextDocument::ImageResource, url, image);
        const QSizeF natural = image.deviceIndependentSize();
        const qreal scale = natural.width() > width ? width / natural.width() : 1.0;
        picture.format.setName(url.toString());
        picture.format.setWidth(natural.width() * scale);
        picture.format.setHeight(natural.height() * scale);

        QTextCursor cursor(&document);
        cursor.setPosition(picture.position);
        cursor.setPosition(picture.position + 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(picture.format);
        if (cursor.block().position() != picture.position)
            continue;
        QTextBlockFormat centred = cursor.blockFormat();
        centred.setAlignment(Qt::AlignHCenter);
        centred.setTopMargin(6);
        const QTextBlock caption = cursor.block().next();
        if (IsCaption(caption)) {
            centred.setBottomMargin(2);
            centred.setProperty(kKeepWithNext, true);
            QTextBlockFormat captionFormat = caption.blockFormat();
            captionFormat.setAlignment(Qt::AlignHCenter);
            captionFormat.setBottomMargin(10);
            QTextCursor(caption).setBlockFormat(captionFormat);
        }
        cursor.setBlockFormat(centred);
    }
    return true;
}

// The PDF date of SOURCE_DATE_EPOCH, "D:YYYYMMDDHHmmSSZ" in UTC; empty when the variable is not
// set or is empty. False, with a message, when it is not a whole number of seconds from 0 to the
// end of the year 9999.
bool SourceDate(QByteArray& date)
{
    date.clear();
    const char* const text = std::getenv("SOURCE_DATE_EPOCH");
    if (text == nullptr || *text == '\0')
        return true;
    const std::string_view digits(text);
    int64_t seconds = -1;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), seconds);
    constexpr int64_t kEndOf9999 = 253402300799;
    std::tm utc{};
    const std::time_t time = std::time_t(seconds);
    if (error != std::errc() || end != digits.data() + digits.size() || seconds < 0 || seconds > kEndOf9999
        || ::gmtime_r(&time, &utc) == nullptr) {
        std::fprintf(stderr, "guide_to_pdf: SOURCE_DATE_EPOCH is not a number of seconds: %s\n", text);
        return false;
    }
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "D:%04d%02d%02d%02d%02d%02dZ", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
    date = buffer;
    return true;
}

// Gives the document information's creation date the value date, or takes it out when date is
// empty. The entry is overwritten in place and padded with blanks, so that every object keeps its
// byte offset and the cross-reference table stays true. False when the writer left no creation date
// where it always puts it, in the information dictionary at the start of the file.
bool ReplaceCreationDate(QByteArray& pdf, const QByteArray& date)
{
    const QByteArray key = "/CreationDate (";
    const qsizetype start = pdf.indexOf(key);
    const qsizetype catalog = pdf.indexOf("/Type /Catalog");
    const qsizetype close = start < 0 ? -1 : pdf.indexOf(')', start);
    if (start < 0 || close < 0 || (catalog >= 0 && close > catalog))
        return false;
    const qsizetype length = close + 1 - start;
    const QByteArray entry = date.isEmpty() ? QByteArray() : key + date + ')';
    if (entry.size() > length)
        return false;
    pdf.replace(start, length, entry.leftJustified(length, ' '));
    return true;
}

// The title and a rule in the top band of every page but the first, the page number in the bottom
// band.
void DrawPageBands(QPainter& painter, const QString& title, int width, int height, int band, int page, int pages)
{
    painter.save();
    painter.setFont(QFont(QStringLiteral("Liberation Sans"), 8));
    painter.setPen(kRuleColour.darker(150));
    if (page > 1) {
        painter.drawText(QRect(0, 0, width, band / 2), Qt::AlignLeft | Qt::AlignVCenter, title);
        painter.drawLine(0, band / 2, width, band / 2);
    }
    const QRect foot(0, height - band / 2, width, band / 2);
    painter.drawText(foot, Qt::AlignHCenter | Qt::AlignBottom, QStringLiteral("%1 / %2").arg(page).arg(pages));
    painter.restore();
}

// The guide's Markdown; false, with a message, when it cannot be read.
bool ReadGuide(const char* path, QString& markdown)
{
    QFile source(QString::fromLocal8Bit(path));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "guide_to_pdf: cannot read %s\n", path);
        return false;
    }
    markdown = QString::fromUtf8(source.readAll());
    return true;
}

void SetUpWriter(QPdfWriter& writer, const QString& title)
{
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(22, 15, 22, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("guide_to_pdf"));
}

// A page within the writer's margins, in its pixels: a band at the top for the running head, one
// at the bottom for the page number, and the body between them for the text.
struct PageFrame {
    int width = 0;
    int height = 0;
    int band = 0;
    int bodyHeight = 0;
};

PageFrame FrameOf(const QPdfWriter& writer)
{
    PageFrame frame;
    frame.width = writer.width();
    frame.height = writer.height();
    frame.band = writer.resolution() * 2 / 5; // 0.4 inch
    frame.bodyHeight = frame.height - 2 * frame.band;
    return frame;
}

// The guide as a styled document with its pictures and its contents, whose entries are returned
// in contents. False, with a message, when a picture cannot be read.
bool BuildDocument(QTextDocument& document, const QString& markdown, const QString& pictureDirectory,
                   const QPdfWriter& writer, std::vector<ContentsEntry>& contents)
{
    document.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 10));
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    StyleFrames(*document.rootFrame());
    StyleBlocks(document);
    const double lineWidth = writer.width() * 96.0 / writer.resolution();
    if (!PlacePictures(document, pictureDirectory, lineWidth))
        return false;
    contents = InsertContents(document, lineWidth, writer.resolution() / 96.0);
    return true;
}

// Breaks the document into pages of bodyHeight and writes the page numbers into its contents; the
// headings' places on the final pages are returned.
std::vector<HeadingPlace> BreakPages(QTextDocument& document, const std::vector<ContentsEntry>& contents,
                                     int bodyHeight, int resolution)
{
    // The page numbers of the contents take no more room than the zeros they replace, so once
    // they are written the pages stay as they are; a second round makes sure of it.
    std::vector<HeadingPlace> places;
    for (int round = 0; round < 4; ++round) {
        KeepWithWhatFollows(document, bodyHeight, resolution * 0.8);
        places = HeadingPlaces(document, bodyHeight);
        if (!SetContentsPages(document, contents, places))
            break;
    }
    return places;
}

// Lays the document out for the writer and paints it page by page with the running head and the
// page numbers; the headings' places are returned in places. False when the PDF cannot be written.
bool PrintDocument(QPdfWriter& writer, QTextDocument& document, const std::vector<ContentsEntry>& contents,
                   const QString& title, const PageFrame& frame, std::vector<HeadingPlace>& places)
{
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    // Pictures of pages and symbols keep their exact pixels; the writer would otherwise store them
    // as JPEG.
    painter.setRenderHint(QPainter::LosslessImageRendering);
    // The text is laid out for the PDF itself, page by page, between the bands.
    document.documentLayout()->setPaintDevice(&writer);
    document.setPageSize(QSizeF(frame.width, frame.bodyHeight));
    places = BreakPages(document, contents, frame.bodyHeight, writer.resolution());
    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        DrawPageBands(painter, title, frame.width, frame.height, frame.band, page + 1, pages);
        painter.save();
        painter.translate(0, frame.band - page * frame.bodyHeight);
        document.drawContents(&painter, QRectF(0, page * frame.bodyHeight, frame.width, frame.bodyHeight));
        painter.restore();
    }
    return painter.end();
}

// Adds the outline and the links of the contents, which lead to the first line of each heading;
// PDF points count from the page's lower edge. False, with a message, when they cannot be added.
bool AddOutline(QByteArray& pdf, const QPdfWriter& writer, int band, const std::vector<HeadingPlace>& places)
{
    const QRectF paint = writer.pageLayout().paintRect(QPageLayout::Point);
    const double full = writer.pageLayout().fullRect(QPageLayout::Point).height();
    const double toPoints = 72.0 / writer.resolution();
    std::vector<PdfHeading> headings;
    for (const HeadingPlace& place : places)
        headings.push_back({place.level, place.title, place.page, paint.left(), full - paint.top() - (band + place.top) * toPoints});
    QString problem;
    if (!AddNavigation(pdf, headings, problem)) {
        std::fprintf(stderr, "guide_to_pdf: cannot add the outline: %s\n", qPrintable(problem));
        return false;
    }
    return true;
}

// Replaces the file at path with pdf only once all of it is written.
bool WritePdf(const char* path, const QByteArray& pdf)
{
    QSaveFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit()) {
        std::fprintf(stderr, "guide_to_pdf: cannot write %s\n", path);
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // The writer keeps the fonts it embeds in a hash table; with the same seed in every run it
    // writes them in the same order.
    QHashSeed::setDeterministicGlobalSeed();
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: guide_to_pdf GUIDE.md OUTPUT.pdf [PICTURE_DIRECTORY]\n");
        return 2;
    }
    QByteArray date;
    if (!SourceDate(date))
        return 1;
    // Set before the application object exists, so that no display is ever looked for.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    QString markdown;
    if (!ReadGuide(argv[1], markdown))
        return 1;
    const QString title = DocumentTitle(markdown);
    // Pictures are found beside the guide unless another directory is given.
    const QString pictureDirectory =
        argc == 4 ? QString::fromLocal8Bit(argv[3]) : QFileInfo(QString::fromLocal8Bit(argv[1])).absolutePath();

    QBuffer output;
    output.open(QIODevice::WriteOnly);
    QPdfWriter writer(&output);
    SetUpWriter(writer, title);
    const PageFrame frame = FrameOf(writer);
    QTextDocument document;
    std::vector<ContentsEntry> contents;
    if (!BuildDocument(document, markdown, pictureDirectory, writer, contents))
        return 1;
    std::vector<HeadingPlace> places;
    if (!PrintDocument(writer, document, contents, title, frame, places)) {
        std::fprintf(stderr, "guide_to_pdf: cannot write %s\n", argv[2]);
        return 1;
    }

    // The writer dates the document with the current time; the date becomes SOURCE_DATE_EPOCH's,
    // or goes, before the file is written.
    QByteArray pdf = output.data();
    if (!ReplaceCreationDate(pdf, date)) {
        std::fprintf(stderr, "guide_to_pdf: no creation date to replace in the PDF\n");
        return 1;
    }
    if (!AddOutline(pdf, writer, frame.band, places) || !WritePdf(argv[2], pdf))
        return 1;
    return 0;
}
