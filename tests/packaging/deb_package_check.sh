#!/usr/bin/env bash
# Builds the Debian package of BUILD_DIR, unpacks it into a scratch root and checks it as a user
# gets it: its files and their places, its Depends, Recommends and Suggests, the packaged wizard and
# tarnwick run from that root (directly and through the /usr/bin links), the backend library they
# load, the version they print, the bash completion, the user guide, the desktop entry
# (desktop-file-validate) and the icons (their sizes by identify), every ELF file's hardening
# (hardening-check) and lintian's verdict, pedantic and informational tags included. Exits 77
# (skipped) where dpkg-deb is missing.
#
# usage: deb_package_check.sh BUILD_DIR VERSION REFERENCE_WIZARD CPACK
set -uo pipefail
build=$1
version=$2
reference=$3
cpack=$4

command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is not installed"; exit 77; }

work=$(mktemp -d)
wizard_pid=""
cleanup() {
  [ -n "$wizard_pid" ] && kill "$wizard_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

failed=0
fail() {
  echo "FAIL: $*"
  failed=1
}

# --- the package ----------------------------------------------------------------------------------
arch=$(dpkg --print-architecture)
deb_name="zorvex_${version}_${arch}.deb"
# The package and CPack's staging go to the scratch folder, not into the build folder.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(date -d "$(sed -n 's/^ -- .*>  //p' "$build/packaging/changelog")" +%s)}
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack -G DEB"
  exit 1
fi
deb="$work/cpack/$deb_name"
if [ ! -f "$deb" ]; then
  echo "FAIL: cpack wrote no $deb_name; it wrote:"
  ls "$work/cpack"
  exit 1
fi
# Made again from the same build, the package has the same bytes: nothing in it depends on when it
# was made, the stripping included. Its archives' times are SOURCE_DATE_EPOCH's, as for every
# reproducible build (set below for both, to the changelog's date, where the caller sets none).
if "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/cpack-again" >"$work/cpack-again.log" 2>&1; then
  cmp -s "$deb" "$work/cpack-again/$deb_name" || fail "a second cpack wrote other bytes than the first"
else
  cat "$work/cpack-again.log"
  fail "the second cpack -G DEB failed"
fi
root="$work/root"
dpkg-deb -x "$deb" "$root" || { echo "FAIL: dpkg-deb -x"; exit 1; }
tree="$root/usr/lib/zorvex"

# --- its files ------------------------------------------------------------------------------------
for program in bin/zorvex bin/tarnwick; do
  [ -f "$tree/$program" ] && [ ! -L "$tree/$program" ] && [ -x "$tree/$program" ] ||
    fail "/usr/lib/zorvex/$program is not an executable file"
done
[ -f "$tree/lib/zorvex/libzorvex_qt.so" ] || fail "the backend is not at /usr/lib/zorvex/lib/zorvex/libzorvex_qt.so"
for program in zorvex tarnwick; do
  link="$root/usr/bin/$program"
  if [ ! -L "$link" ]; then
    fail "/usr/bin/$program is not a link"
  elif [ "$(readlink -f "$link")" != "$(readlink -f "$tree/bin/$program")" ]; then
    fail "/usr/bin/$program points to $(readlink "$link"), not to /usr/lib/zorvex/bin/$program"
  fi
done
# Every file has its place: the wizard's tree, the links, the man pages, the shared data, the
# package's documents.
while IFS= read -r path; do
  case "$path" in
    ./usr/lib/zorvex/* | ./usr/bin/zorvex | ./usr/bin/tarnwick | ./usr/share/man/man1/*.1.gz | \
      ./usr/share/zorvex/tarnwick-report.schema.json | ./usr/share/zorvex/hdl/* | \
      ./usr/share/bash-completion/completions/tarnwick | \
      ./usr/share/doc/zorvex/copyright | ./usr/share/doc/zorvex/changelog.gz | \
      ./usr/share/lintian/overrides/zorvex) ;;
    ./usr/share/doc/zorvex/zorvex_guide.pdf | ./usr/share/doc/zorvex/html/*) ;;
    ./usr/share/applications/zorvex.desktop | ./usr/share/icons/hicolor/*/apps/zorvex.png | \
      ./usr/share/icons/hicolor/scalable/apps/zorvex.svg) ;;
    *) fail "a file out of place: ${path#.}" ;;
  esac
done < <(cd "$root" && find . ! -type d)
[ -f "$root/usr/share/zorvex/tarnwick-report.schema.json" ] || fail "no /usr/share/zorvex/tarnwick-report.schema.json"
# bash-completion loads a command's completion from the file named after it, on the first Tab.
completion="$root/usr/share/bash-completion/completions/tarnwick"
if [ ! -f "$completion" ]; then
  fail "no bash completion /usr/share/bash-completion/completions/tarnwick"
elif ! bash --norc -c 'source "$1" && complete -p tarnwick' bash "$completion" 2>&1 | grep -q ' tarnwick$'; then
  fail "the packaged bash completion does not complete tarnwick"
fi
# Man pages compressed as Debian wants them: gzip with no file name and no time stamp (flag byte
# without FNAME, modification time 0), so that a rebuild gives the same bytes.
for page in zorvex tarnwick; do
  gz="$root/usr/share/man/man1/$page.1.gz"
  if [ ! -f "$gz" ]; then
    fail "no man page /usr/share/man/man1/$page.1.gz"
    continue
  fi
  header=$(od -An -tx1 -N8 "$gz" | tr -d ' \n')
  [ "${header:0:4}" = "1f8b" ] || fail "$page.1.gz is not gzip"
  [ $((0x${header:6:2} & 0x08)) -eq 0 ] || fail "$page.1.gz carries a file name"
  [ "${header:8:8}" = "00000000" ] || fail "$page.1.gz carries a time stamp"
  gzip -dc "$gz" | grep -q "^\.TH \"${page^^}\" \"1\"" || fail "$page.1.gz is no man page of section 1"
done

# --- its Depends ----------------------------------------------------------------------------------
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
# libqt6widgets6 comes only from the backend the wizard loads with dlopen; libxcb1 and
# libfontconfig1 from the wizard itself; fonts-liberation2 is added by hand.
names=$(tr ',' '\n' <<<"$depends" | sed 's/(.*//; s/[[:space:]]//g')
for package in libc6 libstdc++6 libfontconfig1 libxcb1 libqt6core6 libqt6gui6 libqt6widgets6 fonts-liberation2; do
  grep -qxF "$package" <<<"$names" || fail "Depends lacks $package"
done

# A simulator for --simulate is recommended, the other tools of the flow are suggested.
for field in "Recommends:xdg-utils, ghdl | iverilog" \
  "Suggests:gtkwave, iverilog, verilator, ghdl-llvm, yosys, nextpnr-ice40"; do
  value=$(dpkg-deb -f "$deb" "${field%%:*}")
  [ "$value" = "${field#*:}" ] || fail "${field%%:*} is \"$value\", not \"${field#*:}\""
done

# --- the packaged wizard --------------------------------------------------------------------------
# What the wizard in the build tree writes for a new variation, to compare byte for byte.
mkdir -p "$work/reference"
(cd "$work/reference" && "$reference" -n -silent "$work/reference/f.vhd") ||
  fail "the reference wizard failed"
# An empty search path: the runs below must find everything in the package.
mkdir -p "$work/nowhere"
run_silent() { # run_silent <name> <program> <args...>: a new variation in $work/<name>
  local name=$1 program=$2
  shift 2
  mkdir -p "$work/$name"
  (cd "$work/$name" && PATH="$work/nowhere" "$program" "$@" "$work/$name/f.vhd" >"$work/$name.out" 2>&1)
  local status=$?
  [ "$status" -eq 0 ] || { fail "$name ended with status $status:"; cat "$work/$name.out"; }
  for file in f.cnx f.vec; do
    cmp -s "$work/reference/$file" "$work/$name/$file" ||
      fail "$name: $file differs from the one the build's wizard writes"
  done
}
run_silent packaged "$tree/bin/zorvex" -n -silent
run_silent linked "$root/usr/bin/zorvex" -n -silent
# tarnwick, started through its link, takes the wizard beside its own file, not one on the path.
run_silent tarnwick "$root/usr/bin/tarnwick" -n -silent
grep -q "starting $(readlink -f "$tree/bin/zorvex") " "$work/tarnwick.out" ||
  fail "tarnwick did not start the packaged wizard: $(head -1 "$work/tarnwick.out")"

# The user guide is one of the package's documents. The wizard looks for it at <its folder>/../
# zorvex_core/doc/zorvex_guide.pdf, its folder being where the link leads, and finds a relative
# link to that document there; F1 opens it, which a silent run never does.
doc="$root/usr/share/doc/zorvex"
if [ ! -f "$doc/zorvex_guide.pdf" ] || [ -L "$doc/zorvex_guide.pdf" ]; then
  fail "/usr/share/doc/zorvex/zorvex_guide.pdf is not a file"
elif [ "$(head -c 5 "$doc/zorvex_guide.pdf")" != "%PDF-" ]; then
  fail "the packaged user guide is no PDF"
fi
wizard_dir=$(dirname "$(readlink -f "$root/usr/bin/zorvex")")
guide="$wizard_dir/../zorvex_core/doc/zorvex_guide.pdf"
if [ ! -L "$guide" ]; then
  fail "no link to the user guide at the path the wizard computes: ${guide#"$root"}"
elif [[ "$(readlink "$guide")" = /* ]]; then
  fail "the link to the user guide is absolute: $(readlink "$guide")"
elif [ "$(readlink -f "$guide")" != "$(readlink -f "$doc/zorvex_guide.pdf")" ]; then
  fail "${guide#"$root"} points to $(readlink "$guide"), not to /usr/share/doc/zorvex/zorvex_guide.pdf"
fi

# The package's documents hold the guide as HTML too, its contents first and its pictures beside it.
html="$doc/html/index.html"
if [ ! -f "$html" ]; then
  fail "no user guide as HTML at /usr/share/doc/zorvex/html/index.html"
else
  grep -q '<nav id="TOC"' "$html" || fail "the HTML guide has no contents"
  pictures=$(tr '\n' ' ' <"$html" | grep -o '<img *src="[^"]*"' | sed 's/.*src="//; s/"$//' | sort -u)
  [ "$(wc -w <<<"$pictures")" -ge 8 ] || fail "the HTML guide shows fewer pictures than the PDF: $pictures"
  for picture in $pictures; do
    [ -f "$doc/html/$picture" ] || fail "the HTML guide's picture $picture is not in the package"
  done
fi

# The pages load the backend from the package and, through it, the toolkit. The dynamic loader
# reports the backend's initialisation once dlopen has found every library it needs; the wizard
# then shows its first page, offscreen, and is ended.
mkdir -p "$work/pages"
(cd "$work/pages" && exec env PATH="$work/nowhere" QT_QPA_PLATFORM=offscreen LD_DEBUG=files \
  "$root/usr/bin/zorvex" -n "$work/pages/f.vhd" >"$work/pages.out" 2>&1) &
wizard_pid=$!
backend="$tree/lib/zorvex/libzorvex_qt.so"
loaded=0
for _ in $(seq 300); do
  # The loader names a library as dlopen was given it, with the ".." the wizard's path holds.
  opened=$(sed -n 's/.*calling init: \(.*\/libzorvex_qt\.so\)$/\1/p' "$work/pages.out" | head -1)
  if [ -n "$opened" ]; then
    [ "$(readlink -f "$opened")" = "$(readlink -f "$backend")" ] && loaded=1
    break
  fi
  kill -0 "$wizard_pid" 2>/dev/null || break
  sleep 0.1
done
kill "$wizard_pid" 2>/dev/null
wait "$wizard_pid" 2>/dev/null
wizard_pid=""
if [ "$loaded" -ne 1 ]; then
  fail "the packaged wizard did not load its backend from the package:"
  grep -v "^ *[0-9]*:" "$work/pages.out" | head -20
fi

# --- the desktop entry and the icons ---------------------------------------------------------------
# The entry is valid, names the wizard's window class (the X11 WM_CLASS the toolkit gives its
# windows: the program's name) and its icon, and stays out of the menus: hosts start the wizard.
entry="$root/usr/share/applications/zorvex.desktop"
if [ ! -f "$entry" ]; then
  fail "no desktop entry /usr/share/applications/zorvex.desktop"
else
  if ! command -v desktop-file-validate >/dev/null; then
    fail "desktop-file-validate is not installed (package desktop-file-utils)"
  elif ! desktop-file-validate "$entry" >"$work/desktop.out" 2>&1 || [ -s "$work/desktop.out" ]; then
    fail "desktop-file-validate: $(cat "$work/desktop.out")"
  fi
  for key in NoDisplay=true Icon=zorvex StartupWMClass=zorvex "Exec=zorvex %f"; do
    grep -qxF "$key" "$entry" || fail "the desktop entry lacks $key"
  done
fi
# The icon in the hicolor theme at each size, and the drawing they are rendered from.
command -v identify >/dev/null || fail "identify is not installed (package imagemagick)"
for size in 48 64 128; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/zorvex.png"
  shown=$(identify -format '%m %wx%h' "$icon" 2>&1)
  [ "$shown" = "PNG ${size}x${size}" ] || fail "/usr/share/icons/hicolor/${size}x${size}/apps/zorvex.png is \"$shown\""
done
# The scalable icon is an SVG drawing of a square, as the theme's folder promises.
svg="$root/usr/share/icons/hicolor/scalable/apps/zorvex.svg"
shown=$(rsvg-convert "$svg" 2>&1 | identify -format '%m %[fx:w==h]' - 2>&1)
[ "$shown" = "PNG 1" ] || fail "/usr/share/icons/hicolor/scalable/apps/zorvex.svg renders to no square picture: $shown"

# --- the programs as Debian builds them ----------------------------------------------------------
# Both print the package's version. Every ELF file has Debian's hardening (PIE, stack protector,
# fortified functions, read-only relocations bound at start) and no .comment section. Debian 12's
# dpkg-buildflags adds no control-flow protection, so hardening-check is not asked for it.
for program in zorvex tarnwick; do
  printed=$("$root/usr/bin/$program" --version 2>&1)
  [ "$printed" = "$program $version" ] || fail "$program --version printed \"$printed\", not \"$program $version\""
done
# Every object of the build was compiled with the fortified functions and the stack protector.
commands="$build/compile_commands.json"
if [ ! -f "$commands" ]; then
  fail "no $commands to tell how the build compiled"
else
  for flag in -D_FORTIFY_SOURCE=2 -fstack-protector-strong; do
    without=$(grep '"command":' "$commands" | grep -cvF -- "$flag")
    [ "$without" -eq 0 ] || fail "$without objects of the build were compiled without $flag"
  done
fi
command -v hardening-check >/dev/null || fail "hardening-check is not installed (package devscripts)"
elf_files=0
while IFS= read -r -d '' file; do
  [ "$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')" = "7f454c46" ] || continue
  elf_files=$((elf_files + 1))
  if ! hardening-check --nocfprotection --verbose "$file" >"$work/hardening.out" 2>&1; then
    # Fortification checks a copy only where the compiler knows the destination's size; a library
    # whose only such calls copy into std::string and std::vector buffers keeps plain memcpy and
    # memmove, which hardening-check cannot tell from an unfortified build. Its objects' flags are
    # checked above; everything else hardening-check checks must pass.
    unprotected=$(sed -n 's/^[[:space:]]*unprotected: //p' "$work/hardening.out" | sort -u | tr '\n' ' ')
    if grep -q 'Fortify Source functions: no, only unprotected functions found' "$work/hardening.out" &&
      [ -z "$(tr ' ' '\n' <<<"$unprotected" | grep -vx -e memcpy -e memmove -e memset -e '')" ] &&
      hardening-check --nocfprotection --nofortify "$file" >/dev/null 2>&1; then
      echo "note: ${file#"$root"} calls only ${unprotected}of the fortifiable functions, none with a size known at build time"
    else
      fail "hardening-check fails ${file#"$root"}:"
      cat "$work/hardening.out"
    fi
  fi
  if readelf -S --wide "$file" | grep -qF ' .comment '; then
    fail "${file#"$root"} keeps its .comment section"
  fi
done < <(find "$root" -type f -print0)
[ "$elf_files" -ge 3 ] || fail "only $elf_files ELF files in the package: the wizard, tarnwick and the backend are 3"

# --- lintian --------------------------------------------------------------------------------------
if command -v lintian >/dev/null; then
  # lintian ends with status 1 for errors in the package, 2 when it fails itself. Asked for its
  # pedantic and informational tags too, it names none: the hardening tags among them.
  lintian --pedantic --info --tag-display-limit 0 "$deb" >"$work/lintian.out" 2>&1
  status=$?
  cat "$work/lintian.out"
  [ "$status" -eq 0 ] || fail "lintian ended with status $status"
  if grep -q '^[EWIPX]: ' "$work/lintian.out"; then
    fail "lintian tags the package: $(grep -o '^[EWIPX]: [^ ]* [^ ]*' "$work/lintian.out" | sort -u | tr '\n' ';')"
  fi
else
  echo "lintian is not installed: the package was not checked by it"
fi

if [ "$failed" -ne 0 ]; then
  exit 1
fi
echo "package $deb_name checked"
