#!/usr/bin/env bash
# Pictures of the command bars in a demo window (a menu bar with its File popup open and a tool
# bar), in the default theme and the native XP theme with the visual styles on and off. Runs in
# a throwaway copy of the build's prefix: the visual styles are switched off in its registry.
#   tools/cbdemo/cbdemo.sh <build-dir> <arch>
set -euo pipefail
build=$(cd "$1" && pwd)
arch=$2
top=$(cd "$(dirname "$0")/../.." && pwd)
exe=$build/$arch/tools/cbdemo/cbdemo.exe
[ -f "$exe" ] || { echo "cbdemo: $exe missing (build the cbdemo target)" >&2; exit 1; }
. "$top/tools/wine-env.sh"
work=$(mktemp -d "$build/cbdemo.XXXXXX")
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
kestrin_copy_prefix "$build/wineprefix" "$work/prefix"
kestrin_wine_env "$work/prefix"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-};winemenubuilder.exe=d"
picture() {  # theme name
  local bmp="$work/$2.bmp" png="$build/cbdemo-$2.png"
  wine "$exe" "$1" "$(winepath -w "$bmp")" </dev/null 2>/dev/null | tr -d '\r'
  if command -v convert >/dev/null 2>&1; then convert "$bmp" "$png"; else cp "$bmp" "${png%.png}.bmp"; png=${png%.png}.bmp; fi
  echo "  picture: $png"
}
picture 0 default
# The prefix has Wine's own visual style (light.msstyles) active: first with it, then with
# the visual styles switched off in the copy's registry.
picture 3 nativexp-styled
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\ThemeManager' /v ThemeActive /d 0 /f >/dev/null 2>&1
wineserver -w
picture 3 nativexp-classic
