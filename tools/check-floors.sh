#!/usr/bin/env bash
# Keeps the floors of the tree: reads every quoted #include of the sources and fails, naming
# the file, the line and the include, when
#  - platform/ includes anything outside platform/;
#  - common/ or toolkit/ includes anything but platform/ and its own area;
#  - a program or library (anything outside tests/) includes a test source;
#  - a lower area includes a higher one (platform < common, toolkit < ie, gecko, setup, tray,
#    elevate < tools, bench);
#  - one browser's add-on includes the other's (ie/ and gecko/ stand side by side), or the
#    Firefox component links a library of ie/.
#   tools/check-floors.sh [source-root]
set -u
root=$(cd "${1:-$(dirname "$0")/..}" && pwd)
cd "$root" || exit 2

find platform common toolkit ie gecko setup tray elevate tools bench tests -type f \
     \( -name '*.h' -o -name '*.cpp' -o -name '*.c' -o -name '*.rc' -o -name '*.idl' \) -print0 2>/dev/null |
  xargs -0 grep -nHE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' |
  awk '
    BEGIN {
      floor["platform"] = 0; floor["common"] = 1; floor["toolkit"] = 1
      floor["ie"] = 2; floor["gecko"] = 2; floor["setup"] = 2; floor["tray"] = 2; floor["elevate"] = 2
      floor["tools"] = 3; floor["bench"] = 3; floor["tests"] = 4
      bad = 0
    }
    {
      # file:line:#include "target"
      file = $0; sub(/:.*/, "", file)
      rest = substr($0, length(file) + 2)
      line = rest; sub(/:.*/, "", line)
      target = rest; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
      area = file; sub(/\/.*/, "", area)
      if (index(target, "/") == 0) next          # beside the file: its own folder
      to = target; sub(/\/.*/, "", to)
      if (!(to in floor) || to == area) next
      why = ""
      if (to == "tests") why = "a program or library includes a test source"
      else if (area == "platform") why = "platform/ includes only platform/"
      else if (area == "common" || area == "toolkit") { if (to != "platform") why = area "/ includes only platform/ and itself" }
      else if (floor[to] > floor[area]) why = area "/ is below " to "/"
      else if ((area == "ie" && to == "gecko") || (area == "gecko" && to == "ie"))
        why = area "/ stands beside " to "/, not above it"
      if (why != "") { printf "%s:%s: %s (%s)\n", file, line, target, why; bad = 1 }
    }
    END { exit bad }'
status=$?

# The libraries of ie/ are named kestrin_ie*; the Firefox component links none of them.
if grep -nE '(^|[^[:alnum:]_])kestrin_ie[[:alnum:]_]*' gecko/CMakeLists.txt 2>/dev/null |
     sed -E 's|^([0-9]+):|gecko/CMakeLists.txt:\1: |; s|$| (gecko/ links a library of ie/)|' | grep .; then
  status=1
fi
[ "$status" = 0 ] && echo "floors kept"
exit "$status"
