#!/usr/bin/env bash
# Fails when a binary imports anything but a Windows system DLL (such as the compiler's
# libstdc++-6.dll, libgcc_s_*.dll or libwinpthread-1.dll, or any DLL of our own build; the one
# platform library allowed besides is the Gecko browser's xpcom.dll, which the Firefox component
# and the programs playing its browser import), and
# when a binary imports a function of the name it exports: such an export was bound to the
# import stub of a system library (DllRegisterServer of wintrust, say) instead of our code.
#   tools/check-imports.sh <objdump> <binary>...
set -euo pipefail
objdump=$1; shift
system='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|comdlg32|winhttp|wininet|ws2_32|wsock32|crypt32|wintrust|cryptui|msvcrt|version|winmm|msimg32|userenv|uxtheme|dwmapi|rpcrt4|secur32|bcrypt|ntdll|psapi|dbghelp|oleacc|urlmon|mpr|netapi32|iphlpapi|imm32|gdiplus|xmllite|mshtml|shdocvw|taskschd|mstask|sensapi|msi|xpcom)\.dll$|^api-ms-win-'
bad=0 count=0
for bin in "$@"; do
  count=$((count + 1))
  # One read of the headers a binary; the rest is done in this shell and one awk.
  table=$("$objdump" -p "$bin" | sed "/^PE File Base Relocations/,\$d")
  while read -r dll; do
    [ -n "$dll" ] || continue
    if ! [[ ${dll,,} =~ $system ]]; then
      echo "$(basename "$bin") imports $dll"
      bad=1
    fi
  done < <(awk '/DLL Name:/ {print $3}' <<<"$table")
  while read -r name; do
    [ -n "$name" ] || continue
    echo "$(basename "$bin") imports the function it exports: $name"
    bad=1
  done < <(awk '
    /DLL Name:/ { imports = 1; next }
    /^$/ { imports = 0 }
    imports && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { imported[$3] = 1 }
    /\[Ordinal\/Name Pointer\] Table/ { exports = 1; next }
    exports && /^\t\[/ { exported[$NF] = 1 }
    END { for (n in exported) if (n in imported) print n }' <<<"$table")
done
[ $count -gt 0 ] || { echo "no binaries to check"; exit 1; }
[ $bad -eq 0 ] && echo "$count binaries import system DLLs only"
exit $bad
