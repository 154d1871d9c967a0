#!/usr/bin/env bash
# Installs the Signal K server that the tests start (npm package
# signalk-server, pinned) into the user's cache folder, from the npm
# registry by package name. Does nothing when that version is there.
#
# The tests find it through the environment variable VANEHOLD_SIGNALK_SERVER
# or, when that is unset, the CMake cache variable of the same name; both
# name the package folder (.../node_modules/signalk-server). This script
# prints that folder as its last line.
set -euo pipefail

version=2.23.0
cache="${XDG_CACHE_HOME:-$HOME/.cache}/vanehold/signalk-server-$version"
package="$cache/node_modules/signalk-server"

installed_version() {
  [ -f "$package/package.json" ] || return 1
  node -p 'require(process.argv[1]).version' "$package/package.json" 2>/dev/null
}

if [ "$(installed_version || true)" != "$version" ]; then
  if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
    echo "install-signalk.sh: node and npm are needed (Debian packages nodejs, npm)" >&2
    exit 1
  fi
  echo "Installing signalk-server $version into $cache"
  mkdir -p "$cache"
  # A folder of its own with an empty manifest, so that npm neither climbs
  # to a project above nor writes into one.
  [ -f "$cache/package.json" ] || echo '{"private": true}' >"$cache/package.json"
  (cd "$cache" && npm install --no-audit --no-fund --omit=dev --save-exact "signalk-server@$version")
  if [ "$(installed_version || true)" != "$version" ]; then
    echo "install-signalk.sh: signalk-server $version did not install into $cache" >&2
    exit 1
  fi
fi
echo "$package"
