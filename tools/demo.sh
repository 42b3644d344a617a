#!/usr/bin/env bash
# The main road as far as it reaches today, run under Wine.
#   tools/demo.sh <build-dir>
set -euo pipefail
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
run() { "$top/tools/wine-run.sh" --prefix "$build/wineprefix" "$@"; }

echo "== Kestrin on this system (x86 build) =="
run "$build/x86/tools/demo/kestrin_demo.exe"
echo
echo "== The same program with Wine imitating Windows Vista and XP =="
for v in vista winxp; do
  cp "$build/x86/tools/demo/kestrin_demo.exe" "$build/x86/tools/demo/kestrin_demo_$v.exe"
  run --winver "$v" "$build/x86/tools/demo/kestrin_demo_$v.exe" | head -n 1
done
