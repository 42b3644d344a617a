#!/usr/bin/env bash
# Runs the benchmarks of each bitness under Wine and prints their tables (make bench): the
# add-on's (kestrin_bench), the command bars' (toolkit_bench), the tab controls' (kestrin_tabs_bench),
# docking's (kestrin_docking_bench), the gallery's (kestrin_gallery_bench), the popup bar's
# (kestrin_popup_bench), the saved bar layouts' (kestrin_bar_state_bench) and the ribbon's
# (kestrin_ribbon_bench).
#   bench/run-bench.sh <build-dir> [repeats] <arch>...
# KESTRIN_BENCH_ONLY picks figures (letters f w n m l s u d, see kestrin_bench.cpp).
# The benchmark installs certificates, sets the lookup service and makes the prefix report
# Internet Explorer 8: it runs in a throwaway copy of the build's prefix, deleted afterwards.
# Where this machine cannot run 32-bit programs the x86 benchmark is built but not run.
set -uo pipefail
build=$(cd "$1" && pwd); shift
repeats=25
if [[ ${1:-} =~ ^[0-9]+$ ]]; then repeats=$1; shift; fi
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../tools/wine-env.sh"
kestrin_wine_env "$build/wineprefix"
[ -f "$WINEPREFIX/.kestrin-ready" ] || "$here/../tools/wine-prefix.sh" "$WINEPREFIX"

work=$(mktemp -d "$build/bench.XXXXXX")
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
kestrin_copy_prefix "$build/wineprefix" "$work/prefix"
kestrin_wine_env "$work/prefix"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
wineserver -p
for view in 64 32; do
  wine reg add 'HKLM\Software\Microsoft\Internet Explorer' /v Version /d 8.0.6001.18702 /f /reg:$view >/dev/null 2>&1
done

# Output goes through a file: Wine's long-lived helper processes inherit the program's
# handles and would hold a pipe open.
out=$work/out.txt
status=0
for arch in "$@"; do
  if [ "$arch" = x86 ] && ! kestrin_wine_runs_x86; then
    echo "== bench, x86: not run: this machine's kernel runs no 32-bit programs, so Wine cannot =="
    echo "   (the x86 benchmark is still compiled and linked; the x64 one measures the same sources)"
    continue
  fi
  dir=$build/$arch
  addon=$(ls "$dir"/ie/KestrinIE*.dll | head -n 1)
  echo "== bench, $arch =="
  wine "$dir/bench/kestrin_bench.exe" "$(winepath -w "$addon")" \
    "$(winepath -w "$dir/bench/bench_minimal_helper.dll")" "$(winepath -w "$dir/bench/update-100.dat")" \
    "$repeats" ${KESTRIN_BENCH_ONLY:-fwnmlsu} >"$out" 2>&1 </dev/null || status=1
  cat "$out"
  wine "$dir/bench/toolkit_bench.exe" "$repeats" >"$out" 2>&1 </dev/null || status=1
  cat "$out"
  echo
  wine "$dir/bench/kestrin_tabs_bench.exe" "$repeats" >"$out" 2>&1 </dev/null || status=1
  cat "$out"
  echo
  wine "$dir/bench/kestrin_docking_bench.exe" "$repeats" >"$out" 2>&1 </dev/null || status=1
  cat "$out"
  echo
  wine "$dir/bench/kestrin_gallery_bench.exe" "$repeats" >"$out" 2>&1 </dev/null || status=1
  cat "$out"
  echo
  wine "$dir/bench/kestrin_popup_bench.exe" "$repeats" >"$out" 2>&1 </dev/null || status=1
  cat "$out"
  echo
  wine "$dir/bench/kestrin_bar_state_bench.exe" "$repeats" >"$out" 2>&1 </dev/null || status=1
  cat "$out"
  echo
  wine "$dir/bench/kestrin_ribbon_bench.exe" "$repeats" >"$out" 2>&1 </dev/null || status=1
  cat "$out"
  # A slow name server: the benchmark's own on a loopback address, answering names with a label
  # "slow" 3 s late; the system resolver is pointed at it in a private mount namespace (Wine
  # resolves names in the program's own process, through the system's resolver, which follows
  # the namespace's /etc/resolv.conf).
  if [ -n "${KESTRIN_BENCH_ONLY:-}" ] && [[ "$KESTRIN_BENCH_ONLY" != *d* ]]; then continue; fi
  if [ "$(id -u)" != 0 ] || ! command -v unshare >/dev/null; then
    echo "new host, slow name server: not run (needs root and unshare for a private resolv.conf)"
    continue
  fi
  dns_address=127.0.0.77
  python3 "$here/slow_dns.py" $dns_address 3 >"$work/dns.log" 2>&1 &
  dns_pid=$!
  for _ in $(seq 50); do grep -q listening "$work/dns.log" 2>/dev/null && break; sleep 0.1; done
  echo "nameserver $dns_address" >"$work/resolv.conf"
  unshare -m bash -c 'mount --bind "$1" /etc/resolv.conf && shift && exec "$@"' _ "$work/resolv.conf" \
    wine "$dir/bench/kestrin_bench.exe" "$(winepath -w "$addon")" \
    "$(winepath -w "$dir/bench/bench_minimal_helper.dll")" "$(winepath -w "$dir/bench/update-100.dat")" \
    "$repeats" d >"$out" 2>&1 </dev/null || status=1
  kill $dns_pid 2>/dev/null
  wait $dns_pid 2>/dev/null
  grep -E "^new host|target\(s\) missed" "$out"
  # The row means something only when the add-on's resolutions reached the name server.
  printf '%-46s %s questions, %s of them for late names\n' "slow name server: questions it answered" \
    "$(grep -c '^query' "$work/dns.log")" "$(grep -c '^query slow' "$work/dns.log")"
done
exit $status
