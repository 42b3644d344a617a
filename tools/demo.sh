#!/usr/bin/env bash
# The main road as far as it reaches today, run under Wine. Pictures go into the build folder.
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
echo
echo "== The validation border and the verification popups, as pictures =="
bash "$top/tools/screenshot-border.sh" "$build" x86 --caption "Authenticated by Torvan"
bash "$top/tools/screenshot-popup.sh" "$build" x86
echo
echo "== The SSL verifier: an organisation-validated and a low-assurance site =="
bash "$top/tools/demo/ssl-demo.sh" "$build" x86
if [ -f "$top/tools/iehost/ie-demo.sh" ]; then
  echo
  echo "== Internet Explorer (scripted) with the add-on: a page with a genuine and a forged seal =="
  bash "$top/tools/iehost/ie-demo.sh" "$build" x86
fi
