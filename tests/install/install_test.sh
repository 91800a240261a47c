#!/usr/bin/env bash
# cmake --install into a prefix of its own gives the program folder the tool
# expects, a menu entry and icon, and the installed program finds its guide.
set -euo pipefail
build=$1
# A fixed folder in the build tree, not a fresh temporary one: the programs run
# here leave their guard against a second copy in the user's guard folder, one
# file per program folder.
prefix="$build/install-test"
rm -rf "$prefix"
mkdir -p "$prefix"
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
fail() { echo "FAIL: $*"; exit 1; }
dir="$prefix/lib/framewise"
[ -x "$dir/framewise" ] || fail "program missing"
[ -f "$dir/Framewise_Guide.txt" ] || fail "guide missing"
[ -x "$dir/framewise-cli" ] || fail "command line program missing beside the window's"
[ "$(readlink -f "$prefix/bin/framewise-cli")" = "$(readlink -f "$dir/framewise-cli")" ] || fail "no framewise-cli link in bin"
[ -d "$dir/User Results" ] || fail "User Results missing"
[ -z "$(ls -A "$dir/User Results")" ] || fail "User Results not empty"
[ -f "$prefix/share/icons/hicolor/64x64/apps/framewise.png" ] || fail "icon missing"
desktop="$prefix/share/applications/framewise.desktop"
grep -qx "Exec=\"$dir/framewise\"" "$desktop" || fail "menu entry does not start the installed program"
grep -qx "Icon=framewise" "$desktop" || fail "menu entry has no icon"
cmp -s "$dir/Framewise_Guide.txt" "$(dirname "$0")/../../docs/Framewise_Guide.txt" || fail "guide differs"
out=$("$prefix/bin/framewise" --check-guide) || fail "installed program did not find its guide: $out"
[ "$out" = "$dir/Framewise_Guide.txt found" ] || fail "unexpected: $out"
# The installed program opens its window (offscreen) on a game install.
game="$prefix/game"
mkdir -p "$game/MAIN/demos"
: > "$game/CoDMP.exe"; : > "$game/MAIN/pak0.pk3"; : > "$game/MAIN/demos/bench1.dm_2"
printf '%s/\r\n' "$game" > "$dir/CoD_path.ini"
# The guard against a second copy is per install, so a copy of the tool the user
# has open elsewhere does not count as already running.
# The dynamic loader lists every library it loads; the start must load neither
# the chart module nor Qt Charts (they wait for the first chart) nor an image
# format plugin (the pictures are read without one).
loads="$prefix/loads.txt"
LD_DEBUG=files QT_QPA_PLATFORM=offscreen FRAMEWISE_SHOWN_AT=1 timeout 20 "$dir/framewise" 2>"$loads" \
  | grep -q '^shown_at_ns=' || fail "installed program did not open its window"
grep -q 'file=.*platforms/libqoffscreen' "$loads" || fail "the loader's list of loaded libraries is missing"
if grep -E 'file=.*(framewise_chart|Qt6Charts|/imageformats/)' "$loads" >&2; then
  fail "the start loaded what it should leave until needed (above)"
fi
# The command line shares the window's archive.
printf -- '--------------------- Framewise RESULTS ---------------------\r\n' > "$dir/User Results/FRWb_010203_040506.txt"
[ "$("$prefix/bin/framewise-cli" list | cut -d' ' -f1)" = "FRWb_010203_040506.txt" ] || fail "framewise-cli does not list the window's archive"
echo "install layout ok"
