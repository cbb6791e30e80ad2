# Sourced by the end-to-end scripts: the tools they need, and a private folder with an X server
# (Xvfb) of their own, both removed when the script ends.

# require_tools TOOL...: ends the script with status 77 (skipped) when a tool is missing.
require_tools() {
  local tool
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed (scripts/install-deps.sh installs it)"
      exit 77
    fi
  done
}

# start_xvfb NAME DISPLAY_BASE GEOMETRY: makes the folder $root (/tmp/zorvex-NAME.*) with a runtime
# folder, starts Xvfb of that screen geometry on a display from DISPLAY_BASE, and waits until it
# answers. On exit the script's own stop_extras runs first, when it defines one.
start_xvfb() {
  root=$(mktemp -d "/tmp/zorvex-$1.XXXXXX")
  export DISPLAY=":$(( $2 + $$ % 100 ))"
  export XDG_RUNTIME_DIR="$root/runtime"
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  unset QT_QPA_PLATFORM WAYLAND_DISPLAY
  Xvfb "$DISPLAY" -screen 0 "$3" -nolisten tcp -noreset >/dev/null 2>&1 &
  xvfb_pid=$!
  trap stop_xvfb EXIT
  for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
}

stop_xvfb() {
  if declare -F stop_extras >/dev/null; then stop_extras; fi
  kill "$xvfb_pid" 2>/dev/null
  rm -rf "$root"
}

# title_pattern TEXT: a regular expression (as xdotool takes window titles) matching TEXT literally.
title_pattern() { printf '%s' "$1" | sed 's/[][\\.*^$]/\\&/g'; }

# await_window TEXT [CHECK]: sets window to the newest shown window whose title contains TEXT
# (taken literally) and, with CHECK, for which "CHECK WINDOW" succeeds; waits up to 20 s and is
# false, with window empty, when none comes.
window=""
await_window() {
  local pattern
  pattern=$(title_pattern "$1")
  for _ in $(seq 200); do
    window=$(xdotool search --onlyvisible --name "$pattern" 2>/dev/null | tail -1)
    if [ -n "$window" ] && { [ $# -lt 2 ] || "$2" "$window"; }; then return 0; fi
    sleep 0.1
  done
  window=""
  return 1
}

# focus_window: gives window the keyboard focus, waiting until it has it, and the toolkit a moment
# to take the activation in before the first key arrives.
focus_window() {
  for _ in $(seq 50); do
    xdotool windowfocus "$window" 2>/dev/null
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$window" ] && break
    sleep 0.1
  done
  sleep 0.5
}

# end_wizard: gives the wizard the script started ($wizard_pid) up to 10 s to end by itself, then
# ends it.
end_wizard() {
  for _ in $(seq 100); do kill -0 "$wizard_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$wizard_pid" 2>/dev/null
  wizard_pid=""
}

# fail MESSAGE: counts a failed check of the scenario $name and says which.
failed=0
fail() { echo "FAIL [$name] $*"; failed=$((failed + 1)); }
