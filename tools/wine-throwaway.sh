#!/usr/bin/env bash
# Runs one Windows program in a throwaway Wine prefix: a copy of the build's template prefix,
# deleted when the program ends. For tests that install, delete or close things.
#   tools/wine-throwaway.sh --template DIR [--winver VERSION] [--with FILE]...
#                           [--dir-link LINK=TARGET]... program.exe [args...]
# The program and every --with file are copied into C:\KestrinTest of the copy and run from
# there. --dir-link makes LINK (a path under drive_c) a link of the host's file system to the
# folder TARGET (also under drive_c), which Windows code sees as a reparse point.
# The template has no drive or folder link that leads out of the prefix (no z: drive, no links
# to the home folder) and its menu builder is off, so nothing done inside reaches the host.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
template= winver=
with=() links=()
while [ $# -gt 0 ]; do
  case "$1" in
    --template) template=$2; shift 2 ;;
    --winver) winver=$2; shift 2 ;;
    --with) with+=("$2"); shift 2 ;;
    --dir-link) links+=("$2"); shift 2 ;;
    *) break ;;
  esac
done
prog=$1; shift
"$here/throwaway-template.sh" "${template:?--template missing}"

. "$here/wine-env.sh"
work=$(mktemp -d "$(dirname "$template")/throwaway.XXXXXX")
kestrin_wine_env "$work/prefix"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
cleanup() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

kestrin_copy_prefix "$template" "$work/prefix"

dest="$work/prefix/drive_c/KestrinTest"
mkdir -p "$dest"
cp "$prog" "$dest/"
for f in "${with[@]}"; do cp "$f" "$dest/"; done
for pair in "${links[@]}"; do
  link=${pair%%=*} target=${pair#*=}
  mkdir -p "$work/prefix/drive_c/$target" "$(dirname "$work/prefix/drive_c/$link")"
  ln -s "$work/prefix/drive_c/$target" "$work/prefix/drive_c/$link"
done

if [ -n "$winver" ]; then
  wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$prog")" /v Version /d "$winver" /f >/dev/null 2>&1
fi
out="$work/output"
cd "$dest"
status=0
wine "C:\\KestrinTest\\$(basename "$prog")" "$@" >"$out" 2>&1 </dev/null || status=$?
cat "$out"
exit $status
