# Sourced by the scripts that show windows to a person: a virtual X screen (Xvfb) and a copy of
# the build's Wine prefix whose graphics driver is X11 instead of the tests' null driver.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

# kestrin_x11_prefix <build-dir>: sets up <build-dir>/wineprefix-x11 once, a copy of the tests'
# prefix with the X11 driver and Internet Explorer 6 in its registry (the browser generation
# whose popup and frame the pictures show), and makes it the current prefix.
kestrin_x11_prefix() {
  local build=$1 ie=6.0.2900.2180
  local prefix="$build/wineprefix-x11" here
  here=$(dirname "${BASH_SOURCE[0]}")
  if [ ! -f "$prefix/.kestrin-x11-ready" ]; then
    "$here/wine-prefix.sh" "$build/wineprefix"
    rm -rf "$prefix"
    cp -a "$build/wineprefix" "$prefix"
    kestrin_wine_env "$prefix"
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1
    wine reg add 'HKCU\Control Panel\Colors' /v Background /d "58 110 165" /f >/dev/null 2>&1
    # Both registry views: the x86 and the x64 add-on each read their own.
    for view in 32 64; do
      wine reg add 'HKLM\Software\Microsoft\Internet Explorer' /v Version /d "$ie" /f /reg:$view >/dev/null 2>&1
    done
    wineserver -w
    touch "$prefix/.kestrin-x11-ready"
  fi
  kestrin_wine_env "$prefix"
}

# kestrin_screen_session <build-dir>: the screen prefix (kestrin_x11_prefix), a temporary folder
# KESTRIN_TMP and a virtual screen, all taken down when the script exits: the program whose pid
# is in KESTRIN_APP is ended, the command in KESTRIN_ON_EXIT runs (a service to stop), then
# Wine, the screen and the folder go.
kestrin_screen_session() {
  kestrin_x11_prefix "$1"
  KESTRIN_TMP=$(mktemp -d)
  trap kestrin_screen_cleanup EXIT
  kestrin_xvfb_start
}

kestrin_screen_cleanup() {
  if [ -n "${KESTRIN_APP:-}" ]; then kill "$KESTRIN_APP" 2>/dev/null || true; fi
  if [ -n "${KESTRIN_ON_EXIT:-}" ]; then eval "$KESTRIN_ON_EXIT" >/dev/null 2>&1 || true; fi
  wineserver -k 2>/dev/null || true
  if [ -n "${KESTRIN_XVFB_PID:-}" ]; then kill "$KESTRIN_XVFB_PID" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  if [ -n "${KESTRIN_TMP:-}" ]; then rm -rf "$KESTRIN_TMP"; fi
}

# kestrin_wait_ready <file>: waits up to a minute until <file> has content; false if it never does.
kestrin_wait_ready() {
  for _ in $(seq 600); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}

# kestrin_xvfb_start: a virtual screen on a free display; sets DISPLAY and KESTRIN_XVFB_PID.
kestrin_xvfb_start() {
  local n=91
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  KESTRIN_XVFB_PID=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
}

# kestrin_pictures <program pid> <handshake dir> <out prefix> <name>...: takes a picture of the
# screen each time the program announces <name>.ready, and answers with <name>.done. When the
# program writes the window in view into <name>.ready ("x y width height"), the picture is cut
# down to it.
kestrin_pictures() {
  local app=$1 shots=$2 out=$3 name x y w h
  shift 3
  for name in "$@"; do
    for _ in $(seq 600); do [ -e "$shots/$name.ready" ] && break; kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
    [ -e "$shots/$name.ready" ] || return 0
    import -window root "$out-$name.png"
    read -r x y w h < <(tr -d '\r' < "$shots/$name.ready") || true
    if [ -n "${h:-}" ]; then convert "$out-$name.png" -crop "${w}x${h}+${x}+${y}" +repage "$out-$name.png"; fi
    echo "picture: $out-$name.png"
    touch "$shots/$name.done"
  done
}
