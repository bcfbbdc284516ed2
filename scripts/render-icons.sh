#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders app/icons/horodex.svg into the PNGs and the Windows .ico that are
# committed beside it, and tape/icons/horodex-tape.svg into its PNGs. Run it
# after changing the artwork; the build only reads the results, so neither
# tool is needed to build Horodex.
#   needs: rsvg-convert (librsvg2-bin), convert (imagemagick)
set -euo pipefail
cd "$(dirname "$0")/../app/icons"

for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" horodex.svg -o "horodex-$size.png"
done
# Windows looks for 48, 32 and 16 pixel images in the executable's icon group.
convert horodex-48.png horodex-32.png horodex-16.png horodex.ico
echo "Rendered $(ls horodex-*.png | wc -l) PNGs and horodex.ico in app/icons"

# The tape's icon, the same stopwatch with a paper tape, for the hicolor theme only.
cd ../../tape/icons
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" horodex-tape.svg -o "horodex-tape-$size.png"
done
echo "Rendered $(ls horodex-tape-*.png | wc -l) PNGs in tape/icons"
