#!/usr/bin/env bash
# Renders one SVG source into the resource format the .rc files include.
#   render.sh bitmap SRC.svg OUT WIDTH HEIGHT [MASK [EDGE]]
#   render.sh icon   SRC.svg OUT.ico
# Bitmaps are rendered for each display scale the program draws at: WIDTH x
# HEIGHT (100 %) as OUT.bmp, and 125, 150 and 200 % as OUT-125.bmp ...,
# each dimension n becoming (n * percent + 50) / 100 pixels - the program's
# own rule, MulDiv(n, dpi, 96) (geometry/Dpi.h). Each is a 24-bit BMP3
# without alpha, drawn from the vector source at its own size (never
# resized from another rendering). With MASK, every pixel that is less than
# half covered becomes exactly MASK (the colour the program treats as
# transparent) and the rest is flattened on EDGE, so anti-aliased edges
# never mix with the mask colour into a visible fringe. Without MASK (or
# with "-") the image is flattened on EDGE (default: the dialog face colour).
# Icons carry images of 16 to 256 pixels, the sizes Windows asks for at
# 100 to 200 % (and its large views); SRC-16.svg, when present, is a
# hand-tuned drawing for the small ones (16 and 20).
set -euo pipefail
convert=/usr/bin/convert
kind=$1 src=$2 out=$3
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# render_bitmap W H OUT: one rendering of the bitmap at W x H.
render_bitmap() {
  local w=$1 h=$2 to=$3
  rsvg-convert -w "$w" -h "$h" "$src" -o "$tmp/a.png"
  "$convert" "$tmp/a.png" -background "$edge" -alpha remove -alpha off "$tmp/flat.png"
  if [ -n "$mask" ]; then
    "$convert" "$tmp/a.png" -alpha extract -threshold 50% "$tmp/cover.png"
    "$convert" -size "${w}x${h}" "xc:$mask" "$tmp/flat.png" "$tmp/cover.png" \
      -composite -alpha off "$tmp/flat.png"
  fi
  "$convert" "$tmp/flat.png" -type TrueColor "BMP3:$to"
}

case "$kind" in
  bitmap)
    w=$4 h=$5 mask=${6:-} edge=${7:-#F0F0F0}
    [ "$mask" = "-" ] && mask=
    render_bitmap "$w" "$h" "$out.bmp"
    for percent in 125 150 200; do
      render_bitmap $(((w * percent + 50) / 100)) $(((h * percent + 50) / 100)) "$out-$percent.bmp"
    done
    ;;
  icon)
    small=${src%.svg}-16.svg
    [ -f "$small" ] || small=$src
    images=()
    for size in 16 20 24 32 40 48 64 96 128 256; do
      from=$src
      [ "$size" -le 20 ] && from=$small
      rsvg-convert -w "$size" -h "$size" "$from" -o "$tmp/$size.png"
      images+=("$tmp/$size.png")
    done
    "$convert" "${images[@]}" "$out"
    ;;
  *)
    echo "render.sh: unknown kind $kind" >&2
    exit 2
    ;;
esac
