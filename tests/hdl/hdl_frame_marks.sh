#!/usr/bin/env bash
# Frame after frame through the convolutional interleaver -> deinterleaver pair, conv_qzram and
# genaddr with its RAM: sync_in for every I·J-th symbol from the first on, clock_enable 1 or with
# random gaps (a frame start then sometimes comes at the disabled edges before its symbol). Then
# frames as long as the deinterleaver's branch 0 delays a symbol, so that each frame start comes
# exactly as the one mark in flight, the previous frame's, leaves for its sync_out.
# Each frame start must give exactly one sync_out of the interleaver and one of the
# deinterleaver, each its latency in enabled edges later, and no other; the deinterleaver's
# dout is the din of the pair's latency earlier. Verilog with tb_sync_frames.v, VHDL with
# tb_core.vhd (PAIR=1) on a stimulus file, checking its dump.
# Usage: hdl_frame_marks.sh HDL_DIR WORK_DIR. Exits 77 without ghdl/iverilog.
set -u
hdl=$1
work=$2
tb=$(cd "$(dirname "$0")" && pwd)/tb_sync_frames.v
command -v ghdl >/dev/null && command -v iverilog >/dev/null && command -v vvp >/dev/null ||
  { echo "ghdl or iverilog missing: skipped"; exit 77; }
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
ghdl -a --std=93 "$hdl/qz_sizes.vhd" "$hdl/qz_addrgen.vhd" "$hdl/conv_qzram.vhd" "$hdl/genaddr.vhd" "$hdl/tb_stage.vhd" "$hdl/tb_core.vhd" &&
  ghdl -e --std=93 tb_core || { echo "FAIL the VHDL does not compile"; exit 1; }

# SYMBOLS FRAME W GAPS SEED: one edge a line, "clock_enable sync_in din", until SYMBOLS enabled
# edges; the same rule as tb_sync_frames.v.
stimulus() {
  awk -v symbols="$1" -v frame="$2" -v w="$3" -v gaps="$4" -v seed="$5" 'BEGIN {
    srand(seed)
    for (k = n = pend = 0; n < symbols; k++) {
      ce = gaps ? (k > 0 && rand() < 0.75) : 1
      sy = n % frame == 0 && !(ce && pend)
      d = ""
      for (b = 0; b < w; b++) d = d (rand() < 0.5 ? 0 : 1)
      print ce, sy, d
      pend = ce ? 0 : pend || sy
      n += ce
    } }'
}

# Checks tb_core's pair dump against its stimulus: LATENCY FIRST_LATENCY EXTERNAL STIM DUMP.
check_dump() {
  paste -d ' ' "$4" "$5" | awk -v L="$1" -v F="$2" -v ext="$3" 'BEGIN { n = 0 }
    { start = $2 || pend; pend = $1 ? 0 : start }
    !$1 { next }
    { so1 = ext ? $7 : $6; so2 = ext ? $14 : $10; dout2 = ext ? $17 : $9
      st[n] = start; din[n] = $3
      want = n >= L && st[n - L]; starts += want
      if (so2 == 1 && want) marks++
      if (so2 != 0 && !want && !stray++) print "FAIL sync_out " so2 " at enabled edge " n
      if (so1 != (n >= F && st[n - F]) && !stray1++) print "FAIL first core sync_out " so1 " at enabled edge " n
      if (n >= L && dout2 != din[n - L] && !mism++) print "FAIL dout " dout2 " at enabled edge " n ", din was " din[n - L]
      n++ }
    END { printf "%d of %d frame starts marked, %d other sync_out, %d first core sync_out wrong, %d dout wrong\n",
            marks, starts, stray, stray1, mism
          exit !(marks == starts && stray + stray1 + mism == 0) }'
}

runs=0
for size in "3 2 4 40" "12 17 8 30"; do
  read -r i j w frames <<< "$size"
  for external in 0 1; do
    latency=$(((i - 1) * j * i + (external == 1 ? 2 * i + 1 : 6)))
    first=$((external == 1 ? i : 3))
    # The deinterleaver's branch 0 delays a symbol (I-1)·J rotations of I symbols (one more with genaddr).
    leaving=$((((i - 1) * j + external) * i))
    name="ext$external-$i-$j-$w"
    iverilog -g2001 -I"$hdl" -o "$name.vvp" -s tb_sync_frames -Ptb_sync_frames.INT_DEPTH="$i" \
      -Ptb_sync_frames.SYMBOL_DELAY="$j" -Ptb_sync_frames.SYMBOL_WIDTH="$w" -Ptb_sync_frames.EXTERNAL="$external" \
      -Ptb_sync_frames.PAIR=1 "$hdl/qz_addrgen.v" "$hdl/conv_qzram.v" "$hdl/genaddr.v" "$hdl/tb_stage.v" "$tb" > "$name.log" 2>&1 ||
      { fail "$name does not compile"; cat "$name.log"; continue; }
    for frame in $((i * j)) $leaving; do
      count=$((frames * i * j / frame < 3 ? 3 : frames * i * j / frame))
      symbols=$((latency + count * frame + 1))
      for gaps in 0 1; do
        run="$name-frame$frame-$gaps"
        log="$run.v.log"
        vvp -n "$name.vvp" +gaps=$gaps +frame="$frame" +latency="$latency" +first="$first" +bound="$latency" \
          +cycles=$((symbols * (gaps ? 3 : 2) / 2)) +seed=$((i + gaps)) > "$log" 2>&1
        grep -q '^done' "$log" && ! grep -q '^FAIL' "$log" ||
          { fail "Verilog $run"; (grep '^FAIL' "$log" || tail -3 "$log") | sed 's/^/    /'; }
        stimulus "$symbols" "$frame" "$w" $gaps $((i + gaps)) > "$run.stim"
        ghdl -r --std=93 tb_core -gINT_DEPTH="$i" -gSYMBOL_DELAY="$j" -gSYMBOL_WIDTH="$w" -gEXTERNAL="$external" \
          -gPAIR=1 -gCYCLES="$(wc -l < "$run.stim")" -gSTIMULUS="$run.stim" -gDUMP="$run.dump" \
          > "$run.ghdl.log" 2>&1 || fail "VHDL $run: ghdl run"
        check_dump "$latency" "$first" "$external" "$run.stim" "$run.dump" > "$run.check" ||
          { fail "VHDL $run"; sed 's/^/    /' "$run.check"; }
        runs=$((runs + 2))
      done
    done
    rm -f "$name.vvp"
  done
done
echo "$runs simulations of frame after frame"
[ $failures -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "all checks passed"
