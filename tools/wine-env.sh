# Sourced by the scripts that run Windows programs: one quiet Wine prefix per build folder,
# no proxies, no offers to install Wine's HTML or .NET engines.
kestrin_wine_env() {
  export WINEPREFIX=${1:?prefix}
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mshtml=d;mscoree=d"
  export WINEARCH=win64
  unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY all_proxy ALL_PROXY
}
