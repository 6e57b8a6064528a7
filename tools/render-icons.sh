#!/usr/bin/env bash
# Renders data/icons/quillometer.svg into the hicolor PNG sizes beside it.
# Needs ImageMagick (convert). The PNGs are committed; run this after editing the SVG.
set -euo pipefail

icons="$(cd "$(dirname "$0")/../data/icons" && pwd)"
convert_bin=/usr/bin/convert
[ -x "$convert_bin" ] || convert_bin=convert

for size in 32 48 64 128 256; do
  # The SVG is 256 units wide at 96 dpi: scale the density, not the pixels,
  # so every size is rasterised from the vectors.
  density=$(( 96 * size / 256 ))
  [ $(( 96 * size % 256 )) -eq 0 ] || density=$(awk "BEGIN { print 96 * $size / 256 }")
  "$convert_bin" -background none -density "$density" "$icons/quillometer.svg" \
    -define png:color-type=6 -depth 8 -strip "$icons/quillometer-$size.png"
  echo "$icons/quillometer-$size.png"
done
