#!/usr/bin/env bash
# Installs the Debian packages the wizard needs to build, run and be tested; skips what is there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git procps
  qt6-base-dev libgl-dev libfreetype-dev libfontconfig-dev libxcb1-dev fonts-liberation2
  nlohmann-json3-dev
  pandoc file dpkg-dev lintian devscripts bash-completion
  googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  xvfb xdotool imagemagick x11-utils openbox qt6ct fonts-dejavu-core
  poppler-utils weasyprint desktop-file-utils
  librsvg2-bin libxml2-utils
  ghdl iverilog verilator yosys nextpnr-ice40 z3
  python3-jsonschema
  at-spi2-core python3-pyatspi dbus-x11
)
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
