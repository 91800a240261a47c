#!/usr/bin/env bash
# Installs, with apt-get, what is missing of one of two lists:
#   deps.sh tool [more packages...]  building and running the tool (scripts/try.sh)
#   deps.sh [test]                   that and everything the tests need (scripts/test.sh)
set -euo pipefail
tool_packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev libgl1-mesa-dev libxtst-dev libx11-dev libxcb1-dev
  libcli11-dev
  xdg-utils fonts-dejavu-core
)
# The real programs the tests run (the game, the spreadsheet, Wine), the test
# and benchmark libraries, the Windows cross compiler and the sanitizer build.
test_packages=(
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth locales
  g++-mingw-w64-x86-64-posix wine64 wine fonts-wine qt6-base-dev-tools
  openarena libgl1-mesa-dri libglx-mesa0
  libreoffice-calc python3-uno
  clang-14 libclang-rt-14-dev llvm-14
  debhelper dpkg-dev fakeroot lintian
)
list=${1:-test}
[ $# -gt 0 ] && shift
case "$list" in
  tool) packages=("${tool_packages[@]}" "$@") ;;
  test) packages=("${tool_packages[@]}" "${test_packages[@]}" "$@") ;;
  *) echo "usage: deps.sh [tool|test] [package...]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "These packages are missing: ${missing[*]}" >&2
      echo "Run this script as root, or install sudo, to have them installed." >&2
      exit 1
    fi
    sudo="sudo"
  fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
