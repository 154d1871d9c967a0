#!/usr/bin/env bash
# Installs the Debian 12 packages the build, the tests and the benchmarks
# need, then the Signal K server the tests start (install-signalk.sh). Does
# nothing when they are all present; runs apt-get update once before
# installing otherwise.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev qt6-svg-dev qt6-qpa-plugins
  qt6-websockets-dev
  libbenchmark-dev
  fonts-dejavu-core
  # zone data: the chart's local clock is tested in a zone with clock changes
  tzdata
  xvfb xauth
  # cpack -G DEB: dpkg-shlibdeps and file
  dpkg-dev file
  # The package tests: lintian, the AppStream and menu entry validators, man
  # for the manual page, fakeroot to install into a scratch root unprivileged
  lintian appstream desktop-file-utils man-db groff-base fakeroot
)
# The Signal K server of the tests runs on the machine's Node (20 or later).
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  packages+=(nodejs npm)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -ne 0 ]; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
  fi
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

"$root/scripts/install-signalk.sh" >/dev/null
