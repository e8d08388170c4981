#!/usr/bin/env bash
# Regenerates the demo's images in res/image/ with ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/res/image
mkdir -p "$out"
# A soft round glow: white centre fading to transparent, for additive blending.
convert -size 64x64 radial-gradient:white-none -depth 8 -strip -define png:color-type=6 "$out/glow.png"
# A framed tile with a diagonal stripe, so rotation and orientation show.
convert -size 64x64 xc:'#20304a' \
  -fill '#f0c040' -draw 'polygon 0,0 16,0 64,48 64,64 48,64 0,16' \
  -fill none -stroke '#e0e8ff' -strokewidth 4 -draw 'rectangle 2,2 61,61' \
  -fill '#e04050' -stroke none -draw 'rectangle 8,8 20,20' \
  -depth 8 -strip -define png:color-type=6 "$out/tile.png"
