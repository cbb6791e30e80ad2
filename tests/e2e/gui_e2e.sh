#!/usr/bin/env bash
# The wizard tested as a person uses it: the real zorvex, started through the tarnwick host
# stand-in, in a real X server (Xvfb), driven by keystrokes (xdotool), with screenshots
# (ImageMagick). Usage: gui_e2e.sh <build dir> [screenshot dir]
set -uo pipefail

build=$(cd "$1" && pwd)
shots=${2:-$build/e2e-screenshots}
mkdir -p "$shots"
source "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool import
start_xvfb e2e 70 1280x1024x24

# The wizard as installed, so that it finds its user guide beside bin/.
prefix="$root/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: install"; exit 1; }
# A stand-in document viewer that records how it was called.
mkdir -p "$root/viewer"
cat > "$root/viewer/xdg-open" <<'VIEWER'
#!/bin/sh
printf '%s\n' "$#" "$@" >> "$VIEWER_LOG"
VIEWER
chmod +x "$root/viewer/xdg-open"
export PATH="$root/viewer:$PATH"

passed=0
failed=0
scenario=""
check() { # check <description> <command...>
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL [$scenario] $what"
    show_host_output
  fi
}

# What the host stand-in printed in the failing scenario, once per scenario.
shown_for=""
show_host_output() {
  [ "$shown_for" = "$scenario" ] && return
  shown_for=$scenario
  echo "--- tarnwick output of [$scenario]:"
  cat "$root/$scenario/host.txt" 2>/dev/null
  echo "---"
}

# Starts tarnwick in the scenario's folder; its output goes to $case_dir/host.txt.
start_wizard() {
  case_dir="$root/$scenario"
  mkdir -p "$case_dir/work"
  export VIEWER_LOG="$case_dir/viewer.txt"
  (cd "$case_dir/work" && "$prefix/bin/tarnwick" "$@" > "$case_dir/host.txt" 2>&1; echo $? > "$case_dir/status") &
}

# Waits for a window whose title contains $1 and gives it the keyboard focus.
wait_window() {
  if ! await_window "$1"; then
    echo "FAIL [$scenario] no window titled '$1'"
    failed=$((failed + 1))
    show_host_output
    return 1
  fi
  focus_window
}

no_window() { ! xdotool search --name "$(title_pattern "$1")" >/dev/null 2>&1; }
has_window() { xdotool search --name "$(title_pattern "$1")" >/dev/null 2>&1; }

keys() { xdotool key --delay 60 "$@"; sleep 0.4; }

# Screenshots of the window that has the focus, or of the whole screen.
shot() { import -window "${window:-root}" "$shots/$1.png" 2>/dev/null || import -window root "$shots/$1.png"; }

wait_end() {
  for _ in $(seq 100); do [ -f "$case_dir/status" ] && break; sleep 0.1; done
  status=$(cat "$case_dir/status" 2>/dev/null || echo none)
}

corners() { grep -c "page exit: corner at" "$case_dir/host.txt"; }

# --- Next through the four pages, Finish on the summary --------------------------------------
scenario=four-pages
start_wizard -n -symbol "$root/$scenario/f.vhd"
wait_window "[page 1 of 4]" && shot page1-algorithm && keys Return
wait_window "[page 2 of 4]" && shot page2-characteristics && keys Return
wait_window "[page 3 of 4]" && shot page3-memory && keys Return
wait_window "[page 4 of 4] -- Summary" && shot page4-summary && keys alt+f
wait_end
check "finished with status 0" test "$status" = 0
check "four page exits reported" test "$(corners)" = 4
check ".cnx written beside the design" test -s "$case_dir/f.cnx"
check ".vec written in the current folder" test -s "$case_dir/work/f.vec"
check "settings unchanged" grep -q 'PRIVATE: CHARACTERISTIC_I NUMERIC "12"' "$case_dir/f.cnx"

# --- Back out of the first page when the host has pages before it ----------------------------
scenario=back-from-first
start_wizard -n -p 2 "$root/$scenario/f.vhd"
if wait_window "[page 3 of 6]"; then keys alt+b; fi
wait_end
check "back to the host: status 3" test "$status" = 3
check "files written on Back" test -s "$case_dir/f.cnx" -a -s "$case_dir/work/f.vec"
check "one page exit" test "$(corners)" = 1

# --- Arrows and Tab: block interleaving chosen with the keyboard -----------------------------
scenario=keyboard
start_wizard -n "$root/$scenario/f.vhd"
if wait_window "[page 1 of 4]"; then
  keys Down        # the focus is on the first radio button; the arrow moves to the next one
  keys Tab Down    # the direction group: deinterleaver
  shot keyboard-block-deinterleaver
  keys alt+n
fi
wait_window "[page 2 of 4]" && keys alt+f
wait_end
check "finished" test "$status" = 0
check "block chosen by arrow key" grep -q 'PRIVATE: BLOCK NUMERIC "1"' "$case_dir/f.cnx"
check "deinterleaver chosen by Tab and arrow" grep -q 'PRIVATE: DEINTERLEAVER NUMERIC "1"' "$case_dir/f.cnx"

# --- Reopening a variation written before shows its settings -----------------------------------
scenario=reopen
mkdir -p "$root/$scenario"
cat > "$root/$scenario/f.cnx" <<'CNX'
PRIVATE: CONVOLUTIONAL NUMERIC "0"
PRIVATE: BLOCK NUMERIC "1"
PRIVATE: INTERLEAVER NUMERIC "0"
PRIVATE: DEINTERLEAVER NUMERIC "1"
PRIVATE: INTERNAL_DPRAM NUMERIC "0"
PRIVATE: EXTERNAL_DPRAM NUMERIC "1"
PRIVATE: CHARACTERISTIC_I NUMERIC "7"
PRIVATE: CHARACTERISTIC_J NUMERIC "33"
CNX
start_wizard "$root/$scenario/f.vhd"
wait_window "[page 1 of 4]" && shot reopen-page1 && keys Return
wait_window "[page 2 of 4]" && shot reopen-page2 && keys Return
wait_window "[page 3 of 4]" && shot reopen-page3 && keys alt+f
wait_end
check "finished" test "$status" = 0
check "stored I kept" grep -q 'PRIVATE: CHARACTERISTIC_I NUMERIC "7"' "$case_dir/f.cnx"
check "stored J kept" grep -q 'PRIVATE: CHARACTERISTIC_J NUMERIC "33"' "$case_dir/f.cnx"
check "stored memory kept" grep -q 'MODULE: genaddr genaddr' "$case_dir/f.cnx"

# --- Cancel on a middle page: the wizard deletes the .cnx of the working copy it runs on; the ---
# --- design's own stays as it was --------------------------------------------------------------
scenario=cancel
mkdir -p "$root/$scenario"
cp "$root/reopen/f.cnx" "$root/$scenario/f.cnx"
start_wizard "$root/$scenario/f.vhd"
wait_window "[page 1 of 4]" && keys Return
wait_window "[page 2 of 4]" && keys Escape
wait_end
check "cancelled: status 2" test "$status" = 2
check ".cnx kept as it was" cmp -s "$root/reopen/f.cnx" "$case_dir/f.cnx"
check "no .vec written" test ! -e "$case_dir/work/f.vec"
check "two page exits" test "$(corners)" = 2

# --- A refused range check keeps the page and resets the value --------------------------------
scenario=range-check
start_wizard -n "$root/$scenario/f.vhd"
wait_window "[page 1 of 4]" && keys Return
if wait_window "[page 2 of 4]"; then
  keys ctrl+a
  xdotool type --delay 60 "0"
  keys Return
  if wait_window "f - ZORVEX - 1.00"; then
    shot range-check-message
    keys Return
  fi
  check "message box closed" no_window "f - ZORVEX - 1.00"
  check "the page stays" has_window "[page 2 of 4]"
  wait_window "[page 2 of 4]" && shot range-check-reset
  # The reset text is selected: the digit typed next replaces it (25 would be taken otherwise).
  xdotool type --delay 60 "5"
  keys alt+f
fi
wait_end
check "finished after the correction" test "$status" = 0
check "the message was shown" grep -q "f - ZORVEX - 1.00: Valid I : 2 - 40" "$case_dir/host.txt"
check "the typed 5 replaced the reset 2" grep -q 'PRIVATE: CHARACTERISTIC_I NUMERIC "5"' "$case_dir/f.cnx"
check "two page exits (the refused one posts nothing)" test "$(corners)" = 2

# --- F1 opens the user guide; without the guide nothing happens -------------------------------
scenario=help
start_wizard -n "$root/$scenario/f.vhd"
if wait_window "[page 1 of 4]"; then
  keys F1
  sleep 0.5
  check "guide opened once with its path as one argument" \
    test "$(cat "$case_dir/viewer.txt" 2>/dev/null)" = "$(printf '1\n%s' "$prefix/bin/../zorvex_core/doc/zorvex_guide.pdf")"
  mv "$prefix/zorvex_core/doc/zorvex_guide.pdf" "$root/guide.pdf"
  rm -f "$case_dir/viewer.txt"
  keys F1
  sleep 0.5
  check "missing guide: no viewer" test ! -e "$case_dir/viewer.txt"
  mv "$root/guide.pdf" "$prefix/zorvex_core/doc/zorvex_guide.pdf"
  keys Return
  wait_window "[page 2 of 4]" && keys Return
  wait_window "[page 3 of 4]" && keys Return
  wait_window "Summary" && keys F1 && keys Return
  wait_window "Summary" && keys alt+f
fi
wait_end
check "finished" test "$status" = 0
check "summary help names the missing host help file" \
  grep -q "Can't find the Dorvane help file $prefix/bin/dorvane.hlp" "$case_dir/host.txt"

# --- Placement at -x/-y, and pushed back inside the screen ------------------------------------
geometry() { # prints left top right bottom of $window
  eval "$(xdotool getwindowgeometry --shell "$window")"
  echo "$X $Y $((X + WIDTH)) $((Y + HEIGHT))"
}
scenario=placement
start_wizard -n -x 900 -y 700 "$root/$scenario/f.vhd"
if wait_window "[page 1 of 4]"; then
  read -r left top right bottom < <(geometry)
  check "lower-right corner at (900, 700)" test "$right $bottom" = "900 700"
  keys Escape
fi
wait_end
check "corner reported" grep -q "page exit: corner at (900, 700)" "$case_dir/host.txt"
scenario=placement-clamped
start_wizard -n -x 5000 -y 4000 "$root/$scenario/f.vhd"
if wait_window "[page 1 of 4]"; then
  read -r left top right bottom < <(geometry)
  check "pushed back to the screen's lower-right corner" test "$right $bottom" = "1280 1024"
  keys Escape
fi
wait_end
scenario=placement-top-left
start_wizard -n -x 10 -y 10 "$root/$scenario/f.vhd"
if wait_window "[page 1 of 4]"; then
  read -r left top right bottom < <(geometry)
  check "pushed back to the screen's top-left corner" test "$left $top" = "0 0"
  keys Escape
fi
wait_end

# === Keys, lists and labels as a person meets them (begin) ======================================
# --- Return presses the push button that has the focus; Space still does ---------------------
scenario=return-on-cancel
start_wizard -n "$root/$scenario/f.vhd"
if wait_window "[page 1 of 4]"; then
  keys Tab Tab Tab   # the direction group, Next, then Cancel (Back is disabled on the first page)
  shot return-focus-cancel
  keys Return
fi
wait_end
check "Return on Cancel cancels: status 2" test "$status" = 2
check "one page exit" test "$(corners)" = 1

scenario=return-on-back
start_wizard -n "$root/$scenario/f.vhd"
wait_window "[page 1 of 4]" && keys Return
if wait_window "[page 2 of 4]"; then
  keys shift+Tab shift+Tab shift+Tab   # from the first box back over Finish and Cancel to Back
  shot return-focus-back
  keys Return
fi
if wait_window "[page 1 of 4]"; then
  keys Tab Tab Tab Tab   # the direction group, Next, Cancel, then Finish
  keys space
fi
wait_end
check "Return on Back went back, Space on Finish finished" test "$status" = 0
check "three page exits" test "$(corners)" = 3

# --- Drop-down lists: open on the value, closed by Return, F4, Alt+arrows, Escape --------------
scenario=drop-down
start_wizard -n "$root/$scenario/f.vhd"
wait_window "[page 1 of 4]" && keys Return
if wait_window "[page 2 of 4]"; then
  shot page2-labels
  keys alt+Down
  window="" shot list-opens-on-12   # the list is a window of its own: the whole screen
  keys Return              # takes 12 again, and is not the page's Next
  check "Return in the list keeps the page" has_window "[page 2 of 4]"
  keys F4 Down F4          # 13
  keys alt+Down Down Escape  # Escape changes nothing
  keys alt+Down Down alt+Up  # 14
  keys Tab alt+Down        # J = 17 is no entry of its list: nothing is highlighted
  window="" shot list-opens-on-none
  keys Return
  keys Tab Tab ctrl+a        # the codeword length
  xdotool type --delay 60 "2040"
  sleep 0.4
  shot edit-keeps-its-start
  keys ctrl+a
  xdotool type --delay 60 "204"
  keys alt+f
fi
wait_end
check "finished" test "$status" = 0
check "I taken from the list" grep -q 'PRIVATE: CHARACTERISTIC_I NUMERIC "14"' "$case_dir/f.cnx"
check "J kept" grep -q 'PRIVATE: CHARACTERISTIC_J NUMERIC "17"' "$case_dir/f.cnx"

# --- The summary list: nothing looks chosen, the current entry is outlined, long paths show whole
# --- as tooltips, by keyboard too --------------------------------------------------------------
scenario=summary-list
long_dir="$root/$scenario/a-design-folder-whose-name-is-longer-than-the-summary-list-is-wide"
mkdir -p "$long_dir"
start_wizard -n -symbol "$long_dir/f.vhd"
wait_window "[page 1 of 4]" && keys Return
wait_window "[page 2 of 4]" && keys Return
wait_window "[page 3 of 4]" && keys Return
if wait_window "[page 4 of 4] -- Summary"; then
  list_area="280x110+206+130"   # the list's entries, inside its frame, left of its scroll bar
  xdotool mousemove 0 0
  sleep 0.4
  shot summary-untouched
  # A click on the second entry, the arrow keys, the pointer taken away again; the arrows bring the
  # outline back to the first entry, and the list looks as it did.
  xdotool mousemove --window "$window" 250 150 click 1
  keys Down Down Up
  sleep 1
  shot summary-outline-moved
  window="" shot summary-keyboard-tooltip   # the current entry's whole path, below the list
  keys Up Up
  xdotool mousemove 0 0
  sleep 0.4
  shot summary-clicked
  for name in summary-untouched summary-clicked; do
    convert "$shots/$name.png" -crop "$list_area" +repage "$case_dir/$name-list.png"
  done
  check "no entry highlighted by clicks or arrows" \
    test "$(compare -metric AE "$case_dir/summary-untouched-list.png" "$case_dir/summary-clicked-list.png" null: 2>&1)" = 0
  convert "$shots/summary-outline-moved.png" -crop "$list_area" +repage "$case_dir/summary-outline-moved-list.png"
  check "the current entry is outlined and the outline follows the arrows" \
    test "$(compare -metric AE "$case_dir/summary-untouched-list.png" "$case_dir/summary-outline-moved-list.png" null: 2>&1)" != 0
  xdotool mousemove --window "$window" 300 136
  sleep 1.5
  window="" shot summary-tooltip
  keys alt+f
fi
wait_end
check "finished" test "$status" = 0
# === Keys, lists and labels as a person meets them (end) ========================================

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
