#!/bin/sh
# Turns the BMP renders the control tests left in DIR into PNGs at twice
# their size (every pixel a 2 by 2 block), for a person to look at.
set -eu
dir=$1
cd "$dir" || exit 0
for f in *.bmp; do
  [ -e "$f" ] || continue
  /usr/bin/convert "$f" -scale 200% "${f%.bmp}.png"
  rm -f "$f"
done
