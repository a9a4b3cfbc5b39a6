#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite: first the
# normal build and the frames' instruction counts, then the suite again under
# AddressSanitizer and UndefinedBehaviorSanitizer with a minute of the real
# window under random input, a short run of the fuzz targets, the sounder
# thread tests and the window under ThreadSanitizer, then the release builds:
# the Debian package (GCC), checked unpacked, and the libraries and host with
# clang.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh test
jobs=$(nproc)

BUILD_DIR=build scripts/build.sh -DPLOTREX_TESTS=ON
(cd build && ctest --output-on-failure -j "$jobs")
# The frames' instruction counts against their committed figures.
BUILD_DIR=build scripts/frame_counts.sh

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

# The package is made from a release build (GCC at -O3, which warns of more
# than the default build does), then unpacked and run.
rm -f build-package/plotrex_*.deb
BUILD_DIR=build-package scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DPLOTREX_TESTS=OFF
(cd build-package && cpack -G DEB >/dev/null)
deb=$(echo build-package/plotrex_*.deb)
scripts/check_package.sh "$deb"
# The check fails for a package without a library the host loads at run time.
for library in usr/lib/plotrex/bin/Converter.so usr/lib/plotrex/NORVANE/ZXNorvane.so; do
  if output=$(scripts/check_package.sh --without "$library" "$deb" 2>&1); then
    echo "package check: passed a package without /$library" >&2
    exit 1
  fi
  if ! grep -q "missing from the package: /$library" <<<"$output" ||
    ! grep -q "plotrex-host failed" <<<"$output"; then
    echo "$output" >&2
    echo "package check: did not tell that /$library is missing and the host fails without it" >&2
    exit 1
  fi
done

# The libraries and the host with the other compiler, in release.
BUILD_DIR=build-clang-release BUILD_TARGETS="plotrex-host plotrex-host-manpage" scripts/build.sh \
  -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DPLOTREX_TESTS=OFF
