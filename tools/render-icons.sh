#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG (ImageMagick). Run after editing the SVG
# and commit the PNGs: the build does not need ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../src/resources/icons"
id=app.corvale.Corvale
for size in 16 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}"
    # Drawn at four times the size and scaled down, so that small sizes are smoothed.
    convert -background none -density $((384 * size / 256)) "$id.svg" -resize "${size}x${size}" \
        -depth 8 -strip "PNG32:hicolor/${size}x${size}/$id.png"
done
