#!/usr/bin/env bash
# Times the engine's full scan (dravon-scan) against du on one synthetic tree
# of about 200 000 files in 20 000 folders, with a deep chain and very wide
# folders, and reports the ratio and the peak memory per node. Warm cache:
# one unmeasured run of each, then the median of RUNS runs.
#
#   tools/bench/scan-bench.sh [TREE_DIR]     (default /tmp/dravon-bench-tree)
#
# Needs the host tree built (tools/build.sh host). If the Windows tree has
# dravon-scan.exe, it is timed under Wine on the same tree too.
# Files are sparse: their apparent sizes are real, their blocks are not.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=${1:-/tmp/dravon-bench-tree}
runs=${RUNS:-5}
scan=$top/build/host/bin/dravon-scan
[ -x "$scan" ] || { echo "build the host tree first: tools/build.sh host" >&2; exit 1; }

"$top/tools/bench/make-bench-tree.sh" "$tree"

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
time_ms() {  # runs "$@" once, prints milliseconds
  local t0 t1
  t0=$(date +%s%N); "$@" >/dev/null 2>&1; t1=$(date +%s%N)
  echo $(( (t1 - t0) / 1000000 ))
}
bench() {  # label, command...
  local label=$1; shift
  "$@" >/dev/null 2>&1  # warm the cache
  local ms
  ms=$(for _ in $(seq "$runs"); do time_ms "$@"; done | median)
  printf '%-48s %6d ms\n' "$label" "$ms" >&2
  echo "$ms"
}

# The totals must agree before the times mean anything. The marker file is
# the generator's own and is counted by both.
engine_bytes=$("$scan" --bytes "$tree" | awk -F'\t' '$1 == "bytes" {print $2}')
find_bytes=$(find "$tree" -type f -printf '%s\n' | awk '{s += $1} END {printf "%.0f", s}')
echo "bytes: engine $engine_bytes, find $find_bytes"
[ "$engine_bytes" = "$find_bytes" ] || { echo "MISMATCH" >&2; exit 1; }
"$scan" "$tree" | head -1

echo "median of $runs warm runs:"
t_scan=$(bench "dravon-scan (host)" "$scan" "$tree")
t_du=$(bench "du -s --apparent-size" du -s --apparent-size "$tree")
awk -v a="$t_scan" -v b="$t_du" 'BEGIN {printf "ratio dravon-scan / du: %.2f\n", a / b}'

"$scan" --stats "$tree" 2>&1 >/dev/null | sed 's/^/engine: /'
if [ -x /usr/bin/time ]; then
  /usr/bin/time -f 'peak RSS: dravon-scan %M KiB' "$scan" "$tree" >/dev/null
  /usr/bin/time -f 'peak RSS: du %M KiB' du -s --apparent-size "$tree" >/dev/null
fi

winscan=$top/build/win/tests/dravon-scan.exe
if [ -x "$winscan" ] && command -v wine >/dev/null; then
  export WINEPREFIX=$top/build/win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -f "$WINEPREFIX/system.reg" ]; then
    wtree="Z:$(echo "$tree" | tr / '\\')"
    wine "$winscan" --bytes "$wtree" 2>/dev/null | tail -1 | sed 's/^/Wine /'
    t_wine=$(bench "dravon-scan.exe (Wine)" wine "$winscan" "$wtree")
    # The same scan with the FindFirstFileExW fallback only: the same output
    # first, then the times.
    out_buffered=$(wine "$winscan" --bytes "$wtree" 2>/dev/null </dev/null)
    out_find=$(wine "$winscan" --find-file --bytes "$wtree" 2>/dev/null </dev/null)
    [ "$out_buffered" = "$out_find" ] || { echo "MISMATCH: buffered vs FindFirstFileExW" >&2; exit 1; }
    t_find=$(bench "dravon-scan.exe --find-file (Wine)" wine "$winscan" --find-file "$wtree")
    awk -v a="$t_wine" -v b="$t_find" \
      'BEGIN {printf "ratio buffered listing / FindFirstFileExW under Wine: %.2f\n", a / b}'
    mkdir -p "$tree.empty"
    bench "dravon-scan.exe, empty folder (Wine start-up)" wine "$winscan" \
      "Z:$(echo "$tree.empty" | tr / '\\')" >/dev/null
    awk -v a="$t_wine" -v b="$t_du" 'BEGIN {printf "ratio dravon-scan.exe under Wine / du: %.2f\n", a / b}'
    wine "$winscan" --stats "$wtree" 2>&1 >/dev/null | tr -d '\r' | sed 's/^/Wine engine: /'
  fi
fi
