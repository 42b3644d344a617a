#!/usr/bin/env bash
# regsvr32 and regsvr32 /u of the add-on library in a throwaway copy of the build's Wine
# prefix, with the registration test's phases between them.
#   tests/ie/registration-round-trip.sh <shared prefix> <add-on library> <registration test program>
set -euo pipefail
shared=$1 dll=$2 test=$3
here=$(cd "$(dirname "$0")/../.." && pwd)
. "$here/tools/wine-env.sh"
"$here/tools/wine-prefix.sh" "$shared"
tmp=$(mktemp -d)
prefix="$tmp/prefix"
cleanup() {
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
kestrin_copy_prefix "$shared" "$prefix"
kestrin_wine_env "$prefix"
# The system's regsvr32 of the library's bitness.
case "$(basename "$dll")" in
  *32.dll) regsvr32='C:\windows\syswow64\regsvr32.exe' ;;
  *) regsvr32='C:\windows\system32\regsvr32.exe' ;;
esac
# The library's path as Windows sees it through the prefix's drive Z: (the file system root).
windows_dll="Z:$(echo "$(cd "$(dirname "$dll")" && pwd)/$(basename "$dll")" | tr / '\\')"
run() { "$here/tools/wine-run.sh" --prefix "$prefix" "$@"; }
phase() { echo "== $1"; run "$test" --gtest_brief=1 --gtest_filter="$1.*"; }

phase BeforeRegistration
echo "== regsvr32 $windows_dll"
run "$regsvr32" /s "$windows_dll"
phase Registered
echo "== regsvr32 /u $windows_dll"
run "$regsvr32" /u /s "$windows_dll"
phase Unregistered
