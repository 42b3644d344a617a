#!/usr/bin/env bash
# The picture sheet of the toolkit's tab controls: ten appearance sets, six colour sets and the
# Windows XP tabs on every side.
#   tools/tabdemo/tab-demo.sh <build-dir> [arch]
# Writes <build-dir>/tabs-demo-sheet.png.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
arch=${2:-x86}
top=$(cd "$(dirname "$0")/../.." && pwd)
prog="$build/$arch/tools/tabdemo/tab_demo.exe"
[ -f "$prog" ] || { echo "missing $prog" >&2; exit 1; }
bmp="$build/tabs-demo-sheet.bmp"
"$top/tools/wine-run.sh" --prefix "$build/wineprefix" "$prog" "Z:${bmp//\//\\}"
convert "$bmp" "$build/tabs-demo-sheet.png"
rm -f "$bmp"
echo "picture: $build/tabs-demo-sheet.png"
