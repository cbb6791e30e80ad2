#!/usr/bin/env bash
# Lints the library cores: verilator --lint-only -Wall on conv_qzram and genaddr (each with
# qz_addrgen) and ghdl's analysis with its warnings on, then elaboration, of the VHDL, for every
# INT_TYPE and INT_MODE at the default generics and at the corners. Not a single warning.
# Usage: hdl_lint.sh HDL_DIR WORK_DIR. Exits 77 without verilator or ghdl.
set -u
hdl=$1
work=$2
command -v verilator >/dev/null && command -v ghdl >/dev/null || { echo "verilator or ghdl missing: skipped"; exit 77; }
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

types=(CONVOLUTIONAL BLOCK BLOCK_CONTINOUS)
modes=(INTERLEAVER DEINTERLEAVER)
# I J W: the default and both corners.
verilog_sets=("12 17 8" "2 2 1" "40 500 64")
vhdl_sets=("12 17 8" "2 2 1" "40 500 64")

# Any output or a failed exit fails: prints the warnings and errors (the first 10 and their count).
report() {
  local name=$1 log=$2 rc=$3 pattern='^%Warning\|^%Error\|warning:\|error:'
  [ "$rc" = 0 ] && [ ! -s "$log" ] && return
  grep "$pattern" "$log" | grep -v 'Exiting due to' > found.log
  fail "$name: exit $rc, $(wc -l < found.log) warnings or errors"
  { [ -s found.log ] && cat found.log || cat "$log"; } | head -10 | sed 's/^/    /'
}

runs=0
for top in conv_qzram genaddr; do
  for type in "${types[@]}"; do
    for mode in "${modes[@]}"; do
      for set in "${verilog_sets[@]}"; do
        read -r i j w <<< "$set"
        generics=(-GINT_TYPE=\""$type"\" -GINT_MODE=\""$mode"\" -GINT_DEPTH="$i" -GSYMBOL_DELAY="$j")
        [ $top = conv_qzram ] && generics+=(-GSYMBOL_WIDTH="$w")
        verilator --lint-only -Wall -I"$hdl" --top-module $top "${generics[@]}" "$hdl/qz_addrgen.v" "$hdl/$top.v" \
          > lint.log 2>&1
        report "verilator $top $type $mode $i/$j/$w" lint.log $?
        runs=$((runs + 1))
      done
    done
  done
done

warnings=(-Wbinding -Wreserved -Wlibrary -Wvital-generic -Wdelayed-checks -Wbody -Wspecs -Wunused -Wothers
          -Wpure -Wanalyze-assert -Wattribute -Wuseless -Wnested-comment -Wdirective -Wparenthesis -Wstatic
          -Wruntime-error -Wshared -Wport -Wport-bounds -Wdefault-binding -Whide -Wuniversal)
ghdl -a --std=93 "${warnings[@]}" "$hdl/qz_sizes.vhd" "$hdl/qz_addrgen.vhd" "$hdl/conv_qzram.vhd" "$hdl/genaddr.vhd" > analyse.log 2>&1
report "ghdl analysis" analyse.log $?
for top in conv_qzram genaddr; do
  ghdl -e --std=93 "${warnings[@]}" $top > elab.log 2>&1
  report "ghdl -e $top" elab.log $?
  for type in "${types[@]}"; do
    for mode in "${modes[@]}"; do
      for set in "${vhdl_sets[@]}"; do
        read -r i j w <<< "$set"
        generics=(-gINT_TYPE="$type" -gINT_MODE="$mode" -gINT_DEPTH="$i" -gSYMBOL_DELAY="$j")
        [ $top = conv_qzram ] && generics+=(-gSYMBOL_WIDTH="$w")
        ghdl -r --std=93 $top "${generics[@]}" --no-run > elab.log 2>&1
        report "ghdl elaboration $top $type $mode $i/$j/$w" elab.log $?
        runs=$((runs + 1))
      done
    done
  done
done
echo "$runs configurations linted"
[ $failures -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "all checks passed"
