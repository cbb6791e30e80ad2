#!/usr/bin/env bash
# Proves the VHDL cores the same as the Verilog cores, cycle for cycle, for small generics:
# conv_qzram (W=2, its own RAM) and genaddr (the addresses of a RAM outside), every INT_TYPE and
# INT_MODE, at I=2 J=2, I=3 J=2, I=4 J=3 and I=5 J=4. ghdl synthesises the VHDL into a Verilog
# netlist; yosys reads both, maps the RAM to flip-flops and builds a miter: the same sync_in,
# clock_enable and din (chosen freely at every cycle) into both, its output 1 when any output
# port differs (conv_qzram: dout, sync_out, next_din, dout_valid; genaddr: read_addr, write_addr,
# block_write_enable, block_full, block_empty, sync_out). Both start equal: every register at its
# declared initial value, and the registers that have none (the RAM's words and its read
# register) at values the solver chooses, the same in both (formal/equal_start.py). ABC's dprove
# (signal correspondence, then k-induction) proves the miter's output 0 in every cycle from that
# start: a proof for all time, not to a depth, of the two netlists in two-valued logic (a
# constant x that yosys or ghdl puts in, such as the word read at an address beyond the RAM's
# last, is 0 in both). Where dprove neither proves nor refutes, the configuration fails. A
# difference gives a counterexample: ABC's first failing cycle, then yosys sat replays it to a
# trace of every named signal of both (WORK_DIR/NAME.vcd). About a minute and a half of CPU time
# in all, two checks at a time.
#
# Then the check must fail on copies of the cores with one VHDL line changed, each with a trace:
# conv_qzram's zero-delay branch symbol taken one register early (convolutional), a region's last
# address compared with >= for > in qz_addrgen's pointer ring (genaddr, convolutional), and a
# continuous block's position threshold compared with <= for <.
# Usage: hdl_equivalence.sh HDL_DIR WORK_DIR. Exits 77 without ghdl, yosys, yosys-abc or python3.
set -u
hdl=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
for tool in ghdl yosys yosys-abc python3; do
  command -v $tool >/dev/null || { echo "$tool missing: skipped"; exit 77; }
done
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# The VHDL sources of HDL dir $1, in the order they depend on each other.
vhdl_sources() {
  local f
  for f in qz_sizes qz_addrgen conv_qzram genaddr; do
    [ -f "$1/$f.vhd" ] && echo "$1/$f.vhd"
  done
}
# Analyses the VHDL of HDL dir $1 into library dir $2.
analyse() {
  mkdir -p "$2" && ghdl -a --std=93 --workdir="$2" $(vhdl_sources "$1") > "$2/analyse.log" 2>&1 ||
    { fail "ghdl analysis of $1"; cat "$2/analyse.log"; return 1; }
}

# check HDL LIB TOP TYPE MODE I J NAME: writes NAME.rc: 0 proven, 1 refuted (the counterexample
# kept as NAME.vcd), 2 any other outcome; NAME.result holds the verdict line.
check() {
  local hdl=$1 lib=$2 top=$3 type=$4 mode=$5 i=$6 j=$7 name=$8
  local generics=(-gINT_TYPE="$type" -gINT_MODE="$mode" -gINT_DEPTH="$i" -gSYMBOL_DELAY="$j") vparams
  vparams="-set INT_TYPE \"$type\" -set INT_MODE \"$mode\" -set INT_DEPTH $i -set SYMBOL_DELAY $j"
  if [ "$top" = conv_qzram ]; then generics+=(-gSYMBOL_WIDTH=2); vparams="$vparams -set SYMBOL_WIDTH 2"; fi
  exec > "$name.result"
  echo 2 > "$name.rc"
  if ! ghdl --synth --std=93 --workdir="$lib" --out=verilog "${generics[@]}" $top > "$name.vhdl.v" 2> "$name.ghdl.log"; then
    echo "$name: ghdl --synth failed (see $work/$name.ghdl.log)"; return
  fi
  # ghdl writes a constant wider than 32 bits (an initial value, a restart value) as a quoted
  # bit string, which Verilog reads as ASCII text: "0101" would be 32'h30313031. Written as
  # a sized binary literal it has the value ghdl meant.
  perl -pi -e 's/"([01]+)"/length($1) . "\x27b$1"/ge' "$name.vhdl.v"
  # The miter, both cores flattened, the RAM as flip-flops (a word per flip-flop, x read beyond
  # the last word, nothing written there).
  if ! yosys -q -p "read_verilog -defer -I $hdl $hdl/qz_addrgen.v $hdl/$top.v; chparam $vparams $top; \
      prep -top $top; flatten; rename $top gold; design -stash gold; \
      read_verilog $name.vhdl.v; prep -top $top; flatten; rename $top gate; design -stash gate; \
      design -copy-from gold -as gold gold; design -copy-from gate -as gate gate; \
      memory_map; opt_clean; miter -equiv -flatten gold gate miter; hierarchy -top miter; opt_clean; \
      write_rtlil $name.miter.il" > "$name.yosys.log" 2>&1; then
    echo "$name: yosys failed to build the miter (see $work/$name.yosys.log)"; grep -m3 -i error "$name.yosys.log"; return
  fi
  if ! python3 "$here/formal/equal_start.py" $name.miter.il $name.start.il $name.vhdl.v \
      > "$name.start.log" 2>&1; then
    echo "$name: $(cat "$name.start.log")"; return
  fi
  if ! yosys -q -p "read_rtlil $name.start.il; hierarchy -top miter; check -assert; setundef -zero; techmap; \
      dffunmap; aigmap; opt_clean; setundef -zero; write_aiger -zinit $name.aig" >> "$name.yosys.log" 2>&1; then
    echo "$name: yosys failed to write the AIG (see $work/$name.yosys.log)"; return
  fi
  local start end took frame step
  start=$(date +%s.%N)
  timeout 300 yosys-abc -c "read_aiger $name.aig; print_stats; dprove" > "$name.abc.log" 2>&1
  end=$(date +%s.%N)
  took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
  if grep -q "Networks are equivalent" "$name.abc.log"; then
    echo "$name: proven for all time ($(grep -o "lat = *[0-9]*" "$name.abc.log" | grep -o "[0-9]*$") flip-flops, ${took}s)"
    echo 0 > "$name.rc"; rm -f "$name.miter.il" "$name.aig"
    return
  fi
  if ! grep -q -i "Networks are NOT EQUIVALENT" "$name.abc.log"; then
    echo "$name: no verdict in ${took}s (see $work/$name.abc.log)"; return
  fi
  # ABC names the frame the outputs first differ; yosys replays it to a trace with names.
  frame=$(grep -o 'asserted in frame [0-9]*' "$name.abc.log" | head -1 | grep -o '[0-9]*$')
  if [ -z "$frame" ]; then echo "$name: refuted, but ABC named no frame (see $work/$name.abc.log)"; return; fi
  yosys -p "read_rtlil $name.start.il; hierarchy -top miter; setundef -zero; \
      sat -seq $((frame + 1)) -prove trigger 0 -show-inputs -show-outputs -show-public -dump_vcd $name.vcd" \
    > "$name.sat.log" 2>&1
  # The first step of the trace where the outputs differ (the trace need not be ABC's), and the
  # ports that differ there, Verilog against VHDL.
  step=$(awk '$2 == "\\trigger" && $3 == 1 { print $1; exit }' "$name.sat.log")
  if [ -s "$name.vcd" ] && grep -q "SAT proof finished - model found: FAIL" "$name.sat.log" && [ -n "$step" ]; then
    echo "$name: the outputs differ at step $step, counterexample $work/$name.vcd (${took}s)"
    awk -v step="$step" '$1 == step && $2 ~ /^\\(gold|gate)\.[a-z_]+$/ { v[$2] = $3 }
      END { for (s in v) if (s ~ /gold/) { p = substr(s, 7); g = "\\gate." p
              if (g in v && v[g] != v[s]) printf "  %s: Verilog %s, VHDL %s\n", p, v[s], v[g] } }' "$name.sat.log" |
      grep -E "^  (dout|sync_out|next_din|dout_valid|read_addr|write_addr|block_write_enable|block_full|block_empty):" | sort
    echo 1 > "$name.rc"
  else
    echo "$name: ABC's counterexample at frame $frame not replayed (see $work/$name.sat.log)"
  fi
}

# NAME for "HDL LIB TOP TYPE MODE I J"
name_of() { echo "$3-$4-$5-I$6-J$7$([ "$1" = "$hdl" ] || echo "-$(basename "$1")")"; }

# Two checks at a time.
run_all() {
  local c
  for c in "$@"; do
    [ "$(jobs -rp | wc -l)" -ge 2 ] && wait -n
    (check $c $(name_of $c)) &
  done
  wait
}
verdict() { # prints the result line, returns the rc
  local n
  n=$(name_of "$@")
  cat "$n.result" 2>/dev/null
  return "$(cat "$n.rc" 2>/dev/null || echo 2)"
}

analyse "$hdl" "$work/lib" || { echo "$failures checks failed"; exit 1; }
configs=()
for ij in "2 2" "3 2" "4 3" "5 4"; do
  for top in conv_qzram genaddr; do
    for type in CONVOLUTIONAL BLOCK BLOCK_CONTINOUS; do
      for mode in INTERLEAVER DEINTERLEAVER; do configs+=("$hdl $work/lib $top $type $mode $ij"); done
    done
  done
done

# The faults: each a copy of the cores with one VHDL line changed, and the configuration it
# must fail. FILE|SED EXPRESSION|TOP TYPE MODE I J
faults=(
  "conv_qzram.vhd|s/passed_q <= din_q;/passed_q <= din;/|conv_qzram CONVOLUTIONAL INTERLEAVER 3 2"
  "qz_addrgen.vhd|s/far_last_q < second_c/far_last_q <= second_c/|genaddr CONVOLUTIONAL DEINTERLEAVER 3 2"
  "qz_addrgen.vhd|s/pos_q < POS_LOW_PREV/pos_q <= POS_LOW_PREV/|conv_qzram BLOCK_CONTINOUS INTERLEAVER 3 2"
)
fault_configs=()
n=0
for f in "${faults[@]}"; do
  IFS='|' read -r file expr config <<< "$f"
  n=$((n + 1))
  copy=$work/fault$n
  cp -r "$hdl" "$copy" && sed -i "$expr" "$copy/$file"
  if [ "$(diff "$hdl/$file" "$copy/$file" | grep -c '^>')" != 1 ]; then
    fail "fault $n: '$expr' does not change exactly one line of $file"; continue
  fi
  analyse "$copy" "$copy/lib" && fault_configs+=("$copy $copy/lib $config")
done

run_all "${configs[@]}" "${fault_configs[@]}"

for c in "${configs[@]}"; do
  out=$(verdict $c)
  case $? in
    0) echo "ok   $out" ;;
    *) fail "$out" ;;
  esac
done
# Each one-line difference must be refuted with a trace.
for c in "${fault_configs[@]}"; do
  out=$(verdict $c)
  case $? in
    1) echo "ok   $out"; echo "     (the changed VHDL line fails the check, as it must)" ;;
    0) fail "$out: the changed VHDL line passes the check" ;;
    *) fail "$out" ;;
  esac
done
[ $failures -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "all checks passed"
