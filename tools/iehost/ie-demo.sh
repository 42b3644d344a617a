#!/usr/bin/env bash
# The main road on a virtual screen: the scripted Internet Explorer host loads the add-on,
# opens an HTTPS page of the local test service with a genuine and a forged site seal, moves
# the pointer over each, shows the pointer effect toward a seal in a new window and reaches for
# an unreachable lookup service; pictures of the verification popup, the validation border with
# the seal's caption, the pointer effect and the connection warning are written to <build-dir>/ie-demo-*.png.
#   tools/iehost/ie-demo.sh <build-dir> [arch]
# Needs the build of that arch (targets ie_demo, KestrinIE, sealpki, kestrin_test_pki).
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
arch=${2:-x86}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
bin="$build/$arch"
prog="$bin/tools/iehost/ie_demo.exe"
dll=
for f in "$bin/ie/KestrinIE32.dll" "$bin/ie/KestrinIE64.dll"; do [ -f "$f" ] && dll=$f; done
[ -f "$prog" ] && [ -n "$dll" ] || { echo "missing $prog or the add-on library: build $arch first" >&2; exit 1; }

. "$top/tools/wine-env.sh"
# A prefix of the demo's own: real screen (X11 driver) and Internet Explorer 6 in the registry.
prefix="$build/wineprefix-iedemo"
if [ ! -f "$prefix/.kestrin-iedemo-ready-2" ]; then
  "$top/tools/wine-prefix.sh" "$build/wineprefix"
  rm -rf "$prefix"
  cp -a "$build/wineprefix" "$prefix"
  kestrin_wine_env "$prefix"
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
  # Both registry views: the 32-bit and the 64-bit add-on each read their own.
  for view in 32 64; do
    wine reg add 'HKLM\Software\Microsoft\Internet Explorer' /v Version /d 6.0.2900.2180 /f /reg:$view >/dev/null 2>&1
  done
  wineserver -w
  touch "$prefix/.kestrin-iedemo-ready-2"
fi
kestrin_wine_env "$prefix"

tmp=$(mktemp -d)
svc="$tmp/service"
n=91
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  python3 "$top/tools/testservice/testservice.py" stop --state "$svc" >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT

python3 "$top/tools/testservice/testservice.py" start --state "$svc" --pki "$bin/pki" \
  --files "$bin/tools/sealpki/out" --routes "$top/tools/testservice/routes_site_seal.py" >/dev/null
port() { sed -n "s/^$1=//p" "$svc/ports.txt"; }

Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n"

shots="$tmp/shots"
mkdir -p "$shots"
wine "$prog" "$(winepath -w "$dll")" "$(port https)" "$(port http)" "$(port refused)" \
  "$(winepath -w "$shots")" 2>/dev/null | tr -d '\r' &
app=$!
# Each picture: the program announces it, the screen is taken, the program goes on.
for name in popup border effect warning; do
  for _ in $(seq 600); do [ -e "$shots/$name.ready" ] && break; kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
  [ -e "$shots/$name.ready" ] || break
  import -window root "$build/ie-demo-$name.png"
  echo "picture: $build/ie-demo-$name.png"
  touch "$shots/$name.done"
done
status=0
wait "$app" || status=$?
app=
exit $status
