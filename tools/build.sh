#!/usr/bin/env bash
# Configures and builds one tree: host (native, logic and its tests) or win
# (MinGW-w64, everything), or a sanitizer tree of the host logic: host-asan
# (ASan + UBSan, every test), host-tsan (ThreadSanitizer, for the scan
# tests), fuzz (clang with libFuzzer: the fuzz targets only).
# Usage: tools/build.sh host|win|host-asan|host-tsan|fuzz [extra cmake args]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:?usage: build.sh host|win}
shift
targets=()
case "$tree" in
  host) args=() ;;
  win) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake") ;;
  host-asan) args=(-DDRAVON_SANITIZE=ON) ;;
  host-tsan) args=(-DDRAVON_SANITIZE_THREAD=ON); targets=(--target diskview_tests diskview_torture_tests) ;;
  fuzz) args=(-DDRAVON_FUZZ=ON -DDRAVON_TESTS=OFF -DCMAKE_C_COMPILER=clang-14
              -DCMAKE_CXX_COMPILER=clang++-14) ;;
  *) echo "unknown tree: $tree" >&2; exit 2 ;;
esac
cmake -S "$top" -B "$top/build/$tree" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${args[@]}" "$@" >/dev/null
cmake --build "$top/build/$tree" -j2 "${targets[@]}"
