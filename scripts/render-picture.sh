#!/usr/bin/env bash
# Renders one of the show's SVG pictures to the PNG that goes into the archive.
#
#   scripts/render-picture.sh IN.svg OUT.png
#
# The picture is drawn at its own size (at most 640x480) on black, then
# quantised to a small palette: the art is glowing lines on black, so a few
# dozen colours carry it and keep the archive small.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 IN.svg OUT.png" >&2
  exit 2
fi
in=$1
out=$2

# The most colours a picture may keep. The glow's soft ramps need a couple of
# dozen levels per phosphor; fewer shows banding on a dark screen.
colours=${GLOWMOTH_PICTURE_COLOURS:-32}

for tool in rsvg-convert pngquant convert; do
  if ! command -v "$tool" >/dev/null; then
    echo "$0: $tool is missing (run scripts/install-deps.sh)" >&2
    exit 1
  fi
done

mkdir -p "$(dirname "$out")"
tmp=$(mktemp "${TMPDIR:-/tmp}/glowmoth-picture.XXXXXX")
trap 'rm -f "$tmp" "$tmp.quantised.png"' EXIT

rsvg-convert --format=png --background-color=black --output="$tmp" "$in"

# A picture larger than the screen would be cut by the show; refuse it here.
# The PNG header holds width and height as big-endian 32-bit numbers.
read -r width height < <(od -An -tu1 -j16 -N8 "$tmp" |
  awk '{ print ($1*16777216 + $2*65536 + $3*256 + $4), ($5*16777216 + $6*65536 + $7*256 + $8) }')
if [ "$width" -gt 640 ] || [ "$height" -gt 480 ]; then
  echo "$0: $in renders to ${width}x${height}, larger than the 640x480 screen" >&2
  exit 1
fi

# --strip drops text chunks and the like; --speed 1 spends the time on a
# better palette; --nofs leaves the glow's ramps undithered: smooth bands
# look like phosphor, dither looks like grain, and it packs a sixth smaller.
# A failure to reach the quality floor is an error, not a silent fall back
# to the full-colour image.
quantised=$tmp.quantised.png
pngquant --force --strip --speed 1 --nofs --quality 40-100 --output "$quantised" "$colours" -- "$tmp"

# The palette's darkest colour is the average of black and the faintest
# glow, a hair above black. The show centres the picture on true black, so
# make that colour black again, or the picture's edge shows as a box.
convert "$quantised" -fuzz 2% -fill black -opaque black -strip "PNG8:$out"
