#!/usr/bin/env bash
# Runs one Windows program in a throwaway copy of the build's Wine prefix in which the add-on
# library is registered with the system's regsvr32 of its bitness, as the installer leaves a
# machine. The copy keeps the drive Z: of the shared prefix (the test service's state and the
# test certificates are read through it) and is deleted when the program ends.
#   tools/wine-registered.sh --prefix SHARED --addon LIBRARY [--ie-version VERSION]
#                            program.exe [args...]
# --ie-version writes the browser's version into the registry view of the library's bitness
# (HKLM "Software\Microsoft\Internet Explorer" "Version"): the add-on picks its browser
# generation from it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
shared= addon= ie_version=
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) shared=$2; shift 2 ;;
    --addon) addon=$2; shift 2 ;;
    --ie-version) ie_version=$2; shift 2 ;;
    *) break ;;
  esac
done
prog=$1; shift
. "$here/wine-env.sh"
"$here/wine-prefix.sh" "${shared:?--prefix missing}"
tmp=$(mktemp -d)
prefix="$tmp/prefix"
cleanup() {
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  WINEPREFIX="$prefix" wineserver -w 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
kestrin_copy_prefix "$shared" "$prefix"
kestrin_wine_env "$prefix"
case "$(basename "${addon:?--addon missing}")" in
  *32.dll) regsvr32='C:\windows\syswow64\regsvr32.exe' view=32 ;;
  *) regsvr32='C:\windows\system32\regsvr32.exe' view=64 ;;
esac
windows_path() { echo "Z:$(echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" | tr / '\\')"; }
out="$tmp/output"
wine "$regsvr32" /s "$(windows_path "$addon")" >"$out" 2>&1 || { cat "$out"; echo "regsvr32 failed" >&2; exit 1; }
if [ -n "$ie_version" ]; then
  wine reg add 'HKLM\Software\Microsoft\Internet Explorer' /v Version /d "$ie_version" /f /reg:$view >/dev/null 2>&1
fi
# The output goes through a file (see wine-run.sh).
status=0
wine "$prog" "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit $status
