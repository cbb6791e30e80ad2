#!/usr/bin/env bash
# Has tarnwick make the design files for every combination the pages can produce and for the
# extremes of the symbol width, then has Debian's HDL tools check them: ghdl analyses and
# elaborates the VHDL design file and analyses the .cmp inside a package, iverilog elaborates the
# Verilog design file. The library module is not ours to have: an empty stand-in takes its place,
# with the ports and generics this script reads from the .cnx, so a design file that gets a name,
# a width or a direction wrong does not elaborate. The stand-in is never taken for the module.
# Hostile design names follow, which must be refused unless both languages carry them, and
# hand-edited retrieval information: what tarnwick makes of it must analyse, and what a language
# cannot carry must not be made.
# Usage: hdl_design_files_check.sh TARNWICK WORK_DIR. Exit 77 when ghdl or iverilog is missing.
set -u
tarnwick=$1
work=$2
if ! command -v ghdl >/dev/null || ! command -v iverilog >/dev/null; then
  echo "ghdl or iverilog is not installed"
  exit 77
fi
rm -rf "$work" && mkdir -p "$work" || exit 1
failures=0

fail() {
  echo "FAIL $*"
  failures=$((failures + 1))
}

# The VHDL type and the Verilog range of a width and an lsb as the .cnx gives them.
vhdl_type() { if [ "$1" -le 0 ]; then echo std_logic; else echo "std_logic_vector($(($2 + $1 - 1)) downto $2)"; fi; }
verilog_range() { if [ "$1" -gt 1 ]; then echo "[$(($2 + $1 - 1)):$2] "; fi; }

# Prints "name direction width lsb" for each port of the library module (the CONNECT ends named
# module@port: driven ones are its inputs) or, with USED_PORT, of the design itself.
module_ports() {
  awk '$1 == "CONNECT:" { if (index($2, "@")) { split($2, p, "@"); print p[2], "in", $5, $6 }
                          else if (index($7, "@")) { split($7, p, "@"); print p[2], "out", $10, $11 } }' "$1"
}
design_ports() {
  awk '$1 == "USED_PORT:" { print $2, ($7 == "INPUT" ? "in" : "out"), $5, $6 }' "$1"
}
module_name() {
  awk '$1 == "CONNECT:" { for (i = 2; i <= 7; i += 5) if (index($i, "@")) { split($i, p, "@"); print p[1]; exit } }' "$1"
}

# A VHDL port clause from lines of "name direction width lsb".
vhdl_ports() {
  local sep="" name dir width lsb
  echo "  port ("
  while read -r name dir width lsb; do
    printf '%s    %s : %s %s' "$sep" "$name" "$dir" "$(vhdl_type "$width" "$lsb")"
    sep=$';\n'
  done
  printf '\n  );\n'
}

# The stand-in for the library module in VHDL: its generics from the CONSTANT lines.
vhdl_stand_in() {
  local cnx=$1 module=$2
  echo "library ieee; use ieee.std_logic_1164.all;"
  echo "entity $module is"
  awk '$1 == "CONSTANT:" { printf "%s    %s : %s", sep, $2, ($3 == "STRING" ? "string" : "integer"); sep = ";\n" }
       END { if (sep != "") printf "\n" }' "$cnx" | { c=$(cat); [ -n "$c" ] && printf '  generic (\n%s\n  );\n' "$c"; }
  module_ports "$cnx" | vhdl_ports
  echo "end $module;"
  echo "architecture stand_in of $module is begin end stand_in;"
}

# A test bench that instantiates the design through a component declaration, with a signal per port.
vhdl_bench() {
  local cnx=$1 bench=$2 declaration=$3 name dir width lsb
  echo "library ieee; use ieee.std_logic_1164.all;"
  [ -z "$declaration" ] && echo "use work.f_components.all;"
  echo "entity $bench is end $bench;"
  echo "architecture a of $bench is"
  [ -n "$declaration" ] && printf 'component f\n%s\nend component;\n' "$(design_ports "$cnx" | vhdl_ports)"
  design_ports "$cnx" | while read -r name dir width lsb; do echo "  signal s_$name : $(vhdl_type "$width" "$lsb");"; done
  echo "begin"
  echo "  dut : f port map ($(design_ports "$cnx" | awk '{ printf "%s%s => s_%s", sep, $1, $1; sep = ", " }'));"
  echo "end a;"
}

verilog_stand_in() {
  local cnx=$1 module=$2
  printf 'module %s' "$module"
  awk '$1 == "CONSTANT:" { printf "%s parameter %s = %s", (sep == "" ? " #(" : ","), $2, ($3 == "STRING" ? "\"\"" : "0"); sep = "," }
       END { if (sep != "") printf ")" }' "$cnx"
  echo " ("
  module_ports "$cnx" | while read -r name dir width lsb; do
    echo "  $([ "$dir" = in ] && echo input || echo output) wire $(verilog_range "$width" "$lsb")$name,"
  done | sed '$ s/,$//'
  echo "); endmodule"
}

verilog_bench() {
  local cnx=$1 name dir width lsb
  echo "module bench;"
  design_ports "$cnx" | while read -r name dir width lsb; do echo "  wire $(verilog_range "$width" "$lsb")s_$name;"; done
  echo "  f dut ($(design_ports "$cnx" | awk '{ printf "%s.%s(s_%s)", sep, $1, $1; sep = ", " }'));"
  echo "endmodule"
}

check_vhdl() {
  local dir=$1 label=$2 module
  module=$(module_name "$dir/f.cnx")
  [ -n "$module" ] || { fail "$label: the .cnx names no module"; return; }
  vhdl_stand_in "$dir/f.cnx" "$module" >"$dir/stand_in_module.vhd"
  vhdl_bench "$dir/f.cnx" bench_ports declared >"$dir/bench_ports.vhd"
  { echo "library ieee; use ieee.std_logic_1164.all;"; echo "package f_components is";
    cat "$dir/f.cmp"; echo "end f_components;"; } >"$dir/f_components.vhd"
  vhdl_bench "$dir/f.cnx" bench_cmp "" >"$dir/bench_cmp.vhd"
  (cd "$dir" && ghdl -a --std=93 stand_in_module.vhd f.vhd f_components.vhd bench_ports.vhd bench_cmp.vhd \
     && ghdl -e --std=93 bench_ports && ghdl -e --std=93 bench_cmp) >"$dir/ghdl.log" 2>&1 \
    || { fail "$label: ghdl"; cat "$dir/ghdl.log"; }
}

check_verilog() {
  local dir=$1 label=$2 module
  module=$(module_name "$dir/f.cnx")
  [ -n "$module" ] || { fail "$label: the .cnx names no module"; return; }
  verilog_stand_in "$dir/f.cnx" "$module" >"$dir/stand_in_module.v"
  verilog_bench "$dir/f.cnx" >"$dir/bench.v"
  # Port width mismatches are only warnings to iverilog, so any warning fails the check.
  if ! (cd "$dir" && iverilog -g2001 -Wall -s bench -o bench.vvp stand_in_module.v f.v bench.v) >"$dir/iverilog.log" 2>&1 \
     || grep -qi warning "$dir/iverilog.log"; then
    fail "$label: iverilog"; cat "$dir/iverilog.log"
  fi
}

run_case() {
  local label=$1; shift
  local ext dir
  for ext in vhd v; do
    dir="$work/$label/$ext"
    mkdir -p "$dir"
    if ! (cd "$dir" && "$tarnwick" -n -silent "$@" "$dir/f.$ext") >"$dir/tarnwick.log" 2>&1; then
      fail "$label: tarnwick on f.$ext"; cat "$dir/tarnwick.log"; continue
    fi
    [ -f "$dir/f.$ext" ] && [ -f "$dir/f.cmp" ] || { fail "$label: f.$ext or f.cmp not made"; continue; }
    [ "$ext" = vhd ] && check_vhdl "$dir" "$label/vhd"
    [ "$ext" = v ] && check_verilog "$dir" "$label/v"
    # The .cmp of a Verilog design declares the same entity, so it analyses in a package too.
    [ "$ext" = v ] && { { echo "library ieee; use ieee.std_logic_1164.all;"; echo "package f_components is";
      cat "$dir/f.cmp"; echo "end f_components;"; } >"$dir/f_components.vhd";
      (cd "$dir" && ghdl -a --std=93 f_components.vhd) >"$dir/ghdl.log" 2>&1 || { fail "$label/v: .cmp"; cat "$dir/ghdl.log"; }; }
  done
}

for algorithm in convolutional block; do
  for memory in internal external; do
    for direction in interleaver deinterleaver; do
      run_case "$algorithm-$memory-$direction" --algorithm "$algorithm" --memory "$memory" --direction "$direction"
    done
  done
done
run_case width-1 --set W=1
run_case width-64 --set W=64

# Hostile names and values. A stand-in for the wizard leaves the retrieval information $HOSTILE_CNX
# beside the design: the one the wizard wrote above, or a copy edited as a hand would edit it. Every
# file tarnwick reports made must analyse (ghdl -a for the .vhd and the .cmp, iverilog for the .v,
# whose simulation must print nothing an injected statement could print); every file whose names or
# values its language cannot carry must be reported not made, and must not be there.
template=$work/convolutional-internal-interleaver/vhd/f.cnx
leave_cnx=$work/leave_cnx.sh
# A wizard that writes the hand-edited .cnx and an empty .vec, as the real one writes both.
printf '#!/bin/sh\nfor design; do :; done\ncp "$HOSTILE_CNX" "${design%%.*}.cnx"\n: >"$(basename "${design%%.*}").vec"\n' >"$leave_cnx"
chmod +x "$leave_cnx"
hostile_cases=0

# The word tarnwick's log gives the file at path: "made" or "not".
verdict() {
  grep -F -- "$2  (" "$1" | awk '{ print ($1 == "made" ? "made" : "not"); exit }'
}

analyse() {
  local dir=$1 file=$2 ext=$3 module
  case $ext in
    vhd) module=$(module_name "$dir/$(basename "$file" .vhd).cnx")
         vhdl_stand_in "$dir/$(basename "$file" .vhd).cnx" "$module" >"$dir/stand_in_module.vhd"
         (cd "$dir" && ghdl -a --std=93 stand_in_module.vhd "$file") >"$dir/analysis.log" 2>&1 ;;
    cmp) { echo "library ieee; use ieee.std_logic_1164.all;"; echo "package hostile_components is";
           cat "$dir/$file"; echo "end hostile_components;"; } >"$dir/components.vhd"
         (cd "$dir" && ghdl -a --std=93 components.vhd) >"$dir/analysis.log" 2>&1 ;;
    v) module=$(module_name "$dir/$(basename "$file" .v).cnx")
       verilog_stand_in "$dir/$(basename "$file" .v).cnx" "$module" >"$dir/stand_in_module.v"
       (cd "$dir" && iverilog -g2001 -Wall -o design.vvp stand_in_module.v "$file" && vvp -n design.vvp) \
         >"$dir/analysis.log" 2>&1 && ! grep -qi 'warning\|4242' "$dir/analysis.log" ;;
  esac
}

# hostile LABEL BASE SED VHD V CMP: the design BASE.vhd and BASE.v on the template edited by SED;
# VHD, V and CMP say whether the .vhd, the .v and the .cmp are to be made (y) or not (n).
hostile() {
  local label=$1 base=$2 edit=$3 ext dir expected got file
  sed "$edit" "$template" >"$work/hostile-$label.cnx"
  for ext in vhd v; do
    dir="$work/hostile/$label/$ext"
    mkdir -p "$dir"
    hostile_cases=$((hostile_cases + 1))
    if ! (cd "$dir" && HOSTILE_CNX="$work/hostile-$label.cnx" "$tarnwick" -n -silent --zorvex "$leave_cnx" \
            "$dir/$base.$ext") >"$dir/tarnwick.log" 2>&1; then
      fail "hostile $label: tarnwick on $base.$ext"; cat "$dir/tarnwick.log"; continue
    fi
    for file in "$base.$ext" "$base.cmp"; do
      case $file in *.cmp) expected=$6 ;; *.vhd) expected=$4 ;; *) expected=$5 ;; esac
      got=$(verdict "$dir/tarnwick.log" "$dir/$file")
      if [ "$expected" = n ]; then
        [ "$got" = not ] || fail "hostile $label: $file reported '$got', not 'not made'"
        [ -e "$dir/$file" ] && fail "hostile $label: $file reported not made, but it is there"
      elif [ "$got" != made ]; then
        fail "hostile $label: $file not made"; grep -F -- "$dir/$file  (" "$dir/tarnwick.log"
      elif ! analyse "$dir" "$file" "${file##*.}"; then
        fail "hostile $label: $file does not analyse"; cat "$dir/analysis.log"
      fi
    done
  done
}

# refused_name LABEL BASE: the design BASE.vhd and BASE.v, whose name cannot name an entity and a
# module in both languages, are refused before the wizard starts, with the rule, writing nothing.
refused_name() {
  local label=$1 base=$2 ext dir status
  for ext in vhd v; do
    dir="$work/hostile/$label/$ext"
    mkdir -p "$dir"
    hostile_cases=$((hostile_cases + 1))
    status=0
    (cd "$dir" && HOSTILE_CNX="$template" "$tarnwick" -n -silent --zorvex "$leave_cnx" "$dir/$base.$ext") \
      >"$dir/tarnwick.log" 2>&1 || status=$?
    [ "$status" = 125 ] || fail "hostile $label: tarnwick on $base.$ext ended with $status, not 125"
    grep -q "a design's name must be an identifier of both VHDL and Verilog" "$dir/tarnwick.log" \
      || { fail "hostile $label: no rule for $base.$ext"; cat "$dir/tarnwick.log"; }
    ls "$dir" | grep -qv '^tarnwick.log$' && fail "hostile $label: tarnwick on $base.$ext wrote $(ls "$dir")"
  done
}

# Design names: those one of the languages cannot carry are refused, the others made.
refused_name semicolon 'a;b'
refused_name injection 'evil; initial $display(4242); endmodule module f'
refused_name vhdl-reserved entity
refused_name vhdl-reserved-end end
refused_name vhdl-reserved-in in
refused_name vhdl-reserved-signal SIGNAL
refused_name trailing-underscore x_
refused_name double-underscore a__b
refused_name leading-underscore _x
refused_name dollar 'a$b'
refused_name non-ascii 'é'
refused_name leading-digit 1abc
refused_name ordinal 2nd
refused_name blank 'a b'
refused_name hyphen rx-deint
refused_name empty ''
refused_name verilog-keyword module
refused_name verilog-keyword-wire wire
hostile verilog-case Module '' y y y
refused_name library-type std_logic
refused_name library-name ieee
# A design named like a unit of the cores' library is refused before anything is written: its
# library copy would take the design file's place (VHDL names compare without case).
for named in conv_qzram.vhd conv_qzram.v CONV_QZRAM.vhd qz_addrgen.vhd Genaddr.vhd tb_core.v; do
  dir="$work/hostile/library-unit"
  mkdir -p "$dir"
  hostile_cases=$((hostile_cases + 1))
  status=0
  (cd "$dir" && "$tarnwick" -n -silent --zorvex "$leave_cnx" "$dir/$named") >"$dir/tarnwick.log" 2>&1 || status=$?
  [ "$status" = 125 ] || fail "library unit: tarnwick on $named ended with $status, not 125"
  ls "$dir" | grep -qv '^tarnwick.log$' && fail "library unit: tarnwick on $named wrote $(ls "$dir")"
done
hostile named-like-a-port clock '' y y y
# Values and names in a hand-edited .cnx.
hostile string-line-end f 's/"CONVOLUTIONAL"/"CONV\\nX"/' n n y
hostile string-tab f 's/"CONVOLUTIONAL"/"CONV\\tX"/' n n y
hostile string-quote f 's/"CONVOLUTIONAL"/"CONV"X"/' y y y
hostile string-backslash f 's/"CONVOLUTIONAL"/"CONV\\\\"/' y y y
hostile string-injection f 's/"CONVOLUTIONAL"/"A\\\\") initial $display(4242); \/\/"/' y y y
hostile constant-name f 's/INT_DEPTH/INT_DEPTH;X/' n n y
hostile port-name f 's/USED_PORT: din /USED_PORT: din;x /' n n n
hostile connect-point f 's/conv_qzram@din /conv_qzram@din; /' n n y
hostile module-name f 's/conv_qzram@/conv-qzram@/g' n n y
hostile two-modules f '0,/conv_qzram@/s//other@/' n n y
hostile port-twice-in-case f '/USED_PORT: clock /{p;s/clock/CLOCK/}' n y n
hostile port-library-type f 's/\bclken\b/std_logic/g' n y n
hostile port-instance-name f 's/\bclken\b/conv_qzram_inst/g' n n y
hostile port-module-name f 's/\bclken\b/conv_qzram/g' y y y
hostile not-a-port f 's/@clock 0 0 0 0 clock /@clock 0 0 0 0 clk2 /' n n y
hostile direction f 's/USED_PORT: clock 0 0 0 0 INPUT/USED_PORT: clock 0 0 0 0 OUTPUT/' n n y
hostile lsb-past-int f 's/USED_PORT: din 0 0 8 0 /USED_PORT: din 0 0 8 2147483647 /' n n n
hostile lsb-negative f 's/din 0 0 8 0/din 0 0 8 -1/g' n y n
hostile lsb-last-index f 's/din 0 0 8 0/din 0 0 2 2147483646/g' y y y
echo "$hostile_cases hostile runs"

[ "$failures" -eq 0 ] && echo "all design files accepted" && exit 0
echo "$failures failures"
exit 1
