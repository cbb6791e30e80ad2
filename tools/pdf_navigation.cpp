#include "tools/pdf_navigation.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>

namespace {

struct PdfObject {
    int number = 0;
    qsizetype offset = 0;
    QByteArray text; // "<n> 0 obj" up to the next object or the cross-reference table
};

// The whole number at the start of text from at on, blanks and line ends skipped; nullopt when
// there is none.
std::optional<qint64> NumberAt(const QByteArray& text, qsizetype at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\r'))
        ++at;
    qsizetype end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    if (end == at)
        return std::nullopt;
    bool ok = false;
    const qint64 value = text.mid(at, end - at).toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// The number of the object "/<key> <n> 0 R" refers to in text; nullopt when text has no such key.
std::optional<int> Reference(const QByteArray& text, const QByteArray& key)
{
    const qsizetype at = text.indexOf("/" + key + " ");
    if (at < 0)
        return std::nullopt;
    const auto number = NumberAt(text, at + key.size() + 2);
    return number ? std::optional<int>(int(*number)) : std::nullopt;
}

// The objects of the file in the order they are stored, read through its one cross-reference
// table; the table's own offset goes to xrefOffset.
bool ReadObjects(const QByteArray& pdf, std::vector<PdfObject>& objects, qsizetype& xrefOffset, int& size)
{
    const qsizetype startxref = pdf.lastIndexOf("startxref");
    const auto tableOffset = startxref < 0 ? std::nullopt : NumberAt(pdf, startxref + 9);
    if (!tableOffset || !pdf.mid(*tableOffset).startsWith("xref\n0 "))
        return false;
    xrefOffset = *tableOffset;
    const auto count = NumberAt(pdf, xrefOffset + 7);
    const qsizetype entries = pdf.indexOf('\n', xrefOffset + 7) + 1;
    if (!count || entries <= 0 || entries + 20 * *count > pdf.size())
        return false;
    size = int(*count);
    for (int number = 1; number < size; ++number) {
        const QByteArray entry = pdf.mid(entries + 20 * qsizetype(number), 20);
        if (entry.size() != 20 || entry[17] != 'n')
            return false;
        const auto offset = NumberAt(entry, 0);
        const QByteArray start = QByteArray::number(number) + " 0 obj";
        if (!offset || *offset >= xrefOffset || pdf.mid(*offset, start.size()) != start)
            return false;
        objects.push_back({number, qsizetype(*offset), {}});
    }
    std::sort(objects.begin(), objects.end(), [](const PdfObject& a, const PdfObject& b) { return a.offset < b.offset; });
    for (size_t i = 0; i < objects.size(); ++i) {
        const qsizetype end = i + 1 < objects.size() ? objects[i + 1].offset : xrefOffset;
        objects[i].text = pdf.mid(objects[i].offset, end - objects[i].offset);
    }
    return !objects.empty();
}

// The page objects in order, from the /Kids of the page tree the catalog names.
std::vector<int> PageObjects(const QByteArray& pagesObject)
{
    std::vector<int> pages;
    const qsizetype kids = pagesObject.indexOf("/Kids");
    const qsizetype open = pagesObject.indexOf('[', kids);
    const qsizetype close = pagesObject.indexOf(']', open);
    if (kids < 0 || open < 0 || close < 0)
        return pages;
    const QList<QByteArray> words = pagesObject.mid(open + 1, close - open - 1).simplified().split(' ');
    for (qsizetype i = 0; i + 2 < words.size(); i += 3) {
        if (words[i + 1] != "0" || words[i + 2] != "R")
            return {};
        pages.push_back(words[i].toInt());
    }
    return pages;
}

QByteArray Real(double value)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

QByteArray Destination(const PdfHeading& heading, const std::vector<int>& pages)
{
    return "[" + QByteArray::number(pages[size_t(heading.page)]) + " 0 R /XYZ " + Real(heading.x) + " "
        + Real(heading.y) + " 0]";
}

// A text string in UTF-16BE with its byte order mark, written in hexadecimal, so that any
// character of a heading survives.
QByteArray TextString(const QString& text)
{
    QByteArray bytes("\xfe\xff", 2);
    for (const QChar c : text) {
        bytes += char(c.unicode() >> 8);
        bytes += char(c.unicode() & 0xff);
    }
    return "<" + bytes.toHex() + ">";
}

// The outline's objects, numbered from first on: its root, then one item per heading. An item's
// parent is the closest heading before it of a lower level; every item is shown open.
std::vector<QByteArray> OutlineObjects(const std::vector<PdfHeading>& headings, const std::vector<int>& pages, int first)
{
    const int count = int(headings.size());
    std::vector<int> parent(size_t(count), -1);
    for (int i = 0; i < count; ++i) {
        for (int p = i - 1; p >= 0; --p) {
            if (headings[size_t(p)].level < headings[size_t(i)].level) {
                parent[size_t(i)] = p;
                break;
            }
        }
    }
    const auto object = [&](int index) { return QByteArray::number(first + 1 + index) + " 0 R"; };
    const auto parentObject = [&](int index) {
        return parent[size_t(index)] < 0 ? QByteArray::number(first) + " 0 R" : object(parent[size_t(index)]);
    };
    // The children of each item, and of the root at index count, in order.
    std::vector<std::vector<int>> children(size_t(count) + 1);
    for (int i = 0; i < count; ++i)
        children[size_t(parent[size_t(i)] < 0 ? count : parent[size_t(i)])].push_back(i);
    std::vector<int> descendants(size_t(count) + 1, 0);
    for (int i = count - 1; i >= 0; --i) {
        const int up = parent[size_t(i)] < 0 ? count : parent[size_t(i)];
        descendants[size_t(up)] += 1 + descendants[size_t(i)];
    }
    const auto links = [&](int node) {
        const std::vector<int>& below = children[size_t(node)];
        if (below.empty())
            return QByteArray();
        return "/First " + object(below.front()) + " /Last " + object(below.back()) + " /Count "
            + QByteArray::number(descendants[size_t(node)]) + " ";
    };

    std::vector<QByteArray> objects;
    objects.push_back("<< /Type /Outlines " + links(count) + ">>");
    for (int i = 0; i < count; ++i) {
        const std::vector<int>& siblings = children[size_t(parent[size_t(i)] < 0 ? count : parent[size_t(i)])];
        const auto at = std::find(siblings.begin(), siblings.end(), i);
        QByteArray item = "<< /Title " + TextString(headings[size_t(i)].title) + " /Parent " + parentObject(i) + " ";
        if (at != siblings.begin())
            item += "/Prev " + object(*(at - 1)) + " ";
        if (at + 1 != siblings.end())
            item += "/Next " + object(*(at + 1)) + " ";
        item += links(i) + "/Dest " + Destination(headings[size_t(i)], pages) + " >>";
        objects.push_back(item);
    }
    return objects;
}

// Turns the writer's URI action of a link to a section into a destination; true when text is such
// a link, which then names the heading with index heading.
bool ReplaceSectionLink(QByteArray& text, const std::vector<PdfHeading>& headings, const std::vector<int>& pages,
                        int& heading)
{
    const QByteArray prefix = "/URI (" + SectionAnchor(0).chopped(1);
    const qsizetype uri = text.indexOf(prefix);
    if (!text.contains("/Subtype /Link") || uri < 0)
        return false;
    const auto index = NumberAt(text, uri + prefix.size());
    heading = index ? int(*index) : -1;
    if (heading < 0 || heading >= int(headings.size()))
        return true;
    const qsizetype action = text.lastIndexOf("/A <<", uri);
    const qsizetype end = text.indexOf(">>", uri);
    if (action < 0 || end < 0) {
        heading = -1;
        return true;
    }
    text.replace(action, end + 2 - action, "/Dest " + Destination(headings[size_t(heading)], pages));
    return true;
}

} // namespace

QByteArray SectionAnchor(int index)
{
    return "#section-" + QByteArray::number(index);
}

bool AddNavigation(QByteArray& pdf, const std::vector<PdfHeading>& headings, QString& error)
{
    std::vector<PdfObject> objects;
    qsizetype xrefOffset = 0;
    int size = 0;
    if (!ReadObjects(pdf, objects, xrefOffset, size)) {
        error = QStringLiteral("the cross-reference table is not where the writer puts it");
        return false;
    }
    const QByteArray trailer = pdf.mid(xrefOffset);
    const auto root = Reference(trailer, "Root");
    const auto info = Reference(trailer, "Info");
    const auto catalog = std::find_if(objects.begin(), objects.end(), [&](const PdfObject& o) { return root && o.number == *root; });
    if (!info || catalog == objects.end() || !catalog->text.contains("/Type /Catalog")) {
        error = QStringLiteral("the trailer names no catalog and no document information");
        return false;
    }
    const auto pagesNumber = Reference(catalog->text, "Pages");
    const auto pagesObject = std::find_if(objects.begin(), objects.end(), [&](const PdfObject& o) { return pagesNumber && o.number == *pagesNumber; });
    const std::vector<int> pages = pagesObject == objects.end() ? std::vector<int>() : PageObjects(pagesObject->text);
    if (pages.empty()) {
        error = QStringLiteral("the catalog names no page tree");
        return false;
    }
    for (const PdfHeading& heading : headings) {
        if (heading.page < 0 || size_t(heading.page) >= pages.size()) {
            error = QStringLiteral("the heading \"%1\" is on page %2 of %3").arg(heading.title).arg(heading.page + 1).arg(pages.size());
            return false;
        }
    }

    const int outline = size;
    catalog->text = QByteArray::number(catalog->number) + " 0 obj\n<<\n/Type /Catalog\n/Pages "
        + QByteArray::number(*pagesNumber) + " 0 R\n/Outlines " + QByteArray::number(outline)
        + " 0 R\n/PageMode /UseOutlines\n>>\nendobj\n";
    for (PdfObject& object : objects) {
        int heading = -1;
        if (ReplaceSectionLink(object.text, headings, pages, heading) && heading < 0) {
            error = QStringLiteral("object %1 links to a section that has no heading").arg(object.number);
            return false;
        }
    }
    // What comes before the first object: the header and its binary comment.
    QByteArray out = pdf.left(objects.front().offset);
    int number = outline;
    for (const QByteArray& text : OutlineObjects(headings, pages, outline)) {
        objects.push_back({number, 0, QByteArray::number(number) + " 0 obj\n" + text + "\nendobj\n"});
        ++number;
    }
    std::map<int, qsizetype> offsets;
    for (const PdfObject& object : objects) {
        offsets[object.number] = out.size();
        out += object.text;
    }
    const qsizetype table = out.size();
    out += "xref\n0 " + QByteArray::number(number) + "\n0000000000 65535 f \n";
    for (const auto& [objectNumber, offset] : offsets) {
        char entry[32];
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(offset));
        out += entry;
    }
    out += "trailer\n<<\n/Size " + QByteArray::number(number) + "\n/Info " + QByteArray::number(*info) + " 0 R\n/Root "
        + QByteArray::number(*root) + " 0 R\n>>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
    pdf = out;
    return true;
}
