#!/usr/bin/env bash
# Checks the Firefox component's binary contract with the browser platform:
#  - from xpcom.dll it imports only functions of the frozen set the platform's library exports
#    (the names listed in xpcom.def), and from no other non-system library;
#  - it exports NSGetModule by that plain name, with the C calling convention: in a 32-bit build
#    the function returns with a plain `ret` (the caller pops the three arguments), never with
#    `ret $0xc` as a __stdcall function would.
#   tools/geckohost/check-component.sh <objdump> <xpcom.def> <component>
set -euo pipefail
objdump=$1 def=$2 shipped=$3
bad=0
frozen=$(awk 'f && NF {print $1} /^EXPORTS/ {f=1}' "$def" | sort)

headers=$("$objdump" -p "$shipped")
imports=$(awk '
  /DLL Name:/ { dll = tolower($3); next }
  /^$/ { dll = "" }
  dll == "xpcom.dll" && NF == 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ { print $3 }' <<<"$headers" | sort)
[ -n "$imports" ] || { echo "$(basename "$shipped") imports nothing from xpcom.dll"; bad=1; }
for name in $imports; do
  grep -qx "$name" <<<"$frozen" || { echo "$(basename "$shipped") imports $name from xpcom.dll: not a frozen function"; bad=1; }
done

exports=$(awk '/\[Ordinal\/Name Pointer\] Table/ {e=1; next} e && /^\t\[/ {print $NF} e && /^$/ {e=0}' <<<"$headers")
[ "$exports" = "NSGetModule" ] || { echo "exports are [$exports], expected NSGetModule alone"; bad=1; }

if "$objdump" -f "$shipped" | grep -q 'pei-i386'; then
  # The export's address: the image base plus the one entry of the export address table.
  base=$(awk '$1 == "ImageBase" {print $2}' <<<"$headers")
  rva=$(awk '/Export Address Table --/ {t=1; next} t && /\[/ {print $(NF-2); exit}' <<<"$headers")
  if [ -z "$base" ] || [ -z "$rva" ]; then
    echo "NSGetModule's address not found"; bad=1
  else
    at=$((16#$base + 16#$rva))
    code=$("$objdump" -d "$shipped" --start-address=$at --stop-address=$((at + 512)))
    ret=$(awk '/\tret/ {print; exit}' <<<"$code")
    case "$ret" in
      *'ret '*'$'*) echo "NSGetModule pops its arguments: $ret"; bad=1 ;;
      *ret*) ;;
      *) echo "no return found in NSGetModule"; bad=1 ;;
    esac
  fi
fi
[ $bad -eq 0 ] && echo "$(basename "$shipped"): imports from xpcom.dll: $(echo $imports); NSGetModule exported with the C convention"
exit $bad
