#!/usr/bin/env bash
# The largest design through tarnwick --simulate-only, phase by phase, the way the flow ran it
# before and the way it runs it now, side by side: convolutional, I = 40, J = 500, W = 8 (a vector
# file of 2,340,018 clock edges; the pair 860,014 edges), as a .vhd and as a .v design.
#
#   before  the design's simulator for both phases (--simulator ghdl or iverilog) and ghdl's
#           default back end (GHDL_BACKEND=mcode)
#   after   tarnwick's own choice: ghdl's LLVM back end for long ghdl runs where ghdl-llvm is
#           installed, and the long pair with Verilator where it is installed
#
# With --compare OLD, the rows are instead OLD and the given tarnwick, each making its own choices
# (two builds of tarnwick side by side, each with its own library cores).
#
# For each run: the seconds of the design simulation and of the pair (from tarnwick's --progress
# lines), the whole run's elapsed time, and the user + system time of tarnwick and its children;
# whether it passed. A benchmark, not a test: no figure is asserted. Runs go one after another.
#
# Usage: bench/largest_design_bench.sh <path to tarnwick> [--work DIR] [--vhd-only | --v-only]
#        [--compare <path to an older tarnwick>]
set -u -o pipefail

usage() { sed -n '/^# Usage:/,/^set /p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2; }
[ $# -ge 1 ] || usage
tarnwick=$(realpath "$1")
shift
work=
older=
languages="vhd v"
while [ $# -gt 0 ]; do
  case $1 in
    --work) work=$2; shift 2 ;;
    --vhd-only) languages=vhd; shift ;;
    --v-only) languages=v; shift ;;
    --compare) older=$(realpath "$2"); shift 2 ;;
    *) usage ;;
  esac
done
[ -n "$work" ] || work=$(mktemp -d)
mkdir -p "$work" && cd "$work" || exit 1

# run NAME ENV... -- ARGS...: one timed run of $program; prints its row.
program=$tarnwick
run() {
  local name=$1 log=$work/$1.log start end
  shift
  local envs=()
  while [ "$1" != -- ]; do envs+=("$1"); shift; done
  shift
  start=$(date +%s.%N)
  env "${envs[@]}" /usr/bin/time -f "%U %S" -o "$work/$name.time" "$program" -silent --simulate-only --progress \
    "$@" > "$work/$name.out" 2> "$log"
  local status=$?
  end=$(date +%s.%N)
  awk -v name="$name" -v start="$start" -v end="$end" -v status="$status" -v times="$(cat "$work/$name.time")" '
    / s  design simulation$/ {d = $2}
    / s  interleaver -> deinterleaver pair$/ {p = $2}
    END {
      split(times, t, " "); total = end - start
      printf "%-14s | %8.1f %8.1f | %8.1f %8.1f | %s\n", name, p - d, total - p, total, t[1] + t[2],
             status == 0 ? "passed" : "status " status
    }' "$log"
}

printf "%-14s | %8s %8s | %8s %8s |\n" run design pair elapsed "user+sys"
# make PROGRAM DESIGN: the largest design, made by PROGRAM with its own library cores beside it.
make() {
  mkdir -p "$(dirname "$2")" &&
    "$1" -n -silent --set I=40 --set J=500 --set W=8 "$2" > /dev/null 2>&1 || { echo "cannot make $2"; return 1; }
}

for language in $languages; do
  design=big.$language
  if [ -n "$older" ]; then
    make "$older" "older/$design" && program=$older run "$language-older" DUMMY=1 -- "older/$design"
    make "$tarnwick" "$design" || continue
  else
    make "$tarnwick" "$design" || continue
    if [ "$language" = vhd ]; then
      run vhd-before GHDL_BACKEND=mcode -- --simulator ghdl "$design"
    else
      run v-before DUMMY=1 -- --simulator iverilog "$design"
    fi
  fi
  program=$tarnwick run "$language-after" DUMMY=1 -- "$design"
done
echo "logs and reports: $work"
