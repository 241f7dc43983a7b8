#!/usr/bin/env bash
# Lays every rendered bitmap and icon side by side, labelled with its name
# and size, on the dialog face colour: one picture to look the art over.
#   sheet.sh ART-DIR OUT.png
set -euo pipefail
dir=$1 out=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rows=()
for f in "$dir"/bitmap*.bmp "$dir"/icon*.ico; do
  name=$(basename "$f")
  size=$(/usr/bin/identify -format '%wx%h ' "$f" | sed 's/ $//; s/ /, /g')
  # An icon shows each of its images, smallest first.
  /usr/bin/convert "$f" -background '#F0F0F0' -alpha remove -gravity center +append "$tmp/$name.png"
  /usr/bin/convert -background '#F0F0F0' -fill '#27476C' -font DejaVu-Sans -pointsize 12 \
    label:"$name\n$size" -gravity west -extent 170x36 "$tmp/$name.label.png"
  /usr/bin/convert -background '#F0F0F0' "$tmp/$name.label.png" "$tmp/$name.png" -gravity center +append \
    +repage -bordercolor '#F0F0F0' -border 8 "$tmp/$name.row.png"
  rows+=("$tmp/$name.row.png")
done
/usr/bin/convert -background '#F0F0F0' "${rows[@]}" -gravity west -append "$out"
