#!/usr/bin/env bash
# Builds Kelvo's Debian package the Debian way (dpkg-buildpackage over
# debian/) and checks it with lintian, which must find no error and no
# warning. The build runs in a copy of the sources, so the tree stays as it
# is. Prints, alone on stdout, the folder that holds kelvo_VERSION_ARCH.deb and
# its debug symbols: KELVO_PACKAGE_DIR, or build-deb/ in the sources.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${KELVO_PACKAGE_DIR:-$root/build-deb}
# shellcheck source=scripts/packages.sh
source "$root/scripts/packages.sh"

# The packaging tools, and what the build needs (debian/control names the
# same from run_packages).
"$root/scripts/install-packages.sh" "${package_packages[@]}" "${run_packages[@]}" >&2
# ccache, where it is installed, for the package's build too.
# shellcheck source=scripts/lib/builds.sh
source "$root/scripts/lib/builds.sh"

version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
arch=$(dpkg-architecture -q DEB_HOST_ARCH)
sources=$out/kelvo-$version
mkdir -p "$out"
rm -rf "$sources" "$out"/kelvo_"$version"_* "$out"/kelvo-dbgsym_"$version"_*
mkdir "$sources"
# The sources without the build folders, nor what a build in the tree left.
tar -C "$root" --exclude-vcs --exclude='./build*' --exclude='./obj-*' --exclude=./.cache \
  --exclude=__pycache__ --exclude=./debian/kelvo --exclude=./debian/tmp \
  --exclude=./debian/.debhelper --exclude=./debian/files --exclude='./debian/*.substvars' \
  --exclude=./debian/debhelper-build-stamp -cf - . | tar -C "$sources" -xf -

(cd "$sources" && dpkg-buildpackage -us -uc -b -jauto) >&2
rm -rf "$sources"
deb=$out/kelvo_${version}_$arch.deb
[ -f "$deb" ] || { echo "dpkg-buildpackage made no $deb" >&2; exit 1; }
ls "$out"/kelvo-dbgsym_"$version"_"$arch".deb >/dev/null

lintian --fail-on error,warning "$out/kelvo_${version}_$arch.changes" >&2
echo "$out"
