#!/usr/bin/env bash
# Photographs the tray program on a virtual screen with a desktop that shows the notification
# area: the icon's menu, the About box, the four option pages and the colour changed on the
# sheet; the About box and the pages again with the skin file present, each beside its
# unskinned picture; then the validation border as the settings now say.
#   tools/traydemo/tray-demo.sh <build-dir> [arch]
# Writes <build-dir>/tray-demo-<name>.png, tray-demo-skinned-<name>.png and
# tray-demo-pair-<name>.png (unskinned left, skinned right).
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
arch=${2:-x86}
top=$(cd "$(dirname "$0")/../.." && pwd)
prog="$build/$arch/tools/traydemo/tray_demo.exe"
border="$build/$arch/tools/screenshot/border_screenshot.exe"
[ -f "$prog" ] || { echo "missing $prog" >&2; exit 1; }

. "$top/tools/x11-env.sh"
kestrin_screen_session "$build"
shots="$KESTRIN_TMP/shots"
# The other pictures of the screen prefix are taken without Explorer's desktop.
KESTRIN_ON_EXIT="wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f"
# A Unix path as Wine's drive Z: sees it.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# The settings start from their defaults (the demo program writes them).
wine reg delete 'HKCU\SOFTWARE\TorvanGroup\Dravix' /f >/dev/null 2>&1 || true
# A desktop of Explorer's with its task bar, whose notification area shows the icon.
# Every program of this run shows on that desktop.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
names="menu about page-border page-audio page-general page-kraida page-border-changed"
# One run of the tray program photographed: each sight as the whole screen, then cut down to
# the window in view when the program names its rectangle.
photograph() {
  local out=$1
  rm -rf "$shots" && mkdir -p "$shots"
  rm -f "$out"-*.png
  wine "$prog" --shots "$(winpath "$shots")" >"$out-wine.log" 2>&1 &
  KESTRIN_APP=$!
  kestrin_pictures "$KESTRIN_APP" "$shots" "$out" $names
  wait "$KESTRIN_APP" 2>/dev/null || true
  KESTRIN_APP=
}

# The skin file the tray program looks for in the user's temp folder.
temp=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)
skin="$temp/Vista.tkstyles"
rm -f "$skin"
photograph "$build/tray-demo"

# The same windows again with the skin present, and each pair side by side.
if [ -n "$temp" ] && [ -d "$temp" ]; then
  cp "$build/$arch/tools/skin/Vista.tkstyles" "$skin"
  photograph "$build/tray-demo-skinned"
  rm -f "$skin"
  for name in about page-border page-audio page-general page-kraida; do
    plain="$build/tray-demo-$name.png" skinned="$build/tray-demo-skinned-$name.png"
    [ -f "$plain" ] && [ -f "$skinned" ] || continue
    convert "$plain" -size 24x1 xc:white "$skinned" -background white +append "$build/tray-demo-pair-$name.png"
    echo "unskinned and skinned: $build/tray-demo-pair-$name.png"
  done
fi

colour=$(wine reg query 'HKCU\SOFTWARE\TorvanGroup\Dravix' /v BorderColour 2>/dev/null | tr -d '\r' | awk '/BorderColour/ {print $3}' || true)
echo "border colour stored by the sheet: $colour"
ready="$shots/border-ready"
# No colour is given: the border shows what the sheet stored.
wine "$border" --ready "$(winpath "$ready")" --seconds 20 --caption "Authenticated by Torvan" >/dev/null 2>&1 &
KESTRIN_APP=$!
for _ in $(seq 600); do [ -s "$ready" ] && break; sleep 0.1; done
sleep 0.5
import -window root "$build/tray-demo-border.png"
echo "picture: $build/tray-demo-border.png"
