#!/usr/bin/env bash
# Configures and builds one tree: host (native, logic and its tests) or win
# (MinGW-w64, everything). Usage: tools/build.sh host|win [extra cmake args]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:?usage: build.sh host|win}
shift
case "$tree" in
  host) args=() ;;
  win) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake") ;;
  *) echo "unknown tree: $tree" >&2; exit 2 ;;
esac
cmake -S "$top" -B "$top/build/$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${args[@]}" "$@" >/dev/null
cmake --build "$top/build/$tree" -j2
