#!/usr/bin/env bash
# Configures and builds one tree: host (native, logic and its tests), win
# (MinGW-w64, everything) or release (MinGW-w64, the shipped files only,
# stripped and reproducible: tools/release.sh). The tree is build/<name>, or
# DRAVON_BUILD_DIR. Usage: tools/build.sh host|win|release [extra cmake args]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:?usage: build.sh host|win|release}
shift
case "$tree" in
  host) args=() ;;
  win) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake") ;;
  release) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
                 -DDRAVON_TESTS=OFF -DDRAVON_RELEASE=ON) ;;
  *) echo "unknown tree: $tree" >&2; exit 2 ;;
esac
dir=${DRAVON_BUILD_DIR:-$top/build/$tree}
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${args[@]}" "$@" >/dev/null
cmake --build "$dir" -j2
