#!/usr/bin/env bash
# Photographs the validation border with its caption on a virtual screen.
#   tools/screenshot-border.sh <build-dir> [arch] [border_screenshot options...]
# Runs <build-dir>/<arch>/tools/screenshot/border_screenshot.exe (arch x86 by default) under
# Xvfb with Wine's X11 driver, in <build-dir>/wineprefix-screen (a copy of the build's prefix
# whose graphics driver is X11 instead of null), and writes <build-dir>/border-screenshot.png.
# Extra options go to the program, e.g. --width 12 --colour 0066CC --caption "Example Ltd";
# without them the border has the settings' defaults (width 8, green, text size 18).
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd); shift
arch=${1:-x86}; [ $# -gt 0 ] && shift
here=$(cd "$(dirname "$0")" && pwd)
prog="$build/$arch/tools/screenshot/border_screenshot.exe"
out="$build/border-screenshot.png"
[ -f "$prog" ] || { echo "missing $prog: build the border_screenshot target" >&2; exit 1; }

. "$here/wine-env.sh"
screen_prefix="$build/wineprefix-screen"
if [ ! -f "$screen_prefix/.kestrin-screen-ready" ]; then
  "$here/wine-prefix.sh" "$build/wineprefix"
  rm -rf "$screen_prefix"
  cp -a "$build/wineprefix" "$screen_prefix"
  kestrin_wine_env "$screen_prefix"
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
  wineserver -w
  touch "$screen_prefix/.kestrin-screen-ready"
fi
kestrin_wine_env "$screen_prefix"

# A free display number.
n=91
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
tmp=$(mktemp -d)
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  wineserver -k 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n"

ready="$tmp/ready"
# The settings' defaults first, so that each picture starts from them; given options follow.
wine "$prog" --ready "$(winepath -w "$ready" 2>/dev/null)" --seconds 30 \
  --width 8 --colour 00FF00 --text-size 18 "$@" >/dev/null 2>&1 &
app=$!
for _ in $(seq 600); do [ -s "$ready" ] && break; sleep 0.1; done
[ -s "$ready" ] || { echo "the border program did not come up" >&2; exit 1; }
sleep 0.5
import -window root "$out"
echo "$out"
