# Sourced by the scripts that run Windows programs: one quiet Wine prefix per build folder,
# no proxies, no offers to install Wine's HTML and .NET engines.

# kestrin_wine_runs_x86: true when Wine can run 32-bit Windows programs here. Wine's 32-bit
# loader is a 32-bit Linux program, and some kernels (sandboxed ones) refuse to run any.
kestrin_wine_runs_x86() {
  if [ -z "${KESTRIN_WINE_X86:-}" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then KESTRIN_WINE_X86=yes; else KESTRIN_WINE_X86=no; fi
    export KESTRIN_WINE_X86
  fi
  [ "$KESTRIN_WINE_X86" = yes ]
}

kestrin_wine_env() {
  export WINEPREFIX=${1:?prefix}
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mshtml=d;mscoree=d"
  export WINEARCH=win64
  # A kernel without 32-bit Linux programs (some sandboxes) cannot start Wine's 32-bit loader,
  # which the wine launcher prefers: start the 64-bit loader directly there.
  if ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [ -x /usr/lib/wine/wine64 ]; then
    local shim=${TMPDIR:-/tmp}/kestrin-wine64-shim
    mkdir -p "$shim"
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/wine"
    chmod +x "$shim/wine"
    case ":$PATH:" in *":$shim:"*) ;; *) export PATH="$shim:$PATH" ;; esac
  fi
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY all_proxy ALL_PROXY
  if ! kestrin_wine_runs_x86; then
    local shim
    shim="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-only"
    case ":$PATH:" in *":$shim:"*) ;; *) export PATH="$shim:$PATH" ;; esac
    export WINELOADER=/usr/lib/wine/wine64
  fi
}

# kestrin_copy_prefix SHARED DEST: a throwaway copy of the prefix SHARED at DEST. The system
# libraries are shared through hard links (nothing writes them in place); the registry and
# everything else is a copy, so registrations and settings made in DEST stay there.
kestrin_copy_prefix() {
  local shared=${1:?shared prefix} dest=${2:?destination} entry
  mkdir -p "$dest/drive_c/windows"
  for entry in "$shared"/* "$shared"/.[!.]*; do
    [ -e "$entry" ] || continue
    # reg*.tmp: the server writing a registry file, renamed over it when done.
    case "$(basename "$entry")" in
      drive_c|wineserver|reg*.tmp) ;;
      *) cp -a "$entry" "$dest/" 2>/dev/null || [ ! -e "$entry" ] || cp -a "$entry" "$dest/" ;;
    esac
  done
  for entry in "$shared"/drive_c/* "$shared"/drive_c/.[!.]*; do
    [ -e "$entry" ] || continue
    [ "$(basename "$entry")" = windows ] || cp -a "$entry" "$dest/drive_c/"
  done
  for entry in "$shared"/drive_c/windows/*; do
    case "$(basename "$entry")" in
      system32|syswow64|winsxs) cp -al "$entry" "$dest/drive_c/windows/" ;;
      *) cp -a "$entry" "$dest/drive_c/windows/" ;;
    esac
  done
}
