#!/usr/bin/env bash
# Cross-builds every part that is not Qt for 64-bit Windows with mingw-w64 and
# runs its tests under Wine, headless, in a fresh Wine prefix. Exits non-zero
# on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FRAMEWISE_WIN_BUILD:-build-win}

cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DFRAMEWISE_WITH_QT=OFF -DFRAMEWISE_BENCHMARKS=OFF \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
# Keep going past a target that fails, so the tests that did build still run;
# the failure is reported at the end.
build_failed=0
cmake --build "$build" -- -k 0 -j"$(nproc)" || build_failed=1

# A prefix of our own, so the tests never see (or change) the user's Wine setup.
prefix=$(mktemp -d "${TMPDIR:-/tmp}/framewise-wine.XXXXXX")
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko install prompt
export WINEARCH=win64
unset WAYLAND_DISPLAY
# A virtual display of our own gives Wine a desktop, so the keystroke test can
# make a window; without Xvfb the rest runs headless and that test is skipped.
xvfb_pid=""
if command -v Xvfb >/dev/null 2>&1; then
  for n in $(seq 90 120); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      xvfb_pid=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
      break
    fi
  done
else
  unset DISPLAY
fi
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1
  rm -rf "$prefix"
}
trap cleanup EXIT

echo "Preparing a Wine prefix in $prefix"
wineboot -i >/dev/null 2>&1 || true
wineserver -w

# One wineserver for the whole run, and Wine's own services (explorer,
# services, rpcss...) started now with their output on /dev/null: started on
# demand by a test, they would keep that test's output pipe open and ctest
# would wait for them until its timeout.
wineserver -p >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
tests_failed=0
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300 || tests_failed=1
if [ "$build_failed" -ne 0 ]; then
  echo "Windows build: some targets failed to build (see above)." >&2
fi
[ "$build_failed" -eq 0 ] && [ "$tests_failed" -eq 0 ]
