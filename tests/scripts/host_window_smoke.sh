#!/usr/bin/env bash
# Opens the host's real window under a virtual X server in the profile view,
# cycles once through the three display modes back to it, turns the mouse wheel
# over the view once (toward the user: zoom out one level), fixes the
# set-square with a right-click, and checks that the level changed, that the
# summary tells what lies under the set-square and that the program closed
# cleanly on its own.
set -euo pipefail
bin=$1
work=$2
rm -rf "$work"
mkdir -p "$work"
if ! command -v xvfb-run >/dev/null || ! command -v xdotool >/dev/null; then
  echo "xvfb-run and xdotool are needed" >&2
  exit 1
fi
set +e
xvfb-run -a -s "-screen 0 1600x900x24" bash -c '
  bin=$0 work=$1
  "$bin/plotrex-host" --window --duration 8 --mode profile --profile "$work/profile.ini" --out "$work/pictures" \
      >"$work/out.txt" 2>"$work/err.txt" &
  host=$!
  id=
  for _ in $(seq 100); do
    id=$(xdotool search --name "^Plotrex" 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then echo "the window did not open" >&2; kill $host; exit 1; fi
  sleep 1.5
  # Three modes round to the profile, and the shares of view and chart swapped and back.
  for key in m m m s s; do
    xdotool key --window "$id" $key
    sleep 0.4
  done
  # The echogram read otherwise: the next colour scale, its bar hidden, gain and threshold up.
  for key in k b g t; do
    xdotool key --window "$id" $key
    sleep 0.2
  done
  xdotool mousemove --window "$id" 500 300
  sleep 0.3
  xdotool click 5
  sleep 0.3
  xdotool click 3
  wait $host
' "$bin" "$work"
rc=$?
set -e
cat "$work/out.txt" "$work/err.txt" 2>/dev/null || true
if [ $rc -ne 0 ]; then
  echo "plotrex-host --window ended with $rc" >&2
  exit 1
fi
grep -q "View: - level 8 " "$work/out.txt" || { echo "the wheel did not zoom out to level 8" >&2; exit 1; }
grep -q "Under the anchor: .*, depth [0-9.]* m" "$work/out.txt" ||
  { echo "the summary does not tell what lies under the set-square" >&2; exit 1; }
grep -q "Echogram: viridis colours, colour bar hidden, gain set, threshold set" "$work/out.txt" ||
  { echo "the keys k, b, g and t did not change how the echogram is read" >&2; exit 1; }
grep -q "ORGANIZER_LEVEL" "$work/profile.ini" || { echo "the layout was not saved" >&2; exit 1; }
echo "window smoke test passed"
