#!/usr/bin/env bash
# Builds the Debian package framewise_<version>_<arch>.deb into the repository's
# folder, with dpkg-buildpackage on a copy of the sources (the checkout stays
# clean). Installing it: sudo apt-get install ./framewise_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
# What building a package needs, beside what the build needs, installed when missing.
bash scripts/deps.sh tool debhelper dpkg-dev fakeroot
version=$(sed -n 's/^project(Framewise VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
packaged=$(dpkg-parsechangelog -l debian/changelog -S Version)
if [ "$version" != "$packaged" ]; then
  echo "debian/changelog says $packaged, CMakeLists.txt says $version: add a changelog entry" >&2
  exit 1
fi
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
stage=${FRAMEWISE_PACKAGE_DIR:-$root/build-package}
src="$stage/framewise-$version"
rm -rf "$src"
mkdir -p "$src"
tar -C "$root" --exclude='./build*' --exclude='./obj-*' --exclude='./.git' \
    --exclude='./framewise_*' -cf - . | tar -C "$src" -xf -
(
  cd "$src"
  # -b: the binary package only; the build dependencies are checked.
  DEB_BUILD_OPTIONS="noddebs parallel=$(nproc) ${DEB_BUILD_OPTIONS:-}" \
    dpkg-buildpackage -b -us -uc >"$stage/build.log" 2>&1 ||
    { tail -n 40 "$stage/build.log" >&2; echo "dpkg-buildpackage failed; the whole log: $stage/build.log" >&2; exit 1; }
)
deb="framewise_${version}_${arch}.deb"
mv "$stage/$deb" "$root/$deb"
echo "$root/$deb"
