#!/usr/bin/env bash
# The library cores' resources, clock rate and simulation cost, for two versions of the cores side
# by side in one table: "before" (a git revision of hdl/, extracted with git archive, or a folder)
# and "after" (a folder, the working tree's hdl/ unless told otherwise).
#
#   generic  yosys's generic synthesis of conv_qzram and genaddr, convolutional, I/J/W = 12/17/8
#            and 40/500/8: cells, flip-flops, and the bits of the inferred RAM against the memory
#            budget (the words the convolutional layout stores x W).
#   iCE40    synth_ice40 + nextpnr-ice40 --hx8k --package ct256 --seed S --freq 250
#            --timing-allow-fail (a target no variation meets, so it never limits placement; the
#            figure is the Fmax nextpnr reports after routing) for each seed S of --seeds (1 to 5
#            unless told), given as min / median / max and the distance of the median from the
#            254 MHz a counter-addressed block RAM delay line reaches; logic cells (ICESTORM_LC) and block
#            RAMs (ICESTORM_RAM), for conv_qzram 12/17/8 (convolutional interleaver and
#            deinterleaver, block and continuous block interleaver) and for genaddr 12/17 with its
#            synchronous RAM (bench/genaddr_with_ram.v, W = 8); and the ceiling those RAMs set:
#            conv_qzram's RAM alone, convolutional and block, with nothing but registers around it
#            (bench/ram_ceiling.v, written a register after it is read, as conv_qzram writes it;
#            the same on both sides). Convolutional, its 1,122 words lie in three RAM blocks with
#            a multiplexer between their words.
#   xilinx   synth_xilinx (the default family) of conv_qzram, convolutional, 12/17/8 and 40/500/8,
#            both modes: cells and RAMB36E1/RAMB18E1.
#   simulation (with --simulation or --simulation-only; minutes) the convolutional interleaver ->
#            deinterleaver pair through the library testbench (tb_core, PAIR = 1, EXTERNAL = 0) at
#            I = 40, J = 500, W = 8 and 64, for latency + 2000 edges, in VHDL (ghdl --std=93) and
#            Verilog (iverilog -g2001 + vvp, and verilator --binary -O2, its build's elapsed time
#            beside): peak resident set and user + system time of the run step (ghdl -r, vvp, the
#            built program), and whether the pair's output is its input delayed by the latency
#            (I-1)·J·I + 6. Each run is capped in address space (--memory-cap, lowered to what the
#            machine has available less 2 GB) and in time (--sim-timeout); what stopped it is
#            reported. Runs go one after another, the VHDL of "before" last (the largest).
#
# Every tool here is deterministic (yosys; nextpnr with a fixed seed), so each figure but Fmax is
# one run. Deterministic is not robust, though: nextpnr's Fmax moves with the seed and by a few
# MHz with the netlist's names and order alone (genaddr + RAM of the same cores, its files read in another
# order: 64.7 to 70.6 MHz), so a difference of that size between the versions says nothing.
# A benchmark, not a test: no figure is asserted. Each tool's log stays in the work folder
# (WORK/before/..., WORK/after/...). Without --work the folder is a new mktemp -d.
#
# The memory layout of a version (--before-layout, --after-layout) sets its memory budget and the
# RAM beside genaddr: "full" (I·(I-1)·J words convolutional; genaddr's RAM 2^A words) or "half"
# (I·(I-1)·J/2 words; genaddr's RAM I·(I-1)·J/2 + I words). Default: before full, after half.
#
# Usage: bench/core_resources_bench.sh [--before REV|DIR] [--after DIR] [--work DIR]
#          [--before-layout full|half] [--after-layout full|half] [--simulation | --simulation-only]
#          [--memory-cap GB] [--sim-timeout SECONDS] [--sim-size I J] [--seeds "1 2 3 4 5"]
set -u -o pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
before=679e4975c746a65195a9e8af89c185bcc4aaf564
after=$repo/hdl
work=
declare -A layout=([before]=full [after]=half)
simulation=0
synthesis=1
memory_cap_gb=16
sim_timeout=3600
sim_i=40
sim_j=500
seeds="1 2 3 4 5"

usage() { sed -n '/^# Usage:/,/^set /p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 2; }
while [ $# -gt 0 ]; do
  case $1 in
    --before) before=$2; shift 2 ;;
    --after) after=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --before-layout) layout[before]=$2; shift 2 ;;
    --after-layout) layout[after]=$2; shift 2 ;;
    --simulation) simulation=1; shift ;;
    --simulation-only) simulation=1 synthesis=0; shift ;;
    --memory-cap) memory_cap_gb=$2; shift 2 ;;
    --sim-timeout) sim_timeout=$2; shift 2 ;;
    --sim-size) sim_i=$2; sim_j=$3; shift 3 ;;
    --seeds) seeds=$2; shift 2 ;;
    *) usage ;;
  esac
done
for side in before after; do
  case ${layout[$side]} in full | half) ;; *) echo "--$side-layout: full or half"; exit 2 ;; esac
done
for tool in yosys nextpnr-ice40; do
  command -v $tool >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)"; exit 1; }
done
if [ $simulation = 1 ]; then
  for tool in ghdl iverilog vvp verilator timeout /usr/bin/time; do
    command -v $tool >/dev/null || { echo "$tool is missing: needed by --simulation"; exit 1; }
  done
fi
work=${work:-$(mktemp -d)}
mkdir -p "$work" && work=$(cd "$work" && pwd)

# The two versions' folders and how the table names them.
declare -A hdl name
if [ -d "$before" ]; then
  hdl[before]=$(cd "$before" && pwd)
  name[before]=${hdl[before]}
else
  rm -rf "$work/before/src" && mkdir -p "$work/before/src"
  git -C "$repo" archive "$before" hdl | tar -x -C "$work/before/src" ||
    { echo "cannot extract hdl/ of $before"; exit 1; }
  hdl[before]=$work/before/src/hdl
  name[before]="$(git -C "$repo" rev-parse --short "$before") (git archive)"
fi
hdl[after]=$(cd "$after" && pwd) || exit 1
name[after]=${hdl[after]}
echo "before: ${name[before]}, ${layout[before]} layout"
echo "after:  ${name[after]}, ${layout[after]} layout"
echo "work:   $work"

# The Verilog of a version's core TOP (conv_qzram, genaddr; all with "all"): TOP's file and the
# modules it builds on (every other .v but the other core's and the testbench's). Only what the
# top needs is read: yosys's results move by a few cells when an unused module is read too.
sources() {
  local f n cores=
  for f in "${hdl[$1]}"/*.v; do
    n=${f##*/}
    case $n in
      tb_*) ;;
      conv_qzram.v | genaddr.v) [ "$2" = all ] || [ "$n" = "$2.v" ] && cores="$cores $f" ;;
      *) printf '%s ' "$f" ;;
    esac
  done
  echo "$cores"
}
# yosys SIDE TOP LOG SCRIPT: the script on the sources of the version's TOP, its log in LOG (yosys
# takes a line break in the script for a ";").
run_yosys() { yosys -q -l "$3" -p "read_verilog -I${hdl[$1]} $(sources "$1" "$2") $4" >/dev/null 2>&1; }
# stat_cells STAT: the design's total of cells (the hierarchy's sum, the last count).
stat_cells() { grep -E 'Number of cells' "$1" | tail -1 | awk '{print $4}'; }
# stat_count STAT TYPE: cells of TYPE in the design's total.
stat_count() { awk -v t="$2" '/Number of cells/ {n = 0} $1 == t {n = $2} END {print n + 0}' "$1"; }
conv_words() { # LAYOUT I J: the words the convolutional layout stores
  [ "$1" = full ] && echo $(($2 * ($2 - 1) * $3)) || echo $(($2 * ($2 - 1) * $3 / 2))
}
declare -A r  # results: r[SIDE|KEY]

# What is measured: TOP I J W; TOP TYPE MODE at 12/17/8; I J W MODE.
generic_sets=("conv_qzram 12 17 8" "genaddr 12 17 8" "conv_qzram 40 500 8" "genaddr 40 500 8")
ice40_designs=("conv_qzram CONVOLUTIONAL INTERLEAVER" "conv_qzram CONVOLUTIONAL DEINTERLEAVER"
               "conv_qzram BLOCK INTERLEAVER" "conv_qzram BLOCK_CONTINOUS INTERLEAVER"
               "genaddr_with_ram CONVOLUTIONAL INTERLEAVER" "genaddr_with_ram CONVOLUTIONAL DEINTERLEAVER"
               "genaddr_late_write CONVOLUTIONAL INTERLEAVER" "genaddr_late_write CONVOLUTIONAL DEINTERLEAVER"
               "ram_ceiling CONVOLUTIONAL INTERLEAVER" "ram_ceiling BLOCK INTERLEAVER")
xilinx_sets=("12 17 8 INTERLEAVER" "12 17 8 DEINTERLEAVER" "40 500 8 INTERLEAVER" "40 500 8 DEINTERLEAVER")
[ $synthesis = 1 ] || generic_sets=() ice40_designs=() xilinx_sets=()

# --- generic synthesis -------------------------------------------------------------------------
for side in before after; do
  d=$work/$side/generic
  for set in "${generic_sets[@]}"; do
    mkdir -p "$d"
    read -r top i j w <<< "$set"
    f=$d/$top-$i-$j-$w
    params="-set INT_TYPE \"CONVOLUTIONAL\" -set INT_DEPTH $i -set SYMBOL_DELAY $j"
    [ "$top" = conv_qzram ] && params="$params -set SYMBOL_WIDTH $w"
    key="generic|$top|$i|$j"
    if run_yosys "$side" "$top" "$f.log" "; chparam $params $top; hierarchy -top $top; proc; flatten; opt;
        memory -nomap; tee -q -o $f.mem dump t:\$mem_v2; synth -top $top -run begin:fine; opt -fast -full;
        techmap; opt -fast; abc -fast; opt -fast; tee -q -o $f.stat stat"; then
      r[$side|$key|cells]=$(stat_cells "$f.stat")
      r[$side|$key|ffs]=$(awk '$1 ~ /DFF/ {s += $2} END {print s + 0}' "$f.stat")
      # WIDTH x SIZE of each memory cell the RAM was inferred as.
      r[$side|$key|bits]=$(awk '/parameter .WIDTH/ {w = $3} /parameter .SIZE/ {s = $3}
          /^ *end$/ && w && s {b += w * s; w = s = 0} END {print b + 0}' "$f.mem")
    else
      r[$side|$key|cells]=fail r[$side|$key|ffs]=fail r[$side|$key|bits]=fail
    fi
    [ "$top" = conv_qzram ] && r[$side|$key|budget]=$(($(conv_words "${layout[$side]}" "$i" "$j") * w)) ||
      r[$side|$key|budget]=-
  done
done

# --- iCE40 -------------------------------------------------------------------------------------
# genaddr's address width, from its elaborated read_addr: SIDE TYPE I J MODE LOG.
genaddr_width() {
  local out=${6%.log}.ports.v
  run_yosys "$1" genaddr "$6" "; chparam -set INT_TYPE \"$2\" -set INT_DEPTH $3 -set SYMBOL_DELAY $4 -set INT_MODE \"$5\" genaddr;
      hierarchy -top genaddr; write_verilog -noattr $out" &&
    sed -n 's/^ *output *\[\([0-9]*\):0\] *read_addr;.*/\1/p' "$out" | awk '{print $1 + 1; exit}'
}
# critical_path LOG: what limits a routed design, from nextpnr's last critical path report for the
# clock: its delay, the cells it starts and ends at (named as yosys named them, up to the first
# "_SB_", which is mostly the register or the signal they drive), its logic levels (the LUTs it
# passes, the one before the last register included), the carry-chain cells it runs through, and
# whether it passes a global buffer (a fan-out nextpnr promoted: an enable or set/reset).
critical_path() {
  awk '/Critical path report for clock .*posedge -> posedge/ {on = 1; n = luts = carry = gbuf = done = 0; next}
       on && /Critical path report/ {on = 0}
       on && / Source / {c = $5; sub(/\.[A-Z0-9_]*$/, "", c); if (!n++) from = c
                         if ($5 ~ /COUT$|\$CARRY/) carry++; else if ($5 ~ /GLOBAL_BUFFER/) gbuf = 1; else luts++}
       on && / Setup / {to = $5; total = $3; if (to ~ /\.I[0-3]$/) luts++
                        sub(/\.[A-Z0-9_]*$/, "", to); on = 0; done = 1}
       function short(x) { if (x ~ /_(RAM|RDATA|WDATA|WADDR|RADDR|WCLKE|MASK)/) return "RAM block"
                           sub(/_SB_.*/, "", x); sub(/_\$glb.*/, "", x); sub(/^.*\./, "", x); return x }
       END {if (done) printf "%.1f ns %s -> %s, %d LUT levels%s%s", total, short(from), short(to), luts - 1,
                              carry ? sprintf(" + %d carries", carry) : "", gbuf ? ", via a global buffer" : ""}' "$1"
}
for side in before after; do
  d=$work/$side/ice40
  for design in "${ice40_designs[@]}"; do
    mkdir -p "$d"
    read -r top type mode <<< "$design"
    f=$d/$top-$type-$mode
    key="ice40|$top|$type|$mode"
    r[$side|$key|fmax]=fail r[$side|$key|lc]=fail r[$side|$key|ram]=fail
    params="-set INT_TYPE \"$type\" -set INT_MODE \"$mode\" -set INT_DEPTH 12 -set SYMBOL_DELAY 17 -set SYMBOL_WIDTH 8"
    extra='' core=$top module=$top
    if [ "$top" = genaddr_with_ram ] || [ "$top" = genaddr_late_write ]; then
      a=$(genaddr_width "$side" "$type" 12 17 "$mode" "$f.width.log") || continue
      [ -n "$a" ] || continue
      pow2=$([ "${layout[$side]}" = full ] && echo 1 || echo 0)
      params="$params -set A $a -set POW2_RAM $pow2 -set WRITE_LATE $([ "$top" = genaddr_late_write ] && echo 1 || echo 0)"
      extra=$here/genaddr_with_ram.v core=genaddr module=genaddr_with_ram
    elif [ "$top" = ram_ceiling ]; then
      extra=$here/ram_ceiling.v core=none
    fi
    run_yosys "$side" "$core" "$f.yosys.log" "$extra; chparam $params $module; synth_ice40 -top $module -json $f.json;
        tee -q -o $f.stat stat" || continue
    fmaxes=() by_seed=()
    for seed in $seeds; do
      log=$f.seed$seed.nextpnr.log
      nextpnr-ice40 --hx8k --package ct256 --seed "$seed" --freq 250 --timing-allow-fail --json "$f.json" \
        > "$log" 2>&1 || continue
      fmaxes+=("$(grep -E "Max frequency for clock" "$log" | tail -1 | sed -n "s/.*: *\([0-9.]*\) MHz.*/\1/p")")
      by_seed+=("${fmaxes[-1]} $seed")
      r[$side|$key|lc]=$(grep -E "^Info:[[:space:]]+ICESTORM_LC:" "$log" | head -1 | awk '{print $3}' | tr -d /)
      r[$side|$key|ram]=$(grep -E "^Info:[[:space:]]+ICESTORM_RAM:" "$log" | head -1 | awk '{print $3}' | tr -d /)
    done
    [ ${#fmaxes[@]} -gt 0 ] || continue
    # min / median / max over the seeds that routed, and the median's distance from 254 MHz.
    r[$side|$key|fmax]=$(printf '%s\n' "${fmaxes[@]}" | sort -n |
      awk '{v[NR] = $1} END {m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2;
                             printf "%.1f/%.1f/%.1f (%+.0f)", v[1], m, v[NR], m - 254}')
    # The path that limits the seed at the median (the lower of the two middle ones).
    median_seed=$(printf '%s\n' "${by_seed[@]}" | sort -n | awk '{s[NR] = $2} END {print s[int((NR + 1) / 2)]}')
    r[$side|$key|path]="seed $median_seed: $(critical_path "$f.seed$median_seed.nextpnr.log")"
  done
done

# --- Xilinx ------------------------------------------------------------------------------------
for side in before after; do
  d=$work/$side/xilinx
  for set in "${xilinx_sets[@]}"; do
    mkdir -p "$d"
    read -r i j w mode <<< "$set"
    f=$d/conv_qzram-$i-$j-$w-$mode
    key="xilinx|$i|$j|$w|$mode"
    params="-set INT_TYPE \"CONVOLUTIONAL\" -set INT_MODE \"$mode\" -set INT_DEPTH $i -set SYMBOL_DELAY $j"
    if run_yosys "$side" conv_qzram "$f.log" "; chparam $params -set SYMBOL_WIDTH $w conv_qzram;
        synth_xilinx -top conv_qzram; tee -q -o $f.stat stat"; then
      r[$side|$key|cells]=$(stat_cells "$f.stat")
      r[$side|$key|b36]=$(stat_count "$f.stat" RAMB36E1)
      r[$side|$key|b18]=$(stat_count "$f.stat" RAMB18E1)
    else
      r[$side|$key|cells]=fail r[$side|$key|b36]=fail r[$side|$key|b18]=fail
    fi
  done
done

# --- simulation --------------------------------------------------------------------------------
if [ $simulation = 1 ]; then
  latency=$(((sim_i - 1) * sim_j * sim_i + 6))
  cycles=$((latency + 2000))
  sim_widths=(8 64)
  mkdir -p "$work/stimulus"
  # One edge a line, "clock_enable sync_in din": sync_in at the first, din the high bits of a
  # multiplicative hash of the edge (no short period, so a symbol out of place shows).
  for w in "${sim_widths[@]}"; do
    awk -v n=$cycles -v w=$w 'BEGIN {
      for (b = 0; b < 256; b++) { s = ""; for (k = 7; k >= 0; k--) s = s (int(b / 2 ^ k) % 2); byte[b] = s }
      for (e = 0; e < n; e++) {
        d = ""
        for (c = 0; c < (w + 31) / 32; c++) {
          x = (e * 2654435761 + c * 40503 + 12345) % 4294967296
          d = d byte[int(x / 16777216) % 256] byte[int(x / 65536) % 256] byte[int(x / 256) % 256] byte[x % 256]
        }
        printf "1 %d %s\n", e == 0, substr(d, 1, w)
      }
    }' > "$work/stimulus/w$w.txt"
  done

  # measure KEY DIR BASE CAP_KB COMMAND...: runs COMMAND in DIR under the caps, its output in
  # BASE.log and /usr/bin/time's in BASE.time (time waits for timeout, whose figures hold the
  # command's); sets r[KEY|status|rss|cpu|wall].
  measure() {
    local label=$1 dir=$2 base=$3 cap=$4; shift 4
    (cd "$dir" && ulimit -v "$cap" &&
      exec /usr/bin/time -v -o "$base.time" timeout "$sim_timeout" "$@") > "$dir/$base.log" 2>&1
    local rc=$? t=$dir/$base.time
    local status=ok rss_kb
    rss_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$t" 2>/dev/null)
    if [ $rc = 124 ]; then status="timeout ${sim_timeout}s"
    elif grep -q "terminated by signal" "$t" 2>/dev/null; then status="$(grep -o 'signal [0-9]*' "$t")"
    elif [ $rc != 0 ]; then status="exit $rc"
    fi
    # A run stopped within 10 % of the cap ran out of its address space (ghdl dies of a SIGSEGV).
    [ "$status" != ok ] && [ "${rss_kb:-0}" -gt $((cap / 10 * 9)) ] && status="$status at the cap"
    r[$label|status]=$status
    r[$label|rss]=${rss_kb:+$((rss_kb / 1024))}
    r[$label|cpu]=$(awk -F': ' '/User time/ {u = $2} /System time/ {s = $2} END {printf "%.1f", u + s}' "$t" 2>/dev/null)
    r[$label|wall]=$(awk -F': ' '/Elapsed/ {print $2}' "$t" 2>/dev/null)
  }
  # pair_check DUMP STIMULUS: whether the deinterleaver's dout (the dump's 6th field) at edge
  # k + latency is the din of edge k, for every k the dump reaches.
  pair_check() {
    [ -s "$1" ] || { echo "no dump"; return; }
    paste -d ' ' <(tail -n +$((latency + 1)) "$1" | awk '{print $6}') <(awk '{print $3}' "$2") |
      awk 'NF == 2 {n++; if ($1 != $2) {bad++; if (!first) first = NR}}
           END {if (!n) print "no output"; else if (bad) printf "%d of %d differ, first at edge %d\n", bad, n, first - 1;
                else printf "yes (%d edges)\n", n}'
  }
  cap_kb() { # the address-space cap: --memory-cap, or what is available less 2 GB if lower
    local avail
    avail=$(awk '/MemAvailable/ {print $2}' /proc/meminfo)
    local cap=$((memory_cap_gb * 1024 * 1024)) room=$((avail - 2 * 1024 * 1024))
    [ $room -lt $cap ] && cap=$room
    echo $cap
  }
  # sim SIDE LANG W
  sim() {
    local side=$1 lang=$2 w=$3 h=${hdl[$1]} d=$work/$1/sim-$2
    local label="sim|$side|$lang|$w" stim=$work/stimulus/w$w.txt dump=$d/w$w.dump cap
    mkdir -p "$d"
    cap=$(cap_kb)
    r[$label|cap]=$((cap / 1024 / 1024))
    [ "$cap" -ge $((1024 * 1024)) ] || { r[$label|status]="skipped: memory taken"; return; }
    local g=(INT_TYPE=CONVOLUTIONAL INT_MODE=INTERLEAVER "INT_DEPTH=$sim_i" "SYMBOL_DELAY=$sim_j"
             "SYMBOL_WIDTH=$w" EXTERNAL=0 PAIR=1 "CYCLES=$cycles" "STIMULUS=$stim" "DUMP=$dump")
    if [ "$lang" = vhdl ]; then
      # ghdl -m analyses the version's VHDL files in the order their units need.
      (cd "$d" && ghdl -i --std=93 "$h"/*.vhd && ghdl -m --std=93 tb_core) > "$d/compile.log" 2>&1 ||
        { r[$label|status]="does not compile"; return; }
      measure "$label" "$d" "w$w" "$cap" ghdl -r --std=93 tb_core "${g[@]/#/-g}"
    elif [ "$lang" = verilator ]; then
      local p=() x start
      for x in "${g[@]}"; do
        case $x in INT_TYPE=* | INT_MODE=* | STIMULUS=* | DUMP=*) p+=("-G${x%%=*}=\"${x#*=}\"") ;;
                   *) p+=("-G$x") ;; esac
      done
      start=$(date +%s.%N)
      # shellcheck disable=SC2046 # the sources are words (paths without spaces)
      verilator --binary --timing -O2 -j 2 -Wno-fatal -Wno-lint -Wno-style -I"$h" "${p[@]}" --top-module tb_core \
        --Mdir "$d/obj-w$w" -o sim $(sources "$side" all) "$h/tb_stage.v" "$h/tb_core.v" > "$d/compile-w$w.log" 2>&1 ||
        { r[$label|status]="does not compile"; return; }
      r[$label|build]=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN {printf "%.0f", b - a}')
      measure "$label" "$d" "w$w" "$cap" "$d/obj-w$w/sim"
      rm -rf "$d/obj-w$w"
    else
      local p=() x
      for x in "${g[@]}"; do
        case $x in INT_TYPE=* | INT_MODE=* | STIMULUS=* | DUMP=*) p+=("-Ptb_core.${x%%=*}=\"${x#*=}\"") ;;
                   *) p+=("-Ptb_core.$x") ;; esac
      done
      # shellcheck disable=SC2046 # the sources are words (paths without spaces)
      iverilog -g2001 -I"$h" -o "$d/w$w.vvp" -s tb_core "${p[@]}" $(sources "$side" all) "$h/tb_stage.v" \
        "$h/tb_core.v" > "$d/compile-w$w.log" 2>&1 || { r[$label|status]="does not compile"; return; }
      measure "$label" "$d" "w$w" "$cap" vvp -n "w$w.vvp"
      rm -f "$d/w$w.vvp"
    fi
    r[$label|check]=$(pair_check "$dump" "$stim")
    rm -f "$dump"
  }
  sim_order=("after verilog" "before verilog" "after verilator" "before verilator" "after vhdl" "before vhdl")
  for s in "${sim_order[@]}"; do
    for w in "${sim_widths[@]}"; do
      sim $s "$w"
    done
  done
fi

# --- the table ---------------------------------------------------------------------------------
v() { echo "${r[$1]:--}"; }
if [ $synthesis = 1 ]; then
echo
echo "Generic synthesis (yosys synth), convolutional; RAM bits of the inferred memory, budget = layout's words x W"
printf "%-11s %3s %3s %2s | %13s | %13s | %19s | %19s\n" "" "" "" "" "cells" "flip-flops" "RAM bits" "budget"
printf "%-11s %3s %3s %2s | %6s %6s | %6s %6s | %9s %9s | %9s %9s\n" core I J W before after before after \
  before after before after
for set in "${generic_sets[@]}"; do
  read -r top i j w <<< "$set"
  k="generic|$top|$i|$j"
  [ "$top" = genaddr ] && w=-
  printf "%-11s %3s %3s %2s | %6s %6s | %6s %6s | %9s %9s | %9s %9s\n" "$top" "$i" "$j" "$w" \
    "$(v "before|$k|cells")" "$(v "after|$k|cells")" "$(v "before|$k|ffs")" "$(v "after|$k|ffs")" \
    "$(v "before|$k|bits")" "$(v "after|$k|bits")" "$(v "before|$k|budget")" "$(v "after|$k|budget")"
done

echo
echo "iCE40 HX8K (synth_ice40; nextpnr-ice40 --hx8k --package ct256 --seed S --freq 250), I/J/W = 12/17/8;"
echo "Fmax over the seeds $seeds: min/median/max MHz (the median's distance from 254 MHz)"
printf "%-45s | %47s | %13s | %13s\n" "" "Fmax MHz" "ICESTORM_LC" "ICESTORM_RAM"
printf "%-45s | %23s %23s | %6s %6s | %6s %6s\n" design before after before after before after
for design in "${ice40_designs[@]}"; do
  read -r top type mode <<< "$design"
  k="ice40|$top|$type|$mode"
  label="$top $type $mode"
  [ "$top" = genaddr_with_ram ] && label="genaddr + RAM $type $mode"
  [ "$top" = genaddr_late_write ] && label="genaddr + RAM writing late $type $mode"
  [ "$top" = ram_ceiling ] && label="the bare RAM of conv_qzram $type (ceiling)"
  printf "%-45s | %23s %23s | %6s %6s | %6s %6s\n" "$label" \
    "$(v "before|$k|fmax")" "$(v "after|$k|fmax")" "$(v "before|$k|lc")" "$(v "after|$k|lc")" \
    "$(v "before|$k|ram")" "$(v "after|$k|ram")"
done
echo
echo "What limits each design at its median seed: nextpnr's critical path (delay, the cells it starts and"
echo "ends at, logic levels, carry-chain cells, a global buffer on the way)"
for design in "${ice40_designs[@]}"; do
  read -r top type mode <<< "$design"
  k="ice40|$top|$type|$mode"
  printf "%-45s | before: %s\n%-45s | after:  %s\n" "$top $type $mode" "$(v "before|$k|path")" "" "$(v "after|$k|path")"
done

echo
echo "synth_xilinx (default family), conv_qzram convolutional"
printf "%-25s | %13s | %13s | %13s\n" "" "cells" "RAMB36E1" "RAMB18E1"
printf "%-25s | %6s %6s | %6s %6s | %6s %6s\n" "I/J/W mode" before after before after before after
for set in "${xilinx_sets[@]}"; do
  read -r i j w mode <<< "$set"
  k="xilinx|$i|$j|$w|$mode"
  printf "%-25s | %6s %6s | %6s %6s | %6s %6s\n" "$i/$j/$w $mode" \
    "$(v "before|$k|cells")" "$(v "after|$k|cells")" "$(v "before|$k|b36")" "$(v "after|$k|b36")" \
    "$(v "before|$k|b18")" "$(v "after|$k|b18")"
done
fi

if [ $simulation = 1 ]; then
  echo
  echo "Simulation: convolutional pair, I = $sim_i, J = $sim_j, $cycles edges (latency $latency + 2000);"
  echo "the run step (ghdl -r, vvp, Verilator's program) under a cap of address space and ${sim_timeout}s"
  printf "%-7s %-9s %3s | %-24s %6s %11s %10s %9s %7s | %s\n" version lang W result "cap GB" "peak RSS MB" \
    "user+sys s" "wall" "build s" "output = input delayed by the latency"
  for s in "${sim_order[@]}"; do
    read -r side lang <<< "$s"
    for w in "${sim_widths[@]}"; do
      k="sim|$side|$lang|$w"
      printf "%-7s %-9s %3s | %-24s %6s %11s %10s %9s %7s | %s\n" "$side" "$lang" "$w" "$(v "$k|status")" \
        "$(v "$k|cap")" "$(v "$k|rss")" "$(v "$k|cpu")" "$(v "$k|wall")" "$(v "$k|build")" "$(v "$k|check")"
    done
  done
fi
