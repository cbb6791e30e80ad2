#!/usr/bin/env bash
# Installs what is missing, builds the wizard and runs it on a demo design. With a display the
# wizard's pages open; without one it runs silently. Either way it prints the files written.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2
# Installed beside its user guide, so that F1 on a parameter page finds it.
cmake --install build --prefix "$PWD/out/install" >/dev/null
demo="$PWD/out/demo"
mkdir -p "$demo"
cd "$demo"
mode=()
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running silently."
  mode=(-silent)
fi
status=0
../install/bin/zorvex -n "${mode[@]}" "$demo/demo_interleaver.vhd" || status=$?
echo "zorvex exit status: $status"
for f in "$demo/demo_interleaver.cnx" "$demo/demo_interleaver.vec"; do
  [ -f "$f" ] && echo "wrote $f ($(wc -l < "$f") lines)"
done
exit "$status"
