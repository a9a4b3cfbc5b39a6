#!/usr/bin/env bash
# Configures and builds into a build folder (default build/; BUILD_DIR and
# extra CMake arguments may be given).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja "$@" >/dev/null
cmake --build "$build"
