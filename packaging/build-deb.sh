#!/usr/bin/env bash
# build-deb.sh — builds a release of Orbelune and packs it for Debian as
#   <source tree>/build-deb/orbelune_<version>_<arch>.deb
# from any working directory.  Prints the package's path last.
#
# The version is the one of project() in CMakeLists.txt; the package is a
# native one (no Debian revision), its changelog written from that version
# and dated by the last commit (or now, outside a git checkout).  The build
# uses Debian's hardening flags (dpkg-buildflags) and no test tool; the
# binaries are stripped as Debian's tools strip them, the dependencies are
# those dpkg-shlibdeps finds in them plus xdg-utils (the menu's opener),
# and libnotify-bin is recommended (desktop notifications of the launcher).
# Work files: build-deb/build (the build tree), build-deb/stage (the
# package's files).  Needs dpkg-dev and librsvg2-bin (scripts/setup.sh
# package installs them).
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$top"
source scripts/setup.sh package

maintainer="Orbelune developers <orbelune@example.org>"
version=$(sed -n 's/^project(orbelune VERSION \([0-9][0-9.]*\).*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "build-deb.sh : pas de version dans CMakeLists.txt" >&2; exit 1; }
arch=$(dpkg --print-architecture)
out="$top/build-deb"
build="$out/build" stage="$out/stage"
deb="$out/orbelune_${version}_${arch}.deb"
when=$(git -C "$top" log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH=$when

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
# Build type None: only the flags above (-O2, as Debian builds); assertions stay.
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_INSTALL_PREFIX=/usr \
  -DORBELUNE_TESTS=OFF -DORBELUNE_BENCH=OFF -DORBELUNE_SANITIZE=OFF -DORBELUNE_FUZZ=OFF \
  -DORBELUNE_FRAME_BENCH=OFF -DORBELUNE_WINDOW=ON \
  -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build "$build" -j 2
rm -rf "$stage"
DESTDIR="$stage" cmake --install "$build" >/dev/null
[ -e "$stage/usr/lib/orbelune/simulgrav" ] || { echo "build-deb.sh : le programme fenêtre n'a pas été construit" >&2; exit 1; }

cd "$stage"
for exe in usr/lib/orbelune/simulgrav usr/bin/orbelune-trace; do
  strip --remove-section=.comment --remove-section=.note "$exe"
done
# Debian wants manual pages compressed, without a time stamp in the header.
find usr/share/man -name '*.1' -exec gzip -9n {} +
doc=usr/share/doc/orbelune
mkdir -p "$doc"
cp "$top/packaging/copyright" "$doc/copyright"
{
  printf 'orbelune (%s) unstable; urgency=medium\n\n' "$version"
  printf '  * Release %s.\n\n' "$version"
  printf ' -- %s  %s\n' "$maintainer" "$(LC_ALL=C date -u -R -d "@$when")"
} | gzip -9n > "$doc/changelog.gz"
mkdir -p usr/share/lintian/overrides
cp "$top/packaging/lintian-overrides" usr/share/lintian/overrides/orbelune
find . -type d -exec chmod 0755 {} +
find . -type f -exec chmod go-w {} +
find . -exec touch -h -d "@$when" {} +

# Dependencies of the binaries, as dpkg-shlibdeps reads them from a source
# package's control file.
mkdir -p "$out/shlibs/debian" DEBIAN
printf 'Source: orbelune\n\nPackage: orbelune\nArchitecture: any\n' > "$out/shlibs/debian/control"
shlibs=$(cd "$out/shlibs" && dpkg-shlibdeps -O "$stage/usr/lib/orbelune/simulgrav" "$stage/usr/bin/orbelune-trace" \
  | sed -n 's/^shlibs:Depends=//p')
size=$(du -sk --exclude=DEBIAN . | cut -f1)
cat > DEBIAN/control <<EOF
Package: orbelune
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $size
Depends: $shlibs, xdg-utils
Recommends: libnotify-bin
Section: science
Priority: optional
Description: interactive teaching simulator of gravity
 Orbelune shows up to fifteen bodies moving in a plane under their mutual
 Newtonian attraction, in a 3-D OpenGL window, with their trails and, on
 request, the areas swept from the central body (the law of areas).
 Fifteen prepared scenarios cover a shot, Kepler's laws, ellipses and
 hyperbolas, phasing, a Hohmann transfer, rendezvous and double and triple
 systems; a teacher writes others as short text files.  The program's
 texts are in French.
 .
 orbelune-trace runs a scenario without a window and prints the bodies'
 states as CSV, so a scenario can be checked before class.
EOF
find . -type f ! -path './DEBIAN/*' -printf '%P\0' | sort -z | xargs -0 md5sum > DEBIAN/md5sums
chmod 0644 DEBIAN/control DEBIAN/md5sums
cd "$top"
dpkg-deb -Zxz --root-owner-group --build "$stage" "$deb" >/dev/null
echo "$deb"
