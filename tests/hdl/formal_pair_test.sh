#!/usr/bin/env bash
# Bounded proof, with yosys-smtbmc and z3, that the interleaver -> deinterleaver pair keeps its
# promise for small generics: every symbol the interleaver takes leaves the deinterleaver
# unchanged exactly the documented latency of enabled edges later, and the convolutional
# deinterleaver's sync_out marks exactly the frame starts (the harness and its assumptions are
# in formal/pair_check.v). Then the check must fail, with a counterexample, on pairs whose
# deinterleaver is started one enabled edge late. The convolutional pairs at I = J = 2 are proved
# for all time with ABC's pdr. The pairs are also proved from any start (cores
# without initial values): after the first sync_in every taken symbol comes out unchanged.
# Usage: formal_pair_test.sh HDL_DIR WORK_DIR. Exits 77 without yosys, yosys-smtbmc, yosys-abc or z3.
# A failing configuration's counterexample trace stays in WORK_DIR (its path is printed).
set -u
hdl=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
harness=$here/formal/pair_check.v
command -v yosys >/dev/null && command -v yosys-smtbmc >/dev/null && command -v z3 >/dev/null &&
  command -v yosys-abc >/dev/null ||
  { echo "yosys, yosys-smtbmc, yosys-abc or z3 missing: skipped"; exit 77; }
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

period=6          # clock_enable is 0 every 6th cycle (pair_check.v's STALL_PERIOD)
solver_limit=120  # seconds per configuration

latency() { # TYPE I J EXTERNAL: the pair's documented latency in enabled edges
  local type=$1 i=$2 j=$3 x=$4
  if [ "$x" = 0 ]; then
    [ "$type" = BLOCK ] && echo $((2 * i * j + 4)) || echo $(((i - 1) * j * i + 6))
  else
    [ "$type" = BLOCK ] && echo $((2 * i * j + 1)) || echo $(((i - 1) * j * i + 2 * i + 1))
  fi
}

# Steps for at least EDGES enabled edges: a trace of D steps has D - 1 edges; with periodic
# stalls the edges of steps 0, P, 2P, ... are disabled, with FREE stalls at most FREE are.
depth_for() { # EDGES FREE
  local edges=$1 free=$2 d
  if [ "$free" -gt 0 ]; then echo $((edges + free + 1)); return; fi
  d=$((edges + 1))
  while [ $(((d - 1) - ((d - 2) / period + 1))) -lt "$edges" ]; do d=$((d + 1)); done
  echo "$d"
}

name_of() { # TYPE I J EXTERNAL FREE_STALLS FAULT [START]
  local n="$1-I$2-J$3-$([ "$4" = 1 ] && echo genaddr || echo conv_qzram)"
  [ "$5" -gt 0 ] && n="$n-free$5"
  [ "${7:-0}" = 1 ] && n="$n-any_start"
  [ "$6" = 1 ] && n="$n-late_start"
  [ "$6" = 2 ] && n="$n-early_wrap"
  [ "$6" = 3 ] && n="$n-restart_keeps_phase"
  [ "$6" = 4 ] && n="$n-write_same_edge"
  echo "$n"
}


# check TYPE I J EXTERNAL FREE_STALLS FAULT [START]: writes NAME.result (the verdict lines) and
# NAME.rc: 0 the proof holds, 1 the solver found a counterexample (kept as NAME.vcd), 2 any
# other outcome.
check() {
  local type=$1 i=$2 j=$3 x=$4 free=$5 fault=$6 any=${7:-0}
  local name lat depth cores=$hdl late=0
  [ "$fault" = 1 ] && late=1
  [ "$fault" = 2 ] && cores=$work/early_wrap
  [ "$any" = 1 ] && cores=$work/any_start
  [ "$fault" = 3 ] && cores=$work/restart_keeps_phase
  [ "$fault" = 4 ] && cores=$work/write_same_edge
  name=$(name_of "$@")
  lat=$(latency "$type" "$i" "$j" "$x")
  # From any start the stream begins after two enabled edges.
  depth=$(depth_for $((3 * lat + 2 * any)) "$free")
  exec > "$name.result"
  # -defer: only the configuration's modules are elaborated, not the cores' defaults. The
  # counters' invariants qz_addrgen states under FORMAL are left out (chformal -remove): they hold
  # from the initial values only and have their own proof (formal_invariants.sh). z3 takes
  # minutes to read the word-level (or multiplexer) definitions yosys writes for these cores;
  # an and-inverter graph, memories as flip-flops, it reads at once.
  if ! yosys -q -p "read_verilog -defer -formal -I $cores $cores/qz_addrgen.v $cores/conv_qzram.v $cores/genaddr.v $cores/tb_stage.v $harness; \
      chparam -set INT_TYPE \"$type\" -set INT_DEPTH $i -set SYMBOL_DELAY $j -set SYMBOL_WIDTH 2 \
        -set EXTERNAL $x -set STALL_PERIOD $period -set FREE_STALLS $free -set FAULT $late \
        -set FREE_START $any pair_check; \
      prep -top pair_check; chformal -remove *qz_addrgen*; flatten; memory_map; opt; techmap; opt; abc -g AND; opt; \
      async2sync; dffunmap; write_smt2 -wires $name.smt2" > "$name.yosys.log" 2>&1; then
    echo "$name: yosys failed (see $work/$name.yosys.log)"; grep -m3 -i error "$name.yosys.log"
    echo 2 > "$name.rc"; return
  fi
  local start end took status
  start=$(date +%s.%N)
  # --presat: first that the assumptions leave a trace of every length (no vacuous proof).
  timeout "$solver_limit" yosys-smtbmc -s z3 --presat --noprogress -t "$depth" --dump-vcd "$name.vcd" "$name.smt2" \
    > "$name.smtbmc.log" 2>&1
  end=$(date +%s.%N)
  took=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.1f", b - a }')
  status=$(grep -o 'Status: [A-Z]*' "$name.smtbmc.log" | tail -1)
  echo "$name: latency $lat, depth $depth cycles, solver ${took}s"
  case $status in
    "Status: PASSED") echo 0 > "$name.rc"; rm -f "$name.smt2" ;;
    "Status: PREUNSAT")
      echo "  the assumptions contradict each other (see $work/$name.smtbmc.log): the proof would be vacuous"
      echo 2 > "$name.rc" ;;
    "Status: FAILED")
      if [ ! -s "$name.vcd" ]; then
        echo "  failed without a counterexample trace (see $work/$name.smtbmc.log)"; echo 2 > "$name.rc"; return
      fi
      local step
      step=$(grep -o 'Checking assertions in step [0-9]*' "$name.smtbmc.log" | tail -1 | grep -o '[0-9]*$')
      echo "  counterexample $work/$name.vcd, fails at step $step:"
      # Each failed assertion as the harness writes it.
      grep -o 'pair_check.v:[0-9]*\.[0-9]*-[0-9]*' "$name.smtbmc.log" | sort -u | while IFS=':.-' read -r _ _ first _ last; do
        echo "    $(sed -n "${first},${last}p" "$harness" | tr -s ' \n' ' ')"
      done
      echo 1 > "$name.rc" ;;
    *) echo "  no verdict within ${solver_limit}s (see $work/$name.smtbmc.log)"; echo 2 > "$name.rc" ;;
  esac
}

# Two checks at a time, the longest first (the solver's time grows with the latency, more for
# convolutional pairs and free stalls); reported in order.
run_all() { # "TYPE I J EXTERNAL FREE_STALLS FAULT"...
  local c weight
  for c in "$@"; do
    set -- $c
    weight=1
    [ "$1" = CONVOLUTIONAL ] && weight=3
    [ "${7:-0}" = 1 ] && weight=$((weight * 3))
    echo "$(($(latency "$1" "$2" "$3" "$4") * weight + 40 * $5)) $c"
  done | sort -rn | {
    while read -r _ c; do
      [ "$(jobs -rp | wc -l)" -ge 2 ] && wait -n
      (check $c) &
    done
    wait
  }
}
verdict() { cat "$(name_of "$@").result"; cat "$(name_of "$@").rc" 2>/dev/null || echo 2; }

# TYPE I J EXTERNAL FREE_STALLS FAULT: conv_qzram for I 2-4, J 2-3 with periodic stalls, the
# smallest with clock_enable free, genaddr with its RAM for two sizes (I=4, J=3 convolutional
# would take the solver a minute and a half); then the late starts.
configs=()
for type in CONVOLUTIONAL BLOCK; do
  for ij in "2 2" "3 2" "4 2" "2 3" "3 3" "4 3"; do configs+=("$type $ij 0 0 0"); done
  configs+=("$type 2 2 0 1 0" "$type 3 2 1 0 0" "$type 2 3 1 0 0")
done
# START 1: copies of the cores without initial values, so that the solver picks every register
# and RAM word at the start (the harness's own registers keep theirs).
configs+=("CONVOLUTIONAL 3 2 0 0 0 1" "CONVOLUTIONAL 3 2 1 0 0 1" "CONVOLUTIONAL 4 2 0 0 0 1"
  "BLOCK 3 2 0 0 0 1" "BLOCK 2 3 1 0 0 1" "BLOCK 2 2 0 1 0 1")
# FAULT 1: the deinterleaver started one enabled edge late; 2: a copy of the cores whose branch
# pointers wrap one word early (each FIFO's last address taken one lower); 3: from any start, a
# copy whose restart leaves the discrete block's phase (write or read) as it was; 4: a copy of
# conv_qzram that writes a symbol's word at the edge that reads it, a read the RAM block leaves
# undefined (the proofs read any word there).
faulty=("CONVOLUTIONAL 3 2 0 0 1" "BLOCK 3 2 0 0 1" "CONVOLUTIONAL 3 2 0 0 2" "BLOCK 3 2 0 0 3 1"
  "CONVOLUTIONAL 3 2 0 0 4")
copy_with() { # NAME FILE SED_SCRIPT: a copy of the cores with FILE changed
  rm -rf "$1" && cp -r "$hdl" "$1" && sed -i "$3" "$1/$2"
  cmp -s "$hdl/$2" "$1/$2" && fail "the fault $1 could not be put into a copy of $2"
}
copy_with early_wrap qz_addrgen.v 's/fifo_base(m) + fifo_len(m) - 1 : fifo_base(m))/fifo_base(m) + fifo_len(m) - 2 : fifo_base(m))/'
copy_with write_same_edge conv_qzram.v 's/if (write_q)$/if (wr_en)/; s/ram\[write_addr_q\] <= write_data_q;/ram[ram_addr] <= din;/
  s/wire f_collision = .*;/wire f_collision = wr_en;/'
rm -rf any_start restart_keeps_phase && mkdir any_start && cp "$hdl/qz_functions.vh" "$hdl/tb_stage.v" any_start/ &&
  for f in qz_addrgen.v conv_qzram.v genaddr.v; do
    perl "$here/strip_initial_values.pl" "$hdl/$f" > "any_start/$f" || fail "stripping $f"
  done
cp -r any_start restart_keeps_phase && sed -i "/wphase_q <= 1'b1;/d" restart_keeps_phase/qz_addrgen.v
cmp -s any_start/qz_addrgen.v restart_keeps_phase/qz_addrgen.v && fail "the restart's phase could not be taken out of a copy"
run_all "${configs[@]}" "${faulty[@]}"

for c in "${configs[@]}"; do
  out=$(verdict $c)
  rc=${out##*$'\n'}
  out=${out%$'\n'*}
  if [ "$rc" = 0 ]; then echo "ok   $out"; else fail "$out"; fi
done
# The check can fail: a late deinterleaver and pointers that wrap early give counterexamples.
for c in "${faulty[@]}"; do
  out=$(verdict $c)
  rc=${out##*$'\n'}
  out=${out%$'\n'*}
  case $rc in
    1) echo "ok   $out"; echo "     (the fault fails the check, as it must)" ;;
    0) fail "$out: the fault passes the check" ;;
    *) fail "$out" ;;
  esac
done

# For all time, at I = J = 2: the same harness as an and-inverter graph for ABC's property-directed
# reachability (pdr), which finds an inductive invariant of its own or a counterexample. Larger
# pairs take it more than minutes. The late start must be refuted.
# unbounded TYPE EXTERNAL FAULT START CORES: prints "proved", "refuted" or what ended it otherwise.
unbounded() {
  local name="unbounded-$1-I2-J2-ext$2-fault$3-start$4"
  yosys -q -p "read_verilog -defer -formal -I $5 $5/qz_addrgen.v $5/conv_qzram.v $5/genaddr.v $5/tb_stage.v $harness; \
      chparam -set INT_TYPE \"$1\" -set INT_DEPTH 2 -set SYMBOL_DELAY 2 -set SYMBOL_WIDTH 2 -set EXTERNAL $2 \
        -set STALL_PERIOD $period -set FREE_STALLS 0 -set FAULT $3 -set FREE_START $4 pair_check; \
      prep -top pair_check; chformal -remove *qz_addrgen*; flatten; memory_map; opt; techmap; opt; async2sync; dffunmap; \
      setundef -zero -undriven; opt_clean; abc -g AND; opt_clean; write_aiger -zinit $name.aig" \
    > "$name.yosys.log" 2>&1 || { echo "yosys failed (see $work/$name.yosys.log)"; return; }
  # fold: the assumptions (the input protocol) become part of the property.
  timeout "$solver_limit" yosys-abc -c "read_aiger $name.aig; fold; pdr; print_status" > "$name.abc.log" 2>&1
  if grep -q "Property proved" "$name.abc.log"; then echo proved
  elif grep -q "was asserted" "$name.abc.log"; then echo refuted
  else echo "no verdict (see $work/$name.abc.log)"; fi
}
# TYPE EXTERNAL FAULT START CORES EXPECTED
for c in "CONVOLUTIONAL 0 0 0 $hdl proved" "CONVOLUTIONAL 1 0 0 $hdl proved" \
         "CONVOLUTIONAL 0 0 1 $work/any_start proved" "CONVOLUTIONAL 0 1 0 $hdl refuted"; do
  set -- $c
  verdict=$(unbounded "$1" "$2" "$3" "$4" "$5")
  what="$1 I=2 J=2 $([ "$2" = 1 ] && echo genaddr || echo conv_qzram)$([ "$4" = 1 ] && echo ", any start")"
  what="$what$([ "$3" = 1 ] && echo ", deinterleaver started late")"
  if [ "$verdict" = "$6" ]; then echo "ok   for all time, $what: $verdict"; else fail "for all time, $what: $verdict"; fi
done
[ $failures -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "all checks passed"
