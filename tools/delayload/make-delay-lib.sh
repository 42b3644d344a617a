#!/usr/bin/env bash
# Writes a delay-load import library for one system DLL: every function of the toolchain's
# import library, bound when first called (the DLL is loaded then) instead of when the module
# that links it is loaded.
#   make-delay-lib.sh <nm> <dlltool> <import library> <dll name> <output> <x86|x64>
set -euo pipefail
nm=$1 dlltool=$2 implib=$3 dll=$4 out=$5 arch=$6
def=${out%.a}.def
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  # __imp_Name (x64) or __imp__Name@N (x86, stdcall: the DLL's own name is undecorated).
  "$nm" "$implib" 2>/dev/null | sed -n 's/.* I __imp_\(.*\)$/\1/p' | sed 's/^_\(.*@[0-9]*\)$/\1/' | sort -u
} >"$def"
if [ "$arch" = x86 ]; then
  "$dlltool" -k -d "$def" -y "$out" -D "$dll"
else
  "$dlltool" -d "$def" -y "$out" -D "$dll"
fi
