#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed program,
# then makes the Debian packages, checks their files and fields, has lintian
# (pedantic) and the desktop validators look at them, installs them into a
# scratch root and removes them again. Arguments: build folder, scratch
# folder, library folder, version, configuration, probe, the library's
# version and SONAME version.
set -euo pipefail
build=$1 lib=$3 version=$4 config=$5 probe=$6 libversion=$7 soversion=$8
rm -rf "$2"
mkdir -p "$2"
work=$(realpath "$2")
arch=$(dpkg --print-architecture)
fail() { echo "$*"; exit 1; }
same() { diff <(sort <<<"$2") <(sort <<<"$3") || fail "$1: differs (< found, > expected)"; }
docs() { printf 'share/doc/%s/copyright\nshare/doc/%s/changelog.gz\n' "$1" "$1"; }

[ "$lib" = "lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)" ] || fail "library folder $lib is not the multiarch one"
program=$(printf '%s\n' bin/vanehold share/applications/vanehold.desktop \
  share/metainfo/io.github.vanehold.Vanehold.metainfo.xml share/man/man1/vanehold.1.gz \
  share/icons/hicolor/scalable/apps/vanehold.svg share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/vanehold.png \
  "share/vanehold/polars/Fast Sled 60ft.pol" share/lintian/overrides/vanehold; docs vanehold)
library=$(printf '%s\n' "$lib/libtrendscope.so.$soversion" "$lib/libtrendscope.so.$libversion" \
  "share/lintian/overrides/libtrendscope$soversion"; docs "libtrendscope$soversion")
dev=$(printf '%s\n' "$lib"/libtrendscope.so "$lib"/cmake/TrendScope/TrendScope{Config,ConfigVersion,Targets,Targets-$config}.cmake \
  include/TrendScope/{ChartClock,ChartTime,ChartTypes,TrendScope,trendscope_export}.h; docs libtrendscope-dev)

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
same "installed files" "$(cd "$prefix" && find . ! -type d | cut -c3-)" "$program"$'\n'"$library"$'\n'"$dev"
for header in "$prefix"/include/TrendScope/*.h; do
  [ "$(head -1 "$header")" = "// SPDX-License-Identifier: MIT" ] || fail "$header: no licence line first"
done
for file in "$prefix/bin/vanehold" "$prefix/$lib/libtrendscope.so.$libversion"; do
  ! readelf -d "$file" | grep -E 'RPATH|RUNPATH' || fail "$file keeps a search path"
  readelf -d "$file" | grep -q 'FLAGS.*NOW' || fail "$file is not bound at start-up"
  readelf -lW "$file" | grep -q GNU_RELRO || fail "$file has no read-only relocations"
done
[ "$(readelf -d "$prefix/$lib/libtrendscope.so.$libversion" | sed -n 's/.*Library soname: \[\(.*\)\]/\1/p')" = "libtrendscope.so.$soversion" ] ||
  fail "SONAME is not libtrendscope.so.$soversion"

# Without a search path of its own the program finds the library where the
# loader is told; an installed system has it in the multiarch folder.
export LD_LIBRARY_PATH=$prefix/$lib
same --version "$("$prefix/bin/vanehold" --version)" "Vanehold $version"
# The same options, with the same value names, in --help and the manual.
manual=$prefix/share/man/man1/vanehold.1.gz
same "--help against the manual's OPTIONS" \
  "$("$prefix/bin/vanehold" --help | sed -n 's/^  \(-[a-z], \)\?\(--[a-z-]*\)\( <\([A-Z]*\)>\)\?  .*/\2 \4/p')" \
  "$(zcat "$manual" | sed -n '/^\.SH OPTIONS/,/^\.SH /{/^\.TP/{n;s/\\-/-/g;s/.*\(--[a-z-]*\)\( " \([A-Z]*\)"\)\?$/\1 \3/p}}')"
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' man --warnings -E UTF-8 -l -Tutf8 -Z "$manual" 2>&1 >/dev/null) || fail "man: $warnings"
[ -z "$warnings" ] || fail "man page warnings: $warnings"
MANWIDTH=80 man -l "$manual" | grep -q "^EXIT STATUS" || fail "man -l does not show the manual page"
zcat "$manual" | grep -q "^\.TH VANEHOLD 1 .* \"Vanehold $version\"" || fail "the manual page is not of version $version"
desktop-file-validate "$prefix/share/applications/vanehold.desktop"
# The metainfo, and that its menu entry and icon are there; warnings fail.
appstreamcli validate-tree --no-net --strict --explain "$prefix"
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/io.github.vanehold.Vanehold.metainfo.xml" ||
  fail "the metainfo's newest release is not $version"
for size in 16 22 24 32 48 64 128 256; do
  file "$prefix/share/icons/hicolor/${size}x$size/apps/vanehold.png" | grep -q "PNG image data, $size x $size," ||
    fail "the ${size}x$size icon is not a PNG of that size"
done
for package in vanehold "libtrendscope$soversion" libtrendscope-dev; do
  [ "$(zcat "$prefix/share/doc/$package/changelog.gz" | dpkg-parsechangelog -l- -SVersion)" = "$version" ] ||
    fail "the changelog's newest entry is not $version"
done

# Closes by itself after a few seconds and saves its settings, never into bin/.
XDG_CONFIG_HOME=$work/config "$prefix/bin/vanehold" --simulate --screenshot "$work/window.png"
test -f "$work/config/Vanehold/Vanehold.ini"
test ! -e "$prefix/bin/Vanehold.ini"
cp "$probe" "$prefix/bin/"
same "default polar" "$("$prefix/bin/${probe##*/}")" \
  "$prefix/share/vanehold/polars/Fast Sled 60ft.pol"$'\n'"2.5"
unset LD_LIBRARY_PATH

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/debs" >/dev/null
debs=("$work/debs/vanehold_${version}_$arch.deb" "$work/debs/libtrendscope${soversion}_${version}_$arch.deb"
  "$work/debs/libtrendscope-dev_${version}_$arch.deb")
check() { # package, its files under /usr, section, Multi-Arch, names its Depends must hold
  local deb=$work/debs/$1_${version}_$arch.deb
  same "$1 files" "$(dpkg-deb -c "$deb" | grep -v '^d' | sed 's/ -> .*//; s|^.* \./usr/||')" "$2"
  same "$1 fields" "$(dpkg-deb -f "$deb" Package Version Section Multi-Arch)" \
    "Package: $1"$'\n'"Version: $version"$'\n'"Section: $3${4:+$'\n'Multi-Arch: $4}"
  local depends && depends=$(dpkg-deb -f "$deb" Depends | sed 's/, /\n/g')
  for name in "${@:5}"; do
    grep -qxF "$name" <<<"$depends" || grep -q "^$name (" <<<"$depends" || fail "$1 lacks $name"
  done
  # Removing a package leaves nothing behind only when it has no scripts
  # to run after removal; the library cache is refreshed by a trigger.
  local control=$'control\nmd5sums'
  [ "$1" != "libtrendscope$soversion" ] || control+=$'\nshlibs\ntriggers'
  same "$1 control files" "$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -v '/$' | sed 's|^\./||')" "$control"
}
check vanehold "$program" misc "" "libtrendscope$soversion (= $version)" qt6-qpa-plugins libqt6widgets6 libqt6serialport6 libc6
check "libtrendscope$soversion" "$library" libs same libqt6widgets6 libc6
check libtrendscope-dev "$dev" libdevel same "libtrendscope$soversion (= $version)" qt6-base-dev
same shlibs "$(dpkg-deb -I "${debs[1]}" shlibs)" "libtrendscope $soversion libtrendscope$soversion (>= $version)"
same triggers "$(dpkg-deb -I "${debs[1]}" triggers)" "activate-noawait ldconfig"
for deb in "${debs[@]}"; do
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$work" --wildcards '*/changelog.gz' '*/copyright'
  cmp "$work/usr/share/doc/$(dpkg-deb -f "$deb" Package)/copyright" "${BASH_SOURCE%/*}/../../packaging/copyright"
done

# Everything lintian finds is shown (nothing, as the packages override what
# it says that is not so, with the reasons); an error or a warning fails.
lintian --pedantic --display-info --display-experimental --fail-on error,warning "${debs[@]}" ||
  fail "lintian finds errors or warnings in the packages"

# Installed with dpkg into a root of their own (their Qt dependencies are
# the build machine's): the program runs, and removing the packages leaves
# neither files nor state. (tests/chart builds programs against the -dev
# files.)
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status" "$root/var/lib/dpkg/available"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(fakeroot)
dpkg_root() { "${as_root[@]}" dpkg --root="$root" --log=/dev/null --force-depends "$@"; }
installing=$(dpkg_root -i "${debs[@]}" 2>&1) || fail "$installing"
same "installed packages" "$(dpkg_root -l | awk '/^ii/{print $2}' | sed 's/:.*//')" \
  "$(printf '%s\n' vanehold "libtrendscope$soversion" libtrendscope-dev)"
same "--version of the package" "$(LD_LIBRARY_PATH=$root/usr/$lib "$root/usr/bin/vanehold" --version)" "Vanehold $version"
dpkg_root -r libtrendscope-dev vanehold "libtrendscope$soversion" >/dev/null
same "packages left after removal" "$(dpkg_root -l | awk '/^[a-z][a-z] /{print $1, $2}')" ""
same "files left after removal" "$(cd "$root" && find . -mindepth 1 ! -path './var*')" ""
