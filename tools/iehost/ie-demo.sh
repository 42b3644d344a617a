#!/usr/bin/env bash
# The main road on a virtual screen: the add-on is registered with the system's regsvr32 in the
# demo's prefix, the scripted Internet Explorer host finds it there as the browser does,
# opens an HTTPS page of the local test service with a genuine and a forged site seal, moves
# the pointer over each, shows the pointer effect toward a seal in a new window and reaches for
# an unreachable lookup service; a merchant's page embeds the verification control by its class;
# pictures of the verification popup, the validation border with the seal's caption, the pointer
# effect, the control (a seal and an error state), the pointer on the control's seal (the
# border and the site-seal popup) and the connection warning are written to
# <build-dir>/ie-demo-*.png.
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

. "$top/tools/x11-env.sh"
# The screen prefix of the pictures (X11 driver, Internet Explorer 6 in the registry).
kestrin_screen_session "$build"
tmp=$KESTRIN_TMP
svc="$tmp/service"
KESTRIN_ON_EXIT="python3 '$top/tools/testservice/testservice.py' stop --state '$svc'"

python3 "$top/tools/testservice/testservice.py" start --state "$svc" --pki "$bin/pki" \
  --files "$bin/tools/sealpki/out" --routes "$top/tools/testservice/routes_site_seal.py" >/dev/null
port() { sed -n "s/^$1=//p" "$svc/ports.txt"; }

# Both libraries that were built are registered, each by the regsvr32 of its bitness into its
# own registry view (the 32-bit one where Wine runs 32-bit programs).
for f in "$build/x86/ie/KestrinIE32.dll:syswow64" "$build/x64/ie/KestrinIE64.dll:system32"; do
  [ -f "${f%%:*}" ] || continue
  [ "${f##*:}" = system32 ] || kestrin_wine_runs_x86 || continue
  wine "C:\\windows\\${f##*:}\\regsvr32.exe" /s "$(winepath -w "${f%%:*}")" >/dev/null 2>&1 &&
    echo "registered $(basename "${f%%:*}") with regsvr32" || echo "regsvr32 $(basename "${f%%:*}") failed"
done
# The 64-bit add-on reads the 64-bit registry view, which needs the browser version as well
# (run on the screen: the first Wine program of a session starts the prefix's desktop).
if [ "$arch" = x64 ]; then
  wine reg add 'HKLM\Software\Microsoft\Internet Explorer' /v Version /d 6.0.2900.2180 /f /reg:64 >/dev/null 2>&1
fi
shots="$tmp/shots"
mkdir -p "$shots"
wine "$prog" "$(port https)" "$(port http)" "$(port refused)" \
  "$(winepath -w "$shots")" 2>/dev/null | tr -d '\r' &
KESTRIN_APP=$!
# Each picture: the program announces it, the screen is taken, the program goes on.
kestrin_pictures "$KESTRIN_APP" "$shots" "$build/ie-demo" popup border effect control seal-popup warning
status=0
wait "$KESTRIN_APP" || status=$?
KESTRIN_APP=
exit $status
