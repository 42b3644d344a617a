#!/usr/bin/env bash
# Installs Kestrin into a fresh throwaway prefix with the setup driver, lets the scripted
# Internet Explorer find the add-on through the registry, and removes it again, printing the
# driver's report lines.
#   tools/setupdriver/setup-demo.sh <build-dir> [arch]
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
arch=${2:-x86}
top=$(cd "$(dirname "$0")/../.." && pwd)
bin="$build/$arch"
for f in "$bin/tools/setupdriver/setup_demo.exe" "$bin/tools/setupdriver/setupdriver.exe" "$bin/setup/KRSetupDll.dll"; do
  [ -f "$f" ] || { echo "missing $f: build $arch first" >&2; exit 1; }
done
"$top/tools/wine-throwaway.sh" --template "$build/throwaway-template" \
  --with "$bin/tools/setupdriver/setupdriver.exe" --with "$bin/setup/KRSetupDll.dll" \
  "$bin/tools/setupdriver/setup_demo.exe" 2>/dev/null
