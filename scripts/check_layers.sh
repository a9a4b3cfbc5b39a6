#!/usr/bin/env bash
# Checks every include between the folders of a tree against the layer table:
#   scripts/check_layers.sh [TABLE [ROOT]]
# (defaults: cmake/layers.txt of this tree, and this tree). Every source and
# header below a top-level folder counts, subfolders included; build folders
# (those holding a CMakeCache.txt) and hidden ones do not. Prints one line per
# include no row allows and fails.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
table=${1:-$here/cmake/layers.txt}
root=${2:-$here}

folders=()
for dir in "$root"/*/; do
  dir=${dir%/}
  [ -e "$dir/CMakeCache.txt" ] && continue
  folders+=("$(basename "$dir")")
done

(cd "$root" && for folder in "${folders[@]}"; do
  find "$folder" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.inl' -o -name '*.c' \
    -o -name '*.cc' -o -name '*.cpp' \) -not -path '*/.*'
done) | LC_ALL=C sort |
  awk -v table="$table" -v name="${table#"$here"/}" -v root="$root" -v folders="${folders[*]}" \
    -f "$here/scripts/check_layers.awk"
