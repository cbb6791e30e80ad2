#!/usr/bin/python3
"""Reads the built user guide with poppler and checks it against the guide's Markdown source: every
line of code is whole on its page, every table row shares a page with its table's header row, no
name in code is broken across lines, the outline and the contents lead to the page of each heading,
the pictures are drawn at twice the resolution they are shown at, and the PDF is tagged.

usage: guide_pdf_check.py GUIDE.pdf GUIDE.md
"""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

# Pixels per inch of a picture shown at the size of its window (96 per inch) with two device pixels
# per pixel of the window.
PICTURE_PPI = 192

# pandoc prints these characters for the Markdown's plain ones; text is compared with them undone.
TYPOGRAPHY = {"\u2019": "'", "\u2018": "'", "\u201c": '"', "\u201d": '"', "\u2026": "...", "\u2013": "--",
              "\u00a0": " "}


def plain(text):
    """The text with pandoc's typography undone, and without backslashes: a "|" escaped in a table's
    code shows with or without its backslash."""
    for printed, written in TYPOGRAPHY.items():
        text = text.replace(printed, written)
    return text.replace("\\", "")


def squeezed(text):
    """The text without any white space: a line wrapped anywhere still matches itself."""
    return re.sub(r"\s+", "", plain(text))


def inline_text(markdown):
    """The text a Markdown table cell or heading shows: code marks, emphasis and escapes taken off."""
    return plain(re.sub(r"[`*]", "", markdown)).strip()


class Guide:
    """The parts of the Markdown source the checks compare with the PDF."""

    def __init__(self, path):
        self.headings = []  # (level, text)
        self.code_lines = []
        self.tables = []  # [header cells, row cells, ...]
        fenced = False
        table = None
        prose = []
        with open(path, encoding="utf-8") as source:
            for line in source.read().splitlines():
                if line.startswith("```"):
                    fenced = not fenced
                    continue
                if fenced:
                    if line.strip():
                        self.code_lines.append(line)
                    continue
                prose.append(line)
                if line.startswith("|"):
                    cells = [inline_text(cell) for cell in re.split(r"(?<!\\)\|", line.strip())[1:-1]]
                    if table is None:
                        table = [cells]
                        self.tables.append(table)
                    elif not all(re.fullmatch(r":?-+:?", cell) for cell in cells):
                        table.append(cells)
                    continue
                table = None
                heading = re.match(r"^(#{1,6})\s+(.*?)\s*#*\s*$", line)
                if heading:
                    self.headings.append((len(heading.group(1)), inline_text(heading.group(2))))
        self.pictures = sum(line.count("![") for line in prose)
        # A span of code may go on in the next line of its paragraph.
        self.code_spans = [plain(re.sub(r"\s+", " ", span)) for span in re.findall(r"`([^`]+)`", "\n".join(prose))]


class Pdf:
    """The guide's PDF as poppler reads it: the text of every page, and its lines with their
    positions, fonts and links."""

    def __init__(self, path):
        info = self.run("pdfinfo", path)
        self.page_count = int(re.search(r"^Pages:\s+(\d+)", info, re.M).group(1))
        self.tagged = re.search(r"^Tagged:\s+yes", info, re.M) is not None
        self.page_text = [self.run("pdftotext", "-raw", "-f", str(n), "-l", str(n), path, "-")
                          for n in range(1, self.page_count + 1)]
        self.xml = ET.fromstring(self.run("pdftohtml", "-xml", "-i", "-stdout", "-q", path))
        self.images = self.run("pdfimages", "-list", path).splitlines()[2:]

    @staticmethod
    def run(*command):
        return subprocess.run(command, check=True, capture_output=True, text=True).stdout

    def texts(self):
        """(page, top, text, font size, bold, link target page or None) of every piece of text."""
        sizes = {spec.get("id"): int(spec.get("size")) for spec in self.xml.iter("fontspec")}
        for page in self.xml.findall("page"):
            for text in page.findall("text"):
                link = text.find("a")
                bold = text.find("b")
                words = plain("".join(text.itertext()).strip())
                target = re.fullmatch(r"[^#]*#(\d+)", link.get("href", "")) if link is not None else None
                yield (int(page.get("number")), int(text.get("top")), words, sizes.get(text.get("font"), 0),
                       bold is not None and plain("".join(bold.itertext()).strip()) == words,
                       int(target.group(1)) if target else None)


def heading_pages(guide, pdf):
    """The page of each heading: the first line of its words alone, bold, larger than the body text
    and not a link."""
    texts = list(pdf.texts())
    sizes = [size for _, _, _, size, _, _ in texts]
    body = max(set(sizes), key=sizes.count) if sizes else 0
    pages = {}
    for page, _, words, size, bold, link in texts:
        if size > body and bold and link is None and words not in pages:
            pages[words] = page
    return {text: pages.get(text) for _, text in guide.headings}


def check_code_lines(guide, pdf):
    """Every line of the guide's code blocks is on a page, whole, however it is wrapped."""
    text = squeezed("".join(pdf.page_text))
    return [f"the code line \"{line}\" is not whole in the PDF" for line in guide.code_lines
            if squeezed(line) not in text]


def check_code_spans(guide, pdf):
    """A name in code within the text (an option, a file) is never broken across lines, not even at
    its hyphens: it is whole in a line of the PDF as often as the guide writes it."""
    lines = [re.sub(r"\s+", " ", plain(line)) for page in pdf.page_text for line in page.splitlines()]
    failures = []
    for span in dict.fromkeys(guide.code_spans):
        written = sum(other.count(span) for other in guide.code_spans)
        whole = sum(line.count(span) for line in lines)
        if whole < written:
            failures.append(f"\"{span}\" is whole in {whole} lines of the PDF; the guide writes it {written} times")
    return failures


def check_tables(guide, pdf):
    """Every table row is whole on a page that shows its table's header row above it."""
    failures = []
    pages = [squeezed(text) for text in pdf.page_text]
    for table in guide.tables:
        header = squeezed("".join(table[0]))
        for row in table[1:]:
            cells = squeezed("".join(row))
            places = [(n + 1, text.find(cells)) for n, text in enumerate(pages) if cells in text]
            if not places:
                failures.append(f"the row \"{' | '.join(row)}\" is not whole on any page")
            elif not any(0 <= pages[n - 1].find(header) < at for n, at in places):
                failures.append(f"the row \"{' | '.join(row)}\" is on page {places[0][0]} without the "
                                f"header \"{' | '.join(table[0])}\" above it")
    return failures


def check_outline(guide, pdf):
    """One bookmark per heading, nested by level, each leading to the heading's page."""
    def items(outline, depth, found):
        for child in outline:
            if child.tag == "item":
                found.append((depth, plain("".join(child.itertext()).strip()), int(child.get("page"))))
            elif child.tag == "outline":
                items(child, depth + 1, found)
        return found

    top = pdf.xml.find("outline")
    found = items(top, 0, []) if top is not None else []
    # A heading's parent is the closest heading before it of a lower level.
    expected, stack = [], []
    for level, text in guide.headings:
        while stack and stack[-1] >= level:
            stack.pop()
        expected.append((len(stack), text))
        stack.append(level)
    failures = []
    if [(depth, title) for depth, title, _ in found] != expected:
        failures.append(f"the outline is not one entry per heading, nested by level:\n  expected {expected}\n"
                        f"  got      {[(depth, title) for depth, title, _ in found]}")
    where = heading_pages(guide, pdf)
    for _, title, page in found:
        if where.get(title) != page:
            failures.append(f"the bookmark \"{title}\" leads to page {page}; the heading is on page {where.get(title)}")
    return failures


def check_contents(guide, pdf):
    """A line of the contents for every section and subsection: its words and its page number, both
    links to the heading's page, and the number that page's."""
    lines = {}
    for page, top, words, _, _, link in pdf.texts():
        if link is not None:
            lines.setdefault((page, top), []).append((words, link))
    entries = {}
    for row in lines.values():
        numbers = [(words, link) for words, link in row if words.isdigit()]
        if numbers and row[0][0] not in entries:
            entries[row[0][0]] = (int(numbers[-1][0]), row[0][1], numbers[-1][1])
    where = heading_pages(guide, pdf)
    failures = []
    for level, title in guide.headings:
        if level == 1:
            continue
        if title not in entries:
            failures.append(f"the contents have no line with a link for \"{title}\"")
        elif not entries[title][0] == entries[title][1] == entries[title][2] == where[title]:
            failures.append(f"the contents give \"{title}\" page {entries[title][0]}, linked to pages "
                            f"{entries[title][1]} and {entries[title][2]}; it is on page {where[title]}")
    return failures


def check_pictures(guide, pdf):
    """Every picture of the guide is in the PDF with twice the pixels of the size it is shown at."""
    failures = [] if len(pdf.images) == guide.pictures else [f"{len(pdf.images)} images for {guide.pictures} pictures"]
    for image in pdf.images:
        columns = image.split()
        if abs(int(columns[12]) - PICTURE_PPI) > 2 or abs(int(columns[13]) - PICTURE_PPI) > 2:
            failures.append(f"the {columns[3]}x{columns[4]} picture on page {columns[0]} is shown at "
                            f"{columns[12]}x{columns[13]} pixels per inch, not {PICTURE_PPI}")
    return failures


def check_tagged(guide, pdf):
    """The PDF is tagged: readers and assistive tools find its structure."""
    return [] if pdf.tagged else ["the PDF is not tagged"]


CHECKS = [
    ("code lines", check_code_lines),
    ("names in code", check_code_spans),
    ("table rows", check_tables),
    ("outline", check_outline),
    ("contents", check_contents),
    ("pictures", check_pictures),
    ("tagging", check_tagged),
]


def main():
    guide, pdf = Guide(sys.argv[2]), Pdf(sys.argv[1])
    if len(guide.headings) < 10 or len(guide.code_lines) < 10 or len(guide.tables) < 10:
        print("FAIL: the guide's source was not read as written")
        return 1
    failed = 0
    for name, check in CHECKS:
        failures = check(guide, pdf)
        failed += len(failures)
        for failure in failures:
            print(f"FAIL ({name}): {failure}")
        if not failures:
            print(f"ok   {name}")
    return 1 if failed else 0


sys.exit(main())
