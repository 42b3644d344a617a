#!/usr/bin/env bash
# Photographs the framework's demo frame on a virtual screen: an MDI frame with two documents
# tiled, the toolkit's menu bar (the active document's menu, its Sheet popup open), tool bar and
# document tabs docked at the top, and its status bar; once in the default theme and once in
# the native XP theme.
#   tools/framedemo/frame-demo.sh <build-dir> [arch]
# Writes <build-dir>/frame-demo-default.png and <build-dir>/frame-demo-nativexp.png, and
# <build-dir>/frame-demo-office2007.png (the Office 2007 look with a gallery and a dialog bar).
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
arch=${2:-x86}
top=$(cd "$(dirname "$0")/../.." && pwd)
prog="$build/$arch/tools/framedemo/frame_demo.exe"
[ -f "$prog" ] || { echo "missing $prog" >&2; exit 1; }

. "$top/tools/x11-env.sh"
kestrin_screen_session "$build"
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

picture() {  # theme number, picture name, more arguments of the demo
  local shots="$KESTRIN_TMP/shots-$2"
  rm -rf "$shots"
  mkdir -p "$shots"
  wine "$prog" --theme "$1" --shots "$(winpath "$shots")" "${@:3}" >"$build/frame-demo-$2-wine.log" 2>&1 &
  KESTRIN_APP=$!
  kestrin_pictures "$KESTRIN_APP" "$shots" "$build/frame-demo-$2" frame
  wait "$KESTRIN_APP" 2>/dev/null || true
  KESTRIN_APP=
  if [ -f "$build/frame-demo-$2-frame.png" ]; then
    mv "$build/frame-demo-$2-frame.png" "$build/frame-demo-$2.png"
    echo "picture: $build/frame-demo-$2.png"
  fi
}
picture 0 default
picture 3 nativexp
# The Office 2007 look from the project's image set, with a gallery and a dialog bar.
picture 5 office2007 --imageset "$(winpath "$build/$arch/toolkit/drawing/KestrinOffice2007.dll")" --extras
