#!/usr/bin/env bash
# Configures and builds everything into build/ (or $VANEHOLD_BUILD_DIR).
# Extra arguments go to the CMake configure step, e.g. -DVANEHOLD_SANITIZE=ON.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VANEHOLD_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja "$@"
cmake --build "$build"
