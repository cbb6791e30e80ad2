#!/usr/bin/env bash
# Time from starting the wizard to its first page being on screen, in a real X server (Xvfb),
# beside the time of a silent run of the same variation. Prints the medians of N runs.
#   bench/first_page_bench.sh <build dir> [runs]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-15}
root=$(mktemp -d /tmp/zorvex-first-page.XXXXXX)
export DISPLAY=":$(( 170 + $$ % 50 ))"
export XDG_RUNTIME_DIR="$root/runtime"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$root"' EXIT
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

shown=()
silent=()
cd "$root"
for _ in $(seq "$runs"); do
  start=$(now_ms)
  "$build/zorvex" -n "$root/f.vhd" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name 'page 1 of 4' >/dev/null 2>&1; do sleep 0.002; done
  shown+=($(( $(now_ms) - start )))
  kill "$pid"; wait "$pid" 2>/dev/null || true

  start=$(now_ms)
  "$build/zorvex" -n -silent "$root/f.vhd"
  silent+=($(( $(now_ms) - start )))
done
echo "first page on screen: median $(printf '%s\n' "${shown[@]}" | median) ms over $runs runs"
echo "silent run (default settings): median $(printf '%s\n' "${silent[@]}" | median) ms"
