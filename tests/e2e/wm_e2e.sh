#!/usr/bin/env bash
# The four pages under a reparenting window manager (openbox) in a real X server (Xvfb), at device
# pixel ratios 1, 1.5 and 2 (QT_SCALE_FACTOR) and at 144 DPI (Xft.dpi in the X resources): walked
# with keystrokes, every page's frame has its outer lower-right corner at the -x/-y device pixel,
# and every page exit reports that corner to the host; a page must not creep away from it.
# Usage: wm_e2e.sh <build dir> [screenshot dir]
set -uo pipefail

build=$(cd "$1" && pwd)
shots=${2:-$build/e2e-screenshots}
mkdir -p "$shots"
source "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool xprop xwininfo openbox import
unset QT_SCREEN_SCALE_FACTORS QT_FONT_DPI QT_SCALE_FACTOR QT_SCALE_FACTOR_ROUNDING_POLICY
wizard_pid=""
wm_pid=""
stop_extras() {
  [ -n "$wizard_pid" ] && kill "$wizard_pid" 2>/dev/null
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
}
start_xvfb wm 190 1600x1200x24

prefix="$root/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: install"; exit 1; }

# The window manager has taken the screen once the root names its check window.
HOME="$root" openbox --sm-disable >"$root/openbox.log" 2>&1 &
wm_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' || { echo "FAIL: openbox did not start"; exit 1; }

# Waits for a client window whose title contains $1 (taken literally) and for its frame.
framed() { xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q '='; }
wait_window() {
  await_window "$1" framed || { fail "no framed window titled '$1'"; return 1; }
  sleep 0.5
}

# The outer lower-right corner of the window's frame, the window manager's child of the root, as
# the X server has it (xwininfo's upper left is the outer edge of the border).
frame_corner() {
  local id=$1 parent
  while parent=$(xwininfo -children -id "$id" | awk '/Parent window id/ {print $4}') && [ "$parent" != "$root_id" ]; do
    id=$parent
  done
  xwininfo -id "$id" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} /Border width/ {b = $NF} END {print x + w + 2 * b "," y + h + 2 * b}'
}
root_id=$(xwininfo -root | awk '/Window id/ {print $4}')

corner_x=1500
corner_y=1100
for setting in 1 1.5 2 dpi-144; do
  xprop -root -remove RESOURCE_MANAGER 2>/dev/null
  case $setting in
    dpi-*) name=$setting; environment=()
           resources=$(printf 'Xft.dpi:\t%s\n' "${setting#dpi-}")
           xprop -root -format RESOURCE_MANAGER 8s -set RESOURCE_MANAGER "$resources" ;;
    *) name=scale-$setting; environment=(QT_SCALE_FACTOR=$setting) ;;
  esac
  case_dir="$root/$name"
  mkdir -p "$case_dir/work"
  # The frame's thickness in the toolkit's pixels, against the toolkit's own once it is framed.
  env "${environment[@]}" "$build/tests/qt_backend/qt_backend_frame_tests" >"$case_dir/frame.txt" 2>&1 \
    || fail "frame margins: $(grep -E -A3 'Failure' "$case_dir/frame.txt" | tr -s ' \n' ' ')"
  (cd "$case_dir/work" && env "${environment[@]}" "$prefix/bin/tarnwick" -n -symbol --no-design-files \
     -x$corner_x -y$corner_y "$case_dir/filter.vhd" >"$case_dir/host.txt" 2>&1) &
  wizard_pid=$!
  page=1
  for title in "[page 1 of 4]" "[page 2 of 4]" "[page 3 of 4]" "[page 4 of 4] -- Summary"; do
    wait_window "$title" || break
    [ "$page" = 2 ] && import -window root "$shots/wm-$name-page2.png" 2>/dev/null
    placed=$(frame_corner "$window")
    [ "$placed" = "$corner_x,$corner_y" ] || fail "page $page's frame has its lower-right corner at ($placed)"
    xdotool windowfocus --sync "$window"
    if [ "$page" = 4 ]; then xdotool key alt+f; else xdotool key Return; fi
    page=$((page + 1))
  done
  end_wizard
  exits=$(grep 'page exit' "$case_dir/host.txt" | tr '\n' ' ')
  reported=$(grep -c "page exit: corner at ($corner_x, $corner_y)" "$case_dir/host.txt")
  [ "$reported" = 4 ] || fail "$reported of 4 page exits at ($corner_x, $corner_y): $exits"
  echo "$name: $exits"
done

if [ "$failed" -gt 0 ]; then
  echo "$failed check(s) failed; screenshots in $shots"
  exit 1
fi
echo "every page at ($corner_x, $corner_y) under openbox at every scale"
