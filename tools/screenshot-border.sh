#!/usr/bin/env bash
# Photographs the validation border with its caption on a virtual screen.
#   tools/screenshot-border.sh <build-dir> [arch] [border_screenshot options...]
# Runs <build-dir>/<arch>/tools/screenshot/border_screenshot.exe (arch x86 by default) under
# Xvfb in the build's screen prefix (see x11-env.sh), and writes <build-dir>/border-screenshot.png.
# Extra options go to the program, e.g. --width 12 --colour 0066CC --caption "Example Ltd";
# without them the border has the settings' defaults (width 8, green, text size 18).
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd); shift
arch=${1:-x86}; [ $# -gt 0 ] && shift
here=$(cd "$(dirname "$0")" && pwd)
prog="$build/$arch/tools/screenshot/border_screenshot.exe"
out="$build/border-screenshot.png"
[ -f "$prog" ] || { echo "missing $prog: build the border_screenshot target" >&2; exit 1; }

. "$here/x11-env.sh"
kestrin_screen_session "$build"

ready="$KESTRIN_TMP/ready"
# The settings' defaults first, so that each picture starts from them; given options follow.
wine "$prog" --ready "$(winepath -w "$ready" 2>/dev/null)" --seconds 30 \
  --width 8 --colour 00FF00 --text-size 18 "$@" >/dev/null 2>&1 &
KESTRIN_APP=$!
kestrin_wait_ready "$ready" || { echo "the border program did not come up" >&2; exit 1; }
sleep 0.5
import -window root "$out"
echo "$out"
