#!/usr/bin/env bash
# Makes the Windows package of a cross build (BUILD, default build-win), unpacks
# it into a fresh folder outside the build tree and runs it there under Wine on
# a copy of the sample game install: the command line benchmarks the game into
# the package's own "User Results", then the window opens on it and saves a
# picture of each tab into BUILD/screenshots-wine/. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build-win}" && pwd)
[ -x "$build/src/app/framewise.exe" ] || { echo "Cross-build first: bash scripts/windows-tests.sh" >&2; exit 1; }
if [ -z "${WINEPREFIX:-}" ]; then
  # shellcheck source=scripts/wine-prefix.sh
  . scripts/wine-prefix.sh
fi

(cd "$build" && cpack -G ZIP >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
zip="$build/Framewise-$version-win64.zip"
[ -f "$zip" ] || { echo "No package at $zip" >&2; exit 1; }

place=$(mktemp -d "${TMPDIR:-/tmp}/framewise-package.XXXXXX")
trap 'rm -rf "$place"; declare -F wine_cleanup >/dev/null && wine_cleanup' EXIT
(cd "$place" && cmake -E tar xf "$zip")
app="$place/Framewise-$version-win64"
for f in framewise.exe framewise-cli.exe Framewise_Guide.txt Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll \
  libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll platforms/qwindows.dll styles/qwindowsvistastyle.dll; do
  [ -f "$app/$f" ] || { echo "The package lacks $f" >&2; exit 1; }
done
[ -d "$app/User Results" ] && [ -z "$(ls -A "$app/User Results")" ] ||
  { echo "The package lacks an empty User Results folder" >&2; exit 1; }

cp -r "$build/sample-game" "$place/game"
game=$(wine winepath -w "$place/game" 2>/dev/null | tr -d '\r')
printf '%s\\\r\n' "$game" >"$app/CoD_path.ini"

echo "Package: a benchmark by the command line of the unpacked $(basename "$zip")"
(cd "$app" && timeout 300 wine framewise-cli.exe run --game "$game" --demo bench1 --yes --wait \
  --levels normal --res 640x480 --comment "Wine" >"$place/said" 2>&1) ||
  { cat "$place/said" >&2; echo "The package's command line failed" >&2; exit 1; }
reports=("$app/User Results"/FRWb_*.txt)
[ -f "${reports[0]}" ] || { cat "$place/said" >&2; echo "No report was archived" >&2; exit 1; }

echo "Package: the window of the unpacked program, a picture of each tab"
out="$build/screenshots-wine"
rm -rf "$out"
mkdir -p "$out"
(cd "$app" && FRAMEWISE_SCREENSHOTS="$(wine winepath -w "$out" 2>/dev/null | tr -d '\r')" \
  timeout 300 wine framewise.exe >/dev/null 2>&1) || { echo "The package's window failed" >&2; exit 1; }
for tab in 1-main 2-custom-config 3-compile-results 4-advanced 5-about-help 6-excel-panel; do
  [ -s "$out/$tab.png" ] || { echo "The window saved no picture $tab.png" >&2; exit 1; }
done
echo "Package: $zip runs from $app"
