#!/bin/sh
# Renders the hicolor PNG icons (and the web page's 192 and 512) from
# dist/kwadron.svg. ImageMagick hands SVG
# to rsvg-convert (librsvg2-bin), so both need to be installed.
set -eu
cd "$(dirname "$0")"
for s in 16 32 48 64 128 192 256 512; do
  mkdir -p "${s}x${s}"
  convert -background none -density $((s * 9 / 4)) ../kwadron.svg -resize "${s}x${s}" -strip \
    "PNG32:${s}x${s}/kwadron.png"
done
