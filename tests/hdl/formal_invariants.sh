#!/usr/bin/env bash
# Unbounded proof, by k-induction with yosys-smtbmc and z3, of the counters' invariants that
# qz_addrgen.v states under FORMAL: for conv_qzram and genaddr, every type and mode, from the
# initial values with sync_in and clock_enable free at every cycle, the basecase (no trace of
# K steps from the initial values breaks an assertion) and the induction step (K steps that
# keep the assertions are followed by one that keeps them, from any state) with the same K for
# every size. Then copies of the cores with a fault put in must be refuted by the basecase, a
# trace from the initial values, kept as a .vcd whose path is printed.
# Usage: formal_invariants.sh HDL_DIR WORK_DIR. Exits 77 without yosys, yosys-smtbmc or z3.
set -u
hdl=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
command -v yosys >/dev/null && command -v yosys-smtbmc >/dev/null && command -v z3 >/dev/null ||
  { echo "yosys, yosys-smtbmc or z3 missing: skipped"; exit 77; }
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

k=6               # induction depth, the same for every size
solver_limit=120  # seconds per solver run

# smt2 TOP TYPE MODE I J CORES NAME: the core as an and-inverter graph (z3 reads it at once; the
# word-level form takes it minutes), the RAM as flip-flops, every input free.
smt2() {
  local w=""
  [ "$1" = conv_qzram ] && w="-set SYMBOL_WIDTH 1"
  yosys -q -p "read_verilog -defer -formal -I $6 $6/qz_addrgen.v $6/conv_qzram.v $6/genaddr.v; \
      chparam -set INT_TYPE \"$2\" -set INT_MODE \"$3\" -set INT_DEPTH $4 -set SYMBOL_DELAY $5 $w $1; \
      prep -top $1; flatten; memory_map; opt; techmap; opt; abc -g AND; opt; async2sync; dffunmap; \
      write_smt2 -wires $7.smt2" > "$7.yosys.log" 2>&1
}

# solve NAME STEP: STEP base (the basecase, --presat: the assumptions leave a trace) or step (the
# induction step); prints the status word, PASSED, FAILED, or what ended it otherwise.
solve() {
  local opt="--presat" status
  [ "$2" = step ] && opt="-i"
  timeout "$solver_limit" yosys-smtbmc -s z3 $opt --noprogress -t $k --dump-vcd "$1.$2.vcd" "$1.smt2" \
    > "$1.$2.log" 2>&1
  status=$(grep -o 'Status: [A-Z]*' "$1.$2.log" | tail -1)
  echo "${status#Status: }"
}

# The assertions a solver log names, as qz_addrgen.v writes them (yosys's source span of one
# starts where the statement before it ends: its text runs from the span's last "assert" line).
failed_assertions() { # LOG SOURCE
  grep -o 'qz_addrgen.v:[0-9]*\.[0-9]*-[0-9]*' "$1" | sort -u | while IFS=':.-' read -r _ _ first _ last; do
    echo "    $(sed -n "${first},${last}p" "$2" | awk '/assert/ { text = "" } { text = text $0 } END { print text }' |
      tr -s ' ' ' ')"
  done
}

# prove TOP TYPE MODE I J: writes NAME.result and NAME.rc (0 proved, 1 refuted, 2 no verdict).
prove() {
  local name="$1-$2-$3-I$4-J$5" start base step took
  exec > "$name.result"
  start=$(date +%s.%N)
  if ! smt2 "$@" "$hdl" "$name"; then
    echo "$name: yosys failed (see $work/$name.yosys.log)"; echo 2 > "$name.rc"; return
  fi
  base=$(solve "$name" base)
  step=$(solve "$name" step)
  took=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
  echo "$name: k=$k basecase $base, induction step $step, ${took}s"
  if [ "$base" = PASSED ] && [ "$step" = PASSED ]; then
    echo 0 > "$name.rc"; rm -f "$name.smt2" "$name".*.vcd
  else
    for s in base step; do
      [ -s "$name.$s.vcd" ] && echo "  counterexample $work/$name.$s.vcd" &&
        failed_assertions "$name.$s.log" "$hdl/qz_addrgen.v"
    done
    echo 2 > "$name.rc"
  fi
}

# refute FAULT TOP TYPE MODE I J: the copy in WORK_DIR/FAULT must fail the basecase with a trace.
refute() {
  local fault=$1 name
  shift
  name="$fault-$1-$2-$3-I$4-J$5"
  exec > "$name.result"
  if ! smt2 "$@" "$work/$fault" "$name"; then
    echo "$name: yosys failed (see $work/$name.yosys.log)"; echo 2 > "$name.rc"; return
  fi
  local base step
  base=$(solve "$name" base)
  if [ "$base" = FAILED ] && [ -s "$name.base.vcd" ]; then
    step=$(grep -o 'Checking assertions in step [0-9]*' "$name.base.log" | tail -1 | grep -o '[0-9]*$')
    echo "$name: basecase FAILED at step $step, counterexample $work/$name.base.vcd:"
    failed_assertions "$name.base.log" "$work/$fault/qz_addrgen.v"
    echo 1 > "$name.rc"
  else
    echo "$name: basecase $base (the fault is not refuted from the initial values)"; echo 2 > "$name.rc"
  fi
}

# Two at a time, reported in order.
run_all() { # "FUNCTION ARGS"...
  local c
  for c in "$@"; do
    [ "$(jobs -rp | wc -l)" -ge 2 ] && wait -n
    ($c) &
  done
  wait
}
result() { # NAME: the result lines, then the rc
  cat "$1.result"; cat "$1.rc" 2>/dev/null || echo 2
}

# Every type and mode of both cores at I/J 2/2 (the smallest), 3/3, 5/2 and 6/4.
proofs=()
for ij in "2 2" "3 3" "5 2" "6 4"; do
  for top in conv_qzram genaddr; do
    for type in CONVOLUTIONAL BLOCK BLOCK_CONTINOUS; do
      for mode in INTERLEAVER DEINTERLEAVER; do proofs+=("$top $type $mode $ij"); done
    done
  done
done

# The faults, each a copy of the cores changed by one line: a branch pointer that steps past its
# region's last word instead of wrapping (genaddr's single-word FIFO leaves its region at once);
# a restart that leaves the index of the FIFO two ahead (after_q) as it was; a restart that
# leaves the discrete block's phase as it was.
copy_with() { # NAME SED_SCRIPT
  rm -rf "$1" && cp -r "$hdl" "$1" && sed -i "$2" "$1/qz_addrgen.v"
  cmp -s "$hdl/qz_addrgen.v" "$1/qz_addrgen.v" && fail "the fault $1 could not be put into a copy of qz_addrgen.v"
}
copy_with pointer_leaves_region 's/head_next = wrap_q ? base_q : head + ONE;/head_next = head + ONE;/'
copy_with restart_keeps_after '/after_q <= AFTER_RESTART;/d'
copy_with restart_keeps_phase "/wphase_q <= 1'b1;/d"
faults=("pointer_leaves_region genaddr CONVOLUTIONAL INTERLEAVER 2 2"
  "restart_keeps_after genaddr CONVOLUTIONAL DEINTERLEAVER 3 2"
  "restart_keeps_phase conv_qzram BLOCK INTERLEAVER 2 2")

run_all "${proofs[@]/#/prove }" "${faults[@]/#/refute }"

for c in "${proofs[@]}"; do
  set -- $c
  out=$(result "$1-$2-$3-I$4-J$5")
  rc=${out##*$'\n'}
  out=${out%$'\n'*}
  if [ "$rc" = 0 ]; then echo "ok   $out"; else fail "$out"; fi
done
for c in "${faults[@]}"; do
  set -- $c
  out=$(result "$1-$2-$3-$4-I$5-J$6")
  rc=${out##*$'\n'}
  out=${out%$'\n'*}
  if [ "$rc" = 1 ]; then echo "ok   $out"; echo "     (the fault fails the proof, as it must)"; else fail "$out"; fi
done
[ $failures -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "all checks passed"
