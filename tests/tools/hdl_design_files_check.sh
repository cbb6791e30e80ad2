#!/usr/bin/env bash
# Has tarnwick make the design files for every combination the pages can produce and for the
# extremes of the symbol width, then has Debian's HDL tools check them: ghdl analyses and
# elaborates the VHDL design file and analyses the .cmp inside a package, iverilog elaborates the
# Verilog design file. The library module is not ours to have: an empty stand-in takes its place,
# with the ports and generics this script reads from the .cnx, so a design file that gets a name,
# a width or a direction wrong does not elaborate. The stand-in is never taken for the module.
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
vhdl_type() { if [ "$1" -le 1 ]; then echo std_logic; else echo "std_logic_vector($(($2 + $1 - 1)) downto $2)"; fi; }
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

[ "$failures" -eq 0 ] && echo "all design files accepted" && exit 0
echo "$failures failures"
exit 1
