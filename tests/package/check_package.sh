#!/usr/bin/env bash
# Installs the build into a scratch prefix and runs the installed program,
# then makes the Debian packages and checks their files and fields. Arguments:
# build folder, scratch folder, library folder, version, configuration, probe.
set -euo pipefail
build=$1 lib=$3 version=$4 config=$5 probe=$6
rm -rf "$2"
mkdir -p "$2"
work=$(realpath "$2")
program=$(printf '%s\n' bin/vanehold share/applications/vanehold.desktop \
  share/icons/hicolor/scalable/apps/vanehold.svg "share/vanehold/polars/Fast Sled 60ft.pol")
library=$(printf '%s\n' "$lib"/libtrendscope.so.1{,.0.3})
dev=$(printf '%s\n' "$lib"/libtrendscope.so "$lib"/cmake/TrendScope/TrendScope{Config,ConfigVersion,Targets,Targets-$config}.cmake \
  include/TrendScope/{ChartClock,ChartTime,ChartTypes,TrendScope,trendscope_export}.h)
same() { diff <(sort <<<"$2") <(sort <<<"$3") || { echo "$1: differs (< found, > expected)"; exit 1; }; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
same "installed files" "$(cd "$prefix" && find . ! -type d | cut -c3-)" "$program"$'\n'"$library"$'\n'"$dev"
same --version "$("$prefix/bin/vanehold" --version)" "Vanehold $version"
"$prefix/bin/vanehold" --help | grep -q -- "--profile <PATH>"
# Closes by itself after a few seconds and saves its settings, never into bin/.
XDG_CONFIG_HOME=$work/config "$prefix/bin/vanehold" --simulate --screenshot "$work/window.png"
test -f "$work/config/Vanehold/Vanehold.ini"
test ! -e "$prefix/bin/Vanehold.ini"
cp "$probe" "$prefix/bin/"
same "default polar" "$("$prefix/bin/${probe##*/}")" \
  "$prefix/share/vanehold/polars/Fast Sled 60ft.pol"$'\n'"2.5"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/debs" >/dev/null
arch=$(dpkg --print-architecture)
check() { # package, its files under /usr, section, names its Depends must hold
  local deb=$work/debs/$1_${version}_$arch.deb
  same "$1 files" "$(dpkg-deb -c "$deb" | grep -v '^d' | sed 's/ -> .*//; s|^.* \./usr/||')" "$2"
  same "$1 fields" "$(dpkg-deb -f "$deb" Package Version Section)" "Package: $1"$'\n'"Version: $version"$'\n'"Section: $3"
  local depends && depends=$(dpkg-deb -f "$deb" Depends | sed 's/, /\n/g')
  for name in "${@:4}"; do
    grep -qxF "$name" <<<"$depends" || grep -q "^$name (" <<<"$depends" || { echo "$1 lacks $name"; exit 1; }
  done
}
check vanehold "$program" misc "libtrendscope1 (= $version)" qt6-qpa-plugins libqt6widgets6 libqt6serialport6
check libtrendscope1 "$library" libs libqt6widgets6
check libtrendscope-dev "$dev" libdevel "libtrendscope1 (= $version)" qt6-base-dev
same shlibs "$(dpkg-deb -I "$work/debs/libtrendscope1_${version}_$arch.deb" shlibs)" "libtrendscope 1 libtrendscope1 (>= $version)"
