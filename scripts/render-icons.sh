#!/usr/bin/env bash
# Renders the SVG pictures of packaging/icons/ into the PNGs that the program carries in its
# resources (ui/icons/) and the installed icon sizes. Run after changing a picture; the PNGs are
# committed so that building needs no SVG renderer.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
source "$here/scripts/lib/packages.sh"
velt_install_packages librsvg2-bin
src=$here/packaging/icons
out=$here/ui/icons
mkdir -p "$out"
for name in encrypt-file decrypt-file encrypt-folder decrypt-folder options exit; do
  rsvg-convert -w 96 -h 96 "$src/$name.svg" -o "$out/$name.png"
done
rsvg-convert -w 752 -h 112 "$src/banner.svg" -o "$out/banner.png"
rsvg-convert -w 192 -h 192 "$src/velt.svg" -o "$out/about.png"
rsvg-convert -w 128 -h 128 "$src/velt.svg" -o "$out/velt.png"
for size in 48 64 128 256; do
  rsvg-convert -w $size -h $size "$src/velt.svg" -o "$src/velt-$size.png"
done
