#!/usr/bin/env bash
# Photographs the framework's demo frame on a virtual screen: an MDI frame with two documents
# tiled, the toolkit's menu bar (the active document's menu, its Sheet popup open), tool bar and
# document tabs docked at the top, and its status bar; in the default and native XP themes, the
# flat Office look, the Office 2003 look in the blue scheme and in colours mixed from the system
# colours, and the Whidbey look in the blue scheme.
#   tools/framedemo/frame-demo.sh <build-dir> [arch]
# Writes <build-dir>/frame-demo-<look>.png for each (the Office 2007 look with a gallery and a
# dialog bar), and frame-demo-ribbon-*.png: the ribbon drawing the frame's caption at three
# widths, with a collapsed group open and with the system menu open.
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
picture 1 office
picture 2 office2003 --scheme 1
picture 2 office2003-system --scheme 0
picture 4 whidbey --scheme 1
# The Office 2007 look from the project's image set, with a gallery and a dialog bar.
picture 5 office2007 --imageset "$(winpath "$build/$arch/toolkit/drawing/KestrinOffice2007.dll")" --extras
# The ribbon in the Office 2007 image set, drawing the frame's caption: three widths, a collapsed
# group open, and the system menu open.
ribbon_set="$(winpath "$build/$arch/toolkit/drawing/KestrinOffice2007.dll")"
picture 6 ribbon-wide --imageset "$ribbon_set" --ribbon --width 1000
picture 6 ribbon-medium --imageset "$ribbon_set" --ribbon --width 700
picture 6 ribbon-narrow --imageset "$ribbon_set" --ribbon --width 420
picture 6 ribbon-group-open --imageset "$ribbon_set" --ribbon --width 420 --open group
picture 6 ribbon-system-menu --imageset "$ribbon_set" --ribbon --width 700 --open system
