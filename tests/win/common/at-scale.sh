#!/usr/bin/env bash
# Runs a Windows test program's cases at a display scale: in a prefix of its
# own, the tree's prefix with HKCU\Control Panel\Desktop\LogPixels set to
# DPI (Wine reads it when the prefix's first program starts), so the system
# makes its fonts and dialogs for that DPI from the start.
# Usage: at-scale.sh WIN-BUILD-TREE DPI PROGRAM [gtest arguments...]
set -euo pipefail
build=${1:?usage: at-scale.sh WIN-BUILD-TREE DPI PROGRAM [ARGS...]}
dpi=${2:?usage: at-scale.sh WIN-BUILD-TREE DPI PROGRAM [ARGS...]}
program=${3:?usage: at-scale.sh WIN-BUILD-TREE DPI PROGRAM [ARGS...]}
shift 3
shared="$build/wineprefix"
[ -f "$shared/system.reg" ] || "$build/wine-run.sh" wineboot -i >/dev/null 2>&1
prefix="$build/scale-prefixes/$(basename "$program" .exe)-$dpi"
WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
rm -rf "$prefix"
mkdir -p "$prefix"
cp -a "$shared/"*.reg "$shared/dosdevices" "$prefix/"
cp -a "$shared/.update-timestamp" "$prefix/" 2>/dev/null || true
cp -al "$shared/drive_c" "$prefix/drive_c"
export WINEPREFIX="$prefix"
trap 'wineserver -k 2>/dev/null; rm -rf "$prefix"' EXIT
"$build/wine-run.sh" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
wineserver -w
"$build/wine-run.sh" "$program" "$@"
