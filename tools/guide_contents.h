#pragma once

#include <QString>

#include <vector>

class QTextDocument;

// A line of the contents: its block, and the index of the heading it stands for among all the
// document's headings (the title being 0).
struct ContentsEntry {
    int block = 0;
    int heading = 0;
};

// Where a heading starts once the document is laid out in pages of pageHeight: the page (from 0)
// and the top of its first line on that page, in the layout's units.
struct HeadingPlace {
    int level = 1;
    QString title;
    int page = 0;
    double top = 0;
};

// The document's headings, in order, and where each starts.
std::vector<HeadingPlace> HeadingPlaces(QTextDocument& document, double pageHeight);

// Puts the contents right before the first heading of level 2, which then starts a page: a
// "Contents" line and one line for each heading of level 2 or 3, indented by level, its text a
// link to the heading's SectionAnchor and, at the right end of a line lineWidth wide (pixels at
// 96 DPI), the page the heading starts on, "0" until SetContentsPages has been called.
// deviceScale is the layout device's pixels per pixel at 96 DPI. Returns the lines; none when the
// document has no heading of level 2.
std::vector<ContentsEntry> InsertContents(QTextDocument& document, double lineWidth, double deviceScale);

// Writes each heading's page, counted from 1, into its line. True when a number changed.
bool SetContentsPages(QTextDocument& document, const std::vector<ContentsEntry>& entries,
                      const std::vector<HeadingPlace>& places);
