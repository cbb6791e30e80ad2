#!/bin/sh
# desktop_font.sh PLUGIN FAMILY POINTS TEST [ARG...]: runs TEST with the desktop font FAMILY at POINTS
# points handed to the application as a desktop does it, through the qt6ct platform theme (PLUGIN)
# and its configuration in a private XDG_CONFIG_HOME; the test learns the font from
# ZORVEX_TEST_DESKTOP_FONT. Ends with 77 (skipped) where qt6ct or the font is not installed.
plugin=$1 family=$2 points=$3
shift 3
if [ ! -e "$plugin" ]; then
  echo "SKIP: qt6ct is not installed ($plugin)"
  exit 77
fi
if ! command -v fc-list >/dev/null || [ -z "$(fc-list "$family" family)" ]; then
  echo "SKIP: the font $family is not installed"
  exit 77
fi
config=$(mktemp -d "${TMPDIR:-/tmp}/zorvex-font.XXXXXX")
trap 'rm -rf "$config"' EXIT
mkdir "$config/qt6ct"
# qt6ct keeps each font as QFont::toString() gives it: family, points, pixels (-1: by points),
# style hint, weight, style, underline, strike-out, fixed pitch, 0, capitalisation, spacing type,
# letter spacing, word spacing, stretch, style strategy.
cat >"$config/qt6ct/qt6ct.conf" <<CONF
[Fonts]
general="$family,$points,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"
CONF
XDG_CONFIG_HOME=$config QT_QPA_PLATFORMTHEME=qt6ct ZORVEX_TEST_DESKTOP_FONT="$family,$points" "$@"
