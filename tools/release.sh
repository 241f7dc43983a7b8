#!/usr/bin/env bash
# Builds the Windows release from this checkout, on Linux: the release tree
# (tools/build.sh release), its folder Dravon-<version>\ as a portable zip and
# as an installer (packaging/Dravon.nsi, Debian's makensis), and SHA256SUMS of
# both, and the package managers' manifests of the two, in build/dist/:
#   Dravon-<version>-win64.zip  Dravon-<version>-setup.exe  SHA256SUMS
#   dravon.json (Scoop)  winget/manifests/b/BrantleSoftware/Dravon/<version>/
# Usage: tools/release.sh [--build-dir DIR] [--dist-dir DIR] [-DNAME=VALUE...]
# -D settings go to the release tree's CMake cache; a real release sets where
# its files will be downloaded from, -DDRAVON_RELEASE_URL=https://...
# Every file of the folder carries the time of the commit, so two builds of
# one commit give the same files.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$top/build/release
dist=$top/build/dist
settings=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) build=$(realpath -m "${2:?}"); shift 2 ;;
    --dist-dir) dist=$(realpath -m "${2:?}"); shift 2 ;;
    -D?*) settings+=("$1"); shift ;;
    *) echo "usage: release.sh [--build-dir DIR] [--dist-dir DIR] [-DNAME=VALUE...]" >&2; exit 2 ;;
  esac
done

"$top/tools/setup.sh"
DRAVON_BUILD_DIR=$build "$top/tools/build.sh" release "${settings[@]}"

# The version, as the build tree has it from project(Dravon VERSION ...).
facts=$build/packaging/release.nsh
version=$(sed -n 's/^!define DRAVON_VERSION "\(.*\)"\r\{0,1\}$/\1/p' "$facts")
[ -n "$version" ] || { echo "release.sh: no version in $facts" >&2; exit 1; }
name=Dravon-$version

stage=$build/stage
rm -rf "$stage"
cmake --install "$build" --prefix "$stage/$name" >/dev/null
# The commit's time; outside git, the time of the top CMakeLists.txt.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$top" log -1 --format=%ct 2>/dev/null || stat -c %Y "$top/CMakeLists.txt")}
find "$stage" -exec touch -h -d "@$epoch" {} +
files=$(cd "$stage/$name" && find . -type f -printf '%P\n' | LC_ALL=C sort)

rm -rf "$dist"
mkdir -p "$dist"
zipfile=$dist/$name-win64.zip
# -X: no Unix owners or extra times; zip stores local time, so fix the zone.
(cd "$stage" && sed "s|^|$name/|" <<<"$files" | TZ=UTC zip -X -q -9 "$zipfile" -@)

# The installer's file list, from the folder itself: it installs what the
# zip holds and its uninstaller removes exactly that.
nsh=$build/packaging/files.nsh
{
  echo '!macro DRAVON_INSTALL_FILES'
  dir=.
  while IFS= read -r f; do
    d=$(dirname "$f")
    if [ "$d" != "$dir" ]; then
      dir=$d
      if [ "$d" = . ]; then echo '  SetOutPath "$INSTDIR"'; else echo "  SetOutPath \"\$INSTDIR\\${d//\//\\}\""; fi
    fi
    echo "  File \"$stage/$name/$f\""
  done <<<"$files"
  echo '!macroend'
  echo '!macro DRAVON_REMOVE_FILES'
  while IFS= read -r f; do echo "  Delete \"\$INSTDIR\\${f//\//\\}\""; done <<<"$files"
  sed -n 's|/[^/]*$||p' <<<"$files" | LC_ALL=C sort -ru | while IFS= read -r d; do
    echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""
  done
  echo '!macroend'
} >"$nsh"
setup=$dist/$name-setup.exe
makensis -V2 -INPUTCHARSET UTF8 -DRELEASE_NSH="$facts" -DFILES_NSH="$nsh" -DOUTFILE="$setup" \
  "$top/packaging/Dravon.nsi"
touch -d "@$epoch" "$zipfile" "$setup"

(cd "$dist" && sha256sum "$(basename "$zipfile")" "$(basename "$setup")" >SHA256SUMS)

# The manifests, as the release tree configured them, with the hashes of
# the two files and the commit's date.
zip_sha=$(sha256sum "$zipfile" | cut -d' ' -f1)
setup_sha=$(sha256sum "$setup" | cut -d' ' -f1)
day=$(TZ=UTC date -d "@$epoch" +%F)
manifests=$(cd "$build/packaging/manifests" && find . -type f -printf '%P\n' | LC_ALL=C sort)
while IFS= read -r m; do
  mkdir -p "$dist/$(dirname "$m")"
  sed -e "s/\${ZIP_SHA256}/$zip_sha/g" -e "s/\${SETUP_SHA256}/$setup_sha/g" -e "s/\${RELEASE_DATE}/$day/g" \
    "$build/packaging/manifests/$m" >"$dist/$m"
  if grep -q '\${' "$dist/$m"; then echo "release.sh: $m: a value left unfilled" >&2; exit 1; fi
done <<<"$manifests"
find "$dist" -exec touch -h -d "@$epoch" {} +

echo "Release $version in $dist:"
(cd "$dist" && find . -type f -printf '  %P %s\n' | LC_ALL=C sort)
