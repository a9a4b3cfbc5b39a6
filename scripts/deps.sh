#!/usr/bin/env bash
# Installs the Debian 12 packages that building and running the host need
# (scripts/deps.sh, or scripts/deps.sh run) or, with "test", those the test
# suite adds: GoogleTest and Benchmark, clang for the fuzz targets and the
# second compiler's build, Xvfb and xdotool for the window tests, what
# makes the Debian package, and valgrind for the frames' instruction counts.
# Does nothing when they are all present. Another apt-get or dpkg at work (a
# second clone set up at the same time) is waited for, up to ten minutes,
# instead of failed on.
set -euo pipefail
run=(
  cmake ninja-build g++ pkg-config
  libsimpleini-dev libicu-dev libgdal-dev
  libcairo2-dev libpng-dev libpango1.0-dev libpixman-1-dev libsdl2-dev libfmt-dev libcli11-dev
  fonts-liberation2
)
test=(
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  xvfb xauth xdotool
  clang-14 libclang-rt-14-dev
  dpkg-dev file
  valgrind
)
case "${1:-run}" in
  run) packages=("${run[@]}") ;;
  test) packages=("${run[@]}" "${test[@]}") ;;
  *)
    echo "usage: scripts/deps.sh [run|test]" >&2
    exit 2
    ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]})) || exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
wait_seconds=600
apt_get() {
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=$wait_seconds "$@"
}
# The lock of the package lists has no timeout of its own: apt-get update is
# tried again while another one holds it.
for ((waited = 0; ; waited += 5)); do
  if output=$(apt_get update -qq 2>&1); then
    break
  fi
  if ! grep -q 'Could not get lock' <<<"$output" || ((waited >= wait_seconds)); then
    echo "$output" >&2
    exit 1
  fi
  ((waited % 60)) || echo "Waiting for another package manager to finish..." >&2
  sleep 5
done
apt_get install -y -qq --no-install-recommends "${missing[@]}"
