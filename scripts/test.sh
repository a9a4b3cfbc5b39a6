#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: first the
# normal build, then the suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, a short run of the fuzz targets, then the sounder
# thread tests under ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
jobs=$(nproc)

BUILD_DIR=build scripts/build.sh
(cd build && ctest --output-on-failure -j "$jobs")

BUILD_DIR=build-asan scripts/build.sh -DCMAKE_BUILD_TYPE=Debug -DPLOTREX_BENCHMARKS=OFF \
  -DPLOTREX_SANITIZE=address,undefined
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs")

# A short run of every fuzz target (libFuzzer with ASan+UBSan, built by clang).
scripts/fuzz.sh

# The tests of code that crosses threads live in folders named threads under
# tests/ (program test_threads, label "threads").
if [ -n "$(find tests -path '*/threads/*.cpp' -print -quit)" ]; then
  BUILD_DIR=build-tsan BUILD_TARGETS=test_threads scripts/build.sh -DCMAKE_BUILD_TYPE=Debug \
    -DPLOTREX_BENCHMARKS=OFF -DPLOTREX_SANITIZE=thread
  (cd build-tsan && ctest --output-on-failure -j "$jobs" -L threads)
fi
