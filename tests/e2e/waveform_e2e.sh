#!/usr/bin/env bash
# The waveform view as a designer opens it: tarnwick simulates a design, then GTKWave opens the
# waveform with the view beside it in a real X server (Xvfb). GTKWave itself says, through its Tcl
# interface, what it shows: a window of a few dozen clock cycles around the first output, named
# markers at the edges of the first input and the first output the report gives, the ports in the
# design's order, and the whole run after Zoom Full. A screenshot of the opened view is kept.
# Usage: waveform_e2e.sh <build dir> [screenshot dir]
set -uo pipefail

build=$(cd "$1" && pwd)
shots=${2:-$build/e2e-screenshots}
mkdir -p "$shots"
source "$(dirname "$0")/xvfb_session.sh"
require_tools Xvfb xdotool gtkwave iverilog import
gtkwave_pid=""
stop_extras() { [ -n "$gtkwave_pid" ] && kill "$gtkwave_pid" 2>/dev/null; }
start_xvfb waveform 210 1280x800x24
name=waveform

mkdir -p "$root/work" "$root/designs"
cd "$root/work" || exit 1
"$build/tarnwick" -n -silent --simulate "$root/designs/f.v" >report.txt 2>&1 \
  || { cat report.txt; echo "FAIL: the simulation"; exit 1; }
read -r first_in first_out < <(sed -n 's/.*first input in cycle \([0-9]*\), first output in cycle \([0-9]*\).*/\1 \2/p' report.txt)
[ -n "${first_out:-}" ] || { cat report.txt; echo "FAIL: no first input and output in the report"; exit 1; }
# The vector file's clock rises at 20 + 40 k nanoseconds, the edge of cycle k.
edge_in=$((20 + 40 * first_in))
edge_out=$((20 + 40 * first_out))
ports=$(sed -n 's/^ *\(input\|output\) .* \([a-z_]*\),\{0,1\}$/\2/p' "$root/designs/f.v" | tr '\n' ' ')

# Runs GTKWave on the waveform and its view with the Tcl script $1; what the script prints goes
# to $2. Waits for the script's last line, "done".
open_view() {
  gtkwave "$root/designs/f.vcd" "$root/designs/f.gtkw" -S "$1" >"$2" 2>&1 &
  gtkwave_pid=$!
  for _ in $(seq 200); do grep -q '^done' "$2" && return 0; sleep 0.1; done
  return 1
}
stop_view() { kill "$gtkwave_pid" 2>/dev/null; wait "$gtkwave_pid" 2>/dev/null; gtkwave_pid=""; }

cat >opened.tcl <<'TCL'
puts "window [gtkwave::getWindowStartTime] [gtkwave::getWindowEndTime]"
puts "markers [gtkwave::getNamedMarker A] [gtkwave::getNamedMarker B]"
set traces {}
for {set i 0} {$i < [gtkwave::getTotalNumTraces]} {incr i} {
  lappend traces [lindex [split [gtkwave::getTraceNameFromIndex $i] {[}] 0]
}
puts "traces $traces"
puts done
TCL
if open_view opened.tcl opened.txt; then
  read -r _ start end < <(grep '^window' opened.txt)
  read -r _ mark_a mark_b < <(grep '^markers' opened.txt)
  traces=$(sed -n 's/^traces //p' opened.txt)
  [ "$mark_a $mark_b" = "$edge_in $edge_out" ] \
    || fail "markers at $mark_a and $mark_b, not at the first input's edge $edge_in and the first output's $edge_out"
  [ "$start" -le "$edge_out" ] && [ "$end" -ge "$edge_out" ] \
    || fail "the view opens on $start..$end ns, without the first output at $edge_out"
  cycles=$(((end - start) / 40))
  [ "$cycles" -ge 16 ] && [ "$cycles" -le 64 ] || fail "the view opens on $cycles cycles ($start..$end ns)"
  [ "$traces " = "$ports" ] || fail "the view lists '$traces', not the design's ports '$ports'"
  # The window is drawn once the script has run.
  await_window "GTKWave" && sleep 1 && import -window "$window" "$shots/waveform-gtkwave.png"
  echo "opened on $start..$end ns ($cycles cycles), markers at $mark_a and $mark_b ns, traces: $traces"
else
  fail "GTKWave did not open the view: $(cat opened.txt)"
fi
stop_view

cat >zoomed.tcl <<'TCL'
gtkwave::/Time/Zoom/Zoom_Full
puts "window [gtkwave::getWindowStartTime] [gtkwave::getWindowEndTime] [gtkwave::getMaxTime]"
puts done
TCL
if open_view zoomed.tcl zoomed.txt; then
  read -r _ start end last < <(grep '^window' zoomed.txt)
  [ "$start" -eq 0 ] && [ "$end" -ge "$last" ] || fail "Zoom Full shows $start..$end ns of a run to $last ns"
else
  fail "GTKWave did not open the view: $(cat zoomed.txt)"
fi
stop_view

if [ "$failed" -gt 0 ]; then
  echo "$failed check(s) failed; screenshot in $shots"
  exit 1
fi
echo "the view opens on the first output with its markers; screenshot in $shots/waveform-gtkwave.png"
