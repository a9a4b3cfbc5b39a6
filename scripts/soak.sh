#!/usr/bin/env bash
# Soak: the host's real window under a virtual X server, the built-in voyage
# sailing with the sounder pinging, driven by random keys, clicks, drags and
# wheel turns for SOAK_SECONDS (default 60). Fails on any sanitizer report of
# the build (AddressSanitizer, UndefinedBehaviorSanitizer, ThreadSanitizer
# with the system libraries' own reports suppressed), on a crash, and when the
# resident memory grows after the first minute by more than SOAK_GROWTH_MB
# (default 40) in a run of three minutes or more.
#   SOAK_SECONDS=600 scripts/soak.sh [BIN_DIR]   (default: build-asan/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
if [ ! -x "${1:-build-asan/bin}/plotrex-host" ]; then
  echo "soak: no plotrex-host in ${1:-build-asan/bin} (build it first)" >&2
  exit 2
fi
bin=$(cd "${1:-build-asan/bin}" && pwd)
seconds=${SOAK_SECONDS:-60}
growth_mb=${SOAK_GROWTH_MB:-40}
work=${SOAK_WORK:-$bin/../soak}
if ! [[ $seconds =~ ^[0-9]+$ ]] || [ "$seconds" -lt 20 ]; then
  echo "soak: SOAK_SECONDS must be a whole number of seconds, at least 20" >&2
  exit 2
fi
for tool in xvfb-run xdotool; do
  command -v $tool >/dev/null || { echo "soak: $tool is needed" >&2; exit 2; }
done
rm -rf "$work"
mkdir -p "$work"
: >"$work/rss.txt"
# The voyage lasts longer than the soak: the sounder pings until the end.
speed=$(( 14000 / seconds ))
[ "$speed" -ge 1 ] || speed=1

# Leaks of SDL's and Mesa's loaded-and-unloaded libraries cannot be named;
# reports of our code stop the program at once.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=0:exitcode=86"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:exitcode=87"
export TSAN_OPTIONS="suppressions=$root/tests/tsan.supp:halt_on_error=1:exitcode=88:second_deadlock_stack=1"
export FONTCONFIG_FILE=$root/tests/fonts.conf

set +e
xvfb-run -a -s "-screen 0 1280x800x24" bash -c '
  bin=$0 work=$1 seconds=$2 speed=$3
  "$bin/plotrex-host" --window --duration "$seconds" --speed "$speed" --mode echogram \
      --profile "$work/profile.ini" --out "$work/pictures" >"$work/out.txt" 2>"$work/err.txt" &
  host=$!
  id=
  for _ in $(seq 300); do
    id=$(xdotool search --name "^Plotrex" 2>/dev/null | head -n 1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  if [ -z "$id" ]; then echo "soak: the window did not open" >&2; kill $host; wait $host; exit 1; fi
  start=$SECONDS
  next=10
  # Everything a user presses but Escape (which ends the session).
  keys=(m m n l o i s plus minus Up Down Left Right c f p 1 2 3 4 5 6 7 8 k b g h t r space
        bracketleft bracketright comma period Home End)
  while kill -0 $host 2>/dev/null; do
    case $((RANDOM % 6)) in
      0|1) xdotool key --window "$id" "${keys[RANDOM % ${#keys[@]}]}" ;;
      2) xdotool mousemove --window "$id" $((RANDOM % 1200)) $((RANDOM % 760)) click $((RANDOM % 2 ? 4 : 5)) ;;
      3) xdotool mousemove --window "$id" $((RANDOM % 1200)) $((RANDOM % 760)) mousedown 1 \
           mousemove --window "$id" $((RANDOM % 1200)) $((RANDOM % 760)) sleep 0.3 mouseup 1 ;;
      4) xdotool mousemove --window "$id" $((RANDOM % 1200)) $((RANDOM % 760)) click 3 ;;
      5) sleep 0.2 ;;
    esac
    sleep 0.0$((RANDOM % 9 + 1))
    if [ $((SECONDS - start)) -ge $next ]; then
      rss=$(awk "/^VmRSS/ {print \$2}" /proc/$host/status 2>/dev/null)
      [ -n "$rss" ] && echo "$next $rss" >>"$work/rss.txt"
      next=$((next + 10))
    fi
  done 2>/dev/null
  wait $host
' "$bin" "$work" "$seconds" "$speed"
rc=$?
set -e
if grep -qE "ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer|ERROR: LeakSanitizer" \
    "$work/err.txt"; then
  grep -E -A30 "ERROR: AddressSanitizer|runtime error:|WARNING: ThreadSanitizer" "$work/err.txt" | head -n 80 >&2
  echo "soak: a sanitizer report (all of it in $work/err.txt)" >&2
  exit 1
fi
if [ $rc -ne 0 ]; then
  tail -n 20 "$work/err.txt" >&2
  echo "soak: plotrex-host --window ended with $rc" >&2
  exit 1
fi
grep -q "^Sounder: [1-9]" "$work/out.txt" || { cat "$work/out.txt" >&2; echo "soak: the sounder did not ping" >&2; exit 1; }
# The resident set swings by a hundred megabytes as the voyage restarts and
# the sanitizers' quarantine turns over: the medians of the second minute's
# readings and of the last minute's are compared, not two single readings.
median() { sort -n | awk '{v[NR] = $1} END {if (NR) print v[int((NR + 1) / 2)]}'; }
lastAt=$(tail -n 1 "$work/rss.txt" | awk '{print $1}')
first=$(awk '$1 > 60 && $1 <= 120 {print $2}' "$work/rss.txt" | median)
last=$(awk -v end="${lastAt:-0}" '$1 > end - 60 {print $2}' "$work/rss.txt" | median)
echo "soak: ${seconds} s, $(grep -c . "$work/rss.txt") memory samples; resident (median) in the second" \
  "minute: ${first:-?} kB, in the last: ${last:-?} kB"
if [ "$seconds" -ge 180 ] && [ -n "$first" ] && [ -n "$last" ] &&
   [ $((last - first)) -gt $((growth_mb * 1024)) ]; then
  echo "soak: memory grew by $(( (last - first) / 1024 )) MB after the first minute" >&2
  exit 1
fi
echo "soak passed"
