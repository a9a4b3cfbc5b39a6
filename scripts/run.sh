#!/usr/bin/env bash
# Installs what is missing, builds, and runs the reference host on its
# built-in voyage. Arguments are passed to plotrex-host.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
BUILD_DIR=build scripts/build.sh
exec build/bin/plotrex-host "$@"
