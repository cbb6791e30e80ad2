#!/usr/bin/env bash
# Simulates conv_qzram, genaddr with the synchronous RAM, and the interleaver -> deinterleaver
# pair with ghdl and iverilog and compares every edge with the reference model; checks that
# generics out of range stop elaboration naming the generic, and that every design file
# tarnwick writes elaborates against the cores (a VHDL one under VHDL-93 and -2008 with no
# configuration, and synthesises with the core in it).
# Usage: hdl_sim_test.sh EXPECT TARNWICK HDL_DIR TB_DIR WORK_DIR. Exits 77 without ghdl/iverilog.
set -u
expect=$1
tarnwick=$2
hdl=$3
tb=$4
work=$5
command -v ghdl >/dev/null && command -v iverilog >/dev/null && command -v vvp >/dev/null ||
  { echo "ghdl or iverilog missing: skipped"; exit 77; }
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

vhdl_sources=("$hdl/qz_sizes.vhd" "$hdl/qz_addrgen.vhd" "$hdl/conv_qzram.vhd" "$hdl/genaddr.vhd")
# The include path first: the cores include their constant functions from beside them.
verilog_sources=(-I"$hdl" "$hdl/qz_addrgen.v" "$hdl/conv_qzram.v" "$hdl/genaddr.v")
ghdl -a --std=93 "${vhdl_sources[@]}" "$tb/tb_stage.vhd" "$tb/tb_core.vhd" && ghdl -e --std=93 tb_core ||
  { echo "FAIL the VHDL does not compile"; exit 1; }

hdl_type() { case $1 in convolutional) echo CONVOLUTIONAL ;; block) echo BLOCK ;; continuous) echo BLOCK_CONTINOUS ;; esac; }

# One simulation in both languages: TYPE MODE MEMORY PAIR(0/1) I J W STIMULUS CYCLES [LATE], LATE 1
# for a RAM beside genaddr that takes each write at the next enabled edge.
simulate() {
  local type=$1 mode=$2 memory=$3 pair=$4 i=$5 j=$6 w=$7 stimulus=$8 cycles=$9 late=${10:-0}
  local args=(--type "$type" --mode "$mode" --memory "$memory" -I "$i" -J "$j" -W "$w" --cycles "$cycles"
              --stimulus "$stimulus")
  [ "$pair" = 1 ] && args+=(--pair)
  [ "$late" = 1 ] && args+=(--ram-writes-late)
  local t m x name
  t=$(hdl_type "$type")
  m=$(echo "$mode" | tr a-z A-Z)
  x=$([ "$memory" = external ] && echo 1 || echo 0)
  name="$type-$mode-$memory-pair$pair-$i-$j-$w-${stimulus/:/}$([ "$late" = 1 ] && echo -late)"
  "$expect" "${args[@]}" --write-stimulus "$name.stim" || { fail "$name: no stimulus"; return; }
  ghdl -r --std=93 tb_core -gINT_TYPE="$t" -gINT_MODE="$m" -gINT_DEPTH="$i" -gSYMBOL_DELAY="$j" \
    -gSYMBOL_WIDTH="$w" -gEXTERNAL="$x" -gRAM_WRITES_LATE="$late" -gPAIR="$pair" -gCYCLES="$cycles" -gSTIMULUS="$name.stim" \
    -gDUMP="$name.vhd.dump" > "$name.ghdl.log" 2>&1 || fail "$name: ghdl run"
  "$expect" "${args[@]}" --check "$name.vhd.dump" > "$name.vhd.check" 2>&1 ||
    { fail "$name (VHDL)"; head -6 "$name.vhd.check"; }
  iverilog -g2001 -o "$name.vvp" -s tb_core -Ptb_core.INT_TYPE=\""$t"\" -Ptb_core.INT_MODE=\""$m"\" \
    -Ptb_core.INT_DEPTH="$i" -Ptb_core.SYMBOL_DELAY="$j" -Ptb_core.SYMBOL_WIDTH="$w" -Ptb_core.EXTERNAL="$x" -Ptb_core.RAM_WRITES_LATE="$late" \
    -Ptb_core.PAIR="$pair" -Ptb_core.CYCLES="$cycles" -Ptb_core.STIMULUS=\""$name.stim"\" \
    -Ptb_core.DUMP=\""$name.v.dump"\" "${verilog_sources[@]}" "$tb/tb_stage.v" "$tb/tb_core.v" &&
    vvp -n "$name.vvp" > "$name.vvp.log" 2>&1 || fail "$name: iverilog"
  "$expect" "${args[@]}" --check "$name.v.dump" > "$name.v.check" 2>&1 ||
    { fail "$name (Verilog)"; head -6 "$name.v.check"; }
  rm -f "$name.vvp"
}

# I J W STIMULUS CYCLES: the corners, the wizard's vector file, clock_enable gaps with random
# sync_in and din, seeded random sizes, and a frame start on every I*J-th symbol.
configs=("2 2 1 vector 160" "3 2 4 random:11 400" "12 17 8 vector 2600" "5 7 13 random:3 700"
         "7 3 64 random:4 600" "4 9 2 steady 500" "3 4 3 frames:6 500")
simulated=0
for c in "${configs[@]}"; do
  set -- $c
  for type in convolutional block continuous; do
    for memory in internal external; do
      simulate "$type" interleaver "$memory" 0 "$1" "$2" "$3" "$4" "$5"
      simulate "$type" deinterleaver "$memory" 0 "$1" "$2" "$3" "$4" "$5"
      simulate "$type" interleaver "$memory" 1 "$1" "$2" "$3" "$4" "$5"
      simulated=$((simulated + 3))
      if [ "$memory" = external ]; then
        simulate "$type" interleaver external 1 "$1" "$2" "$3" "$4" "$5" 1
        simulated=$((simulated + 1))
      fi
    done
  done
done
echo "$simulated configurations simulated in each language"

# The Verilog testbench compiled by Verilator too (tarnwick's --simulator verilator builds it so):
# the convolutional pair with 64-bit symbols, checked against the model like the others.
if command -v verilator >/dev/null; then
  name=verilator-convolutional-pair-7-3-64
  args=(--type convolutional --mode interleaver --memory internal --pair -I 7 -J 3 -W 64 --cycles 600
        --stimulus random:4)
  "$expect" "${args[@]}" --write-stimulus "$name.stim" || fail "$name: no stimulus"
  verilator --binary --timing -Wno-fatal -I"$hdl" --Mdir "$name.obj" -o sim --top-module tb_core \
    -GINT_TYPE='"CONVOLUTIONAL"' -GINT_DEPTH=7 -GSYMBOL_DELAY=3 -GSYMBOL_WIDTH=64 -GPAIR=1 -GCYCLES=600 \
    -GSTIMULUS="\"$name.stim\"" -GDUMP="\"$name.dump\"" "$hdl/qz_addrgen.v" "$hdl/conv_qzram.v" \
    "$hdl/genaddr.v" "$tb/tb_stage.v" "$tb/tb_core.v" > "$name.build.log" 2>&1 &&
    "./$name.obj/sim" > "$name.log" 2>&1 || fail "$name: verilator"
  "$expect" "${args[@]}" --check "$name.dump" > "$name.check" 2>&1 || { fail "$name"; head -6 "$name.check"; }
  rm -rf "$name.obj"
else
  echo "verilator missing: the testbench not built with it"
fi

# Generics out of range: elaboration stops and names the generic.
out_of_range=("INT_DEPTH 1" "INT_DEPTH 41" "SYMBOL_DELAY 1" "SYMBOL_DELAY 501" "SYMBOL_WIDTH 0"
              "SYMBOL_WIDTH 65" "INT_TYPE CONVOLUTION" "INT_MODE INTERLEAVE")
for top in conv_qzram genaddr; do
  ghdl -e --std=93 "$top" 2>/dev/null || fail "ghdl -e $top"
  for g in "${out_of_range[@]}"; do
    set -- $g
    [ "$top" = genaddr ] && [ "$1" = SYMBOL_WIDTH ] && continue
    value=$2
    vvalue=$2
    case $1 in INT_TYPE | INT_MODE) vvalue=\"$2\" ;; esac
    if ghdl -r --std=93 "$top" -g"$1=$value" --stop-time=1ns > oor.log 2>&1; then
      fail "VHDL $top accepts $1=$value"
    elif ! grep -q "$1" oor.log; then
      fail "VHDL $top: $1=$value fails without naming $1"; cat oor.log
    fi
    if iverilog -g2001 -o oor.vvp -s "$top" -P"$top.$1=$vvalue" "${verilog_sources[@]}" > oor.log 2>&1; then
      fail "Verilog $top accepts $1=$value"
    elif ! grep -q "$1" oor.log; then
      fail "Verilog $top: $1=$value fails without naming $1"; cat oor.log
    fi
  done
done

# The VHDL design file in $1, analysed as work.f, synthesised by ghdl and read by yosys holds the
# core itself: flip-flops and, with memory $2 internal, one RAM. A component of the core would
# be an empty black box there.
synthesised_core() {
  local d=$1 memory=$2 ram="select -assert-none t:\$mem_v2"
  [ "$memory" = internal ] && ram="select -assert-count 1 t:\$mem_v2"
  (cd "$d" && ghdl --synth --std=93 --out=verilog f > f.syn.v 2> synth.log) || { fail "ghdl --synth $d"; cat "$d/synth.log"; return; }
  yosys -q -p "read_verilog $d/f.syn.v; hierarchy -check -top f; proc; flatten; opt; memory -nomap; $ram; \
    select -assert-min 1 t:*dff*" > "$d/yosys.log" 2>&1 || { fail "the core is not synthesised in $d"; cat "$d/yosys.log"; }
}
command -v yosys >/dev/null || echo "yosys missing: the design files' synthesis not checked"

# Every design file tarnwick writes, in both languages, elaborates against the cores.
designs=0
for ext in vhd v; do
  for algorithm in convolutional block; do
    for memory in internal external; do
      for direction in interleaver deinterleaver; do
        for continuous in 0 1; do
          [ $algorithm = convolutional ] && [ $continuous = 1 ] && continue
          d="$work/design-$algorithm-$memory-$direction-$continuous-$ext"
          mkdir -p "$d"
          (cd "$d" && "$tarnwick" -n -silent --algorithm $algorithm --memory $memory --direction $direction \
            --set BLOCK_CONTINOUS=$continuous "$d/f.$ext" > tarnwick.log 2>&1) || { fail "tarnwick $d"; continue; }
          if [ $ext = vhd ]; then
            # ghdl only warns of an instance it cannot bind, so that warning fails the check.
            for std in 93 08; do
              (cd "$d" && ghdl -a --std=$std "${vhdl_sources[@]}" f.vhd && ghdl -e --std=$std f &&
                ghdl -r --std=$std f --stop-time=100ns) > "$d/elab$std.log" 2>&1 && ! grep -q "not bound" "$d/elab$std.log" ||
                { fail "ghdl --std=$std elaborates $d"; cat "$d/elab$std.log"; }
            done
            command -v yosys >/dev/null && synthesised_core "$d" $memory
          else
            iverilog -g2001 -o "$d/f.vvp" -s f "${verilog_sources[@]}" "$d/f.v" > "$d/elab.log" 2>&1 &&
              vvp -n "$d/f.vvp" >> "$d/elab.log" 2>&1 || { fail "iverilog elaborates $d"; cat "$d/elab.log"; }
          fi
          designs=$((designs + 1))
        done
      done
    done
  done
done
echo "$designs design files elaborated"
[ $failures -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "all checks passed"
