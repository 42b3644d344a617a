#!/usr/bin/env bash
# Photographs the tray program on a virtual screen with a desktop that shows the notification
# area: the icon's menu, the About box, the four option pages and the colour changed on the
# sheet; then the validation border as the settings now say.
#   tools/traydemo/tray-demo.sh <build-dir> [arch]
# Writes <build-dir>/tray-demo-<name>.png.
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
arch=${2:-x86}
top=$(cd "$(dirname "$0")/../.." && pwd)
prog="$build/$arch/tools/traydemo/tray_demo.exe"
border="$build/$arch/tools/screenshot/border_screenshot.exe"
[ -f "$prog" ] || { echo "missing $prog" >&2; exit 1; }

. "$top/tools/x11-env.sh"
kestrin_x11_prefix "$build"
shots=$(mktemp -d)
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  # The other pictures of the screen prefix are taken without Explorer's desktop.
  wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  [ -n "${KESTRIN_XVFB_PID:-}" ] && kill "$KESTRIN_XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$shots"
}
trap cleanup EXIT
kestrin_xvfb_start
# A Unix path as Wine's drive Z: sees it.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }

# The settings start from their defaults (the demo program writes them).
wine reg delete 'HKCU\SOFTWARE\TorvanGroup\Dravix' /f >/dev/null 2>&1 || true
# A desktop of Explorer's with its task bar, whose notification area shows the icon.
# Every program of this run shows on that desktop.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine "$prog" --shots "$(winpath "$shots")" >/dev/null 2>&1 &
app=$!
kestrin_pictures "$app" "$shots" "$build/tray-demo" menu about page-border page-audio page-general page-kraida \
  page-border-changed
wait "$app" 2>/dev/null || true
app=

colour=$(wine reg query 'HKCU\SOFTWARE\TorvanGroup\Dravix' /v BorderColour 2>/dev/null | tr -d '\r' | awk '/BorderColour/ {print $3}' || true)
echo "border colour stored by the sheet: $colour"
ready="$shots/border-ready"
# No colour is given: the border shows what the sheet stored.
wine "$border" --ready "$(winpath "$ready")" --seconds 20 --caption "Authenticated by Torvan" >/dev/null 2>&1 &
app=$!
for _ in $(seq 600); do [ -s "$ready" ] && break; sleep 0.1; done
sleep 0.5
import -window root "$build/tray-demo-border.png"
echo "picture: $build/tray-demo-border.png"
