#!/usr/bin/env bash
# The main road as far as it reaches today, run under Wine. Pictures go into the build folder.
#   tools/demo.sh <build-dir>
set -euo pipefail
build=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
run() { "$top/tools/wine-run.sh" --prefix "$build/wineprefix" "$@"; }
. "$top/tools/wine-env.sh"
# The x86 build is the one the browsers of the era load; where this machine runs no 32-bit
# programs the demo shows the x64 build of the same sources.
arch=x86
if ! kestrin_wine_runs_x86; then
  arch=x64
  echo "(this machine runs no 32-bit programs: the demo runs the x64 build)"
fi

echo "== Kestrin on this system ($arch build) =="
run "$build/$arch/tools/demo/kestrin_demo.exe"
echo
echo "== The same program with Wine imitating Windows Vista and XP =="
for v in vista winxp; do
  cp "$build/$arch/tools/demo/kestrin_demo.exe" "$build/$arch/tools/demo/kestrin_demo_$v.exe"
  run --winver "$v" "$build/$arch/tools/demo/kestrin_demo_$v.exe" | head -n 1
done
echo
echo "== The validation border and the verification popups, as pictures =="
bash "$top/tools/screenshot-border.sh" "$build" "$arch" --caption "Authenticated by Torvan"
bash "$top/tools/screenshot-popup.sh" "$build" "$arch"
echo
echo "== The SSL verifier: an organisation-validated and a low-assurance site =="
bash "$top/tools/demo/ssl-demo.sh" "$build" "$arch"
if [ -f "$top/tools/iehost/ie-demo.sh" ]; then
  echo
  echo "== Internet Explorer (scripted) with the add-on: a page with a genuine and a forged seal =="
  bash "$top/tools/iehost/ie-demo.sh" "$build" "$arch"
fi
if [ -f "$top/tools/geckohost/gecko-demo.sh" ]; then
  echo
  echo "== Firefox (scripted Gecko browser) with the component: the same page of a genuine and a forged seal =="
  bash "$top/tools/geckohost/gecko-demo.sh" "$build" "$arch"
fi
if [ -f "$top/tools/setupdriver/setup-demo.sh" ]; then
  echo
  echo "== Setup: install into a fresh prefix with the setup driver, the browser finds the add-on, removal =="
  bash "$top/tools/setupdriver/setup-demo.sh" "$build" "$arch"
fi
echo
echo "== The tray program: its menu, About box and options sheet, unskinned and skinned side by side; a colour changed on the sheet =="
bash "$top/tools/traydemo/tray-demo.sh" "$build" "$arch"
echo
echo "== The application framework's demo frame: an MDI frame with two documents, the toolkit's menu bar (Sheet popup open), tool bar and document tabs docked at the top, and a status bar, in the default, native XP, Office, Office 2003 (blue scheme and system colours) and Whidbey looks =="
echo "   ... and with the ribbon in place of the menu and tool bars: three widths, a collapsed group open, the system menu open"
bash "$top/tools/framedemo/frame-demo.sh" "$build" "$arch"
echo
echo "== Command bars: a menu bar with its File popup open and a tool bar, default and native XP themes (visual styles on and off), as pictures =="
bash "$top/tools/cbdemo/cbdemo.sh" "$build" "$arch"
echo
echo "== The toolkit's tab controls: ten appearance sets and six colour sets on one sheet =="
bash "$top/tools/tabdemo/tab-demo.sh" "$build" "$arch"
