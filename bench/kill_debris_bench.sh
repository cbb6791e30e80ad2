#!/usr/bin/env bash
# Ends silent runs of the largest variation (convolutional, I = 40, J = 500, W = 64) by a signal at
# a random moment of the run and counts the trials that leave a temporary file (.zorvex-*) behind,
# and those whose retrieval information or vector file is then neither the old file nor a whole
# new one. Each run replaces the files of the run before, as a user's second run does.
#
#   kill_debris_bench.sh <path to zorvex> [trials per signal] [signal...]   (default: 100 KILL TERM)
set -u

if [ $# -lt 1 ]; then
    echo "usage: $0 <zorvex> [trials per signal] [signal...]" >&2
    exit 2
fi
wizard=$(realpath "$1")
trials=${2:-100}
shift $(($# < 2 ? $# : 2))
signals=${*:-KILL TERM}

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir" || exit 1

# Without -n, so that the variation above is restored; the vector file goes to the current
# directory, beside the design here.
run() { "$wizard" -silent "$dir/f.vhd" >/dev/null 2>&1; }

printf 'PRIVATE: CONVOLUTIONAL NUMERIC "1"\nPRIVATE: CHARACTERISTIC_I NUMERIC "40"\nPRIVATE: CHARACTERISTIC_J NUMERIC "500"\nPRIVATE: SYMBOL_WIDTH NUMERIC "64"\n' >f.cnx
run || { echo "the first run failed" >&2; exit 1; }
cp f.cnx reference.cnx
cp f.vec reference.vec

# The length of a whole run, so that the signals fall anywhere from its start to its end.
durations=()
for _ in 1 2 3 4 5; do
    start=$(date +%s%N)
    run
    durations+=($((($(date +%s%N) - start) / 1000)))
done
runMicroseconds=$(printf '%s\n' "${durations[@]}" | sort -n | sed -n 3p)
echo "vector file: $(stat -c %s reference.vec) bytes, a whole run: $((runMicroseconds / 1000)) ms"

for signal in $signals; do
    ended=0 leftovers=0 damagedCnx=0 damagedVec=0 largest=0
    for ((trial = 0; trial < trials; ++trial)); do
        delay=$((RANDOM * runMicroseconds / 32768))
        "$wizard" -silent "$dir/f.vhd" >/dev/null 2>&1 &
        pid=$!
        sleep "$((delay / 1000000)).$(printf '%06d' $((delay % 1000000)))"
        kill -s "$signal" "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
        [ $? -gt 128 ] && ended=$((ended + 1))
        shopt -s nullglob dotglob
        left=(.zorvex-*)
        shopt -u nullglob dotglob
        if [ ${#left[@]} -gt 0 ]; then
            leftovers=$((leftovers + 1))
            for file in "${left[@]}"; do
                size=$(stat -c %s "$file")
                [ "$size" -gt "$largest" ] && largest=$size
            done
            rm -f "${left[@]}"
        fi
        if ! cmp -s f.cnx reference.cnx; then
            damagedCnx=$((damagedCnx + 1))
            cp reference.cnx f.cnx
        fi
        if ! cmp -s f.vec reference.vec; then
            damagedVec=$((damagedVec + 1))
            cp reference.vec f.vec
        fi
    done
    echo "SIG$signal: $trials trials, $ended ended by the signal, $leftovers with leftovers (largest $largest bytes), $damagedCnx with a damaged .cnx, $damagedVec with a damaged .vec"
done
