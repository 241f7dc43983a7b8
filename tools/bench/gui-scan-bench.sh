#!/usr/bin/env bash
# The disk overview's scan in the program against the command-line scan,
# both under Wine on the benchmark tree (make-bench-tree.sh): the time from
# a click on the drive in the shortcut bar to the filled slot, beside
# dravon-scan.exe's time, and the longest the user-interface thread went
# without answering a WM_NULL during the scan. Warm cache: one unmeasured
# run each, then the median of RUNS runs. Printed, not a test.
#
#   tools/bench/gui-scan-bench.sh [TREE_DIR]   (default /tmp/dravon-bench-tree)
#
# Needs the Windows tree (tools/build.sh win) and a DISPLAY (or it starts a
# private Xvfb). The tree is the D: drive of a private prefix.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
tree=${1:-/tmp/dravon-bench-tree}
runs=${RUNS:-3}
build=$top/build/win
[ -x "$build/bin/Dravon.exe" ] || { echo "build the Windows tree first: tools/build.sh win" >&2; exit 1; }
"$top/tools/bench/make-bench-tree.sh" "$tree"

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
[ -f "$build/wineprefix/system.reg" ] || "$build/wine-run.sh" wineboot -i >/dev/null 2>&1
rm -rf "$prefix"
mkdir -p "$prefix/dosdevices"
cp -a "$build/wineprefix/"*.reg "$prefix/"
cp -a "$build/wineprefix/.update-timestamp" "$prefix/" 2>/dev/null || true
cp -al "$build/wineprefix/drive_c" "$prefix/drive_c"
ln -s ../drive_c "$prefix/dosdevices/c:"
ln -s "$tree" "$prefix/dosdevices/d:"
ln -s "$build" "$prefix/dosdevices/y:"
export WINEPREFIX=$prefix
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$prefix"
  [ -z "$xpid" ] || { kill "$(cat "$xpid")" 2>/dev/null || true; rm -f "$xpid"; }
}
trap cleanup EXIT
driver() { wine "$build/tools/driver.exe" "$@"; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# The command-line scan of the same drive (Wine's start-up included).
cli_ms() {
  local t0 t1
  t0=$(date +%s%N); wine "$build/tests/dravon-scan.exe" 'D:\' >/dev/null 2>&1; t1=$(date +%s%N)
  echo $(( (t1 - t0) / 1000000 ))
}
cli_ms >/dev/null
t_cli=$(for _ in $(seq "$runs"); do cli_ms; done | median)
t0=$(date +%s%N); wine "$build/tests/dravon-scan.exe" 'C:\windows\fonts\' >/dev/null 2>&1; t1=$(date +%s%N)
t_start=$(( (t1 - t0) / 1000000 ))

# The program, slot 1 opening an empty folder at start-up.
main="Dravon   V1.3"
mkdir -p "$tree.empty"
wine reg add 'HKCU\Software\Brantle Software\Sorvane Pro\Settings' /v DetailLastOpened /d 'Y:\bin\WAV' /f >/dev/null 2>&1
(cd "$build/bin" && exec wine explorer /desktop=bench,1024x768 Dravon.exe >/dev/null 2>&1) &
driver wait-window "$main" 60000 >/dev/null
sleep 2
# D: is the second item of the shortcut bar (the splitter's first pane):
# its icon's middle 43 + 76 pixels below the bar's top, as
# tests/e2e/diskview.sh finds the items.
read -r l t r b <<<"$(driver child-rect "$main" '#59648' 1 | tr -d '\r' | sed -n 's/^rect //p')"
x=$(((l + r) / 2)) y=$((t + 43 + 76))
gui() { driver scan-bench "$main" "$x" "$y" 103 600000 | tr -d '\r'; }
gui >/dev/null
results=$(for _ in $(seq "$runs"); do gui | tr '\n' ' '; echo; done)
driver close "$main" >/dev/null 2>&1 || true
t_gui=$(awk '{ for (i = 1; i < NF; i++) if ($i == "fill-ms") print $(i + 1) }' <<<"$results" | median)
stall=$(awk '{ for (i = 1; i < NF; i++) if ($i == "max-stall-ms") print $(i + 1) }' <<<"$results" | sort -n | tail -1)

echo "median of $runs warm runs, tree $tree on D: under Wine:"
printf '%-52s %6d ms\n' "dravon-scan.exe D:\\ (Wine, start-up included)" "$t_cli"
printf '%-52s %6d ms\n' "dravon-scan.exe of a small folder (Wine start-up)" "$t_start"
printf '%-52s %6d ms\n' "Dravon.exe: click on D: to filled slot" "$t_gui"
printf '%-52s %6d ms\n' "longest user-interface stall during the scans" "$stall"
awk -v a="$t_gui" -v b="$t_cli" 'BEGIN { printf "ratio GUI / command line: %.2f (aim: at most 1.2)\n", a / b }'
echo "runs: $(tr '\n' '|' <<<"$results")"
