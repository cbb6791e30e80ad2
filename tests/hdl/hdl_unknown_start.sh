#!/usr/bin/env bash
# The Verilog cores started from an unknown state: copies of them without any register's
# initial value (their RAMs hold X as well) get sync_in for their first symbol, at an enabled
# edge or (with clock_enable gaps) at disabled edges before it, and random din; once the
# pair's latency has passed, no output bit of conv_qzram or of genaddr with its RAM, alone or as
# the interleaver -> deinterleaver pair, may be X or Z.
# Usage: hdl_unknown_start.sh HDL_DIR WORK_DIR. Exits 77 without iverilog.
set -u
hdl=$1
work=$2
here=$(cd "$(dirname "$0")" && pwd)
tb=$here/tb_sync_frames.v
command -v iverilog >/dev/null && command -v vvp >/dev/null || { echo "iverilog missing: skipped"; exit 77; }
rm -rf "$work" && mkdir -p "$work" && cd "$work" || exit 1
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }

# The copies: comments dropped, then every declarator of a reg or integer declaration loses
# its "= value".
sources=(qz_addrgen.v conv_qzram.v genaddr.v)
initialised() { perl -0ne 'print "$ARGV: $&\n" while /(?<!localparam )(?<!parameter )\b(reg|integer)\b[^;]*=[^;]*;/g' "$@"; }
for f in "${sources[@]}"; do perl "$here/strip_initial_values.pl" "$hdl/$f" > "$f" || fail "stripping $f"; done
echo "$(initialised "${sources[@]/#/$hdl/}" | grep -c .) register declarations with initial values stripped"
left=$(initialised "${sources[@]}"; grep -Hnw initial "${sources[@]}")
[ -z "$left" ] || fail "initial values left in the copies: $left"

hdl_type() { case $1 in convolutional) echo CONVOLUTIONAL ;; block) echo BLOCK ;; continuous) echo BLOCK_CONTINOUS ;; esac; }
# The pair's latency, the bound for its cores alone too: TYPE EXTERNAL I J.
pair_latency() {
  if [ "$1" = convolutional ]; then echo $((($3 - 1) * $4 * $3 + ($2 == 1 ? 2 * $3 + 1 : 6)))
  else echo $((2 * $3 * $4 + ($2 == 1 ? 1 : 4))); fi
}

runs=0
for size in "3 2 4" "12 17 8"; do
  read -r i j w <<< "$size"
  for type in convolutional block continuous; do
    for external in 0 1; do
      bound=$(pair_latency "$type" "$external" "$i" "$j")
      for core in pair INTERLEAVER DEINTERLEAVER; do
        name="$type-ext$external-$core-$i-$j-$w"
        mode=$core pair=0
        [ "$core" = pair ] && mode=INTERLEAVER pair=1
        iverilog -g2001 -I"$hdl" -o "$name.vvp" -s tb_sync_frames -Ptb_sync_frames.INT_TYPE=\""$(hdl_type $type)"\" \
          -Ptb_sync_frames.INT_MODE=\""$mode"\" -Ptb_sync_frames.INT_DEPTH="$i" -Ptb_sync_frames.SYMBOL_DELAY="$j" \
          -Ptb_sync_frames.SYMBOL_WIDTH="$w" -Ptb_sync_frames.EXTERNAL="$external" -Ptb_sync_frames.PAIR="$pair" \
          "${sources[@]}" "$hdl/tb_stage.v" "$tb" > "$name.log" 2>&1 || { fail "$name does not compile"; cat "$name.log"; continue; }
        # Two blocks (or frames) past the bound; with gaps about a quarter of the edges are disabled.
        for gaps in 0 1; do
          cycles=$(((bound + 2 * i * j + 10) * (gaps ? 3 : 2) / 2))
          log="$name-$gaps.log"
          vvp -n "$name.vvp" +gaps=$gaps +bound="$bound" +cycles="$cycles" +seed=$((i + j + gaps)) > "$log" 2>&1
          grep -q '^done' "$log" && ! grep -q '^FAIL' "$log" ||
            { fail "$name gaps=$gaps"; (grep '^FAIL' "$log" || tail -3 "$log") | sed 's/^/    /'; }
          runs=$((runs + 1))
        done
        rm -f "$name.vvp"
      done
    done
  done
done
echo "$runs simulations from an unknown state"
[ $failures -eq 0 ] || { echo "$failures checks failed"; exit 1; }
echo "all checks passed"
