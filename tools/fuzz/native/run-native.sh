#!/usr/bin/env bash
# Builds the platform-free readers for Linux with AddressSanitizer and the coverage-guided
# fuzzer (clang's libFuzzer) into OUT and runs each briefly from a fixed seed; a memory error
# or a broken promise of a reader ends the run with the input that caused it in OUT/crashes.
#   run-native.sh SOURCE_DIR OUT [RUNS]
set -euo pipefail
src=$1
out=$2
runs=${3:-30000}
mkdir -p "$out/crashes"
flags=(-std=c++17 -O1 -g -fsanitize=address,fuzzer -fno-omit-frame-pointer
       -I "$src/tools/fuzz/native/include" -I "$src")
build() {  # name, sources...
  local name=$1
  shift
  local newest=0 s t
  for s in "$@" "$src/tools/fuzz/native/include/windows.h" "$0"; do
    t=$(stat -c %Y "$s")
    [ "$t" -gt "$newest" ] && newest=$t
  done
  if [ ! -x "$out/$name" ] || [ "$(stat -c %Y "$out/$name")" -lt "$newest" ]; then
    clang++ "${flags[@]}" "$@" -o "$out/$name"
  fi
}
build der_shape_fuzz "$src/tools/fuzz/native/der_shape_fuzz.cpp" "$src/common/der/der_shape.cpp"
build gif_frames_fuzz "$src/tools/fuzz/native/gif_frames_fuzz.cpp" "$src/common/windowing/gif_frames.cpp"
build page_address_fuzz "$src/tools/fuzz/native/page_address_fuzz.cpp" "$src/common/url/page_address.cpp" \
  "$src/tools/fuzz/native/windows_shim.cpp"
build lookup_reply_fuzz "$src/tools/fuzz/native/lookup_reply_fuzz.cpp" "$src/common/siteseal/lookup_reply.cpp"
build readable_xml_fuzz "$src/tools/fuzz/native/readable_xml_fuzz.cpp" "$src/common/update/readable_xml.cpp"
for fuzzer in der_shape_fuzz gif_frames_fuzz page_address_fuzz lookup_reply_fuzz readable_xml_fuzz; do
  echo "native $fuzzer: $runs inputs"
  # The fuzzer adds what it finds to the first folder: a fresh one in OUT; the kept inputs of
  # the source tree are only read.
  rm -rf "$out/corpus-$fuzzer"
  mkdir -p "$out/corpus-$fuzzer"
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 "$out/$fuzzer" -seed=13 -runs="$runs" -max_len=4096 \
    -artifact_prefix="$out/crashes/$fuzzer-" "$out/corpus-$fuzzer" "$src/tools/fuzz/crashes/native/$fuzzer" \
    2>"$out/$fuzzer.log" || {
    tail -40 "$out/$fuzzer.log"
    exit 1
  }
  tail -1 "$out/$fuzzer.log"
done
