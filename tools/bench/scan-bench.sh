#!/usr/bin/env bash
# Times the engine's full scan (dravon-scan, on 1 and 2 threads) against du,
# gdu and ncdu on one synthetic tree of about 200 000 files in 20 000
# folders, with a deep chain and very wide folders, and reports wall time,
# CPU time (user + system), peak memory and the ratios. Warm cache: one
# unmeasured run of each, then the median of RUNS runs. gdu and ncdu are
# Debian packages; without them their lines are left out.
#
#   tools/bench/scan-bench.sh [TREE_DIR]     (default /tmp/dravon-bench-tree)
#
# Needs the host tree built (tools/build.sh host). If the Windows tree has
# dravon-scan.exe, it is timed under Wine on the same tree too, with the
# buffered listing and with the FindFirstFileExW one; and if it has
# Dravon.exe, the program's own scan is timed against it last
# (gui-scan-bench.sh; GUI=0 leaves that out).
# Files are sparse: their apparent sizes are real, their blocks are not.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=${1:-/tmp/dravon-bench-tree}
runs=${RUNS:-5}
scan=$top/build/host/bin/dravon-scan
[ -x "$scan" ] || { echo "build the host tree first: tools/build.sh host" >&2; exit 1; }

"$top/tools/bench/make-bench-tree.sh" "$tree"

. "$top/tools/bench/timing.sh"
trap 'rm -f "$timing"' EXIT
# bench NAME LABEL COMMAND...: one unmeasured run, then the medians of RUNS
# runs; sets NAME_wall, NAME_cpu (milliseconds) and NAME_rss (KiB).
bench() {
  local name=$1 label=$2; shift 2
  "$@" >/dev/null 2>&1 || true  # warm the cache
  local runs_out
  runs_out=$(for _ in $(seq "$runs"); do measure "$@"; done)
  local wall cpu rss
  wall=$(echo "$runs_out" | awk '{print $1}' | median)
  cpu=$(echo "$runs_out" | awk '{print $2}' | median)
  rss=$(echo "$runs_out" | awk '{print $3}' | sort -n | tail -1)
  printf '%-40s wall %6d ms  CPU %6d ms  peak RSS %7d KiB\n' "$label" "$wall" "$cpu" "$rss"
  printf -v "${name}_wall" '%s' "$wall"
  printf -v "${name}_cpu" '%s' "$cpu"
  printf -v "${name}_rss" '%s' "$rss"
}
ratio() { awk -v a="$2" -v b="$3" -v l="$1" 'BEGIN {if (b > 0) printf "%-40s %.2f\n", l, a / b}'; }

[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (Debian package time)" >&2; exit 1; }

# The totals must agree before the times mean anything. The marker file is
# the generator's own and is counted by both.
find_bytes=$(find "$tree" -type f -printf '%s\n' | awk '{s += $1} END {printf "%.0f", s}')
for threads in 1 2; do
  engine_bytes=$("$scan" --threads "$threads" --bytes "$tree" | awk -F'\t' '$1 == "bytes" {print $2}')
  echo "bytes: engine ($threads thread(s)) $engine_bytes, find $find_bytes"
  [ "$engine_bytes" = "$find_bytes" ] || { echo "MISMATCH" >&2; exit 1; }
done
"$scan" "$tree" | head -1

echo "median of $runs warm runs ($(nproc) cores):"
bench one "dravon-scan --threads 1" "$scan" --threads 1 "$tree"
bench two "dravon-scan --threads 2" "$scan" --threads 2 "$tree"
bench du "du -s --apparent-size" du -s --apparent-size "$tree"
have_gdu=0 have_ncdu=0
if command -v gdu >/dev/null; then
  have_gdu=1
  bench gdu "gdu -n -p" gdu -n -p "$tree"
else
  echo "gdu: not installed (apt-get install gdu)"
fi
if command -v ncdu >/dev/null; then
  have_ncdu=1
  bench ncdu "ncdu -0 -o /dev/null" ncdu -0 -o /dev/null "$tree"
else
  echo "ncdu: not installed (apt-get install ncdu)"
fi
for t in one two; do
  w=${t}_wall c=${t}_cpu
  label="dravon-scan ($([ $t = one ] && echo 1 || echo 2) thread(s))"
  ratio "$label / du, wall" "${!w}" "$du_wall"
  if [ $have_gdu = 1 ]; then
    ratio "$label / gdu, wall" "${!w}" "$gdu_wall"
    ratio "$label / gdu, CPU" "${!c}" "$gdu_cpu"
  fi
  [ $have_ncdu = 1 ] && ratio "$label / ncdu, wall" "${!w}" "$ncdu_wall"
done

for threads in 1 2; do
  "$scan" --threads "$threads" --stats "$tree" 2>&1 >/dev/null | sed 's/^/engine: /'
done

winscan=$top/build/win/tests/dravon-scan.exe
if [ -x "$winscan" ] && command -v wine >/dev/null; then
  export WINEPREFIX=$top/build/win/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -f "$WINEPREFIX/system.reg" ]; then
    wtree="Z:$(echo "$tree" | tr / '\\')"
    # The buffered listing and the FindFirstFileExW one (the listing this
    # engine had before) must give the same output before they are timed.
    out_buffered=$(wine "$winscan" --bytes "$wtree" 2>/dev/null </dev/null)
    tail -1 <<<"$out_buffered" | sed 's/^/Wine /'
    out_find=$(wine "$winscan" --find-file --threads 1 --bytes "$wtree" 2>/dev/null </dev/null)
    [ "$out_buffered" = "$out_find" ] || { echo "MISMATCH: buffered vs FindFirstFileExW" >&2; exit 1; }
    bench wine "dravon-scan.exe (Wine)" wine "$winscan" "$wtree"
    bench wine_one "dravon-scan.exe --threads 1 (Wine)" wine "$winscan" --threads 1 "$wtree"
    bench wine_old "dravon-scan.exe --find-file --threads 1 (Wine)" \
      wine "$winscan" --find-file --threads 1 "$wtree"
    ratio "Wine: default / FindFirstFileExW on 1 thread (aim 0.5)" "$wine_wall" "$wine_old_wall"
    ratio "Wine: buffered / FindFirstFileExW, 1 thread" "$wine_one_wall" "$wine_old_wall"
    mkdir -p "$tree.empty"
    bench wine_empty "dravon-scan.exe, empty folder (Wine start-up)" wine "$winscan" \
      "Z:$(echo "$tree.empty" | tr / '\\')"
    ratio "dravon-scan.exe under Wine / du, wall" "$wine_wall" "$du_wall"
    wine "$winscan" --stats "$wtree" 2>&1 >/dev/null | tr -d '\r' | sed 's/^/Wine engine: /'
  fi
fi

if [ "${GUI:-1}" = 1 ] && [ -x "$top/build/win/bin/Dravon.exe" ] && command -v wine >/dev/null; then
  RUNS=$(( runs < 3 ? runs : 3 )) "$top/tools/bench/gui-scan-bench.sh" "$tree"
fi
