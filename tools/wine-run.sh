#!/usr/bin/env bash
# Runs one Windows program in a build folder's Wine prefix; ctest uses it as the emulator.
#   tools/wine-run.sh --prefix DIR [--winver VERSION] program.exe [args...]
# --winver makes Wine report another Windows version (winxp, vista, win2k, win7, ...) to
# this program alone, through its AppDefaults key.
set -euo pipefail
prefix= winver=
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --winver) winver=$2; shift 2 ;;
    *) break ;;
  esac
done
. "$(dirname "$0")/wine-env.sh"
kestrin_wine_env "${prefix:?--prefix missing}"
[ -f "$WINEPREFIX/.kestrin-ready" ] || "$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
prog=$1; shift
if [ -n "$winver" ]; then
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$prog")" /v Version /d "$winver" /f >/dev/null 2>&1
fi
# The program's output goes through a file: Wine's long-lived helper processes (the desktop,
# services) that the program starts inherit its output handles, and a pipe they hold open
# would keep ctest waiting for the end of the output long after the program ended.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
status=0
wine "$prog" "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit $status
