#!/usr/bin/env bash
# Installs what running needs, builds the reference host with what it loads
# (the module, its libraries, the unit converter, the user-message library
# and the sounder; no tests or benchmarks), and runs it on its built-in
# voyage. Arguments are passed to plotrex-host.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh run
# A build folder the tests were configured in stays as it is; a new one
# leaves them out, and with them GoogleTest and Benchmark.
args=()
[ -f build/CMakeCache.txt ] || args+=(-DPLOTREX_TESTS=OFF)
BUILD_DIR=build BUILD_TARGETS=plotrex-host scripts/build.sh "${args[@]}"
exec build/bin/plotrex-host "$@"
