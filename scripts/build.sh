#!/usr/bin/env bash
# Configures and builds into a build folder (default build/; BUILD_DIR and
# extra CMake arguments may be given; BUILD_TARGETS limits what is built). Uses ccache when the machine has it, so
# several work trees of one machine share their objects.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)}
  # Objects of another work tree are as good: paths are hashed from the base.
  export CCACHE_NOHASHDIR=1
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -G Ninja "${launcher[@]}" "$@" >/dev/null
cmake --build "$build" ${BUILD_TARGETS:+--target $BUILD_TARGETS}
