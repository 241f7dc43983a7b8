#!/usr/bin/env bash
# Configures and builds one tree: host (native, logic and its tests), win
# (MinGW-w64, everything), release (MinGW-w64, the shipped files only,
# stripped and reproducible: tools/release.sh), or a sanitizer tree of the
# host logic: host-asan (ASan + UBSan, every test), host-tsan
# (ThreadSanitizer, for the scan tests), fuzz (clang with libFuzzer: the
# fuzz targets only). The tree is build/<name>, or DRAVON_BUILD_DIR.
# Usage: tools/build.sh host|win|release|host-asan|host-tsan|fuzz [extra cmake args]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tree=${1:?usage: build.sh host|win|release|host-asan|host-tsan|fuzz}
shift
targets=()
# The sanitizer trees: -O1, as the sanitizers advise, and line tables only,
# which is all their reports read; they compile in half the time of -O2 -g.
sanitizer_flags=("-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG")
case "$tree" in
  host) args=() ;;
  # No debugger reads DWARF in the tests under Wine, and without it the tree
  # compiles in half the time (the sanitizer trees keep line tables for their
  # reports).
  win) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake"
             "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -DNDEBUG") ;;
  # The shipped files at the tests' -O2: what the tests and benchmarks ran
  # is what users get, and it compiles in well under the time of -O3.
  release) args=(-DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
                 "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG"
                 -DDRAVON_TESTS=OFF -DDRAVON_RELEASE=ON) ;;
  host-asan) args=(-DDRAVON_SANITIZE=ON "${sanitizer_flags[@]}") ;;
  host-tsan) args=(-DDRAVON_SANITIZE_THREAD=ON "${sanitizer_flags[@]}")
             targets=(--target diskview_tests diskview_torture_tests) ;;
  fuzz) args=(-DDRAVON_FUZZ=ON -DDRAVON_TESTS=OFF -DCMAKE_C_COMPILER=clang-14
              -DCMAKE_CXX_COMPILER=clang++-14) ;;
  *) echo "unknown tree: $tree" >&2; exit 2 ;;
esac
dir=${DRAVON_BUILD_DIR:-$top/build/$tree}
cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${args[@]}" "$@" >/dev/null
cmake --build "$dir" -j2 "${targets[@]}"
