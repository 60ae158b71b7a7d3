#!/usr/bin/env bash
# Builds the show's nineteen pictures and lays them out on one contact sheet,
# each under its number, to judge the set as a whole.
#
#   scripts/contact-sheet.sh [OUT.png]     (default: build/contact-sheet.png)
#
# BUILD_DIR picks the build folder (default build/release, as `make build`).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/build/contact-sheet.png}
build=${BUILD_DIR:-$root/build/release}
case $build in /*) ;; *) build=$root/$build ;; esac

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGLOWMOTH_TESTS=OFF >/dev/null
cmake --build "$build" --target glowmoth_pictures -j 2

pictures=$build/content/data
args=()
for n in $(seq 1 19); do
  args+=(-label "$n" "$pictures/2t$n.png")
done

mkdir -p "$(dirname "$out")"
# Half size, four to a row, on grey so each picture's own black edge shows.
montage "${args[@]}" -tile 4x5 -geometry 320x240+8+8 \
  -background '#262626' -fill '#d0d0d0' -font DejaVu-Sans -pointsize 18 \
  "$out"

total=$(cat "$pictures"/2t*.png | wc -c)
echo "contact sheet: $out"
echo "pictures: 19 files, $total bytes together"
