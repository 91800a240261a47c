#!/usr/bin/env bash
# What a user of the Debian package does: the package is built and installed,
# two ordinary users each run a whole benchmark with framewise-cli and open the
# window, and each finds their own settings and reports in their home while
# nothing under /usr changes; removing the package leaves their files. Needs
# root (dpkg, throwaway users); the machine is left as it was, also on failure.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
start=$SECONDS
fail() { echo "FAIL: $*" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || fail "needs root: it installs the package and adds two throwaway users"
[ -x "$build/sample-game/CoDMP.exe" ] || fail "no sample game install in $build (build first)"
dpkg-query -W -f='${Status}' framewise 2>/dev/null | grep -q "install ok installed" &&
  fail "framewise is installed already; this test installs and removes it"

work=$(mktemp -d /tmp/framewise-package-test.XXXXXX)
chmod 755 "$work"
users=(fwpkg1 fwpkg2)
cleanup() {
  dpkg -r framewise >/dev/null 2>&1 || true
  for u in "${users[@]}"; do
    if id "$u" >/dev/null 2>&1; then userdel --force --remove "$u" >/dev/null 2>&1 || true; fi
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# FRAMEWISE_DEB: a package built already, tested instead of building one.
if [ -n "${FRAMEWISE_DEB:-}" ]; then
  deb=$FRAMEWISE_DEB
else
  deb=$(bash "$root/scripts/package.sh" | tail -n 1)
  echo "built $(basename "$deb") in $((SECONDS - start)) s"
fi
case $(basename "$deb") in framewise_*_amd64.deb) ;; *) fail "unexpected file name $deb" ;; esac
# The dependencies are what dpkg-shlibdeps found in the programs: Qt for the
# window and its chart module, the C++ runtime for both.
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6charts6 libstdc++6 libxtst6; do
  grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

# lintian: no error. Its warnings are printed for the reader.
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" >"$work/lintian.txt" 2>&1 ||
  { cat "$work/lintian.txt" >&2; fail "lintian found errors"; }
sed 's/^/lintian: /' "$work/lintian.txt"

dpkg -i "$deb" >/dev/null
contents=$(dpkg -L framewise)
for f in /usr/bin/framewise /usr/bin/framewise-cli /usr/lib/framewise/framewise \
         /usr/lib/framewise/framewise-cli /usr/lib/framewise/framewise_chart.so \
         /usr/lib/framewise/Framewise_Guide.txt /usr/lib/framewise/system-wide \
         /usr/share/applications/framewise.desktop /usr/share/icons/hicolor/64x64/apps/framewise.png \
         /usr/share/man/man1/framewise.1.gz /usr/share/man/man1/framewise-cli.1.gz \
         /usr/share/bash-completion/completions/framewise-cli; do
  grep -qx "$f" <<<"$contents" || fail "the package does not install $f"
  [ -e "$f" ] || fail "$f missing after dpkg -i"
done
grep -q "User Results" <<<"$contents" && fail "the package installs a User Results folder"
listing() { find /usr/lib/framewise | sort; }
before=$(listing)

# Runs a command as user $1 in a clean login-like environment; more variables may follow.
as() {
  local u=$1; shift
  runuser -u "$u" -- env -i HOME="$(eval echo "~$u")" USER="$u" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}

declare -A dataOf
for u in "${users[@]}"; do
  useradd --create-home --home-dir "$work/home-$u" --shell /bin/bash "$u"
  home="$work/home-$u"
  cp -a "$build/sample-game" "$home/game"
  chown -R "$u:" "$home/game"
  # The first user keeps the usual folders; the second has XDG variables of their own.
  if [ "$u" = fwpkg1 ]; then
    xdg=()
    config="$home/.config/framewise"
    data="$home/.local/share/framewise"
  else
    xdg=(XDG_CONFIG_HOME="$home/conf" XDG_DATA_HOME="$home/share")
    config="$home/conf/framewise"
    data="$home/share/framewise"
  fi
  dataOf[$u]=$data
  # Before any run the archive is empty and its folders are made for the user.
  [ -z "$(as "$u" "${xdg[@]}" framewise-cli list)" ] || fail "$u: a new user's archive is not empty"
  [ -d "$config" ] && [ -d "$data/User Results" ] || fail "$u: the folders in $config and $data were not made"
  [ "$(stat -c %U "$data/User Results")" = "$u" ] || fail "$u: User Results not the user's own"
  # The game folder as the window remembers it (the window writes this file when
  # the user confirms the game); the command line must find it there.
  printf '%s/\r\n' "$home/game" >"$config/CoD_path.ini"
  chown "$u:" "$config/CoD_path.ini"
  as "$u" "${xdg[@]}" framewise-cli run --demo bench1 --levels normal --res 640x480 --runs 1 \
      --comment "user $u" --yes --wait >"$work/report-$u.txt" 2>"$work/run-$u.txt" ||
    { cat "$work/run-$u.txt" >&2; fail "$u: framewise-cli run --wait failed"; }
  grep -q "user $u" "$work/report-$u.txt" || fail "$u: the printed report lacks the comment"
  reports=("$data/User Results"/FRWb_*.txt)
  [ ${#reports[@]} -eq 1 ] && [ -f "${reports[0]}" ] || fail "$u: no archived report in $data/User Results"
  grep -q "user $u" "${reports[0]}" || fail "$u: the archived report is not this run's"
  [ "$(as "$u" "${xdg[@]}" framewise-cli list | cut -d' ' -f1)" = "$(basename "${reports[0]}")" ] ||
    fail "$u: framewise-cli list does not show the user's report"
  # The window opens on the same files: it finds the game without asking, and
  # saves a picture of each tab (the compile tab lists the archive) and quits.
  as "$u" "${xdg[@]}" FRAMEWISE_SCREENSHOTS="$home/shots" \
    timeout 60 xvfb-run -a -s "-screen 0 1280x1024x24" framewise >"$work/window-$u.txt" 2>&1 ||
    { cat "$work/window-$u.txt" >&2; fail "$u: the window did not open and close"; }
  [ -s "$home/shots/3-compile-results.png" ] || fail "$u: the window showed no tabs"
done

# Each user sees only their own report.
[ "$(as fwpkg1 framewise-cli list)" != "$(as fwpkg2 XDG_CONFIG_HOME="$work/home-fwpkg2/conf" \
      XDG_DATA_HOME="$work/home-fwpkg2/share" framewise-cli list)" ] ||
  fail "the two users share an archive"
# Nothing under /usr changed: the package's files are as installed, the program
# folder holds nothing more, and no file there belongs to a test user.
dpkg --verify framewise || fail "a file of the package changed"
[ "$(listing)" = "$before" ] || fail "files appeared beside the program: $(diff <(echo "$before") <(listing))"
[ -z "$(find /usr -xdev \( -user fwpkg1 -o -user fwpkg2 \) -print -quit)" ] ||
  fail "a test user wrote under /usr"

dpkg -r framewise >/dev/null
[ ! -e /usr/bin/framewise ] && [ ! -e /usr/lib/framewise ] || fail "dpkg -r left the program"
for u in "${users[@]}"; do
  compgen -G "${dataOf[$u]}/User Results/FRWb_*.txt" >/dev/null || fail "$u: the reports went with the package"
done
[ -f "$work/home-fwpkg1/.config/framewise/CoD_path.ini" ] || fail "the settings went with the package"
echo "package test ok in $((SECONDS - start)) s"
