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
kestrin_screen_session "$build"
tmp=$KESTRIN_TMP
KESTRIN_ON_EXIT="python3 '$top/tools/testservice/testservice.py' stop --state '$tmp/service'"
python3 "$top/tools/testservice/testservice.py" start --state "$tmp/service" --pki "$bin/pki" >/dev/null
port() { sed -n "s/^$1=//p" "$tmp/service/ports.txt"; }
mkdir -p "$tmp/shots"
wine "$prog" "$(winepath -w "$tmp/shots")" --install-root "$(winepath -w "$bin/pki/root.der")" \
  "organisation=https://127.0.0.1:$(port https)/" "low-assurance=https://127.0.0.1:$(port https_dv)/" \
  2>/dev/null | tr -d '\r' &
KESTRIN_APP=$!
kestrin_pictures "$KESTRIN_APP" "$tmp/shots" "$build/ssl-demo" organisation low-assurance
status=0
wait "$KESTRIN_APP" || status=$?
KESTRIN_APP=
exit $status
