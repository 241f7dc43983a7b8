#!/usr/bin/env bash
# Times the disk tree opening and closing a folder of ROWS rows (default
# 20 000) in a shown window under Wine, and a small folder opened above them;
# prints each step's median and its share of the 100 ms a click may take to
# feel instant. Not part of the tests.
#
#   tools/bench/supergrid-bench.sh [ROWS]
#
# Needs the Windows tree built (tools/build.sh win). Without DISPLAY it runs
# on a private Xvfb.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
bench=$top/build/win/tools/supergrid-bench.exe
[ -x "$bench" ] || { echo "build the Windows tree first: tools/build.sh win" >&2; exit 1; }
export LC_ALL=C.UTF-8 WINEPREFIX=$top/build/win/wineprefix
if [ -z "${DISPLAY:-}" ]; then
  xpid=$(mktemp)
  DISPLAY=$("$top/tools/xvfb.sh" "$xpid")
  export DISPLAY
  trap 'wineserver -k 2>/dev/null; kill "$(cat "$xpid")" 2>/dev/null; rm -f "$xpid"' EXIT
fi
"$top/build/win/wine-run.sh" "$bench" "${1:-20000}" 2>/dev/null | tr -d '\r'
