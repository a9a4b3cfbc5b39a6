#!/usr/bin/env bash
# The frames' instruction counts, a gate that a noisy clock cannot fool: one
# frame of each kind counted under callgrind (build/bin/plotrex_frame_counts)
# and compared with the figures in bench/frame_counts.txt. A count more than
# 10 % above its figure fails; one more than 10 % below it asks for the
# figures to be lowered. With --update the figures are rewritten from this
# run (when a rise is meant, or after a fall). BUILD_DIR as in build.sh;
# FRAME_COUNTS_FIGURES names another figures file.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
figures=${FRAME_COUNTS_FIGURES:-bench/frame_counts.txt}
update=false
case "${1:-}" in
  "") ;;
  --update) update=true ;;
  *)
    echo "usage: scripts/frame_counts.sh [--update]" >&2
    exit 2
    ;;
esac
program=$build/bin/plotrex_frame_counts
if ! command -v valgrind >/dev/null || [ ! -x "$program" ]; then
  echo "frame counts: needs valgrind and $program (scripts/deps.sh test, then build)" >&2
  exit 1
fi

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# The tests' fonts, so that the labels are laid out the same on every machine;
# instrumented only around the frames.
export FONTCONFIG_FILE=$PWD/tests/fonts.conf
valgrind --tool=callgrind --instr-atstart=no --collect-atstart=no \
  --callgrind-out-file="$out/counts.%p" "$program" >"$out/names" 2>"$out/log" || {
  cat "$out/log" >&2
  echo "frame counts: $program failed under callgrind" >&2
  exit 1
}
# Each dump names its frame in its trigger and holds that frame's count.
measured=$(awk '
  /^desc: Trigger: Client Request: / { name = $5 }
  /^totals: / { if (name != "") print name, $2; name = "" }
' "$out"/counts.*.* | sort)
if [ "$(wc -l <<<"$measured")" -ne "$(wc -l <"$out/names")" ]; then
  echo "frame counts: expected the frames $(tr '\n' ' ' <"$out/names"), read:" >&2
  echo "$measured" >&2
  exit 1
fi

if $update; then
  {
    echo "# Instructions of one frame of each kind (scripts/frame_counts.sh --update)."
    echo "$measured"
  } >"$figures"
  echo "frame counts: $figures rewritten:"
  cat "$figures"
  exit 0
fi

status=0
while read -r name count; do
  figure=$(awk -v n="$name" '$1 == n { print $2 }' "$figures")
  if [ -z "$figure" ]; then
    echo "frame counts: $name has no figure in $figures" >&2
    status=1
    continue
  fi
  change=$(awk -v c="$count" -v f="$figure" 'BEGIN { printf "%+.1f", 100 * (c - f) / f }')
  printf '%-30s %14d  figure %14d  %6s %%\n' "$name" "$count" "$figure" "$change"
  if awk -v c="$count" -v f="$figure" 'BEGIN { exit !(c > 1.1 * f) }'; then
    echo "frame counts: $name takes $change % more instructions than its figure" >&2
    status=1
  elif awk -v c="$count" -v f="$figure" 'BEGIN { exit !(c < 0.9 * f) }'; then
    echo "frame counts: $name fell by more than 10 %: lower the figures" \
      "with scripts/frame_counts.sh --update and commit $figures"
  fi
done <<<"$measured"
if ((status)); then
  echo "frame counts: when the rise is meant, rewrite the figures with" \
    "scripts/frame_counts.sh --update and commit $figures, saying why" >&2
fi
exit $status
