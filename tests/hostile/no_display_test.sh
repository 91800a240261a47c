#!/usr/bin/env bash
# Without a reachable desktop display the program says so in one line and ends
# with status 1, whatever the environment names.
set -uo pipefail
program=$1
# Where the program is copied to open its window: a fixed folder, since the copy
# leaves its guard against a second copy in the user's guard folder, one file
# per program folder.
copy=$2
expected="Framewise needs a desktop display (no X11 or Wayland display found)"
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
# A display number nobody serves.
free=""
for n in $(seq 150 250); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then free=":$n"; break; fi
done
status=0
check() {
  local what=$1; shift
  out=$(env -i PATH="$PATH" HOME="$runtime" "$@" timeout 20 "$program" 2>"$runtime/err")
  code=$?
  err=$(cat "$runtime/err")
  if [ "$code" != 1 ] || [ -n "$out" ] || [ "$err" != "$expected" ]; then
    echo "FAIL ($what): status $code, stdout [$out], stderr [$err]"
    status=1
  fi
}
check "nothing set"
check "a display nobody serves" DISPLAY="$free"
check "X11 chosen, none there" QT_QPA_PLATFORM=xcb DISPLAY="$free"
check "Wayland named, no compositor" XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-9
check "both chosen, neither there" QT_QPA_PLATFORM="wayland;xcb" XDG_RUNTIME_DIR="$runtime" WAYLAND_DISPLAY=wayland-9 DISPLAY="$free"
[ "$status" = 0 ] && echo "no display: one line, status 1"

# And with a real X server the same check lets the window open.
if command -v Xvfb >/dev/null 2>&1 && [ -n "$free" ]; then
  Xvfb "$free" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill "$xvfb" 2>/dev/null; rm -rf "$runtime" "$copy"' EXIT
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X${free#:}" ] && break; sleep 0.05; done
  game="$runtime/game"
  rm -rf "$copy"
  mkdir -p "$copy" "$game/MAIN/demos"
  cp "$program" "$copy/framewise"
  : > "$game/CoDMP.exe"; : > "$game/MAIN/pak0.pk3"; : > "$game/MAIN/demos/bench1.dm_2"
  printf '%s/\r\n' "$game" > "$copy/CoD_path.ini"
  out=$(env -i PATH="$PATH" HOME="$runtime" DISPLAY="$free" QT_QPA_PLATFORM=xcb FRAMEWISE_SHOWN_AT=1 \
        timeout 20 "$copy/framewise" 2>"$runtime/err")
  if ! grep -q '^shown_at_ns=' <<<"$out"; then
    echo "FAIL (X server on $free): the window did not open: $(cat "$runtime/err")"
    status=1
  else
    echo "with an X server: the window opens"
  fi
fi
exit "$status"
