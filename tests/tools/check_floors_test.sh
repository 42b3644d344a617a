#!/usr/bin/env bash
# The floor check on small trees: each rule it keeps fails naming the file, line and include;
# a tree that keeps them passes.
#   tests/tools/check_floors_test.sh <check-floors.sh>
set -uo pipefail
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0

# write <file> <line>...: a source file of the tree.
write() {
  local file=$1
  shift
  mkdir -p "$tree/$(dirname "$file")"
  printf '%s\n' "$@" >"$tree/$file"
}

# expect <status> <text or empty>: runs the check on the tree.
expect() {
  local want=$1 text=$2 out rc
  out=$(bash "$check" "$tree" 2>&1)
  rc=$?
  if [ "$rc" -ne "$want" ] || { [ -n "$text" ] && ! grep -qF -- "$text" <<<"$out"; }; then
    echo "FAILED: wanted status $want and \"$text\", got $rc:"
    echo "$out"
    failures=$((failures + 1))
  fi
}

write platform/win/a.h '#include "platform/win/b.h"' '#include <windows.h>'
write common/log/log.cpp '#include "common/log/log.h"' '#include "platform/win/a.h"'
write toolkit/paint/paint.cpp '#include "toolkit/drawing/draw.h"' '#include "platform/appframe/wnd.h"'
write tray/tray.cpp '#include "common/log/log.h"' '#include "toolkit/skin/skin.h"' '#include "local.h"'
write tests/tray/tray_test.cpp '#include "tray/tray.h"' '#include "tools/pki/pki.h"'
expect 0 "floors kept"

write platform/appframe/wnd.cpp '#include <windows.h>' '#include "common/log/log.h"'
expect 1 'platform/appframe/wnd.cpp:2: common/log/log.h (platform/ includes only platform/)'
rm "$tree/platform/appframe/wnd.cpp"

write common/log/bad.cpp '#include "toolkit/skin/skin.h"'
expect 1 'common/log/bad.cpp:1: toolkit/skin/skin.h (common/ includes only platform/ and itself)'
rm "$tree/common/log/bad.cpp"

write toolkit/tabs/tabs.cpp '' '#include "tray/tray.h"'
expect 1 'toolkit/tabs/tabs.cpp:2: tray/tray.h'
rm "$tree/toolkit/tabs/tabs.cpp"

write tools/demo/demo.cpp '#include "tests/tray/fixture.h"'
expect 1 'tools/demo/demo.cpp:1: tests/tray/fixture.h (a program or library includes a test source)'
rm "$tree/tools/demo/demo.cpp"

write tray/up.cpp '#include "tools/pki/pki.h"'
expect 1 'tray/up.cpp:1: tools/pki/pki.h (tray/ is below tools/)'
rm "$tree/tray/up.cpp"

write gecko/engine.cpp '#include "common/log/log.h"' '#include "ie/core/lookup.h"'
expect 1 'gecko/engine.cpp:2: ie/core/lookup.h (gecko/ stands beside ie/, not above it)'
rm "$tree/gecko/engine.cpp"

write gecko/CMakeLists.txt 'kestrin_library(kestrin_gecko DEPS kestrin_url kestrin_ie_core)'
expect 1 'gecko/CMakeLists.txt:1: kestrin_library(kestrin_gecko DEPS kestrin_url kestrin_ie_core) (gecko/ links a library of ie/)'
write gecko/CMakeLists.txt 'kestrin_library(kestrin_gecko DEPS kestrin_url kestrin_sealookup)'

expect 0 "floors kept"
[ "$failures" -eq 0 ] && echo "all floor cases behave"
exit "$failures"
