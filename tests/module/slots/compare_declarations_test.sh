#!/usr/bin/env bash
# The comparison of the host's copy of the declarations with the published
# headers, on edited copies of both: it passes a copy written differently but
# declaring the same operations, and refuses swapped operations, a changed
# parameter type, an operation inserted into a header and a class no header
# defines.
#   compare_declarations_test.sh COPY HEADER...
set -uo pipefail
awk_program=$(dirname "$0")/compare_declarations.awk
copy=$1
shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

# expect NAME STATUS PATTERN COPY HEADER...: the comparison ends with STATUS
# and prints a line matching PATTERN.
expect() {
  local name=$1 status=$2 pattern=$3 output actual
  shift 3
  output=$(awk -f "$awk_program" "$@" 2>&1)
  actual=$?
  if [ "$actual" != "$status" ] || ! grep -Eq -- "$pattern" <<< "$output"; then
    echo "FAIL $name: status $actual (expected $status), no line matching $pattern"$'\n'"$output"
    failures=$((failures + 1))
  fi
}

# edited NAME FILE SED-SCRIPT: a copy of FILE edited by the script, as $work/NAME/FILE's name.
edited() {
  mkdir -p "$work/$1"
  sed -e "$3" "$2" > "$work/$1/$(basename "$2")"
  echo "$work/$1/$(basename "$2")"
}

headers=("$@")
header() {  # the HEADER argument named $1
  printf '%s\n' "${headers[@]}" | grep -E "(^|/)$1\$"
}
others() {  # the HEADER arguments but the one named $1
  printf '%s\n' "${headers[@]}" | grep -vE "(^|/)$1\$"
}

reworded=$(edited reworded "$copy" '
  s|(const std::vector<std::string>& paths, bool flag)|(\n    /* files */ const std::vector < std :: string > \&names,\n    bool reload = false)|
  s|virtual bool IsReady();|virtual bool // ready?\n        IsReady() ;|
  s|virtual short NeedsRedraw();|virtual short NeedsRedraw() /* 0 or 1 */;|')
expect reworded 0 '^declarations: ' "$reworded" "${headers[@]}"

swapped=$(edited swapped "$copy" '/virtual bool IsReady();/{h;d}
  /virtual void Terminate();/G')
expect swapped 1 '^ModuleData differs' "$swapped" "${headers[@]}"

retyped=$(edited retyped "$(header ModuleDisplay.h)" \
  's/virtual void SaveSettings(short index);/virtual void SaveSettings(int index);/')
mapfile -t rest < <(others ModuleDisplay.h)
expect retyped 1 '^ModuleDisplay differs' "$copy" "$retyped" "${rest[@]}"

inserted=$(edited inserted "$(header ModuleDataPlotrexInterface.h)" \
  's/^\( *\)virtual void UpdateGraphs() = 0;/&\n\1virtual void UpdateOnce() = 0;/')
mapfile -t rest < <(others ModuleDataPlotrexInterface.h)
expect inserted 1 '^ModuleDataPlotrexInterface differs' "$copy" "$inserted" "${rest[@]}"

renamed=$(edited renamed "$(header HostObjects.h)" 's/class HostVesselSource {/class HostShipSource {/')
mapfile -t rest < <(others HostObjects.h)
expect renamed 1 '^HostVesselSource: the copy defines it, no published header does' \
  "$copy" "$renamed" "${rest[@]}"

if [ "$failures" -ne 0 ]; then
  exit 1
fi
echo "compare_declarations: every edited copy judged as expected"
