#!/usr/bin/env bash
# Runs the ctest suite of each bitness under one persistent wineserver.
#   tools/run-tests.sh <build-dir> <jobs> <arch>...
# Where this machine cannot run 32-bit programs the x86 suite is built but not run.
set -uo pipefail
build=$(cd "$1" && pwd); jobs=$2; shift 2
. "$(dirname "$0")/wine-env.sh"
kestrin_wine_env "$build/wineprefix"
wineserver -p
status=0
for arch in "$@"; do
  if [ "$arch" = x86 ] && ! kestrin_wine_runs_x86; then
    echo "== tests, x86: not run: this machine's kernel runs no 32-bit programs, so Wine cannot =="
    echo "   (the x86 build is still compiled and linked; the x64 suite runs the same sources)"
    continue
  fi
  echo "== tests, $arch =="
  ctest --test-dir "$build/$arch" -j "$jobs" --output-on-failure || status=1
done
wineserver -k 2>/dev/null || true
exit $status
