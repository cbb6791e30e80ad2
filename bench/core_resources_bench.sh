#!/usr/bin/env bash
# The library cores' resources and clock rate: for the default variation (convolutional, I = 12,
# J = 17, W = 8) and the largest one (I = 40, J = 500, W = 8) yosys's generic synthesis (cells,
# flip-flops, RAM bits against the memory page's figure), and for the default on the iCE40
# (synth_ice40, nextpnr-ice40 --hx8k) the logic cells, block RAMs and the maximum clock frequency
# nextpnr reports. A benchmark, not a test: no figure here is asserted.
# Usage: bench/core_resources_bench.sh [HDL_DIR] [WORK_DIR]
set -euo pipefail
hdl=$(cd "${1:-$(dirname "$0")/../hdl}" && pwd)
work=${2:-$(mktemp -d)}
mkdir -p "$work" && cd "$work"
for tool in yosys nextpnr-ice40; do
  command -v $tool >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done

echo "core        I   J  W  cells  flip-flops  RAM bits  memoryWords x W"
for set in "conv_qzram 12 17 8" "genaddr 12 17 8" "conv_qzram 40 500 8" "genaddr 40 500 8"; do
  read -r top i j w <<< "$set"
  params="-set INT_TYPE \"CONVOLUTIONAL\" -set INT_DEPTH $i -set SYMBOL_DELAY $j"
  [ "$top" = conv_qzram ] && params="$params -set SYMBOL_WIDTH $w"
  yosys -q -p "read_verilog $hdl/qz_addrgen.v $hdl/$top.v; chparam $params $top; hierarchy -top $top; \
      proc; flatten; opt; memory -nomap; tee -q -o $top-$i-$j.mem dump t:\$mem_v2; synth -top $top -run begin:fine; opt -fast -full; techmap; \
      opt -fast; abc -fast; opt -fast; tee -q -o $top-$i-$j.stat stat" >/dev/null
  cells=$(grep -E 'Number of cells' $top-$i-$j.stat | tail -1 | awk '{print $4}')
  ffs=$(awk '$1 ~ /DFF/ {s += $2} END {print s + 0}' $top-$i-$j.stat)
  # WIDTH x SIZE of each memory cell the RAM was inferred as.
  bits=$(awk '/parameter .WIDTH/ {w = $3} /parameter .SIZE/ {s = $3} /^ *end$/ && w && s {b += w * s; w = s = 0} END {print b + 0}' $top-$i-$j.mem)
  words=$((i * (i - 1) * j))
  [ "$top" = conv_qzram ] && budget=$((words * w)) || budget=0
  printf "%-10s %3d %3d %2d %6s %11s %9s %16s\n" "$top" "$i" "$j" "$w" "$cells" "$ffs" "${bits:-0}" "$budget"
done

echo
echo "iCE40 HX8K, default variation (conv_qzram, convolutional, I = 12, J = 17, W = 8):"
yosys -q -p "read_verilog $hdl/qz_addrgen.v $hdl/conv_qzram.v; \
    chparam -set INT_TYPE \"CONVOLUTIONAL\" -set INT_DEPTH 12 -set SYMBOL_DELAY 17 -set SYMBOL_WIDTH 8 conv_qzram; \
    synth_ice40 -top conv_qzram -json ice40.json; tee -q -o ice40.stat stat" >/dev/null
grep -E "SB_LUT4|SB_DFF|SB_RAM|SB_CARRY" ice40.stat | awk '{s[$1] += $2} END {for (k in s) printf "  %-12s %s\n", k, s[k]}' | sort
nextpnr-ice40 --hx8k --package ct256 --json ice40.json --asc ice40.asc --freq 12 > nextpnr.log 2>&1
grep -E "Max frequency for clock" nextpnr.log | tail -1 | sed 's/^Info: */  /'
grep -E "^Info:[[:space:]]+ICESTORM_(LC|RAM):" nextpnr.log | head -2 | sed 's/^Info:[[:space:]]*/  /'
