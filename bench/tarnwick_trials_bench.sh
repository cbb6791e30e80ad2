#!/usr/bin/env bash
# Trials of tarnwick runs that change a design's settings (--set) while something else goes on, on a
# large variation (convolutional, I = 40, J = 300, W = 32, a vector file of some 22 MB):
#
#  (a) two runs started at once, one changing I and the other J. Run one after the other, the
#      second reads what the first wrote, so the .cnx ends with both changes; one that ends with
#      only one of them is a lost update. A .vec that is not the one written with the .cnx there
#      is a mixed pair.
#  (b) tarnwick killed (SIGKILL) at a random moment of the run. Counted: a torn .cnx (a part of
#      the old or the new one), a .cnx that is neither the old nor the new one, a new .cnx beside a
#      .vec or design file of the old settings, working folders and kept files (.tarnwick-*) left
#      beside the design, and wizards still running once tarnwick has been collected (a wizard that
#      ends with tarnwick is gone by then, one that does not goes on writing for tens of ms).
#
#   tarnwick_trials_bench.sh <path to tarnwick> <path to zorvex> [trials]   (default: 16)
set -u

if [ $# -lt 2 ]; then
    echo "usage: $0 <tarnwick> <zorvex> [trials]" >&2
    exit 2
fi
tarnwick=$(realpath "$1")
wizard=$(realpath "$2")
trials=${3:-16}

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
export DISPLAY=

settings() { # I J: the stored settings of the variation
    printf 'PRIVATE: CONVOLUTIONAL NUMERIC "1"\nPRIVATE: CHARACTERISTIC_I NUMERIC "%s"\nPRIVATE: CHARACTERISTIC_J NUMERIC "%s"\nPRIVATE: SYMBOL_WIDTH NUMERIC "32"\n' "$1" "$2"
}

# The .cnx and .vec the wizard itself writes for I and J, run on its own in a folder of its own.
reference() { # name I J
    mkdir -p "$dir/$1"
    settings "$2" "$3" >"$dir/$1/f.cnx"
    (cd "$dir/$1" && "$wizard" -silent "$dir/$1/f.vhd" >/dev/null 2>&1) || { echo "the wizard failed on $1" >&2; exit 1; }
}
reference old 40 300
reference onlyI 39 300
reference onlyJ 40 299
reference both 39 299

# The reference whose .cnx is the file given, or nothing.
whose() {
    for name in old onlyI onlyJ both; do
        cmp -s "$1" "$dir/$name/f.cnx" && { echo "$name"; return; }
    done
}

# The design lives in d/, and the runs start in d/ too, so that the .vec is beside it.
design=$dir/d/f.vhd
mkdir -p "$dir/d"
cd "$dir/d" || exit 1

# (a) Two runs at once.
lost=0 mixed=0 damaged=0 failed=0
for ((trial = 0; trial < trials; ++trial)); do
    settings 40 300 >f.cnx
    rm -f f.vec
    "$tarnwick" -silent --set I=39 "$design" >/dev/null 2>&1 &
    first=$!
    "$tarnwick" -silent --set J=299 "$design" >/dev/null 2>&1 &
    second=$!
    wait "$first" || failed=$((failed + 1))
    wait "$second" || failed=$((failed + 1))
    name=$(whose f.cnx)
    case $name in
    both) ;;
    onlyI | onlyJ) lost=$((lost + 1)) ;;
    *) damaged=$((damaged + 1)) ;;
    esac
    if [ -n "$name" ] && ! cmp -s f.vec "$dir/$name/f.vec"; then
        mixed=$((mixed + 1))
    fi
done
echo "two runs at once: $trials trials, $failed runs failed, $lost lost updates, $mixed mixed .cnx/.vec pairs, $damaged with a .cnx of neither run"

# (b) tarnwick killed during a run. Each trial starts from the files a whole run on the old
# settings leaves, and changes I.
settings 40 300 >f.cnx
"$tarnwick" -silent "$design" >/dev/null 2>&1 || { echo "the first run failed" >&2; exit 1; }
mkdir -p "$dir/older"
cp f.cnx f.vec f.vhd f.cmp "$dir/older/"
durations=()
for _ in 1 2 3; do
    cp "$dir"/older/* .
    start=$(date +%s%N)
    "$tarnwick" -silent --set I=39 "$design" >/dev/null 2>&1
    durations+=($((($(date +%s%N) - start) / 1000)))
done
runMicroseconds=$(printf '%s\n' "${durations[@]}" | sort -n | sed -n 2p)
mkdir -p "$dir/newer"
cp f.cnx f.vec f.vhd f.cmp "$dir/newer/"
echo "vector file: $(stat -c %s f.vec) bytes, a whole --set run: $((runMicroseconds / 1000)) ms"

# Wizards started from the design's folder that are still running.
wizardsLeft() {
    local count=0 pid
    for pid in $(pgrep -f -- "^$wizard "); do
        case $(readlink "/proc/$pid/cwd" 2>/dev/null) in
        "$dir"*) [ "$(cut -d' ' -f3 "/proc/$pid/stat" 2>/dev/null)" != Z ] && count=$((count + 1)) ;;
        esac
    done
    echo "$count"
}

torn=0 neither=0 stale=0 leftovers=0 orphans=0 ended=0
for ((trial = 0; trial < trials; ++trial)); do
    cp "$dir"/older/* .
    delay=$((RANDOM * runMicroseconds / 32768))
    "$tarnwick" -silent --set I=39 "$design" >/dev/null 2>&1 &
    pid=$!
    sleep "$((delay / 1000000)).$(printf '%06d' $((delay % 1000000)))"
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    [ $? -eq 137 ] && ended=$((ended + 1))
    [ "$(wizardsLeft)" -gt 0 ] && orphans=$((orphans + 1))
    # What is left must not depend on wizards still writing.
    while [ "$(wizardsLeft)" -gt 0 ]; do sleep 0.01; done
    if cmp -s f.cnx "$dir/newer/f.cnx"; then
        for file in f.vec f.vhd f.cmp; do
            if ! cmp -s "$file" "$dir/newer/$file"; then
                stale=$((stale + 1))
                break
            fi
        done
    elif ! cmp -s f.cnx "$dir/older/f.cnx"; then
        neither=$((neither + 1))
        size=$(stat -c %s f.cnx 2>/dev/null || echo 0)
        if cmp -s -n "$size" f.cnx "$dir/older/f.cnx" || cmp -s -n "$size" f.cnx "$dir/newer/f.cnx"; then
            torn=$((torn + 1))
        fi
    fi
    shopt -s nullglob dotglob
    left=(.tarnwick-*)
    shopt -u nullglob dotglob
    if [ ${#left[@]} -gt 0 ]; then
        leftovers=$((leftovers + 1))
        rm -rf "${left[@]}"
    fi
done
echo "SIGKILL during a run: $trials trials, $ended ended by it, $torn with a torn .cnx, $neither with a .cnx neither old nor new, $stale with a new .cnx beside older files, $leftovers with .tarnwick-* left, $orphans with a wizard still running"
