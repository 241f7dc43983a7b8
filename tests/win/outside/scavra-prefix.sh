#!/usr/bin/env bash
# Makes a private Wine prefix for Scavra's tests, which delete files: the
# tree's prefix shared read-only by hard links, but the user and machine data
# folders (profile, temp, ProgramData) copied, so that nothing removed or
# changed there reaches another prefix; the profile's links into the host's
# home become empty folders, and there is no Z: drive. Also prepared: links
# in the user's temp folder, old enough to be junk, pointing outside it to
# C:\scavra-outside, which must survive every clean-up.
# Usage: scavra-prefix.sh WIN-BUILD-TREE PREFIX
set -euo pipefail
build=${1:?usage: scavra-prefix.sh WIN-BUILD-TREE PREFIX}
prefix=${2:?usage: scavra-prefix.sh WIN-BUILD-TREE PREFIX}
shared="$build/wineprefix"
[ -f "$shared/system.reg" ] || "$build/wine-run.sh" wineboot -i >/dev/null 2>&1
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$prefix/dosdevices"
cp -a "$shared/"*.reg "$prefix/"
cp -a "$shared/.update-timestamp" "$prefix/" 2>/dev/null || true
cp -al "$shared/drive_c" "$prefix/drive_c"
for own in users ProgramData windows/temp; do
  rm -rf "${prefix:?}/drive_c/$own"
  cp -a "$shared/drive_c/$own" "$prefix/drive_c/$own"
done
find "$prefix/drive_c/users" -maxdepth 2 -type l | while read -r link; do
  rm "$link"
  mkdir "$link"
done
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s "$build" "$prefix/dosdevices/y:"

user=$(whoami)
temp="$prefix/drive_c/users/$user/Temp"
outside="$prefix/drive_c/scavra-outside"
mkdir -p "$temp/scavra-links" "$outside/dir"
printf 'keep me\n' > "$outside/keep.txt"
printf 'keep me too\n' > "$outside/dir/inner.txt"
ln -s "$outside/keep.txt" "$temp/scavra-links/file-link"
ln -s "$outside/dir" "$temp/scavra-links/dir-link"
touch -h -d '3 days ago' "$temp/scavra-links/file-link" "$temp/scavra-links/dir-link"
# Its server folder chosen now, before two tests can start the prefix's first
# two programs at once (see pick_server_folder in tests/e2e/e2e-lib.sh).
WINEPREFIX="$prefix" wineserver
WINEPREFIX="$prefix" wineserver -k
