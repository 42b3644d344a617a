#!/usr/bin/env bash
# Builds the third-party libraries once per bitness into a cache outside the tree:
# GoogleTest (from Debian's sources), libpng 1.6 and minizip (from Debian's source packages).
#   tools/deps.sh <cache-dir>
set -euo pipefail
cache=${1:?cache dir}
top=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$cache/src"
jobs=$(nproc)

fetch_source() { # package -> unpacked source folder (patched)
  local pkg=$1 dir
  dir=$(find "$cache/src" -maxdepth 1 -type d -name "$pkg-*" | head -n 1)
  if [ -z "$dir" ]; then
    (cd "$cache/src" && apt-get source -q "$pkg" >/dev/null)
    dir=$(find "$cache/src" -maxdepth 1 -type d -name "$pkg-*" | head -n 1)
  fi
  echo "$dir"
}

for arch in i686 x86_64; do
  prefix="$cache/$arch"
  tc="$top/cmake/toolchain-$arch.cmake"
  if [ ! -f "$prefix/.gtest-done" ]; then
    echo "deps: googletest for $arch"
    rm -rf "$cache/build/gtest-$arch"
    cmake -S /usr/src/googletest -B "$cache/build/gtest-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" \
      -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -Dgtest_disable_pthreads=OFF >/dev/null
    cmake --build "$cache/build/gtest-$arch" -j "$jobs" >/dev/null
    cmake --install "$cache/build/gtest-$arch" >/dev/null
    touch "$prefix/.gtest-done"
  fi
  if [ ! -f "$prefix/.png-done" ]; then
    echo "deps: libpng for $arch"
    src=$(fetch_source libpng1.6)
    rm -rf "$cache/build/png-$arch"
    cmake -S "$src" -B "$cache/build/png-$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$tc" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_INSTALL_PREFIX="$prefix" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
      -DPNG_BUILD_ZLIB=OFF -DSKIP_INSTALL_PROGRAMS=ON >/dev/null
    cmake --build "$cache/build/png-$arch" -j "$jobs" >/dev/null
    cmake --install "$cache/build/png-$arch" >/dev/null
    touch "$prefix/.png-done"
  fi
  if [ ! -f "$prefix/.minizip-done" ]; then
    echo "deps: minizip for $arch"
    src=$(fetch_source zlib)/contrib/minizip
    out="$cache/build/minizip-$arch"
    rm -rf "$out"; mkdir -p "$out" "$prefix/include/minizip" "$prefix/lib"
    for f in unzip ioapi iowin32; do
      "$arch-w64-mingw32-gcc-posix" -O2 -c "$src/$f.c" -I"$src" -o "$out/$f.o"
    done
    "$arch-w64-mingw32-ar" rcs "$prefix/lib/libminizip.a" "$out"/*.o
    cp "$src"/unzip.h "$src"/ioapi.h "$src"/iowin32.h "$prefix/include/minizip/"
    touch "$prefix/.minizip-done"
  fi
done
