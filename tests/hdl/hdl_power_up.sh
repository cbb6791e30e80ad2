#!/usr/bin/env bash
# The interleaver -> deinterleaver pair started from any state, as real flip-flops and RAM power
# up: Verilog copies without initial values, built with verilator --x-initial unique, start
# with every register and RAM word random (several seeds) or all 0, get sync_in at once or run
# free for a while and get it where the interleaver is in step with itself (so that it keeps
# the state it ran into), then take frames of I*J symbols, in step, with clock_enable gaps. From the
# pair's latency on, every symbol must come back unchanged and sync_out mark exactly the
# frame starts.
# Usage: hdl_power_up.sh HDL_DIR WORK_DIR [TYPE...]. Exits 77 without verilator.
set -u
hdl=$(cd "$1" && pwd)
work=$2
shift 2
types=("$@")
[ ${#types[@]} -gt 0 ] || types=(convolutional block continuous)
here=$(cd "$(dirname "$0")" && pwd)
command -v verilator >/dev/null || { echo "verilator missing: skipped"; exit 77; }
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

sources=(qz_addrgen.v conv_qzram.v genaddr.v)
for f in "${sources[@]}"; do perl "$here/strip_initial_values.pl" "$hdl/$f" > "$f" || fail "stripping $f"; done
# Only the copies: a folder given with -I is also searched for modules.
cp "$hdl/qz_functions.vh" "$hdl/tb_stage.v" "$here/tb_sync_frames.v" . || fail "copying the testbench"

hdl_type() { case $1 in convolutional) echo CONVOLUTIONAL ;; block) echo BLOCK ;; continuous) echo BLOCK_CONTINOUS ;; esac; }
pair_latency() {
  if [ "$1" = convolutional ]; then echo $((($3 - 1) * $4 * $3 + ($2 == 1 ? 2 * $3 + 1 : 6)))
  else echo $((2 * $3 * $4 + ($2 == 1 ? 1 : 4))); fi
}

runs=0
for size in "3 2 3" "12 17 8"; do
  read -r i j w <<< "$size"
  for type in "${types[@]}"; do
    for external in 0 1; do
      name="$type-ext$external-$i-$j"
      block=$([ "$type" = block ] && echo 2 || echo 1)
      latency=$(pair_latency "$type" "$external" "$i" "$j")
      verilator --binary --timing -O1 -Wno-fatal -Wno-lint -Wno-style --x-initial unique --x-assign unique \
        -I. -GINT_TYPE=\""$(hdl_type "$type")"\" -GINT_DEPTH="$i" -GSYMBOL_DELAY="$j" -GSYMBOL_WIDTH="$w" \
        -GEXTERNAL="$external" -GPAIR=1 --top-module tb_sync_frames --Mdir "obj-$name" -o sim \
        "${sources[@]}" tb_stage.v tb_sync_frames.v > "$name.build.log" 2>&1 ||
        { fail "$name does not build"; tail -5 "$name.build.log"; continue; }
      # Random starts (a sync_in at the third enabled edge, the first whose frame start the
      # cores judge from their own state, or after running free for two blocks at the first
      # symbol the interleaver takes for a frame start in step) and one from zeros.
      for start in 101 102 103 $(seq 1 20) zero; do
        reset=2 seed=$start free=1
        [ "$start" = zero ] && reset=0 seed=1
        [ "$seed" -gt 100 ] || [ "$start" = zero ] && free=0
        log="$name-$start.log"
        "obj-$name/sim" +verilator+rand+reset+$reset +verilator+seed+"$seed" +seed="$seed" +gaps=$((seed % 2)) \
          +frame=$((i * j * block)) +free=$((free ? 2 * i * j : 2)) +align=$free +latency="$latency" +arbitrary=1 \
          +cycles=$(((latency + (6 + 4 * free) * i * j) * 3 / 2)) > "$log" 2>&1
        # A run whose frames never came out has judged nothing.
        grep -q '^done.* of [1-9][0-9]* frame starts' "$log" && ! grep -q '^FAIL' "$log" ||
          { fail "$name start $start"; (grep '^FAIL' "$log" || tail -3 "$log") | head -3 | sed 's/^/    /'; }
        runs=$((runs + 1))
      done
      rm -rf "obj-$name"
    done
  done
done
echo "$runs pairs started from arbitrary states"
[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
