#!/usr/bin/env bash
# How the costs grow with the drive: trees of 50 000, 200 000 and 1 000 000
# files, 10 a folder (make-scale-tree.sh), each also on an NTFS image
# (make-bench-image.sh), made once and kept in the cache. For each size,
# both engines (the folder walk of the tree, the master file table of the
# image): the host scan (dravon-scan), dravon-scan.exe and the program's
# click-to-chart under Wine (gui-scan-bench.sh), with the peak memory of
# each; then time and memory per million files, and the growth from 200 000
# to 1 000 000 files (linear is 5). Printed, not a test.
#
#   tools/bench/scale-bench.sh [CACHE_DIR]   (default /work/bench-cache)
#   SIZES="50000 200000" for fewer; RUNS (default 3) runs of each; BUILD as
#   for gui-scan-bench.sh.
#
# Needs the host tree (dravon-scan), the Windows tree, root and FUSE. The
# first run makes the trees and images (about 10 minutes for the largest).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cache=${1:-/work/bench-cache}
sizes=${SIZES:-50000 200000 1000000}
runs=${RUNS:-3}
scan=$top/build/host/bin/dravon-scan
[ -x "$scan" ] || { echo "build the host tree first: tools/build.sh host" >&2; exit 1; }
[ -x "${BUILD:-$top/build/win}/bin/Dravon.exe" ] || { echo "build the Windows tree first: tools/build.sh win" >&2; exit 1; }
. "$top/tools/bench/timing.sh"
trap 'rm -f "$timing"' EXIT

# host NAME COMMAND...: medians of RUNS runs after one; sets NAME_ms, NAME_kib.
host() {
  local name=$1 out; shift
  "$@" >/dev/null 2>&1 || true
  out=$(for _ in $(seq "$runs"); do measure "$@"; done)
  printf -v "${name}_ms" '%s' "$(awk '{print $1}' <<<"$out" | median)"
  printf -v "${name}_kib" '%s' "$(awk '{print $3}' <<<"$out" | sort -n | tail -1)"
}
# field SUMMARY KEY: a value of gui-scan-bench.sh's summary line.
field() { awk -v k="$2" '{for (i = 1; i < NF; i++) if ($i == k) print $(i + 1)}' <<<"$1"; }

rows=()
for n in $sizes; do
  tree=$cache/scale-$n
  "$top/tools/bench/make-scale-tree.sh" "$n" "$tree"
  "$top/tools/bench/make-bench-image.sh" "$tree" "$([ "$n" -gt 400000 ] && echo 6G || echo 2G)"
  echo "== $n files ($tree), load $(cut -d' ' -f1-3 /proc/loadavg)"
  mount=$tree.ntfs-mount
  host hwalk "$scan" --walk "$tree"
  host hmft "$scan" --mft "$tree.ntfs"
  for engine in walk mft; do
    log=$(mktemp)
    if [ "$engine" = mft ]; then
      NTFS=1 RUNS=$runs "$top/tools/bench/gui-scan-bench.sh" "$tree" >"$log" 2>&1 || true
      host_ms=$hmft_ms host_kib=$hmft_kib
    else
      RUNS=$runs "$top/tools/bench/gui-scan-bench.sh" "$tree" >"$log" 2>&1 || true
      host_ms=$hwalk_ms host_kib=$hwalk_kib
    fi
    grep -v '^summary' "$log" | sed 's/^/  /'
    s=$(grep '^summary' "$log" || true)
    rm -f "$log"
    [ -n "$s" ] || { echo "  (no summary: the GUI benchmark failed)"; continue; }
    # A build without the trace: the root row's selection instead.
    chart=$(field "$s" chart_ms)
    [ "$chart" != 0 ] || chart=$(field "$s" gui_ms)
    rows+=("$n $engine $host_ms $host_kib $(field "$s" cli_ms) $(field "$s" cli_kib) $chart $(field "$s" peak_kib) $(field "$s" idle_kib) $(field "$s" stall_ms) $(field "$s" rss_kib)")
  done
done

echo
echo "files    engine  host ms  MiB | .exe ms  MiB | program: chart ms  MiB  (over idle) stall | chart/.exe"
for r in "${rows[@]}"; do
  read -r n e hm hk cm ck gm gk ik st <<<"$r"
  awk -v n="$n" -v e="$e" -v hm="$hm" -v hk="$hk" -v cm="$cm" -v ck="$ck" -v gm="$gm" -v gk="$gk" -v ik="$ik" -v st="$st" \
    'BEGIN { printf "%-8d %-6s %7d %5.0f | %7d %5.0f | %16d %5.0f %11.0f %5d | %.2f\n",
             n, e, hm, hk / 1024, cm, ck / 1024, gm, gk / 1024, (gk - ik) / 1024, st, (cm > 0 ? gm / cm : 0) }'
done
echo
echo "per million files (program: peak over its idle peak, with the slot charted):"
for r in "${rows[@]}"; do
  read -r n e hm hk cm ck gm gk ik st <<<"$r"
  awk -v n="$n" -v e="$e" -v hm="$hm" -v cm="$cm" -v gm="$gm" -v gk="$gk" -v ik="$ik" -v hk="$hk" \
    'BEGIN { m = n / 1e6; printf "%-8d %-6s host %7.0f ms %5.0f MiB | .exe %7.0f ms | program %7.0f ms %5.1f MiB\n",
             n, e, hm / m, hk / 1024 / m, cm / m, gm / m, (gk - ik) / 1024 / m }'
done
echo
echo "growth from 200 000 to 1 000 000 files (linear: 5.0, aim at most 5.5):"
for e in walk mft; do
  a="" b=""
  for r in "${rows[@]}"; do
    read -r n en hm hk cm ck gm gk ik st rk <<<"$r"
    [ "$en" = "$e" ] || continue
    [ "$n" = 200000 ] && a="$hm $cm $gm $((gk - ik)) $rk $ck"
    [ "$n" = 1000000 ] && b="$hm $cm $gm $((gk - ik)) $rk $ck"
  done
  [ -n "$a" ] && [ -n "$b" ] || continue
  awk -v e="$e" -v a="$a" -v b="$b" 'BEGIN { split(a, x); split(b, y);
    printf "%-6s host %.2f  .exe %.2f  program %.2f  program memory %.2f\n", e,
           y[1] / x[1], y[2] / x[2], y[3] / x[3], (x[4] > 0 ? y[4] / x[4] : 0);
    printf "%-6s the 800 000 files between: program peak %.1f MiB, resident %.1f MiB, .exe peak %.1f MiB per million files\n", e,
           (y[4] - x[4]) / 1024 / 0.8, (y[5] - x[5]) / 1024 / 0.8, (y[6] - x[6]) / 1024 / 0.8 }'
done
