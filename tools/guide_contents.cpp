#include "tools/guide_contents.h"

#include "tools/pdf_navigation.h"

#include <QAbstractTextDocumentLayout>
#include <QColor>
#include <QFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

namespace {

const QColor kContentsColour(0x1f, 0x3a, 0x5f);

std::vector<QTextBlock> Headings(const QTextDocument& document)
{
    std::vector<QTextBlock> headings;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() > 0)
            headings.push_back(block);
    }
    return headings;
}

} // namespace

std::vector<HeadingPlace> HeadingPlaces(QTextDocument& document, double pageHeight)
{
    QAbstractTextDocumentLayout* const layout = document.documentLayout();
    std::vector<HeadingPlace> places;
    for (const QTextBlock& block : Headings(document)) {
        // The block's margin above may end a page; its first line is where the heading is.
        double top = layout->blockBoundingRect(block).top();
        if (block.layout() != nullptr && block.layout()->lineCount() > 0)
            top += block.layout()->lineAt(0).y();
        const double page = std::floor(top / pageHeight);
        places.push_back({block.blockFormat().headingLevel(), block.text().trimmed(), int(page), top - page * pageHeight});
    }
    return places;
}

std::vector<ContentsEntry> InsertContents(QTextDocument& document, double lineWidth, double deviceScale)
{
    const std::vector<QTextBlock> headings = Headings(document);
    size_t first = 0;
    while (first < headings.size() && headings[first].blockFormat().headingLevel() != 2)
        ++first;
    if (first == headings.size())
        return {};

    // The lines are inserted in front of the first heading's block, which the first of them then
    // takes the place of: what they say is read before.
    struct Heading {
        int level;
        QString title;
    };
    std::vector<Heading> listed;
    for (const QTextBlock& heading : headings)
        listed.push_back({heading.blockFormat().headingLevel(), heading.text().trimmed()});

    QTextCursor cursor(headings[first]);
    QTextBlockFormat startsPage = headings[first].blockFormat();
    startsPage.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.setBlockFormat(startsPage);

    // Each line is inserted as a block before the heading; the cursor stays at the heading's start.
    const auto insertLine = [&](const QTextBlockFormat& format, const QTextCharFormat& text, const QString& words) {
        cursor.insertBlock(startsPage, text);
        cursor.movePosition(QTextCursor::PreviousBlock);
        cursor.setBlockFormat(format);
        cursor.insertText(words, text);
        const int number = cursor.block().blockNumber();
        cursor.movePosition(QTextCursor::NextBlock);
        return number;
    };
    QTextBlockFormat titleFormat;
    titleFormat.setTopMargin(12 * deviceScale);
    titleFormat.setBottomMargin(4 * deviceScale);
    QTextCharFormat titleText;
    titleText.setFontWeight(QFont::Bold);
    titleText.setFontPointSize(14);
    titleText.setForeground(kContentsColour);
    insertLine(titleFormat, titleText, QStringLiteral("Contents"));

    std::vector<ContentsEntry> entries;
    for (size_t i = first; i < listed.size(); ++i) {
        const int level = listed[i].level;
        if (level < 2 || level > 3)
            continue;
        QTextBlockFormat format;
        // The layout takes a block's margins in the device's pixels, its tab stops in pixels at
        // 96 DPI counted from where the indented text starts.
        const double indent = level == 2 ? 0 : 18;
        format.setLeftMargin(indent * deviceScale);
        format.setTopMargin(level == 2 ? 4 * deviceScale : 0);
        // The stop is where a line may end within the document's margins; one at the very end
        // or beyond sends the number to a line of its own.
        const double end = lineWidth - 2 * document.documentMargin() - indent - 1;
        format.setTabPositions({QTextOption::Tab(end, QTextOption::RightTab)});
        QTextCharFormat link;
        link.setAnchor(true);
        link.setAnchorHref(QString::fromLatin1(SectionAnchor(int(i))));
        if (level == 2)
            link.setFontWeight(QFont::DemiBold);
        entries.push_back({insertLine(format, link, listed[i].title + QStringLiteral("\t0")), int(i)});
    }
    return entries;
}

bool SetContentsPages(QTextDocument& document, const std::vector<ContentsEntry>& entries,
                      const std::vector<HeadingPlace>& places)
{
    bool changed = false;
    for (const ContentsEntry& entry : entries) {
        const QTextBlock block = document.findBlockByNumber(entry.block);
        const QString number = QString::number(places[size_t(entry.heading)].page + 1);
        const int tab = block.text().lastIndexOf(u'\t');
        if (tab < 0 || block.text().mid(tab + 1) == number)
            continue;
        QTextCursor cursor(block);
        cursor.setPosition(block.position() + tab + 1);
        const QTextCharFormat format = cursor.charFormat();
        cursor.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
        cursor.insertText(number, format);
        changed = true;
    }
    return changed;
}
