#!/usr/bin/env bash
# What a screen reader reads on the pages: the installed wizard in a real X server (Xvfb) with a
# private session bus (dbus-launch), its accessibility tree read through AT-SPI by a real client
# (pyatspi) while keystrokes (xdotool) drive the pages. Usage: atspi_e2e.sh <build dir>
set -uo pipefail

build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
# Debian's own interpreter: python3-pyatspi is installed for it, not for other Pythons on PATH.
python=/usr/bin/python3
source "$here/xvfb_session.sh"
require_tools Xvfb xdotool dbus-launch "$python"
if ! "$python" -c 'import pyatspi' 2>/dev/null; then
  echo "SKIP: python3-pyatspi is not installed (scripts/install-deps.sh installs it)"
  exit 77
fi

unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
bus_pid=""
stop_extras() { [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null; }
start_xvfb atspi 170 1280x1024x24

# A session bus of our own: the accessibility bus and its registry are started on it on demand,
# and end with it.
eval "$(dbus-launch --sh-syntax)" || { echo "FAIL: dbus-launch"; exit 1; }
bus_pid=$DBUS_SESSION_BUS_PID
# The toolkit reports to AT-SPI although no screen reader has asked for it on this bus.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1

prefix="$root/prefix"
cmake --install "$build" --prefix "$prefix" >/dev/null || { echo "FAIL: install"; exit 1; }
"$python" "$here/atspi_pages.py" "$prefix" "$root/work"
