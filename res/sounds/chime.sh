#!/usr/bin/env bash
# Makes a short bell-like chime with sox.
#   chime.sh OUT.wav HZ[@DELAY] ...
# Each note is a sine with a quieter octave, a 5 ms attack and a long
# quarter-sine decay; the notes are mixed, each starting DELAY seconds in.
# -R seeds the dither the same each time: one commit, one set of files.
set -euo pipefail
out=$1; shift
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
parts=()
n=0
for spec in "$@"; do
  note=${spec%@*} delay=0
  [ "$spec" != "$note" ] && delay=${spec#*@}
  n=$((n + 1))
  sox -R -n -r 44100 -c 1 -b 16 "$tmp/f$n.wav" synth 0.9 sine "$note" fade q 0.005 0.9 0.85
  sox -R -n -r 44100 -c 1 -b 16 "$tmp/o$n.wav" synth 0.5 sine "$((note * 2))" fade q 0.005 0.5 0.48 vol 0.25
  sox -R -m "$tmp/f$n.wav" "$tmp/o$n.wav" "$tmp/n$n.wav" pad "$delay"
  parts+=("$tmp/n$n.wav")
done
if [ ${#parts[@]} -eq 1 ]; then
  cp "${parts[0]}" "$tmp/mix.wav"
else
  sox -R -m "${parts[@]}" "$tmp/mix.wav"
fi
sox -R "$tmp/mix.wav" -r 22050 -b 16 "$out" norm -4
