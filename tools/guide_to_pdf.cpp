// guide_to_pdf: turns the Markdown user guide into an A4 PDF with a running head and page numbers.
// Run at build time, without a display.
#include <QColor>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
#include <QAbstractTextDocumentLayout>

#include <cmath>
#include <cstdio>

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

// A heading is never the last thing on a page: when less than room follows it there, it starts
// the next page. Each move shifts everything after it, so the headings are checked again from the
// start on a fresh layout after every move.
void KeepHeadingsWithTheirText(QTextDocument& document, qreal pageHeight, qreal room)
{
    QAbstractTextDocumentLayout* const layout = document.documentLayout();
    bool moved = true;
    while (moved) {
        moved = false;
        document.markContentsDirty(0, document.characterCount());
        for (QTextBlock block = document.begin(); block.isValid() && !moved; block = block.next()) {
            QTextBlockFormat format = block.blockFormat();
            if (format.headingLevel() == 0 || format.pageBreakPolicy() == QTextFormat::PageBreak_AlwaysBefore)
                continue;
            const QRectF place = layout->blockBoundingRect(block);
            const qreal pageEnd = (std::floor(place.top() / pageHeight) + 1) * pageHeight;
            if (pageEnd - place.bottom() >= room)
                continue;
            format.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
            QTextCursor(block).setBlockFormat(format);
            moved = true;
        }
    }
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: guide_to_pdf GUIDE.md OUTPUT.pdf\n");
        return 2;
    }
    // Set before the application object exists, so that no display is ever looked for.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "guide_to_pdf: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString markdown = QString::fromUtf8(source.readAll());
    const QString title = DocumentTitle(markdown);

    QTextDocument document;
    document.setDefaultFont(QFont(QStringLiteral("Liberation Sans"), 10));
    document.setMarkdown(markdown, QTextDocument::MarkdownDialectGitHub);
    StyleFrames(*document.rootFrame());
    StyleBlocks(document);

    const QString outputPath = QString::fromLocal8Bit(argv[2]);
    QPdfWriter writer(outputPath);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(22, 15, 22, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("guide_to_pdf"));

    QPainter painter;
    if (!painter.begin(&writer)) {
        std::fprintf(stderr, "guide_to_pdf: cannot write %s\n", argv[2]);
        return 1;
    }
    // The text is laid out for the PDF itself, page by page, leaving a band at the top for the
    // running head and one at the bottom for the page number.
    document.documentLayout()->setPaintDevice(&writer);
    const int width = writer.width();
    const int height = writer.height();
    const int band = writer.resolution() * 2 / 5; // 0.4 inch
    const int bodyHeight = height - 2 * band;
    document.setPageSize(QSizeF(width, bodyHeight));
    KeepHeadingsWithTheirText(document, bodyHeight, writer.resolution() * 0.8);
    const int pages = document.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        DrawPageBands(painter, title, width, height, band, page + 1, pages);
        painter.save();
        painter.translate(0, band - page * bodyHeight);
        document.drawContents(&painter, QRectF(0, page * bodyHeight, width, bodyHeight));
        painter.restore();
    }
    if (!painter.end()) {
        std::fprintf(stderr, "guide_to_pdf: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
