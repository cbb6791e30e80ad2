#!/usr/bin/env bash
# Unbounded proof, by k-induction with yosys-smtbmc and z3, of the counters' invariants that
# qz_addrgen.v states under FORMAL: for conv_qzram and genaddr, every type and mode, from the
# initial values with sync_in and clock_enable free at every cycle, the basecase (no trace of
# K steps from the initial values breaks an assertion) and the induction step (K steps that
# keep the assertions are followed by one that keeps them, from any state) with the same K for
# every size. Then the pairs' promise (formal/pair_check.v: every symbol leaves the
# deinterleaver unchanged at the latency, dout_valid exactly on them, sync_out exactly on the
# frame starts) by the same induction, with the invariants of formal/pair_block_induction.v,
# pair_cont_induction.v or pair_conv_induction.v and the cores' proven invariants assumed. Copies of the cores with a fault put in must be refuted by a trace from the initial
# values, kept as a .vcd whose path is printed.
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

# solve NAME STEP [DEPTH]: STEP base (the basecase, --presat: the assumptions leave a trace) or step
# (the induction step), K steps unless DEPTH; prints the status word, PASSED, FAILED, or what
# ended it otherwise.
solve() {
  local opt="--presat" status
  [ "$2" = step ] && opt="-i"
  timeout "$solver_limit" yosys-smtbmc -s z3 $opt --noprogress -t "${3:-$k}" --dump-vcd "$1.$2.vcd" "$1.smt2" \
    > "$1.$2.log" 2>&1
  status=$(grep -o 'Status: [A-Z]*' "$1.$2.log" | tail -1)
  echo "${status#Status: }"
}

# The assertions a solver log names, as the source writes them: the file of the assertion cell's
# name, its span in the cell's chain of source places (which starts where the statement before
# it ends: the text runs from the span's last "assert" line).
failed_assertions() { # LOG CORES
  local line file span first last
  grep 'Assert failed' "$1" | while read -r line; do
    file=$(echo "$line" | sed -n 's/.*[$]assert[$][^ ]*\/\([a-z_]*\.v\):.*/\1/p')
    span=$(echo "$line" | grep -o "/$file:[0-9]*\.[0-9]*-[0-9]*" | head -1)
    first=${span#*:}; first=${first%%.*}; last=${span##*-}
    file=$([ -f "$2/$file" ] && echo "$2/$file" || echo "$here/formal/$file")
    echo "    $(sed -n "${first},${last}p" "$file" | awk '/assert/ { text = "" } { text = text $0 } END { print text }' |
      tr -s ' ' ' ')"
  done | sort -u
}

# pair_smt2 TYPE I J EXTERNAL CORES NAME [CHECKED]: the pair in pair_block_induction (discrete
# block), pair_cont_induction (continuous block) or pair_conv_induction (convolutional), W=2,
# its probe wires driven from the
# registers they name after flattening. The cores' invariants are assumed: proven above for every
# run from the initial values, they hold in every state the pair reaches (with CHECKED, for a
# copy with a fault, they stay assertions).
pair_smt2() {
  local type=$1 i=$2 j=$3 x=$4 cores=$5 name=$6 con s c r o w top words assumed
  assumed=$([ -z "${7:-}" ] && echo "chformal -assert2assume *qz_addrgen*;")
  con="connect -set p_cycle pair.cycle_q; connect -set p_since pair.since_q;"
  for w in fresh started pend picked took sym; do con="$con connect -set p_$w pair.${w}_q;"; done
  if [ "$type" = BLOCK ]; then
    top=pair_block_induction words=$((i * j))
    con="$con connect -set p_blk pair.blk_q; connect -set p_seen pair.seen_q;"
  elif [ "$type" = BLOCK_CONTINOUS ]; then
    top=pair_cont_induction words=$((i * j))
    con="$con connect -set p_blk pair.blk_q; connect -set p_start pair.start_q; connect -set p_age pair.age_q;"
    for s in 1 2; do
      [ $s = 1 ] && c=pair.first || c=pair.second
      [ "$x" = 0 ] && c=$c.internal.core || c=$c.outside.core
      for w in pos step unit bsync mark_out; do con="$con connect -set p_$w$s $c.addresses.block.${w}_q;"; done
      con="$con connect -set p_pend_restart$s $c.addresses.pend_restart_q;"
      [ "$x" = 0 ] && con="$con connect -set p_mark_pipe$s $c.mark_pipe_q;"
    done
  else
    top=pair_conv_induction words=$((i * (i - 1) * j / 2 + x * i))
    con="$con connect -set p_fmod pair.fmod_q; connect -set p_flen pair.flen_q; connect -set p_age pair.age_q;"
    con="$con connect -set p_start pair.start_q;"
    [ "$x" = 0 ] && c=pair.first.internal.core || c=pair.first.outside.core
    con="$con connect -set p_mark_out1 $c.addresses.convolutional.mark_out_q;"
    if [ "$x" = 0 ]; then con="$con connect -set p_mark_pipe1 $c.mark_pipe_q;"
    else con="$con connect -set p_count1 $c.addresses.convolutional.mark_count_q;"; fi
    [ "$x" = 0 ] && c=pair.second.internal.core || c=pair.second.outside.core
    con="$con connect -set p_mark_out2 $c.addresses.convolutional.mark_out_q;"
    [ "$x" = 0 ] && con="$con connect -set p_mark_pipe2 $c.mark_pipe_q;"
    con="$con connect -set p_counts $c.addresses.convolutional.mark_count_q;"
    con="$con connect -set p_slot $c.addresses.convolutional.mark_slot_q;"
  fi
  for s in 1 2; do
    [ $s = 1 ] && c=pair.first || c=pair.second
    if [ "$x" = 0 ]; then r=$c.internal.core.ram o=$c.internal.core.ram_q c=$c.internal.core
    else r=$c.outside.ram o=$c.outside.q c=$c.outside.core; fi
    con="$con connect -set p_pend$s $c.addresses.pend_q;"
    if [ "$type" = BLOCK ]; then
      con="$con connect -set p_pos$s $c.addresses.block.pos_q; connect -set p_wphase$s $c.addresses.block.wphase_q;"
      con="$con connect -set p_read_out$s $c.addresses.block.read_out_q;"
      [ "$x" = 0 ] && con="$con connect -set p_read_pipe$s $c.read_pipe_q;"
    elif [ "$type" = CONVOLUTIONAL ]; then
      con="$con connect -set p_br$s $c.addresses.convolutional.br_q; connect -set p_pend_restart$s $c.addresses.pend_restart_q;"
      con="$con connect -set p_ring$s $c.addresses.convolutional.ring_q;"
      con="$con connect -set p_late$s $c.addresses.convolutional.late_restart_q;"
      [ "$x" = 0 ] && con="$con connect -set p_bypass$s $c.addresses.convolutional.bypass_q;
        connect -set p_pass$s $c.select_bypass.pass_q; connect -set p_din$s $c.select_bypass.din_q;
        connect -set p_passed$s $c.select_bypass.passed_q;"
    fi
    for ((w = 0; w < words; w++)); do con="$con connect -set p_ram$s[$((2 * w + 1)):$((2 * w))] $r[$w];"; done
    con="$con connect -set p_out$s $o;"
    [ "$x" = 0 ] && con="$con connect -set p_dout$s $c.dout_q; connect -set p_write$s $c.write_q;
      connect -set p_write_addr$s $c.write_addr_q; connect -set p_write_data$s $c.write_data_q;"
  done
  yosys -q -p "read_verilog -defer -formal -I $cores $cores/qz_addrgen.v $cores/conv_qzram.v $cores/genaddr.v \
        $cores/tb_stage.v $here/formal/pair_check.v $here/formal/$top.v; \
      chparam -set INT_DEPTH $i -set SYMBOL_DELAY $j -set EXTERNAL $x $top; \
      prep -top $top; $assumed flatten; memory_map; \
      cd $top; $con cd ..; \
      opt; techmap; opt; abc -g AND; opt; async2sync; dffunmap; write_smt2 -wires $name.smt2" > "$name.yosys.log" 2>&1
}

# prove TOP TYPE MODE I J: writes NAME.result and NAME.rc (0 proved, 1 refuted, 2 no verdict).
prove() {
  local name="$1-$2-$3-I$4-J$5" start base step took
  exec > "$name.result"
  start=$(date +%s.%N)
  if [ "$1" = pair ]; then
    pair_smt2 "$3" "$4" "$5" "$([ "$2" = genaddr ] && echo 1 || echo 0)" "$hdl" "$name"
  else
    smt2 "$@" "$hdl" "$name"
  fi
  if [ $? != 0 ]; then
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
        failed_assertions "$name.$s.log" "$hdl"
    done
    echo 2 > "$name.rc"
  fi
}

# refute FAULT TOP TYPE MODE I J: the copy in WORK_DIR/FAULT must fail the basecase with a trace;
# a pair's, whose promise is first due at its latency, within the cycles of 2 * latency enabled
# edges (a 0 every sixth cycle).
refute() {
  local fault=$1 name depth=$k
  shift
  name="$fault-$1-$2-$3-I$4-J$5"
  exec > "$name.result"
  if [ "$1" = pair ]; then
    local x=0 lat
    [ "$2" = genaddr ] && x=1
    if [ "$3" != CONVOLUTIONAL ]; then lat=$((2 * $4 * $5 + (x == 0 ? 4 : 1))); else lat=$((($4 - 1) * $5 * $4 + 6)); fi
    depth=$((2 * lat * 6 / 5 + 3))
    pair_smt2 "$3" "$4" "$5" "$x" "$work/$fault" "$name" checked
  else
    smt2 "$@" "$work/$fault" "$name"
  fi
  if [ $? != 0 ]; then
    echo "$name: yosys failed (see $work/$name.yosys.log)"; echo 2 > "$name.rc"; return
  fi
  local base step
  base=$(solve "$name" base "$depth")
  if [ "$base" = FAILED ] && [ -s "$name.base.vcd" ]; then
    step=$(grep -o 'Checking assertions in step [0-9]*' "$name.base.log" | tail -1 | grep -o '[0-9]*$')
    echo "$name: basecase FAILED at step $step, counterexample $work/$name.base.vcd:"
    failed_assertions "$name.base.log" "$work/$fault"
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

# Every type and mode of both cores at I/J 2/2 (the smallest), 3/3 and 6/4; the discrete block
# and convolutional pairs, conv_qzram at 3/2 and 6/4, genaddr with its RAM at 3/2, and the
# continuous block pair, conv_qzram at 3/2 and genaddr at 2/2 (genaddr's convolutional pair
# and the continuous pairs at 6/4 take yosys and z3 more than a minute each).
proofs=()
for ij in "2 2" "3 3" "6 4"; do
  for top in conv_qzram genaddr; do
    for type in CONVOLUTIONAL BLOCK BLOCK_CONTINOUS; do
      for mode in INTERLEAVER DEINTERLEAVER; do proofs+=("$top $type $mode $ij"); done
    done
  done
done
proofs+=("pair genaddr BLOCK 3 2" "pair genaddr CONVOLUTIONAL 3 2" "pair conv_qzram BLOCK_CONTINOUS 3 2"
  "pair genaddr BLOCK_CONTINOUS 2 2")
for ij in "3 2" "6 4"; do
  proofs+=("pair conv_qzram BLOCK $ij" "pair conv_qzram CONVOLUTIONAL $ij")
done

# The faults, each a copy of the cores changed by one line: a branch pointer that steps past its
# region's last word instead of wrapping (genaddr's single-word FIFO leaves its region at once);
# a restart that leaves the index of the FIFO two ahead (after_q) as it was; a restart that
# leaves the discrete block's phase as it was; a block deinterleaver that walks with the
# interleaver's step (J), discrete and continuous, a conv_qzram whose output takes the zero-delay branch's symbol after
# every FIFO symbol instead (its flag inverted), and a convolutional deinterleaver whose frame
# starts in step count their marks down from one less: their counters stay consistent, their
# pairs scramble the symbols or mark the wrong ones.
copy_with() { # NAME FILE SED_SCRIPT
  rm -rf "$1" && cp -r "$hdl" "$1" && sed -i "$3" "$1/$2"
  cmp -s "$hdl/$2" "$1/$2" && fail "the fault $1 could not be put into a copy of $2"
}
copy_with pointer_leaves_region qz_addrgen.v 's/head_next = wrap_q ? base_q : head + ONE;/head_next = head + ONE;/'
copy_with restart_keeps_after qz_addrgen.v '/after_q <= AFTER_RESTART;/d'
copy_with restart_keeps_phase qz_addrgen.v "/wphase_q <= 1'b1;/d"
copy_with deinterleaver_step_j qz_addrgen.v 's/localparam integer K = IS_INT ? J : I;/localparam integer K = J;/'
copy_with mark_count_short qz_addrgen.v 's/mark_count_q\[m\*CW +: CW\] <= COUNT_FULL;/mark_count_q[m*CW +: CW] <= COUNT_FULL - COUNT_ONE;/'
copy_with bypass_flag_inverted qz_addrgen.v 's/bypass_q <= EXTERNAL == 0 \&\& !fifo_q;/bypass_q <= EXTERNAL == 0 \&\& fifo_q;/'
faults=("pointer_leaves_region genaddr CONVOLUTIONAL INTERLEAVER 2 2"
  "restart_keeps_after genaddr CONVOLUTIONAL DEINTERLEAVER 3 2"
  "restart_keeps_phase conv_qzram BLOCK INTERLEAVER 2 2"
  "deinterleaver_step_j pair conv_qzram BLOCK 3 2"
  "deinterleaver_step_j pair conv_qzram BLOCK_CONTINOUS 3 2"
  "bypass_flag_inverted pair conv_qzram CONVOLUTIONAL 3 2"
  "mark_count_short pair conv_qzram CONVOLUTIONAL 3 2")

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
