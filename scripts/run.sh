#!/usr/bin/env bash
# Builds the program and starts it on simulated instruments.
# Arguments go to the program instead of --simulate, e.g.
# scripts/run.sh --simulate --profile ~/boat.ini
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANEHOLD_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh"
if [ $# -eq 0 ]; then
  set -- --simulate
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting under Xvfb (xvfb-run)."
  exec xvfb-run -a "$build/app/vanehold" "$@"
fi
exec "$build/app/vanehold" "$@"
