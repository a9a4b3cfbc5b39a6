#!/usr/bin/env bash
# The instruction-count gate judged against made-up figures in one run: far
# below the counts (a rise) fails and names the frame and how to rewrite the
# figures; far above (a fall) passes and asks for lower figures; a frame
# without a figure fails. --update then writes figures the gate passes.
# Argument: the build folder.
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $1"$'\n'"$output"
  failures=$((failures + 1))
}

{
  echo "profile-full 1"
  echo "profile-steady 1000000000000"
  echo "pixel-full 1"
  echo "pixel-steady 1000000000000"
  echo "echo-pane-full 1000000000000"
  echo "echo-pane-steady 1000000000000"
  echo "echo-pane-varying-full 1000000000000"
} >"$work/figures"
output=$(BUILD_DIR=$build FRAME_COUNTS_FIGURES=$work/figures "$here/scripts/frame_counts.sh" 2>&1)
status=$?
[ "$status" = 1 ] || fail "status $status for counts above their figures, expected 1"
for frame in profile-full pixel-full; do
  grep -q "$frame takes .* more instructions than its figure" <<<"$output" ||
    fail "the rise of $frame was not told"
done
grep -q "echo-pane-varying-steady has no figure" <<<"$output" || fail "a missing figure was not told"
grep -q "profile-steady fell by more than 10 %" <<<"$output" || fail "a fall was not told"
grep -q "rewrite the figures with scripts/frame_counts.sh --update" <<<"$output" ||
  fail "how to update the figures was not told"
if grep -q "echo-pane-full .*more instructions" <<<"$output"; then
  fail "a fall was taken for a rise"
fi

output=$(BUILD_DIR=$build FRAME_COUNTS_FIGURES=$work/figures "$here/scripts/frame_counts.sh" --update 2>&1) ||
  fail "--update failed"
grep -q "^pixel-steady [0-9]\+$" "$work/figures" || fail "--update did not write the counts"
output=$(BUILD_DIR=$build FRAME_COUNTS_FIGURES=$work/figures "$here/scripts/frame_counts.sh" 2>&1) ||
  fail "the counts of one run did not pass against the figures of another"
exit $((failures > 0))
