#!/usr/bin/env bash
# Photographs the framework's demo frame on a virtual screen: an MDI frame with two documents
# tiled, its status bar and the active document's menu.
#   tools/framedemo/frame-demo.sh <build-dir> [arch]
# Writes <build-dir>/frame-demo.png.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
arch=${2:-x86}
top=$(cd "$(dirname "$0")/../.." && pwd)
prog="$build/$arch/tools/framedemo/frame_demo.exe"
[ -f "$prog" ] || { echo "missing $prog" >&2; exit 1; }

. "$top/tools/x11-env.sh"
kestrin_screen_session "$build"
shots="$KESTRIN_TMP/shots"
mkdir -p "$shots"
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

wine "$prog" --shots "$(winpath "$shots")" >"$build/frame-demo-wine.log" 2>&1 &
KESTRIN_APP=$!
kestrin_pictures "$KESTRIN_APP" "$shots" "$build/frame-demo" frame
wait "$KESTRIN_APP" 2>/dev/null || true
KESTRIN_APP=
if [ -f "$build/frame-demo-frame.png" ]; then
  mv "$build/frame-demo-frame.png" "$build/frame-demo.png"
  echo "picture: $build/frame-demo.png"
fi
