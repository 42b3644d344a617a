#!/usr/bin/env bash
# The Gecko road on a virtual screen: the scripted Gecko browser loads the Firefox component
# through NSGetModule, opens an HTTPS page of the local test service with a genuine and a forged
# site seal and moves the pointer over each; pictures of the verification popup at the padlock
# and of the validation border with the seal's caption are written to <build-dir>/gecko-demo-*.png.
#   tools/geckohost/gecko-demo.sh <build-dir> [arch]
# Needs the build of that arch (targets gecko_demo, Kestrin, sealpki, kestrin_test_pki).
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
arch=${2:-x86}
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
bin="$build/$arch"
prog="$bin/tools/geckohost/gecko_demo.exe"
dll="$bin/gecko/Kestrin.dll"
[ -f "$prog" ] && [ -f "$dll" ] || { echo "missing $prog or $dll: build $arch first" >&2; exit 1; }

. "$top/tools/x11-env.sh"
# The screen prefix of the pictures (X11 driver), a temporary folder and a virtual screen.
kestrin_screen_session "$build"
tmp=$KESTRIN_TMP
svc="$tmp/service"
KESTRIN_ON_EXIT="python3 '$top/tools/testservice/testservice.py' stop --state '$svc'"

python3 "$top/tools/testservice/testservice.py" start --state "$svc" --pki "$bin/pki" \
  --files "$bin/tools/sealpki/out" --routes "$top/tools/testservice/routes_site_seal.py" >/dev/null
port() { sed -n "s/^$1=//p" "$svc/ports.txt"; }

shots="$tmp/shots"
mkdir -p "$shots"
wine "$prog" "$(winepath -w "$dll")" "$(port https)" "$(port http)" "$(port refused)" \
  "$(winepath -w "$shots")" 2>/dev/null | tr -d '\r' &
KESTRIN_APP=$!
# Each picture: the program announces it, the screen is taken, the program goes on.
kestrin_pictures "$KESTRIN_APP" "$shots" "$build/gecko-demo" popup border
status=0
wait "$KESTRIN_APP" || status=$?
KESTRIN_APP=
exit $status
