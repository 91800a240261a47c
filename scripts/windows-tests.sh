#!/usr/bin/env bash
# Cross-builds the whole program for 64-bit Windows with mingw-w64 and Qt for
# Windows, and runs its tests under Wine in a fresh Wine prefix, on a virtual
# display of its own. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${FRAMEWISE_WIN_BUILD:-build-win}

build_abs=$(mkdir -p "$build" && cd "$build" && pwd)

# Qt for Windows (mingw-w64) comes as an archive in the shared folder beside the
# project, never in the repository: $FRAMEWISE_QT_MINGW names its folder, else
# the shared/ folder beside this clone, else the one of the team's machines.
qt_archive=""
for dir in "${FRAMEWISE_QT_MINGW:-}" "$(git rev-parse --show-toplevel 2>/dev/null || pwd)/../shared/qt6-mingw" \
  /work/shared/qt6-mingw; do
  if [ -n "$dir" ] && [ -f "$dir/qt6-mingw-prefix.tar.xz" ]; then
    qt_archive="$dir/qt6-mingw-prefix.tar.xz"
    break
  fi
done
if [ -z "$qt_archive" ]; then
  echo "Qt for Windows not found: put qt6-mingw-prefix.tar.xz in ../shared/qt6-mingw/" >&2
  echo "or name its folder in FRAMEWISE_QT_MINGW." >&2
  exit 1
fi
# Unpacked once per archive into the build folder; a changed archive is unpacked anew.
qt_prefix="$build_abs/qt6-mingw/prefix"
qt_stamp="$(stat -c '%s %Y' "$qt_archive") $qt_archive"
if [ ! -f "$build_abs/qt6-mingw/stamp" ] || [ "$(cat "$build_abs/qt6-mingw/stamp")" != "$qt_stamp" ]; then
  echo "Unpacking Qt for Windows from $qt_archive"
  rm -rf "$build_abs/qt6-mingw"
  mkdir -p "$build_abs/qt6-mingw"
  tar -xJf "$qt_archive" -C "$build_abs/qt6-mingw"
  printf '%s' "$qt_stamp" >"$build_abs/qt6-mingw/stamp"
fi

# The host tools (moc, rcc, uic) are the host's own Qt of the same version.
cmake -S . -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DFRAMEWISE_WITH_QT=ON -DFRAMEWISE_CHART_WINDOW=OFF -DFRAMEWISE_BENCHMARKS=OFF \
  -DFRAMEWISE_QT_PREFIX="$qt_prefix" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
# Keep going past a target that fails, so the tests that did build still run;
# the failure is reported at the end.
build_failed=0
cmake --build "$build" -- -k 0 -j"$(nproc)" || build_failed=1

# shellcheck source=scripts/wine-prefix.sh
. scripts/wine-prefix.sh
tests_failed=0
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" --timeout 300 || tests_failed=1

# The Windows package, unpacked outside the build tree, starts on the sample
# game install: the window opens (its pictures are saved, then it quits) and
# the command line lists the archive.
package_failed=0
bash scripts/windows-package-test.sh "$build_abs" || package_failed=1
if [ "$build_failed" -ne 0 ]; then
  echo "Windows build: some targets failed to build (see above)." >&2
fi
[ "$build_failed" -eq 0 ] && [ "$tests_failed" -eq 0 ] && [ "$package_failed" -eq 0 ]
