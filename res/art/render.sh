#!/usr/bin/env bash
# Renders one SVG source into the resource format the .rc files include.
#   render.sh bitmap SRC.svg OUT.bmp WIDTH HEIGHT [MASK [EDGE]]
#   render.sh icon   SRC.svg OUT.ico
# Bitmaps are 24-bit BMP3 without alpha. With MASK, every pixel that is less than
# half covered becomes exactly MASK (the colour the program treats as
# transparent) and the rest is flattened on EDGE, so anti-aliased edges never
# mix with the mask colour into a visible fringe. Without MASK (or with "-")
# the image is flattened on EDGE (default: the dialog face colour).
# Icons carry 16, 32 and 48 pixel images; SRC-16.svg, when present, is a
# hand-tuned drawing for the smallest size.
set -euo pipefail
convert=/usr/bin/convert
kind=$1 src=$2 out=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

case "$kind" in
  bitmap)
    w=$4 h=$5 mask=${6:-} edge=${7:-#F0F0F0}
    [ "$mask" = "-" ] && mask=
    rsvg-convert -w "$w" -h "$h" "$src" -o "$tmp/a.png"
    "$convert" "$tmp/a.png" -background "$edge" -alpha remove -alpha off "$tmp/flat.png"
    if [ -n "$mask" ]; then
      "$convert" "$tmp/a.png" -alpha extract -threshold 50% "$tmp/cover.png"
      "$convert" -size "${w}x${h}" "xc:$mask" "$tmp/flat.png" "$tmp/cover.png" \
        -composite -alpha off "$tmp/flat.png"
    fi
    "$convert" "$tmp/flat.png" -type TrueColor "BMP3:$out"
    ;;
  icon)
    small=${src%.svg}-16.svg
    [ -f "$small" ] || small=$src
    rsvg-convert -w 16 -h 16 "$small" -o "$tmp/16.png"
    rsvg-convert -w 32 -h 32 "$src" -o "$tmp/32.png"
    rsvg-convert -w 48 -h 48 "$src" -o "$tmp/48.png"
    "$convert" "$tmp/16.png" "$tmp/32.png" "$tmp/48.png" "$out"
    ;;
  *)
    echo "render.sh: unknown kind $kind" >&2
    exit 2
    ;;
esac
