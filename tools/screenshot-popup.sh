#!/usr/bin/env bash
# Screenshot of the verification popups for a person to look at: the popup demo runs on a
# virtual X display (Xvfb) with Wine's X11 driver, and the whole screen goes into a PNG.
#   tools/screenshot-popup.sh [build-dir] [arch] [out.png]
# build-dir: a build folder of `make` (default "build"); arch: x86 (default) or x64;
# out.png: default <build-dir>/popup-screenshot.png. Needs the popup_demo target built.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
arch=${2:-x86}
out=${3:-$build/popup-screenshot.png}
exe=$build/$arch/tests/common/sslverify/popup_demo.exe
data=$build/$arch/update-test-data
[ -f "$exe" ] || { echo "screenshot-popup: $exe missing (build the popup_demo target)" >&2; exit 1; }
[ -f "$data/stamp" ] || { echo "screenshot-popup: $data missing (build the update_test_data target)" >&2; exit 1; }

# A free display number.
n=90
while [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ]; do n=$((n + 1)); done
Xvfb :$n -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
export DISPLAY=:$n

# A prefix of its own with the X11 driver: the tests' prefix draws into memory only.
. "$here/wine-env.sh"
kestrin_wine_env "$build/wineprefix-x11"
if [ ! -f "$WINEPREFIX/.kestrin-ready" ]; then
  mkdir -p "$WINEPREFIX"
  wine wineboot -i >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.kestrin-ready"
fi
wine reg add 'HKCU\Control Panel\Colors' /v Background /d "58 110 165" /f >/dev/null 2>&1 || true

windata="Z:$(echo "$data" | sed 's#/#\\#g')"
wine "$exe" "$windata" 8 >/dev/null 2>&1 &
demo=$!
sleep 5
import -display :$n -window root "$out"
wait $demo || true
wineserver -k 2>/dev/null || true
echo "screenshot-popup: $out"
