#!/usr/bin/env bash
# The pages at device pixel ratios 1, 1.5 and 2 (QT_SCALE_FACTOR) and at font resolutions of 120 and
# 144 DPI in a real X server (Xvfb): a screenshot of each page; every page placed with its
# lower-right corner at the -x/-y device pixel and that corner reported to the host, at every scale;
# and in the preview of page 2 the shadow is a checker of device pixels, exactly half grey, and the
# symbol's one-unit outline is round(scale) device pixels wide along its whole top edge.
# Usage: scale_e2e.sh <build dir> [screenshot dir]
set -uo pipefail

build=$(cd "$1" && pwd)
shots=${2:-$build/e2e-screenshots}
mkdir -p "$shots"
source "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool import convert python3
unset QT_SCREEN_SCALE_FACTORS QT_FONT_DPI
wizard_pid=""
stop_extras() { [ -n "$wizard_pid" ] && kill "$wizard_pid" 2>/dev/null; }
start_xvfb scale 170 1600x1200x24

prefix="$root/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: install"; exit 1; }

# Waits for a window whose title contains $1 (taken literally) and gives it the focus.
wait_window() {
  await_window "$1" || { fail "no window titled '$1'"; return 1; }
  focus_window
}

# The python lines that read a binary PPM image from standard input: width, height, and pixels,
# three bytes a pixel, row by row.
read_ppm='
import sys
data = sys.stdin.buffer.read()
fields, at = [], 0
while len(fields) < 4:
    while data[at:at + 1].isspace():
        at += 1
    end = at
    while not data[end:end + 1].isspace():
        end += 1
    fields.append(data[at:end])
    at = end
pixels = data[at + 1:]
width, height = int(fields[1]), int(fields[2])
'

# Checks the preview in a screenshot of page 2 taken at the scale; prints what it found.
check_preview() { # check_preview <png> <scale>
  convert "$1" ppm:- | python3 -c "$read_ppm"'
scale = float(sys.argv[1])
def colour(x, y):
    i = 3 * (y * width + x)
    return tuple(pixels[i:i + 3])
teal, grey = (0, 128, 128), (128, 128, 128)
# The face outline is the teal box in the preview, the left part of the window.
found = [(x, y) for y in range(height // 2) for x in range(int(width * 0.45)) if colour(x, y) == teal]
if not found:
    sys.exit("no symbol outline in the preview")
left, right = min(p[0] for p in found), max(p[0] for p in found) + 1
top, bottom = min(p[1] for p in found), max(p[1] for p in found) + 1
# A patch of the shadow below the face, clear of its ends.
rows = range(bottom + 1, bottom + int(5 * scale))
columns = range(left + int(10 * scale), left + int(110 * scale))
inked = matching = 0
for y in rows:
    for x in columns:
        here = colour(x, y) == grey
        inked += here
        matching += here == (colour(x + 1, y) == grey)
        matching += here == (colour(x, y + 1) == grey)
total = len(rows) * len(columns)
thin = int(scale + 0.5)
widths = set()
for x in range(left + int(20 * scale), right - int(20 * scale)):
    run = 0
    while colour(x, top + run) == teal:
        run += 1
    widths.add(run)
print("shadow patch %dx%d: %d of %d grey, %d equal neighbours; outline %s device pixels wide"
      % (len(columns), len(rows), inked, total, matching, sorted(widths)))
problems = []
if 2 * inked != total:
    problems.append("the shadow is not half grey")
if matching:
    problems.append("the shadow is not a checker of device pixels")
if widths != {thin}:
    problems.append("the outline is not %d device pixels wide everywhere" % thin)
if problems:
    sys.exit("; ".join(problems))
' "$2"
}

# The corner every page is placed at, in device pixels, and reported at.
corner_x=1500
corner_y=1100
# The button row grows with the dialog font: on the summary page, the separator's distance from the
# window's bottom edge, 43 pixels at 96 DPI, grown by the scale and the font's resolution.
check_button_row() { # check_button_row <png> <growth>
  convert "$1" ppm:- | python3 -c "$read_ppm"'
growth = float(sys.argv[1])
x = width - int(15 * growth)
black = [y for y in range(height) if pixels[3 * (y * width + x):3 * (y * width + x) + 3] == bytes(3)]
if not black:
    sys.exit("no separator found")
distance, expected = height - min(black), 43 * growth
print("separator %d pixels above the bottom edge (%.1f expected)" % (distance, expected))
if abs(distance - expected) > 3:
    sys.exit("the button row does not grow with the font: separator %d pixels above the bottom, not %.1f"
             % (distance, expected))
' "$2"
}

for setting in 1 1.5 2 dpi-120 dpi-144; do
  case $setting in
    dpi-*) scale=1; growth=$(python3 -c "print(${setting#dpi-} / 96)")
           environment=(QT_FONT_DPI=${setting#dpi-} QT_SCALE_FACTOR_ROUNDING_POLICY=Floor) ;;
    *) scale=$setting; growth=$scale; environment=(QT_SCALE_FACTOR=$scale) ;;
  esac
  name=$setting
  case $setting in dpi-*) ;; *) name=scale-$setting ;; esac
  case_dir="$root/$name"
  mkdir -p "$case_dir/work"
  (cd "$case_dir/work" && env "${environment[@]}" "$prefix/bin/tarnwick" -n -symbol -x$corner_x -y$corner_y \
     "$case_dir/filter.vhd" > "$case_dir/host.txt" 2>&1) &
  wizard_pid=$!
  page=1
  for title in "[page 1 of 4]" "[page 2 of 4]" "[page 3 of 4]" "[page 4 of 4] -- Summary"; do
    wait_window "$title" || break
    import -window "$window" "$shots/$name-page$page.png" 2>/dev/null || fail "no screenshot of page $page"
    eval "$(xdotool getwindowgeometry --shell "$window")"
    [ "$((X + WIDTH)),$((Y + HEIGHT))" = "$corner_x,$corner_y" ] ||
      fail "page $page has its lower-right corner at ($((X + WIDTH)),$((Y + HEIGHT))), not ($corner_x,$corner_y)"
    if [ "$page" = 4 ]; then
      if report=$(check_button_row "$shots/$name-page4.png" "$growth" 2>&1); then
        echo "$name: $report"
      else
        fail "$report"
      fi
    fi
    if [ "$page" = 2 ]; then
      if report=$(check_preview "$shots/$name-page2.png" "$scale" 2>&1); then
        echo "$name: $report"
      else
        fail "$report"
      fi
    fi
    if [ "$page" = 4 ]; then xdotool key Escape; else xdotool key Return; fi
    sleep 0.4
    page=$((page + 1))
  done
  end_wizard
  reported=$(grep -c "page exit: corner at ($corner_x, $corner_y)" "$case_dir/host.txt")
  [ "$reported" = 4 ] || fail "$reported of 4 page exits reported at ($corner_x, $corner_y): $(grep 'page exit' "$case_dir/host.txt" | tr '\n' ' ')"
done

if [ "$failed" -gt 0 ]; then
  echo "$failed check(s) failed; screenshots in $shots"
  exit 1
fi
echo "all scales passed; screenshots in $shots"
