#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang into build-fuzz/ and runs each one
# from its committed corpus: about 20 seconds each, or RUNS inputs each when
# given. Fails on the first finding, whose input is left in build-fuzz/findings/.
#   scripts/fuzz.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-}
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(cd .. && pwd)}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 "${launcher[@]}" >/dev/null
cmake --build build-fuzz

mkdir -p build-fuzz/findings
for fuzzer in build-fuzz/bin/*; do
  name=$(basename "$fuzzer")
  # New inputs go to a scratch corpus; the committed one stays as it is.
  scratch=build-fuzz/corpus/$name
  mkdir -p "$scratch"
  args=(-artifact_prefix="build-fuzz/findings/$name-" -print_final_stats=1 -max_len=2048)
  if [ -n "$runs" ]; then args+=(-runs="$runs"); else args+=(-max_total_time=20); fi
  if [ -f "fuzz/$name.dict" ]; then args+=(-dict="fuzz/$name.dict"); fi
  corpus=("$scratch")
  if [ -d "fuzz/corpus/$name" ]; then corpus+=("fuzz/corpus/$name"); fi
  echo "Fuzzing $name"
  if ! "$fuzzer" "${args[@]}" "${corpus[@]}" 2> "build-fuzz/$name.log"; then
    tail -n 40 "build-fuzz/$name.log" >&2
    echo "fuzz: $name found a failing input (build-fuzz/findings/)" >&2
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/$name.log" || true
done
