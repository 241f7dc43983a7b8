#!/usr/bin/env bash
# A second release of the same commit, built from nothing in another tree,
# lists the same files with the same sizes as the first, in its folder and
# in the zip; and the files, the package manifests too, are byte for byte
# the same.
BUILD=${1:?usage: reproducible.sh WIN-BUILD-TREE DIST VERSION} DIST=${2:?} VERSION=${3:?}
# It runs no Windows program: no display or prefix of its own.
E2E_SHARED=1
. "$(dirname "$0")/release-lib.sh"

again=$BUILD/release-tests/again
rm -rf "$again"
if ! "$TOP/tools/release.sh" --build-dir "$again/build" --dist-dir "$again/dist" >"$again.log" 2>&1; then
  not_ok "a second release builds"
  tail -20 "$again.log" | sed 's/^/#   /'
  finish
  exit
fi
ok "a second release builds"

sizes() { (cd "$1" && find . -type f -printf '%P %s\n' | LC_ALL=C sort); }
zip_sizes() { unzip -l "$1" | sed -n 's/^ *\([0-9]\+\) \+[0-9-]\+ [0-9:]\+ \+\(.*\)$/\2 \1/p' | LC_ALL=C sort; }
compare() {  # compare WHAT FIRST SECOND
  if [ "$2" = "$3" ]; then ok "$1"; else
    not_ok "$1"
    diff <(echo "$2") <(echo "$3") | sed 's/^/#   /'
  fi
}
compare "the release's files and sizes" "$(sizes "$DIST")" "$(sizes "$again/dist")"
compare "the zip's files and sizes" "$(zip_sizes "$ZIP")" "$(zip_sizes "$again/dist/$NAME-win64.zip")"
compare "the same bytes (SHA256SUMS)" "$(cat "$DIST/SHA256SUMS")" "$(cat "$again/dist/SHA256SUMS")"
manifests() { (cd "$1" && find dravon.json winget -type f -exec sha256sum {} + | LC_ALL=C sort -k2); }
compare "the same package manifests" "$(manifests "$DIST")" "$(manifests "$again/dist")"
rm -rf "$again"
finish
