#!/usr/bin/env bash
# Runs one Windows program on a virtual screen, in a throwaway copy of the build's prefix whose
# graphics driver is X11: what the programs it starts draw reaches the screen, where it can read
# it back. The copy, its Wine processes and the screen go when the program ends.
#   tools/wine-screen.sh --prefix DIR program.exe [args...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
prefix=
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    *) break ;;
  esac
done
prog=$1; shift
. "$here/x11-env.sh"
kestrin_wine_env "${prefix:?--prefix missing}"
[ -f "$prefix/.kestrin-ready" ] || "$here/wine-prefix.sh" "$prefix"

work=$(mktemp -d "$(dirname "$prefix")/screen.XXXXXX")
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "${KESTRIN_XVFB_PID:-}" ]; then kill "$KESTRIN_XVFB_PID" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

kestrin_copy_prefix "$prefix" "$work/prefix"
kestrin_wine_env "$work/prefix"
kestrin_xvfb_start
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
# The desktop process that this first start left behind chose its display driver already:
# everything ends, and the next start comes up with X11.
wineserver -w

# The output goes through a file, as in wine-run.sh.
out="$work/output"
status=0
wine "$prog" "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit $status
