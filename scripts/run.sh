#!/usr/bin/env bash
# Installs what is missing, builds the programs and runs the flow on a demo design through tarnwick,
# the host stand-in: the wizard's pages (silent without a display), the design files with the
# library cores, the simulation against the reference model with its waveform, and the synthesis
# when yosys and nextpnr-ice40 are there. Prints what was made and how to view the waveform.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
scripts/install-deps.sh run
# The programs, the backend library the wizard loads, the guide and the man pages; not the tests
# and benchmarks (scripts/test.sh turns them on again in the same folder).
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DZORVEX_BENCH=OFF >/dev/null
cmake --build build -j2
# Installed beside its user guide, so that F1 on a parameter page finds it, and beside the library
# cores tarnwick copies and synthesises.
cmake --install build --prefix "$top/out/install" >/dev/null

demo="$top/out/demo"
design="$demo/demo_interleaver.vhd"
mkdir -p "$demo"
cd "$demo"
options=(-n --simulate)
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running the wizard silently."
  options+=(-silent)
fi
if command -v yosys >/dev/null && command -v nextpnr-ice40 >/dev/null; then
  options+=(--synthesize)
else
  echo "yosys or nextpnr-ice40 is missing: no synthesis."
fi
status=0
"$top/out/install/bin/tarnwick" "${options[@]}" "$design" || status=$?

echo
echo "tarnwick exit status: $status"
for f in "$demo"/*; do
  echo "  $f"
done
base="${design%.vhd}"
if [ -f "$base.vcd" ]; then
  echo "View the waveform with:"
  echo "  gtkwave $base.vcd $base.gtkw"
fi
exit "$status"
