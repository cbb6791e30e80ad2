#!/usr/bin/env bash
# Installs the Debian packages the wizard needs; skips what is there.
#   install-deps.sh run   what building and running the programs needs (the user guide's PDF
#                         included), with the simulators and the synthesis tools the flow uses
#                         and GTKWave to view its waveforms
#   install-deps.sh       all of that and what the test suite needs
set -euo pipefail
run_packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  qt6-base-dev libgl-dev libfreetype-dev libfontconfig-dev libxcb1-dev fonts-liberation2
  nlohmann-json3-dev pandoc weasyprint fonts-dejavu-core librsvg2-bin
  ghdl ghdl-llvm iverilog verilator yosys nextpnr-ice40 gtkwave
)
test_packages=(
  git procps file lintian devscripts bash-completion
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  xvfb xdotool imagemagick x11-utils openbox qt6ct
  poppler-utils desktop-file-utils
  libxml2-utils
  z3 python3
  python3-jsonschema strace
  at-spi2-core python3-pyatspi dbus-x11
)
case "${1:-all}" in
  run) packages=("${run_packages[@]}") ;;
  all) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 [run]" >&2
    exit 2
    ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
