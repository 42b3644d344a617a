#!/usr/bin/env bash
# Runs the ctest suite of each bitness under one persistent wineserver.
#   tools/run-tests.sh <build-dir> <jobs> <arch>...
set -uo pipefail
build=$(cd "$1" && pwd); jobs=$2; shift 2
. "$(dirname "$0")/wine-env.sh"
kestrin_wine_env "$build/wineprefix"
wineserver -p
status=0
for arch in "$@"; do
  echo "== tests, $arch =="
  ctest --test-dir "$build/$arch" -j "$jobs" --output-on-failure || status=1
done
wineserver -k 2>/dev/null || true
exit $status
