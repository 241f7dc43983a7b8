#!/usr/bin/env bash
# The disk overview's scan in the program against the command-line scan,
# both under Wine on the benchmark tree (make-bench-tree.sh): the time from
# a click on the drive in the shortcut bar to the filled slot, beside
# dravon-scan.exe's time, and the longest the user-interface thread went
# without answering a WM_NULL during the scan. Warm cache: one unmeasured
# run each, then the median of RUNS runs. Printed, not a test.
#
#   tools/bench/gui-scan-bench.sh [TREE_DIR]   (default /tmp/dravon-bench-tree)
#   NTFS=1: D: is the tree on an NTFS image (make-bench-image.sh; D:: the
#     image), so both read its master file table; otherwise D: is the tree
#     itself and both walk its folders. Needs root and FUSE then.
#   BUILD=DIR: the Windows tree to take the programs from (build/win).
#   TRACE_OUT=FILE keeps the raw trace.
#   STALL_PROBE=1: samples the scheduler's counters of the program's and the
#     Wine server's threads during the runs (ui-stall-probe.py) and prints
#     what each did during each run's longest stall.
#
# The program writes its scan trace (DRAVON_SCAN_TRACE) and the script
# prints the median split of the click-to-chart time by stage, and the
# program's and the command line's peak memory. The last line, "summary",
# is for scale-bench.sh.
#
# Needs the Windows tree (tools/build.sh win) and a DISPLAY (or it starts a
# private Xvfb). The tree is the D: drive of a private prefix.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=${1:-/tmp/dravon-bench-tree}
runs=${RUNS:-3}
build=${BUILD:-$top/build/win}
[ -x "$build/bin/Dravon.exe" ] || { echo "build the Windows tree first: tools/build.sh win" >&2; exit 1; }
[ -f "$tree/.complete" ] || "$top/tools/bench/make-bench-tree.sh" "$tree"
drive=$tree
mount=""
if [ -n "${NTFS:-}" ]; then
  "$top/tools/bench/make-bench-image.sh" "$tree"
  mount=$tree.ntfs-mount
  mkdir -p "$mount"
  mountpoint -q "$mount" || ntfs-3g -o ro "$tree.ntfs" "$mount"
  drive=$mount
fi

xpid=""
if [ -z "${DISPLAY:-}" ]; then
  xpid=$(mktemp)
  DISPLAY=$(DISPLAY= "$top/tools/xvfb.sh" "$xpid")
  export DISPLAY
fi
prefix=$build/bench-prefix
export LC_ALL=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# The tree's own prefix, shared by hard links, with drives C:, D: (the tree)
# and Y: (the build tree) only.
[ -f "$build/wineprefix/system.reg" ] || "$top/tools/wine/prefix.sh" "$build/wineprefix" >/dev/null 2>&1
rm -rf "$prefix"
mkdir -p "$prefix/dosdevices"
cp -a "$build/wineprefix/"*.reg "$prefix/"
cp -a "$build/wineprefix/.update-timestamp" "$prefix/" 2>/dev/null || true
cp -al "$build/wineprefix/drive_c" "$prefix/drive_c"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s "$drive" "$prefix/dosdevices/d:"
[ -z "$mount" ] || ln -s "$tree.ntfs" "$prefix/dosdevices/d::"
ln -s "$build" "$prefix/dosdevices/y:"
export WINEPREFIX=$prefix
trace=$build/scan-trace.txt
rm -f "$trace"
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -z "${TRACE_OUT:-}" ] || cp "$trace" "$TRACE_OUT" 2>/dev/null || true
  rm -rf "$prefix" "$trace" "${timing:-}"
  [ -z "$mount" ] || fusermount -u "$mount" 2>/dev/null || true
  [ -z "$xpid" ] || { kill "$(cat "$xpid")" 2>/dev/null || true; rm -f "$xpid"; }
}
trap cleanup EXIT
driver() { wine "$build/tools/driver.exe" "$@"; }

# The command-line scan of the same drive (Wine's start-up included) and
# its peak memory: "ms KiB".
. "$top/tools/bench/timing.sh"
cli() { measure wine "$build/tests/dravon-scan.exe" 'D:\' | awk '{print $1, $3}'; }
cli >/dev/null
cli_runs=$(for _ in $(seq "$runs"); do cli; done)
t_cli=$(awk '{print $1}' <<<"$cli_runs" | median)
cli_kib=$(awk '{print $2}' <<<"$cli_runs" | sort -n | tail -1)
t0=$(date +%s%N); wine "$build/tests/dravon-scan.exe" 'C:\windows\fonts\' >/dev/null 2>&1; t1=$(date +%s%N)
t_start=$(( (t1 - t0) / 1000000 ))

# The program, slot 1 opening an empty folder at start-up.
main="Dravon   V1.3"
mkdir -p "$tree.empty"
wine reg add 'HKCU\Software\Brantle Software\Sorvane Pro\Settings' /v DetailLastOpened /d 'Y:\bin\WAV' /f >/dev/null 2>&1
(cd "$build/bin" && DRAVON_SCAN_TRACE='Y:\scan-trace.txt' exec wine explorer /desktop=bench,1024x768 Dravon.exe >/dev/null 2>&1) &
driver wait-window "$main" 60000 >/dev/null
sleep 2
# The program's process in this prefix (others may run the program too).
program_pid() {
  local p
  for p in $(pgrep -f 'Dravon\.exe'); do
    # The program itself, not the explorer that started it.
    tr '\0' '\n' <"/proc/$p/cmdline" 2>/dev/null | head -1 | grep -q 'Dravon\.exe$' || continue
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix" && { echo "$p"; return; }
  done
}
pid=$(program_pid)
idle_kib=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
# D: is the second item of the shortcut bar (the splitter's first pane):
# its icon's middle 43 + 76 pixels below the bar's top, as
# tests/e2e/diskview.sh finds the items.
read -r l t r b <<<"$(driver child-rect "$main" '#59648' 1 | tr -d '\r' | sed -n 's/^rect //p')"
x=$(((l + r) / 2)) y=$((t + 43 + 76))
gui() { driver scan-bench "$main" "$x" "$y" 103 600000 | tr -d '\r'; }
gui >/dev/null
probe_log=""
if [ -n "${STALL_PROBE:-}" ]; then
  probe_log=$(mktemp)
  server=""
  for p in $(pgrep wineserver); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix" && server=$p
  done
  python3 "$top/tools/bench/ui-stall-probe.py" sample "$probe_log" "$pid" $server &
  probe_pid=$!
fi
results=$(for _ in $(seq "$runs"); do sleep 1; gui | tr '\n' ' '; echo; done)
sleep 1
if [ -n "$probe_log" ]; then
  kill "$probe_pid" 2>/dev/null || true
  wait "$probe_pid" 2>/dev/null || true
  while read -r at ms; do
    echo "longest stall of a run: $ms ms"
    python3 "$top/tools/bench/ui-stall-probe.py" window "$probe_log" "$at" "$ms" "$pid" | sed 's/^/  /'
  done < <(awk '{ for (i = 1; i < NF; i++) { if ($i == "max-stall-at") a = $(i + 1); if ($i == "max-stall-ms") m = $(i + 1) } print a, m }' <<<"$results")
  rm -f "$probe_log"
fi
peak_kib=$(awk '/^VmHWM/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
rss_kib=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
driver close "$main" >/dev/null 2>&1 || true
t_gui=$(awk '{ for (i = 1; i < NF; i++) if ($i == "fill-ms") print $(i + 1) }' <<<"$results" | median)
stall=$(awk '{ for (i = 1; i < NF; i++) if ($i == "max-stall-ms") print $(i + 1) }' <<<"$results" | sort -n | tail -1)

engine=$([ -n "$mount" ] && echo "the NTFS image's table" || echo "the folder walk")
echo "median of $runs warm runs, tree $tree on D: under Wine, $engine:"
printf '%-52s %6d ms\n' "dravon-scan.exe D:\\ (Wine, start-up included)" "$t_cli"
printf '%-52s %6d ms\n' "dravon-scan.exe of a small folder (Wine start-up)" "$t_start"
printf '%-52s %6d ms\n' "Dravon.exe: click on D: to the root row selected" "$t_gui"
printf '%-52s %6d ms\n' "longest user-interface stall during the scans" "$stall"
awk -v a="$t_gui" -v b="$t_cli" 'BEGIN { printf "ratio GUI / command line: %.2f (aim: at most 1.2)\n", a / b }'
# The trace: each scan from its start to the first chart drawn after it;
# the start-up's and the warm-up's are left out. Stage spans by their
# boundaries.
split=$(awk '
  { sub(/\r$/, "") }
  $2 == "scan-start" { n++; delete t }
  { t[$2] = $1; if (NF > 2) v[$2] = $3 }
  $2 == "chart-painted" && n > 2 {
    printf "%.0f %.0f %.0f %.0f %.0f %.0f %.0f %d %d\n",
      t["walk-end"] - t["scan-start"], t["rows-handed"] - t["walk-end"],
      t["root-selected"] - t["rows-handed"], t["slot-shown"] - t["root-selected"],
      t["chart-painted"] - t["slot-shown"], t["chart-painted"] - t["scan-start"],
      ("table-loaded" in t) ? t["table-loaded"] - t["scan-start"] : -1,
      v["progress-posts"], v["rows-insert-ms"]
  }' "$trace" 2>/dev/null || true)
col() { awk -v c="$1" '{print $c}' <<<"$split" | median; }
t_chart=0
if [ -n "$split" ]; then
  t_chart=$(col 6)
  echo "the program's trace (median of the runs, ms from the scan's start):"
  printf '  %-50s %6s\n' "table read (part of the scan)" "$(col 7)" \
    "scan: start to the walk's end" "$(col 1)" \
    "last rows handed over" "$(col 2)" \
    "rows carried out, tree redrawn, root selected" "$(col 3)" \
    "completion: message, plan, slices and info rows" "$(col 4)" \
    "drawing: the slot's chart painted" "$(col 5)" \
    "scan start to chart painted" "$t_chart" \
    "user-interface time inserting rows (during all)" "$(col 9)" \
    "progress posts per scan" "$(col 8)"
  awk -v a="$t_chart" -v b="$t_cli" 'BEGIN { printf "ratio chart painted / command line: %.2f\n", a / b }'
fi
printf '%-52s %6d MiB (idle %d MiB)\n' "Dravon.exe peak memory, slot charted" $((peak_kib / 1024)) $((idle_kib / 1024))
printf '%-52s %6d MiB\n' "Dravon.exe resident with the slot charted" $((rss_kib / 1024))
printf '%-52s %6d MiB\n' "dravon-scan.exe peak memory" $((cli_kib / 1024))
echo "runs: $(tr '\n' '|' <<<"$results")"
echo "summary cli_ms $t_cli gui_ms $t_gui chart_ms $t_chart stall_ms $stall peak_kib $peak_kib idle_kib $idle_kib rss_kib $rss_kib cli_kib $cli_kib start_ms $t_start"
