#!/usr/bin/env bash
# Renders the PNG sizes of the icon from vexlo-vocabulary.svg (needs rsvg-convert, Debian's
# librsvg2-bin). Run it after changing the drawing and commit the PNGs with it.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 22 24 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}"
    rsvg-convert -w "$size" -h "$size" vexlo-vocabulary.svg -o "hicolor/${size}x${size}/vexlo-vocabulary.png"
done
