# Sourced by the scripts that run Windows programs under Wine: a fresh Wine
# prefix of our own (the user's Wine set-up is never seen or changed) on a
# virtual display of our own, removed again on exit.
wine_prefix=$(mktemp -d "${TMPDIR:-/tmp}/framewise-wine.XXXXXX")
export WINEPREFIX="$wine_prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko install prompt
export WINEARCH=win64
unset WAYLAND_DISPLAY
# The window's programs need a display; without Xvfb the rest runs headless.
wine_xvfb_pid=""
if command -v Xvfb >/dev/null 2>&1; then
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      wine_xvfb_pid=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
else
  unset DISPLAY
fi
wine_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$wine_xvfb_pid" ] && kill "$wine_xvfb_pid" >/dev/null 2>&1
  rm -rf "$wine_prefix"
}
trap wine_cleanup EXIT

echo "Preparing a Wine prefix in $wine_prefix"
wineboot -i >/dev/null 2>&1 || true
wineserver -w
# Wine's own fonts (Tahoma, the Windows dialog font) are seen by programs only
# from the prefix's Fonts folder; without them Qt falls back to a serif face.
if [ -d /usr/share/wine/fonts ]; then
  cp /usr/share/wine/fonts/*.ttf "$wine_prefix/drive_c/windows/Fonts/" 2>/dev/null || true
fi
# Wine hands no QT_ variable of the Linux side to Windows programs: the Windows
# platform plugin is named in the prefix's own environment instead.
wine reg add 'HKCU\Environment' /v QT_QPA_PLATFORM /d windows /f >/dev/null 2>&1
wineserver -w

# One wineserver for the whole run, and Wine's own services (explorer,
# services, rpcss...) started now with their output on /dev/null: started on
# demand by a test, they would keep that test's output pipe open and ctest
# would wait for them until its timeout.
wineserver -p >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
