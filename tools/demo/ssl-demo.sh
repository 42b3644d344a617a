#!/usr/bin/env bash
# The SSL verifier on a virtual screen: the local HTTPS service presents an organisation-validated
# and a low-assurance ("Domain Control Validated") certificate; the verifier classifies each and
# shows its popup and the border, and a picture of each goes to <build-dir>/ssl-demo-*.png.
#   tools/demo/ssl-demo.sh <build-dir> [arch]
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
arch=${2:-x86}
top=$(cd "$(dirname "$0")/../.." && pwd)
bin="$build/$arch"
prog="$bin/tools/demo/ssl_demo.exe"
[ -f "$prog" ] || { echo "missing $prog: build $arch first" >&2; exit 1; }
. "$top/tools/x11-env.sh"
kestrin_x11_prefix "$build"

tmp=$(mktemp -d)
cleanup() {
  [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
  python3 "$top/tools/testservice/testservice.py" stop --state "$tmp/service" >/dev/null 2>&1 || true
  wineserver -k 2>/dev/null || true
  [ -n "${KESTRIN_XVFB_PID:-}" ] && kill "$KESTRIN_XVFB_PID" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
python3 "$top/tools/testservice/testservice.py" start --state "$tmp/service" --pki "$bin/pki" >/dev/null
port() { sed -n "s/^$1=//p" "$tmp/service/ports.txt"; }
kestrin_xvfb_start
mkdir -p "$tmp/shots"
wine "$prog" "$(winepath -w "$tmp/shots")" --install-root "$(winepath -w "$bin/pki/root.der")" \
  "organisation=https://127.0.0.1:$(port https)/" "low-assurance=https://127.0.0.1:$(port https_dv)/" \
  2>/dev/null | tr -d '\r' &
app=$!
kestrin_pictures "$app" "$tmp/shots" "$build/ssl-demo" organisation low-assurance
status=0
wait "$app" || status=$?
app=
exit $status
