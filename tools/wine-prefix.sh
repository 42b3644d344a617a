#!/usr/bin/env bash
# Creates the WoW64 Wine prefix of a build folder once (null display driver, quiet logs).
#   tools/wine-prefix.sh <prefix-dir>
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
kestrin_wine_env "$1"
[ -f "$WINEPREFIX/.kestrin-ready" ] && exit 0
mkdir -p "$(dirname "$WINEPREFIX")"
# Test programs started at once must not each create the prefix.
exec 9>"$WINEPREFIX.lock"
flock 9
[ -f "$WINEPREFIX/.kestrin-ready" ] && exit 0
mkdir -p "$WINEPREFIX"
wine wineboot -i >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
touch "$WINEPREFIX/.kestrin-ready"
