#!/usr/bin/env bash
# Makes the template of the throwaway prefixes once per build folder: a fresh prefix with the
# null display driver, the menu builder off, and no link that leads out of it (the z: drive
# and the user folders that point into the home folder become plain empty folders).
#   tools/throwaway-template.sh <template-dir>
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
kestrin_wine_env "$1"
[ -f "$WINEPREFIX/.kestrin-template" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.kestrin-template" ] && exit 0
rm -rf "$WINEPREFIX"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
# wineboot reports a failure when 32-bit programs cannot run; the prefix is usable all the same.
wine wineboot -i >/dev/null 2>&1 || true
wineserver -w
[ -f "$WINEPREFIX/system.reg" ] || { echo "throwaway-template: wineboot made no prefix" >&2; exit 1; }
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f >/dev/null 2>&1
wineserver -w
# Every link that leaves the prefix: drive letters other than c:, and links in the user folders.
find "$WINEPREFIX/dosdevices" -mindepth 1 -maxdepth 1 ! -name 'c:' -exec rm -f {} +
find "$WINEPREFIX/drive_c" -type l | while read -r link; do
  target=$(readlink -f "$link" || true)
  case "$target" in
    "$WINEPREFIX"/*) ;;
    *) rm -f "$link"; mkdir -p "$link" ;;
  esac
done
touch "$WINEPREFIX/.kestrin-template"
