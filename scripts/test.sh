#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: first the
# normal build, then the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer with a minute of the real window under random
# input, a short run of the fuzz targets, then the sounder
# thread tests and the window under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

BUILD_DIR=build scripts/build.sh
(cd build && ctest --output-on-failure -j "$jobs")

BUILD_DIR=build-asan scripts/build.sh -DCMAKE_BUILD_TYPE=Debug -DPLOTREX_BENCHMARKS=OFF \
  -DPLOTREX_SANITIZE=address,undefined
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs")
# The real window for a minute of random keys and mouse, the sounder pinging
# (scripts/soak.sh; SOAK_SECONDS=600 for the long soak).
SOAK_SECONDS=60 scripts/soak.sh build-asan/bin

# A short run of every fuzz target (libFuzzer with ASan+UBSan, built by clang).
scripts/fuzz.sh

# The tests of code that crosses threads live in folders named threads under
# tests/ (program test_threads, label "threads").
if [ -n "$(find tests -path '*/threads/*.cpp' -print -quit)" ]; then
  BUILD_DIR=build-tsan BUILD_TARGETS="test_threads plotrex-host" scripts/build.sh \
    -DCMAKE_BUILD_TYPE=Debug -DPLOTREX_BENCHMARKS=OFF -DPLOTREX_SANITIZE=thread
  (cd build-tsan && ctest --output-on-failure -j "$jobs" -L threads)
  # The window itself: the sounder's thread beside the interface's under
  # random input; the system libraries' own reports are in tests/tsan.supp.
  SOAK_SECONDS=40 scripts/soak.sh build-tsan/bin
fi
