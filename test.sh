#!/usr/bin/env bash
# Sets up, builds both trees and runs every test: host unit tests, Windows
# tests under Wine, end-to-end tests of the real program on a private Xvfb.
set -uo pipefail
top=$(cd "$(dirname "$0")" && pwd)
# Wine needs a UTF-8 locale for file names outside ASCII; C.UTF-8 is always there.
export LC_ALL=C.UTF-8
cd "$top"

tools/setup.sh || exit 1
tools/build.sh host || exit 1
tools/build.sh host-asan || exit 1
tools/build.sh host-tsan || exit 1
tools/build.sh win || exit 1

xpid=$(mktemp)
DISPLAY=$(tools/xvfb.sh "$xpid") || exit 1
export DISPLAY
cleanup() {
  WINEPREFIX="$top/build/win/wineprefix" wineserver -k 2>/dev/null
  kill "$(cat "$xpid")" 2>/dev/null
  rm -f "$xpid"
}
trap cleanup EXIT

status=0
echo "== Host tests"
(cd build/host && ctest --output-on-failure -j2) || status=1
# Any sanitizer report fails the run: the trees are built not to recover,
# and the run stops at the first report.
echo "== Host tests under AddressSanitizer and UBSan"
(cd build/host-asan && ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 ctest --output-on-failure -j2) || status=1
echo "== Scan tests under ThreadSanitizer"
(cd build/host-tsan && export TSAN_OPTIONS=halt_on_error=1 &&
  ./tests/diskview_tests --gtest_brief=1 && ./tests/diskview_torture_tests --gtest_brief=1) || status=1
echo "== Windows tests under Wine"
(cd build/win && ctest --output-on-failure) || status=1
exit $status
