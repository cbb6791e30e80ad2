#!/usr/bin/env bash
# iverilog and Verilator side by side, for the choice of a Verilog design's simulator:
#
#   pair     the convolutional interleaver -> deinterleaver pair of conv_qzram through the library
#            testbench (tb_core, PAIR = 1, EXTERNAL = 0, W = 8) for as many edges as tarnwick runs
#            it (the latency (I-1)·J·I + 6, then 4·I·J + 8), at I/J = 12/17 (the median of RUNS
#            runs) and at 40/500 (one run): the build (iverilog -g2001; verilator --binary with
#            -j 2) and the run (vvp; the built program), each as user + system and elapsed
#            seconds, and whether both records agree once iverilog's x (memory never written) is
#            read as Verilator's 0.
#   design   tarnwick -n -silent --simulate on the default variation's .v (12/17/8, 6750 edges),
#            whole runs with the wizard and the pair, with --simulator iverilog and verilator: the
#            median of RUNS runs, user + system (of tarnwick and its children) and elapsed.
#
# From the pair's figures it prints the edges from which Verilator's run, build included, is
# shorter than iverilog's: the difference of the builds over the difference of the run times per
# edge at 40/500. A benchmark, not a test: no figure is asserted.
#
# Usage: bench/simulator_bench.sh <path to tarnwick> [--runs N] [--no-large] [--design-only] [--work DIR]
set -u -o pipefail

here=$(cd "$(dirname "$0")" && pwd)
hdl=$(cd "$here/../hdl" && pwd)
usage() { sed -n '/^# Usage:/,/^set /p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2; }
[ $# -ge 1 ] || usage
tarnwick=$(realpath "$1")
shift
runs=3
large=1
pairs=1
work=
while [ $# -gt 0 ]; do
  case $1 in
    --runs) runs=$2; shift 2 ;;
    --no-large) large=0; shift ;;
    --design-only) pairs=0; shift ;;
    --work) work=$2; shift 2 ;;
    *) usage ;;
  esac
done
for tool in iverilog vvp verilator make /usr/bin/time; do
  command -v $tool >/dev/null || { echo "$tool is missing"; exit 1; }
done
work=${work:-$(mktemp -d)}
mkdir -p "$work" && work=$(cd "$work" && pwd)
echo "work: $work"
# The library of this tree, wherever tarnwick was built.
export DISPLAY= WAYLAND_DISPLAY= ZORVEX_HDL_DIR=$hdl

# timed LOG CMD...: runs CMD in the current folder, its output in LOG; prints "user+sys elapsed".
timed() {
  local log=$1
  shift
  /usr/bin/time -f '%U %S %e' -o "$log.time" "$@" >"$log" 2>&1 || { echo "failed: $* (see $log)" >&2; return 1; }
  awk '{printf "%.2f %.2f\n", $1 + $2, $3}' "$log.time"
}
# median FILE COLUMN: the median of a column of numbers.
median() { sort -g -k"$2","$2" "$1" | awk -v c="$2" '{v[NR] = $c} END {print v[int((NR + 1) / 2)]}'; }

# pair_folder I J: a folder with the sources and the stimulus of the pair at I/J, W = 8; prints
# the edges.
pair_folder() {
  local d=$work/pair-$1-$2 edges=$(( ($1 - 1) * $2 * $1 + 6 + 4 * $1 * $2 + 8 ))
  mkdir -p "$d/src"
  for f in qz_addrgen.v conv_qzram.v genaddr.v tb_stage.v tb_core.v qz_functions.vh; do
    ln -sf "$hdl/$f" "$d/src/$f"
  done
  awk -v n="$edges" 'BEGIN {srand(1); for (e = 0; e < n; ++e) {
      s = ""; v = int(rand() * 256); for (b = 7; b >= 0; --b) s = s (int(v / 2 ^ b) % 2);
      print "1", (e == 0 ? 1 : 0), s } }' >"$d/stimulus.txt"
  echo "$edges"
}

# pair_run SIMULATOR I J EDGES: one build and run; prints "build-user build-elapsed run-user run-elapsed".
pair_run() {
  local d=$work/pair-$2-$3 sources="src/qz_addrgen.v src/conv_qzram.v src/genaddr.v src/tb_stage.v src/tb_core.v"
  local params="INT_TYPE=\"CONVOLUTIONAL\" INT_DEPTH=$2 SYMBOL_DELAY=$3 INT_MODE=\"INTERLEAVER\" SYMBOL_WIDTH=8
    EXTERNAL=0 PAIR=1 CYCLES=$4 STIMULUS=\"stimulus.txt\" DUMP=\"record-$1.txt\""
  local p args=() build run
  (
    cd "$d" || exit 1
    rm -rf obj "$1.vvp"
    if [ "$1" = iverilog ]; then
      for p in $params; do args+=("-Ptb_core.$p"); done
      build=$(timed iverilog-build.log iverilog -g2001 -o iverilog.vvp -s tb_core -Isrc "${args[@]}" $sources) &&
        run=$(timed iverilog-run.log vvp -n iverilog.vvp)
    else
      for p in $params; do args+=("-G$p"); done
      build=$(timed verilator-build.log verilator --binary -Wno-fatal --timescale 1ns/1ns -j 2 --Mdir obj \
                -o simulation --top-module tb_core -Isrc "${args[@]}" $sources) &&
        run=$(timed verilator-run.log obj/simulation)
    fi || exit 1
    echo "$build $run"
  )
}

# pair SIZE-I SIZE-J RUNS: the table rows of both simulators.
pair() {
  local edges simulator k
  edges=$(pair_folder "$1" "$2")
  for simulator in iverilog verilator; do
    : >"$work/pair-$1-$2/$simulator.figures"
    for ((k = 0; k < $3; k++)); do
      pair_run $simulator "$1" "$2" "$edges" >>"$work/pair-$1-$2/$simulator.figures" || return 1
    done
    local f=$work/pair-$1-$2/$simulator.figures
    printf '| %s/%s, %s edges | %s | %s / %s s | %s / %s s |\n' "$1" "$2" "$edges" "$simulator" \
      "$(median "$f" 1)" "$(median "$f" 2)" "$(median "$f" 3)" "$(median "$f" 4)"
  done
  local same=no
  cmp -s <(tr x 0 <"$work/pair-$1-$2/record-iverilog.txt") "$work/pair-$1-$2/record-verilator.txt" && same=yes
  echo "records agree (x as 0): $same"
}

[ $pairs = 1 ] && echo && echo "| pair | simulator | build user+sys / elapsed | run user+sys / elapsed |" &&
  echo "|---|---|---|---|"
[ $pairs = 0 ] || pair 12 17 "$runs" || exit 1
if [ $pairs = 1 ] && [ $large = 1 ]; then
  pair 40 500 1 || exit 1
  # The edges from which Verilator's build and run take less time than iverilog's.
  big=$work/pair-40-500
  edges=$(( 39 * 500 * 40 + 6 + 4 * 40 * 500 + 8 ))
  awk -v n="$edges" -v iv="$(cat "$big/iverilog.figures")" -v vl="$(cat "$big/verilator.figures")" 'BEGIN {
      split(iv, i, " "); split(vl, v, " ")
      per = (i[4] - v[4]) / n
      if (per <= 0) { print "Verilator runs no faster per edge: it never pays off"; exit }
      printf "Verilator pays off (elapsed, build included) from about %d edges: builds %.1f s vs %.1f s, %.2f vs %.2f us per edge\n",
             (v[2] - i[2]) / per, v[2], i[2], i[4] / n * 1e6, v[4] / n * 1e6 }'
fi

# --- the design simulation through tarnwick --------------------------------------------------
echo
echo "| design f.v, default variation | simulator | user+sys | elapsed |"
echo "|---|---|---|---|"
for simulator in iverilog verilator; do
  d=$work/design-$simulator
  mkdir -p "$d"
  : >"$d/figures"
  for ((k = 0; k < runs; k++)); do
    rm -f "$d"/f.*
    (cd "$d" && timed run.log "$tarnwick" -n -silent --simulate --simulator $simulator "$d/f.v") >>"$d/figures" || exit 1
    grep -q "simulation with $simulator:" "$d/run.log" || { echo "tarnwick did not simulate with $simulator" >&2; exit 1; }
  done
  printf '| 6750 edges + the pair, 3074 edges | %s | %s s | %s s |\n' $simulator "$(median "$d/figures" 1)" \
    "$(median "$d/figures" 2)"
done
