#!/usr/bin/env bash
# A batch regeneration with changed settings beside a plain silent run of the same variation, run
# in turn so that both see the same machine: the wizard alone, tarnwick passing the run on, and
# tarnwick with --set (working copy, wizard, files put in place). Prints the medians of N runs, in
# milliseconds.
#   bench/batch_run_bench.sh <build dir> [runs]
set -euo pipefail
build=$(cd "$1" && pwd)
runs=${2:-21}
root=$(mktemp -d /tmp/zorvex-batch.XXXXXX)
trap 'rm -rf "$root"' EXIT
cd "$root"
"$build/zorvex" -n -silent "$root/f.vhd" >/dev/null

now_us() { echo $(( $(date +%s%N) / 1000 )); }
median() { sort -n | awk '{a[NR]=$1} END {printf "%.1f", a[int((NR+1)/2)] / 1000}'; }

declare -A times
for _ in $(seq "$runs"); do
  for kind in wizard tarnwick batch; do
    start=$(now_us)
    case $kind in
      wizard) "$build/zorvex" -silent "$root/f.vhd" >/dev/null ;;
      tarnwick) "$build/tarnwick" -silent "$root/f.vhd" >/dev/null ;;
      batch) "$build/tarnwick" -silent --set I=12 --set J=17 --algorithm convolutional "$root/f.vhd" >/dev/null ;;
    esac
    times[$kind]+="$(( $(now_us) - start )) "
  done
done
for kind in wizard tarnwick batch; do
  printf '%-9s %6s ms\n' "$kind" "$(tr ' ' '\n' <<<"${times[$kind]}" | grep . | median)"
done
