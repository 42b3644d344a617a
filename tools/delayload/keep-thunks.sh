#!/usr/bin/env bash
# Writes the linker options that keep the lazy-binding code of every delay-loaded function a
# 32-bit module calls. The 32-bit linker drops the code section of an import-library member that
# was pulled in only by its __imp_ pointer (a plain import needs no stub), but a delay-load
# member's code is what its pointer starts out at: without it the pointer stays null and the
# first call jumps to address 0. Naming the function's own symbol (-u) keeps the code.
#   keep-thunks.sh <nm> <output> <delay folder> <object or library>...
set -euo pipefail
nm=$1 out=$2 dir=$3; shift 3
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
# The functions the delay-load libraries offer (their .def files: Name@N).
sed -n '/^EXPORTS/,$p' "$dir"/*.def | grep -v '^EXPORTS' | sort -u >"$tmp"
# The __imp_ pointers the module's inputs use, as Name@N, kept when a delay library offers them.
for input in "$@"; do
  [ -f "$input" ] && "$nm" "$input" 2>/dev/null || true
done | sed -n 's/^ *U __imp__\(.*\)$/\1/p' | sort -u | comm -12 - "$tmp" |
  sed 's/^/-Wl,-u,_/' >"$out.new"
mv "$out.new" "$out"
