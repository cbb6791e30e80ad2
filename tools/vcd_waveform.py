#!/usr/bin/python3
"""Draws signals of a VCD file as a waveform picture in SVG, without a display.

usage: vcd_waveform.py VCD SVG --signals clock,din,dout,sync_out --period-ns 40 --cycles 60

Single bits are drawn as lines, buses as boxes holding their decimal value; a value with bits that
are neither 0 nor 1 is shaded. Time runs from 0 to the given number of clock periods.
"""
import argparse
import html
import re
import sys

UNITS = {"s": 1e9, "ms": 1e6, "us": 1e3, "ns": 1.0, "ps": 1e-3, "fs": 1e-6}


def read_vcd(path, wanted):
    """Returns (names by id, {name: width}, {name: [(time_ns, value)]}) for the wanted signals."""
    with open(path, encoding="ascii", errors="replace") as f:
        text = f.read()
    header, _, body = text.partition("$enddefinitions")
    scale = re.search(r"\$timescale\s+(\d+)\s*(\w+)\s+\$end", header)
    if not scale:
        sys.exit(f"{path}: no $timescale")
    ns_per_tick = int(scale.group(1)) * UNITS[scale.group(2)]
    ids, widths = {}, {}
    for width, ident, name in re.findall(r"\$var\s+\w+\s+(\d+)\s+(\S+)\s+(\w+)", header):
        if name in wanted and name not in widths:
            ids[ident] = name
            widths[name] = int(width)
    missing = [name for name in wanted if name not in widths]
    if missing:
        sys.exit(f"{path}: no signal {', '.join(missing)}")
    changes = {name: [] for name in wanted}
    time = 0.0
    for token in body.split()[1:]:
        if token.startswith("#"):
            time = int(token[1:]) * ns_per_tick
        elif token[0] in "bB":
            pending = token[1:]
        elif token[0] in "01xXzZuU" and len(token) > 1:
            if token[1:] in ids:
                changes[ids[token[1:]]].append((time, token[0]))
        elif token in ids:
            changes[ids[token]].append((time, pending))
    return widths, changes


def value_text(bits):
    if re.fullmatch(r"[01]+", bits):
        return str(int(bits, 2))
    return None


def draw(widths, changes, names, end_ns, out):
    label_w, cycle_w, row_h, top = 90, 1.0, 34, 30
    scale = 1400 / end_ns
    width = label_w + 1400 + 50
    height = top + row_h * len(names) + 20
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
             f'font-family="DejaVu Sans Mono, monospace" font-size="11">',
             f'<rect width="{width}" height="{height}" fill="white"/>']
    for k in range(0, int(end_ns) + 1, 400):
        x = label_w + k * scale
        parts.append(f'<line x1="{x:.1f}" y1="{top - 8}" x2="{x:.1f}" y2="{height - 14}" stroke="#ddd"/>')
        parts.append(f'<text x="{x + 2:.1f}" y="{top - 12}" fill="#777">{k} ns</text>')
    for row, name in enumerate(names):
        y0 = top + row * row_h + 6
        y1 = y0 + row_h - 12
        parts.append(f'<text x="6" y="{(y0 + y1) / 2 + 4:.1f}" font-weight="bold">{html.escape(name)}</text>')
        points = [(t, v) for t, v in changes[name] if t <= end_ns]
        if not points or points[0][0] > 0:
            points.insert(0, (0.0, "x" * widths[name]))
        for k, (t, v) in enumerate(points):
            t_end = points[k + 1][0] if k + 1 < len(points) else end_ns
            xa, xb = label_w + t * scale, label_w + t_end * scale
            if xb <= xa:
                continue
            if widths[name] == 1:
                if v in "01":
                    y = y0 if v == "1" else y1
                    parts.append(f'<line x1="{xa:.1f}" y1="{y}" x2="{xb:.1f}" y2="{y}" stroke="#0a5" stroke-width="2"/>')
                    if k > 0 and points[k - 1][1] in "01" and points[k - 1][1] != v:
                        parts.append(f'<line x1="{xa:.1f}" y1="{y0}" x2="{xa:.1f}" y2="{y1}" stroke="#0a5" stroke-width="2"/>')
                else:
                    parts.append(f'<rect x="{xa:.1f}" y="{y0}" width="{xb - xa:.1f}" height="{y1 - y0}" fill="#f3c0c0"/>')
                continue
            shown = value_text(v)
            fill = "#e8f0ff" if shown is not None else "#f3c0c0"
            parts.append(f'<polygon points="{xa:.1f},{(y0 + y1) / 2} {xa + 2:.1f},{y0} {xb - 2:.1f},{y0} '
                         f'{xb:.1f},{(y0 + y1) / 2} {xb - 2:.1f},{y1} {xa + 2:.1f},{y1}" fill="{fill}" '
                         f'stroke="#357" stroke-width="1"/>')
            if shown is not None and len(shown) * 7 < xb - xa:
                parts.append(f'<text x="{(xa + xb) / 2:.1f}" y="{(y0 + y1) / 2 + 4:.1f}" '
                             f'text-anchor="middle" font-size="10">{shown}</text>')
    parts.append("</svg>\n")
    out.write("\n".join(parts))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("vcd")
    parser.add_argument("svg")
    parser.add_argument("--signals", required=True)
    parser.add_argument("--period-ns", type=float, default=40)
    parser.add_argument("--cycles", type=int, default=60)
    args = parser.parse_args()
    names = args.signals.split(",")
    widths, changes = read_vcd(args.vcd, names)
    with open(args.svg, "w", encoding="utf-8") as out:
        draw(widths, changes, names, args.period_ns * args.cycles, out)


if __name__ == "__main__":
    main()
