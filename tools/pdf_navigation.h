#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <vector>

// A heading of the document as the outline shows it: its level (1 for the title), its text, and the
// place it starts, as a page (from 0) and a point on it in PDF user space (points, y upward).
struct PdfHeading {
    int level = 1;
    QString title;
    int page = 0;
    double x = 0;
    double y = 0;
};

// The fragment a link names the heading with index i of the list by: "#section-<i>".
QByteArray SectionAnchor(int index);

// Gives a PDF as QPdfWriter writes it an outline with one entry per heading, nested by level and
// shown when the file opens, and turns every link to a SectionAnchor, which the writer stores as a
// URI, into a link to that heading's place. The objects are written again with a new
// cross-reference table, so that the file stays a single revision. False, with a reason in error,
// when the file is not laid out as the writer lays it out, names a page it does not have, or a
// link names a heading that is not in the list.
bool AddNavigation(QByteArray& pdf, const std::vector<PdfHeading>& headings, QString& error);
