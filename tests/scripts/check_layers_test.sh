#!/usr/bin/env bash
# The layer check on scratch trees, against the tree's own table: it refuses a
# host that reaches into the module and graph data that includes the layout,
# naming file, line, include and the row missing; it lets the host use the
# published interface from any subfolder; it stops at a folder the table does
# not know; and it refuses a table whose folders include each other unmarked.
set -uo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# file TREE PATH LINE...: writes the lines as the file PATH of scratch tree TREE.
file() {
  local tree=$1 path=$2
  shift 2
  mkdir -p "$(dirname "$work/$tree/$path")"
  printf '%s\n' "$@" > "$work/$tree/$path"
}

# expect TREE STATUS [TABLE] -- PATTERN...: the check of TREE ends with STATUS
# and says every PATTERN (extended regular expressions, one line each).
expect() {
  local tree=$1 status=$2 table=$here/cmake/layers.txt
  shift 2
  if [ "$1" != "--" ]; then table=$1; shift; fi
  shift
  local output actual
  output=$("$here/scripts/check_layers.sh" "$table" "$work/$tree" 2>&1)
  actual=$?
  if [ "$actual" != "$status" ]; then
    echo "FAIL $tree: status $actual, expected $status"$'\n'"$output"
    failures=$((failures + 1))
    return
  fi
  for pattern in "$@"; do
    if ! grep -Eq -- "$pattern" <<< "$output"; then
      echo "FAIL $tree: no line matches: $pattern"$'\n'"$output"
      failures=$((failures + 1))
    fi
  done
}

file host_reaches_in host/chart/HostChart.cpp '#include "host/chart/HostChart.h"' \
  '#include "module/ModuleDataPlotrexInterface.h"' '#include "layout/PlotrexOrganizer.h"'
file host_reaches_in host/app/HostSession.h '#include "module/ModuleDataPlotrex.h"'
file host_reaches_in host/Frame.h '#include "platform/HeadlessDesktopRecords.h"'
expect host_reaches_in 1 -- \
  '^host/chart/HostChart.cpp:3: #include "layout/PlotrexOrganizer.h": .*no row host \| layout' \
  '^host/app/HostSession.h:1: #include "module/ModuleDataPlotrex.h": .*host -> module allows @interface' \
  '^host/Frame.h:1: #include "platform/HeadlessDesktopRecords.h"'

file graphdata_includes_layout graphdata/PlotrexDataProfile.cpp \
  '#include "drawing/PlotrexDisplayProfile.h"' '  #  include "layout/LinearPixelProjection.h"'
expect graphdata_includes_layout 1 -- \
  '^graphdata/PlotrexDataProfile.cpp:2: #include "layout/LinearPixelProjection.h": .*no row graphdata \| layout'

file host_uses_published host/replay/Replay.cpp '#include <vector>' '#include "host/replay/Replay.h"' \
  '#include "module/ModuleDataPlotrexInterface.h"' '#include "module/CommandNames.h"' \
  '#include "module/GraphKeys.h"' '#include "platform/CWnd.h"' \
  '#include "hostfamily/displaylist/ChartProjection.h"' '#include "desktop/DXDesktopDeviceManager.h"'
file host_uses_published graphdata/PlotrexDataProfile.cpp '#include "drawing/PlotrexDisplayProfile.h"'
expect host_uses_published 0 -- '^layers: 7 includes of other folders in 2 files'

file new_folder newfolder/Thing.cpp '#include "hostfamily/Undefined.h"'
expect new_folder 1 -- '^newfolder/: a folder .* does not know: add rows'

file both_ways a/A.h '#include "b/B.h"'
file both_ways b/B.h '#include "a/A.h"'
printf '%s\n' 'a | b | ** | a uses b' 'b | a | *.h | two-way: b uses a' > "$work/both_ways.txt"
expect both_ways 1 "$work/both_ways.txt" -- 'a and b include each other .*mark both halves'

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "check_layers: every scratch tree judged as expected"
