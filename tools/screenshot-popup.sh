#!/usr/bin/env bash
# Screenshot of the verification popups for a person to look at: the popup demo runs on a
# virtual X display (Xvfb) in the build's screen prefix (see x11-env.sh), and the whole screen
# goes into a PNG.
#   tools/screenshot-popup.sh [build-dir] [arch] [out.png]
# build-dir: a build folder of `make` (default "build"); arch: x86 (default) or x64;
# out.png: default <build-dir>/popup-screenshot.png. Needs the popup_demo target built.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
arch=${2:-x86}
out=${3:-$build/popup-screenshot.png}
exe=$build/$arch/tests/common/sslverify/popup_demo.exe
data=$build/$arch/update-test-data
[ -f "$exe" ] || { echo "screenshot-popup: $exe missing (build the popup_demo target)" >&2; exit 1; }
[ -f "$data/stamp" ] || { echo "screenshot-popup: $data missing (build the update_test_data target)" >&2; exit 1; }

. "$here/x11-env.sh"
kestrin_screen_session "$build"

windata="Z:$(echo "$data" | sed 's#/#\\#g')"
wine "$exe" "$windata" 8 >/dev/null 2>&1 &
demo=$!
sleep 5
import -window root "$out"
wait $demo || true
echo "screenshot-popup: $out"
