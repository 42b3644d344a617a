#!/usr/bin/env bash
# Fails when a binary imports anything but a Windows system DLL (such as the compiler's
# libstdc++-6.dll, libgcc_s_*.dll or libwinpthread-1.dll, or any DLL of our own build).
#   tools/check-imports.sh <objdump> <binary>...
set -euo pipefail
objdump=$1; shift
system='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|winhttp|wininet|ws2_32|wsock32|crypt32|wintrust|cryptui|msvcrt|version|winmm|msimg32|userenv|uxtheme|dwmapi|rpcrt4|secur32|bcrypt|ntdll|psapi|dbghelp|oleacc|urlmon|mpr|netapi32|iphlpapi|imm32|gdiplus|xmllite|mshtml|shdocvw|taskschd|mstask|sensapi|msi)\.dll$|^api-ms-win-'
bad=0 count=0
for bin in "$@"; do
  count=$((count + 1))
  while read -r dll; do
    lower=$(echo "$dll" | tr 'A-Z' 'a-z')
    if ! [[ $lower =~ $system ]]; then
      echo "$(basename "$bin") imports $dll"
      bad=1
    fi
  done < <("$objdump" -p "$bin" | awk '/DLL Name:/ {print $3}')
done
[ $count -gt 0 ] || { echo "no binaries to check"; exit 1; }
[ $bad -eq 0 ] && echo "$count binaries import system DLLs only"
exit $bad
