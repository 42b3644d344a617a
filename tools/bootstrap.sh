#!/usr/bin/env bash
# Installs what the build and the tests need on a fresh Debian machine (run as root).
# Every step checks first, so a second run costs a few seconds.
set -euo pipefail

need_pkgs=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64
  libz-mingw-w64-dev wine wine64 wine32:i386 xvfb x11-apps imagemagick googletest dpkg-dev
  cmake ninja-build openssl python3 make clang libclang-rt-14-dev
)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

src_list=/etc/apt/sources.list.d/kestrin-src.sources
if [ ! -f "$src_list" ]; then
  uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
  [ -n "$uri" ] || uri=http://deb.debian.org/debian
  cat > "$src_list" <<SRC
Types: deb-src
URIs: $uri
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  updated=no
else
  updated=yes
fi

if [ ${#missing[@]} -gt 0 ] || [ "$updated" = no ]; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  if [ ${#missing[@]} -gt 0 ]; then
    echo "bootstrap: installing ${missing[*]}"
    apt-get install -y -q --no-install-recommends "${missing[@]}"
  fi
fi
