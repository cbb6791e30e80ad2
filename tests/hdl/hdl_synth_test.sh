#!/usr/bin/env bash
# Synthesises conv_qzram and genaddr with yosys for a few generic sets: no latches, no errors,
# and conv_qzram's symbols in exactly one inferred memory of W bits and at most memoryWords
# words. The Verilog is read directly, the VHDL through ghdl --synth when ghdl has it.
# Usage: hdl_synth_test.sh HDL_DIR WORK_DIR. Exits 77 when yosys is missing.
set -u
hdl=$1
work=$2
command -v yosys >/dev/null || { echo "yosys missing: skipped"; exit 77; }
mkdir -p "$work" && cd "$work" || exit 1
rm -f ./*.ports
failures=0
vhdl_synth=0
if command -v ghdl >/dev/null && ghdl -a --std=93 "$hdl/qz_sizes.vhd" "$hdl/qz_addrgen.vhd" "$hdl/conv_qzram.vhd" "$hdl/genaddr.vhd" &&
    ghdl --synth --std=93 --out=verilog genaddr > /dev/null 2>&1; then
  vhdl_synth=1
fi

# checks TOP TYPE I J W MAXWORDS: prints the statistics of the synthesised core.
synth_one() {
  local top=$1 type=$2 i=$3 j=$4 w=$5 words=$6 lang=$7
  local params="-set INT_TYPE \"$type\" -set INT_DEPTH $i -set SYMBOL_DELAY $j"
  [ "$top" = conv_qzram ] && params="$params -set SYMBOL_WIDTH $w"
  local read
  if [ "$lang" = verilog ]; then
    read="read_verilog -I$hdl $hdl/qz_addrgen.v $hdl/$top.v; chparam $params $top; hierarchy -check -top $top"
  else
    local g="-gINT_TYPE=$type -gINT_DEPTH=$i -gSYMBOL_DELAY=$j"
    [ "$top" = conv_qzram ] && g="$g -gSYMBOL_WIDTH=$w"
    ghdl --synth --std=93 --out=verilog $g "$top" > "$top-$type-$i-$j.syn.v" 2> ghdl.log || {
      echo "FAIL ghdl --synth $top $type $i $j"; cat ghdl.log; return 1; }
    read="read_verilog $top-$type-$i-$j.syn.v; hierarchy -check -top $top"
  fi
  local memcheck="select -assert-none t:\$mem_v2"
  if [ "$top" = conv_qzram ]; then
    memcheck="select -assert-count 1 t:\$mem_v2; select -assert-count 1 t:\$mem_v2 r:WIDTH=$w %i r:SIZE<=$words %i"
  fi
  local log="$top-$type-$i-$j-$lang.log"
  # The memory stays a memory cell (memory_map would turn it into flip-flops); the rest is
  # mapped to gates and flip-flops.
  if ! yosys -p "$read; tee -q -o $top-$type-$i-$j-$lang.ports portlist; proc; flatten; opt; memory -nomap; $memcheck; \
      synth -top $top -run begin:fine; \
      opt -fast -full; techmap; opt -fast; abc -fast; opt -fast; \
      select -assert-none t:\$dlatch t:\$_DLATCH*; tee -o $top-$type-$i-$j-$lang.stat stat" > "$log" 2>&1; then
    echo "FAIL yosys $lang $top $type I=$i J=$j W=$w (see $work/$log)"
    grep -m3 -iE "error|assert" "$log"
    return 1
  fi
  grep -q "Warning: .*latch" "$log" && { echo "FAIL latch warning in $log"; return 1; }
  local stat=$top-$type-$i-$j-$lang.stat
  local cells ffs
  cells=$(grep -E 'Number of cells' "$stat" | tail -1 | awk '{print $4}')
  ffs=$(awk '/=== design hierarchy ===/ {h=1} (h || !/===/) && $1 ~ /DFF/ {n[$1]=$2} END {s=0; for (k in n) s+=n[k]; print s}' "$stat")
  local bits=0
  [ "$top" = conv_qzram ] && bits=$((w * words))
  echo "ok   $lang $top $type I=$i J=$j W=$w: cells $cells, flip-flops $ffs, RAM bits $bits"
}

# Convolutional cores keep I*(I-1)*J/2 words: branch k exactly its k*J symbols.
sets=("CONVOLUTIONAL 12 17 8 1122" "BLOCK 12 17 8 204" "BLOCK_CONTINOUS 12 17 8 204"
      "CONVOLUTIONAL 2 2 1 2" "BLOCK 3 2 4 6" "BLOCK_CONTINOUS 5 7 13 35" "CONVOLUTIONAL 40 500 8 390000")
for lang in verilog vhdl; do
  [ "$lang" = vhdl ] && [ $vhdl_synth = 0 ] && { echo "ghdl --synth missing: VHDL not synthesised"; continue; }
  for s in "${sets[@]}"; do
    set -- $s
    synth_one conv_qzram "$1" "$2" "$3" "$4" "$5" $lang || failures=$((failures + 1))
    synth_one genaddr "$1" "$2" "$3" "$4" "$5" $lang || failures=$((failures + 1))
  done
done
# Each core has the same ports, of the same widths, in Verilog as in VHDL for the same generics.
if [ $vhdl_synth = 1 ]; then
  for s in "${sets[@]}"; do
    set -- $s
    for top in conv_qzram genaddr; do
      ports="$top-$1-$2-$3"
      diff "$ports-verilog.ports" "$ports-vhdl.ports" > "$ports.diff" ||
        { echo "FAIL $top $1 I=$2 J=$3: the Verilog ports (<) differ from the VHDL's (>)"; cat "$ports.diff";
          failures=$((failures + 1)); }
    done
  done
fi
[ $failures -eq 0 ] || { echo "$failures synthesis checks failed"; exit 1; }

# The default variation on a real device: synth_ice40 maps the symbols to block RAM, not to
# flip-flops, and nextpnr places and routes it on the HX8K. The clock rate it reaches is the
# benchmark's figure (bench/core_resources_bench.sh), not a test's.
if command -v nextpnr-ice40 >/dev/null; then
  yosys -q -p "read_verilog -I$hdl $hdl/qz_addrgen.v $hdl/conv_qzram.v; \
      chparam -set INT_TYPE \"CONVOLUTIONAL\" -set INT_DEPTH 12 -set SYMBOL_DELAY 17 -set SYMBOL_WIDTH 8 conv_qzram; \
      synth_ice40 -top conv_qzram -json ice40.json; select -assert-min 1 t:SB_RAM40_4K; \
      select -assert-none t:\$dlatch t:\$_DLATCH*; tee -q -o ice40.stat stat" \
      > ice40.log 2>&1 || { echo "FAIL synth_ice40 of the default conv_qzram (see $work/ice40.log)"; exit 1; }
  ffs=$(awk '$1 ~ /^SB_DFF/ {s += $2} END {print s + 0}' ice40.stat)
  # 1122 words of 8 bits would be 8976 flip-flops; the counters, pipeline and address ring need
  # a few hundred.
  [ "$ffs" -lt 1000 ] || { echo "FAIL the symbols went to flip-flops: $ffs of them"; exit 1; }
  nextpnr-ice40 --hx8k --package ct256 --json ice40.json --asc ice40.asc > nextpnr.log 2>&1 ||
    { echo "FAIL nextpnr-ice40 --hx8k (see $work/nextpnr.log)"; exit 1; }
  echo "ok   iCE40 HX8K: default conv_qzram placed and routed, $ffs flip-flops, $(grep -m1 -E 'ICESTORM_RAM:' nextpnr.log | awk '{print $3 $4}') block RAMs"
else
  echo "nextpnr-ice40 missing: the iCE40 flow not run"
fi
