#!/usr/bin/env bash
# Peak memory of a silent run that restores the largest retrieval-information file the wizard
# accepts (16 MiB), filled with CONNECT lines, with PRIVATE lines of unknown names, or with one
# long line; beside the peak of a run that restores a real, small file. Prints the medians of N
# runs, in MiB.
#   bench/large_cnx_bench.sh <build dir> [runs]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-5}
root=$(mktemp -d /tmp/zorvex-large-cnx.XXXXXX)
trap 'rm -rf "$root"' EXIT
cd "$root"
limit=$(( 16 << 20 ))

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# Writes big.cnx: one line repeated up to the accepted limit, the stored settings at its end.
fill() {
  local line=$1
  "$build/zorvex" -n -silent "$root/f.vhd" >/dev/null
  local settings; settings=$(grep '^PRIVATE:' f.cnx)
  { yes "$line" || true; } | head -c $(( limit - ${#settings} - 2 )) >big.cnx
  printf '\n%s\n' "$settings" >>big.cnx
}

# Each run rewrites f.cnx, so every run starts from a fresh copy of big.cnx.
peak() {
  for _ in $(seq "$runs"); do
    cp big.cnx f.cnx
    /usr/bin/time -f %M "$build/zorvex" -silent "$root/f.vhd" 2>&1 >/dev/null | tail -1
  done | median
}

"$build/zorvex" -n -silent "$root/f.vhd" >/dev/null
cp f.cnx big.cnx
printf '%-34s %8s KiB   (%s bytes)\n' "small .cnx (as written)" "$(peak)" "$(stat -c %s big.cnx)"
for line in 'CONNECT: conv_qzram@din 0 0 8 0 din 0 0 8 0' 'PRIVATE: UNKNOWN NUMERIC "1"' 'CONNECT:'; do
  fill "$line"
  printf '%-34s %8s KiB   (%s bytes)\n' "${line:0:20}... to 16 MiB" "$(peak)" "$(stat -c %s big.cnx)"
done
