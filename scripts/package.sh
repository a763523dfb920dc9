#!/usr/bin/env bash
# Builds the Debian package and the portable tarball.
# Usage: scripts/package.sh [OUTDIR]     (default build-package/)
#   OUTDIR/tackedit_VERSION_amd64.deb
#   OUTDIR/tackedit-VERSION-linux-x86_64.tar.gz
set -euo pipefail
cd "$(dirname "$0")/.."
src=$PWD

scripts/install-deps.sh
mkdir -p "${1:-build-package}"
out=$(cd "${1:-build-package}" && pwd)
build=$out/build
stage=$out/stage

# The last commit's time stamps everything, so two runs on one tree give the same files.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || date +%s)}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$src} CCACHE_NOHASHDIR=1
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

# Debian's hardening flags; no debug info (it is stripped anyway) and no path
# mapping, which would defeat ccache across checkouts.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
drop_g() { sed -E 's/(^| )(-g|-ffile-prefix-map=[^ ]*)( |$)/ /g'; }
export CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS | drop_g) $(dpkg-buildflags --get CPPFLAGS)"
export CFLAGS="$(dpkg-buildflags --get CFLAGS | drop_g) $(dpkg-buildflags --get CPPFLAGS)"
export LDFLAGS="$(dpkg-buildflags --get LDFLAGS)"

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
      -DTACKEDIT_BUILD_TESTS=OFF -DTACKEDIT_PACKAGE_FILES=ON "${launcher[@]}" >/dev/null
cmake --build "$build" -j2 --target tackedit tackedit-cli tackvue-standin make-pictures package-files
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "package.sh: no project version in $build/CMakeCache.txt" >&2; exit 1; }

rm -rf "$stage"
root=$stage/deb
DESTDIR=$root cmake --install "$build" >/dev/null

# As dh_strip and dh_compress would.
for bin in "$root"/usr/bin/*; do
  strip --remove-section=.comment --remove-section=.note --strip-unneeded "$bin"
done
gzip -9n "$root"/usr/share/man/man1/*.1
# Photographs of the demo race, made here rather than kept in the tree (as run.sh does).
# The editor makes the workspace folders itself; an empty one would only be clutter.
find "$root/usr/share/tackedit/demo" -type d -empty -delete
mkdir -p "$root/usr/share/tackedit/demo/pic"
"$build/bench/make-pictures" "$root/usr/share/tackedit/demo/pic" 6 1600 1200 85 "2024:06:15 09:55:00" 720 >/dev/null

maintainer="tackedit maintainers <maintainers@users.noreply.c-seed-372c7167.example>"
doc=$root/usr/share/doc/tackedit
install -d "$doc"
install -m 644 packaging/copyright "$doc/copyright"
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
sed -e "s/@VERSION@/$version/" -e "s/@COMMIT@/$commit/" -e "s/@MAINTAINER@/$maintainer/" \
    -e "s/@DATE@/$(date -R -u -d "@$SOURCE_DATE_EPOCH")/" packaging/changelog.in | gzip -9n >"$doc/changelog.gz"

find "$root" -type d -exec chmod 755 {} +
find "$root" -type f -exec chmod 644 {} +
chmod 755 "$root"/usr/bin/*

# dpkg-shlibdeps wants a source tree with debian/control around the files it looks at.
shlib=$stage/shlibdeps
mkdir -p "$shlib/debian"
printf 'Source: tackedit\n\nPackage: tackedit\nArchitecture: amd64\n' >"$shlib/debian/control"
depends=$(cd "$shlib" && dpkg-shlibdeps -O "$root/usr/bin/tackedit" "$root/usr/bin/tackedit-cli" \
          "$root/usr/bin/tackvue-standin" 2>"$stage/shlibdeps.log" | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { cat "$stage/shlibdeps.log" >&2; echo "package.sh: dpkg-shlibdeps found nothing" >&2; exit 1; }

install -d "$root/DEBIAN"
installed_size=$(du -s --apparent-size --block-size=1024 --exclude=DEBIAN "$root" | cut -f1)
cat >"$root/DEBIAN/control" <<EOF
Package: tackedit
Version: $version
Architecture: amd64
Maintainer: $maintainer
Installed-Size: $installed_size
Depends: $depends
Recommends: chromium, ffmpeg, fonts-dejavu-core, fonts-ipafont-gothic, gmt, gmt-gshhg-full, qt6-wayland, xdg-utils
Suggests: firefox-esr | www-browser, wine
Section: science
Priority: optional
Description: sailing race data editor for the tackvue replay viewer
 tackedit prepares sailing-race data for replay. A race committee collects
 the GPS tracks recorded on the boats (GPX, NMEA 0183 logs, FIT, TCX, KML and
 KMZ files, logs of handheld units and tackedit's own compact TRB files),
 cleans them, compiles them into a race file and builds a folder that replays
 the races on another computer.
 .
 The package holds the editor (tackedit), its batch tool for the command line
 (tackedit-cli) and a stand-in for the tackvue viewer (tackvue-standin).
 GMT and its coastline data draw land in the replay; Chromium and FFmpeg
 make a video of it.
EOF
(cd "$root" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$root/DEBIAN/md5sums"
chmod 644 "$root/DEBIAN/control" "$root/DEBIAN/md5sums"
deb=$out/tackedit_${version}_amd64.deb
dpkg-deb --root-owner-group -Zxz --build "$root" "$deb" >/dev/null

# The portable folder: the programs with the demo workspace beside them.
name=tackedit-$version
folder=$stage/tar/$name
mkdir -p "$folder"
cp "$root/usr/bin/tackedit" "$root/usr/bin/tackedit-cli" "$folder/"
cp "$root/usr/bin/tackvue-standin" "$folder/tackvue.exe"
for sub in gpsdat raceadmin winddat attachment coastline pic ctrl distribution help vd HELP_EDITOR; do
  mkdir -p "$folder/$sub"
done
cp -r "$root/usr/share/tackedit/demo/." "$folder/"
packages=$(echo "$depends" | tr ',' '\n' | sed -E 's/\(.*\)//; s/\|.*//; s/ //g' | grep . | LC_ALL=C sort -u | tr '\n' ' ')
sed -e "s/@VERSION@/$version/g" -e "s/@PACKAGES@/${packages% }/" packaging/README.txt.in >"$folder/README.txt"
tarball=$out/$name-linux-x86_64.tar.gz
tar -C "$stage/tar" --sort=name --owner=0 --group=0 --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" -cf - "$name" \
  | gzip -9n >"$tarball"

echo "$deb"
echo "$tarball"
