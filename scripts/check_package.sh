#!/usr/bin/env bash
# Checks a Debian package of Plotrex without installing it: unpacks it into a
# scratch folder, checks its contents and declared dependencies, and runs the
# host from there on its built-in voyage, headless. Names every fault found
# and fails.
#   scripts/check_package.sh [--without PATH]... DEB
# --without removes PATH (as inside the package, e.g.
# usr/lib/plotrex/bin/Converter.so) from the unpacked tree first: the check
# must then fail, naming it.
set -euo pipefail
without=()
while [ $# -gt 1 ] && [ "$1" = --without ]; do
  without+=("$2")
  shift 2
done
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
  echo "usage: scripts/check_package.sh [--without PATH]... DEB" >&2
  exit 2
fi
deb=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
faults=0
fault() {
  echo "package check: $*" >&2
  faults=$((faults + 1))
}

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for path in "${without[@]}"; do
  rm -rf "${root:?}/$path"
done

# What the host loads, where it looks for it: beside the program, and the
# sounder in ../NORVANE/.
run=usr/lib/plotrex/bin
expected=(
  usr/bin/plotrex-host usr/bin/norvane-echogram
  $run/plotrex-host $run/norvane-echogram $run/Plotrex.so $run/Converter.so $run/VexIHM.so
  $run/libplotrex_platform.so $run/libplotrex_d3d9.so $run/libplotrex_hostfamily.so
  $run/libplotrex_displaylist.so $run/libplotrex_framework.so $run/libplotrex_desktop.so
  $run/libplotrex_units.so
  usr/lib/plotrex/NORVANE/ZXNorvane.so
  usr/share/man/man1/plotrex-host.1.gz
)
for path in "${expected[@]}"; do
  [ -e "$root/$path" ] || fault "missing from the package: /$path"
done
[ "$(readlink "$root/usr/bin/plotrex-host" || true)" = ../lib/plotrex/bin/plotrex-host ] ||
  fault "/usr/bin/plotrex-host is not a relative link to /$run/plotrex-host"
if unexpected=$(cd "$root" && find . -mindepth 1 -maxdepth 1 ! -name usr) && [ -n "$unexpected" ]; then
  fault "outside /usr: $unexpected"
fi

# Shared libraries the system provides are dependencies computed from the
# programs; the fonts and SDL (loaded at run time) are named by hand.
depends=$(dpkg-deb -f "$deb" Depends)
names=$(sed 's/ *([^)]*)//g; s/, */\n/g' <<<"$depends")
for package in libc6 libstdc++6 libcairo2 libgdal32 libsdl2-2.0-0 fonts-liberation2; do
  grep -Fxq "$package" <<<"$names" || fault "does not depend on $package ($depends)"
done
# Every library a program or library of ours links is found: ours in the
# package through their run paths, the others on the system.
while IFS= read -r file; do
  if missing=$(ldd "$file" 2>&1 | grep 'not found'); then
    fault "${file#"$root"} needs what is not found: $missing"
  fi
done < <(find "$root/usr/lib/plotrex" -type f \( -name '*.so' -o -perm -u+x \))

# The manual page tells every option the help does.
if [ -f "$root/usr/share/man/man1/plotrex-host.1.gz" ] && [ -x "$root/$run/plotrex-host" ]; then
  page=$(zcat "$root/usr/share/man/man1/plotrex-host.1.gz")
  grep -q '^\.TH PLOTREX\\-HOST 1' <<<"$page" || fault "the manual page has no .TH line"
  for option in $("$root/usr/bin/plotrex-host" --help | grep -Eo '^ +(-h, )?--[a-z-]+' | grep -Eo -- '--[a-z-]+'); do
    grep -q "fB${option//-/\\\\-}\\\\fR" <<<"$page" || fault "the manual page lacks $option"
  done
fi

# The installed host on its built-in voyage, headless, with a profile of its
# own: it writes the pictures and its summary tells what it sailed.
out=$scratch/out
summary=$scratch/summary
if ! XDG_CONFIG_HOME=$scratch/config "$root/usr/bin/plotrex-host" --out "$out" >"$summary" 2>&1; then
  fault "plotrex-host failed from the unpacked package:"
  sed 's/^/  /' "$summary" >&2
else
  grep -q '^Voyage: built-in trawler voyage, [1-9][0-9]* host cycles' "$summary" ||
    fault "the summary tells no voyage"
  grep -Eq '^Sounder: [1-9][0-9]* pings' "$summary" || fault "the summary tells no sounder pings"
  grep -Eq '^Graphs in the view: [1-9]' "$summary" || fault "the summary tells no graphs"
  pictures=$(sed -n 's/^Pictures: \([0-9]*\) in .*/\1/p' "$summary")
  [ "${pictures:-0}" -ge 2 ] || fault "the summary tells ${pictures:-no} pictures"
  for picture in chart.png view.png; do
    if [ ! -s "$out/$picture" ] || [ "$(head -c 8 "$out/$picture" | od -An -tx1 | tr -d ' ')" != 89504e470d0a1a0a ]; then
      fault "no picture $picture was written"
    fi
  done
  # The pictures of the view, and the chart.
  [ "$(find "$out" -name '*.png' | wc -l)" = "$((${pictures:-0} + 1))" ] ||
    fault "the summary tells $pictures pictures of the view, $out holds others: $(ls "$out")"
fi

if ((faults)); then
  echo "package check: $deb: $faults fault(s)" >&2
  exit 1
fi
echo "package check: $deb: contents, dependencies and the installed host are sound"
