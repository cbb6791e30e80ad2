#!/usr/bin/python3
"""Reads the built user guide with poppler and checks its navigation against the guide's source:
one outline entry per heading of the Markdown, nested by level; each entry and each line of the
contents leads to the page the heading is on, at the heading's first line; the contents name the
right page for each heading.

usage: guide_pdf_navigation_check.py GUIDE.pdf GUIDE.md
"""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

# pdftohtml -xml draws the page at 1.5 times its size in points.
ZOOM = 1.5

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message)


def markdown_headings(path):
    """(level, text) of every ATX heading outside fenced code, its inline markup taken off."""
    headings = []
    fenced = False
    with open(path, encoding="utf-8") as source:
        for line in source:
            if line.startswith("```"):
                fenced = not fenced
                continue
            match = None if fenced else re.match(r"^(#{1,6})\s+(.*?)\s*#*\s*$", line)
            if match:
                headings.append((len(match.group(1)), re.sub(r"[`*]", "", match.group(2))))
    return headings


def outline_items(outline, depth, items):
    """The outline as (depth, title, page) in reading order; a nested outline holds the children
    of the item before it."""
    for child in outline:
        if child.tag == "item":
            items.append((depth, "".join(child.itertext()).strip(), int(child.get("page"))))
        elif child.tag == "outline":
            outline_items(child, depth + 1, items)
    return items


def main():
    pdf_path, guide_path = sys.argv[1], sys.argv[2]
    xml = subprocess.run(["pdftohtml", "-xml", "-i", "-stdout", "-q", pdf_path],
                         check=True, capture_output=True).stdout
    root = ET.fromstring(xml)
    raw = open(pdf_path, "rb").read()

    # --- the outline --------------------------------------------------------------------------
    headings = markdown_headings(guide_path)
    if len(headings) < 10:
        fail(f"the guide's source has only {len(headings)} headings; it was not read as written")
    top = root.find("outline")
    items = outline_items(top, 0, []) if top is not None else []
    # Depth in the outline follows the level of the headings: a heading's parent is the closest
    # heading before it of a lower level.
    expected = []
    stack = []
    for level, text in headings:
        while stack and stack[-1] >= level:
            stack.pop()
        expected.append((len(stack), text))
        stack.append(level)
    got = [(depth, title) for depth, title, _ in items]
    if got != expected:
        fail("the outline is not one entry per heading, nested by level:\n  expected %s\n  got      %s"
             % (expected, got))

    # --- where each heading is ----------------------------------------------------------------
    # A heading is on its page as a line of bold text of its own, outside the contents' links and
    # the running head at the top of every page but the first.
    pages = root.findall("page")
    page_height = float(pages[0].get("height")) if pages else 0
    places = {}
    for page in pages:
        number = int(page.get("number"))
        for text in page.findall("text"):
            words = "".join(text.itertext()).strip()
            bold = text.find("b")
            if (bold is None or "".join(bold.itertext()).strip() != words or text.find("a") is not None
                    or int(text.get("top")) < 90 or words in places):
                continue
            places[words] = (number, int(text.get("top")))
    for _, title, page in items:
        if title not in places:
            fail(f"the heading \"{title}\" is not on any page")
        elif places[title][0] != page:
            fail(f"the outline sends \"{title}\" to page {page}; it is on page {places[title][0]}")

    # The destinations of the outline, read from its items: each is the page and height of the
    # heading's first line, so that a viewer shows the heading at the top of its window.
    page_objects = re.findall(rb"(\d+) 0 R\n", raw[raw.find(b"/Kids"):raw.find(b"]", raw.find(b"/Kids"))])
    page_of_object = {int(n): i + 1 for i, n in enumerate(page_objects)}
    destinations = {}
    for match in re.finditer(rb"/Title <feff([0-9a-f]*)>.*?/Dest \[(\d+) 0 R /XYZ [-\d.]+ ([-\d.]+) 0\]", raw):
        title = bytes.fromhex(match.group(1).decode()).decode("utf-16-be")
        destinations[title] = (page_of_object.get(int(match.group(2))), float(match.group(3)))
    if len(destinations) != len(items):
        fail(f"{len(destinations)} outline items with a destination, for {len(items)} entries")
    for title, (page, y) in destinations.items():
        if title not in places:
            continue
        line_top = places[title][1] / ZOOM
        # The destination is the top of the heading's first line, as poppler places the line.
        if places[title][0] != page or abs((page_height / ZOOM - y) - line_top) > 3:
            fail(f"\"{title}\" leads to page {page} at {page_height / ZOOM - y:.1f} pt from the top; "
                 f"its line is on page {places[title][0]} at {line_top:.1f} pt")

    # --- the contents -------------------------------------------------------------------------
    # Every link is a link within the document: none is left as the URI the writer stored.
    if b"/URI" in raw:
        fail("a link of the contents is still a URI, not a destination in the document")
    listed = [text for level, text in headings if level in (2, 3)]
    lines = {}
    for text in pages[0].findall("text") if pages else []:
        link = text.find("a")
        if link is None:
            continue
        target = re.fullmatch(r"[^#]*#(\d+)", link.get("href", ""))
        words = "".join(text.itertext()).strip()
        lines.setdefault(int(text.get("top")), []).append((words, int(target.group(1)) if target else None))
    entries = {}
    for row in lines.values():
        # A line of the contents: the heading's words and its page number, both links.
        if len(row) == 2 and row[1][0].isdigit():
            entries[row[0][0]] = (int(row[1][0]), row[0][1], row[1][1])
    for title in listed:
        if title not in entries:
            fail(f"the contents have no line with a link for \"{title}\"")
            continue
        printed, title_link, number_link = entries[title]
        actual = places.get(title, (None,))[0]
        if not printed == title_link == number_link == actual:
            fail(f"the contents give \"{title}\" page {printed}, linked to pages {title_link} and "
                 f"{number_link}; it is on page {actual}")
    if len(entries) != len(listed):
        fail(f"the contents have {len(entries)} lines for the {len(listed)} headings of levels 2 and 3")

    if failures:
        sys.exit(1)
    print(f"{len(items)} outline entries and {len(entries)} contents lines lead to their headings")


main()
