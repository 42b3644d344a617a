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
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY all_proxy ALL_PROXY
  if ! kestrin_wine_runs_x86; then
    local shim
    shim="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/wine64-only"
    case ":$PATH:" in *":$shim:"*) ;; *) export PATH="$shim:$PATH" ;; esac
    export WINELOADER=/usr/lib/wine/wine64
  fi
}
