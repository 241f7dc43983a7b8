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

if [ ! -f "$tree/.complete" ]; then
  echo "Building the tree in $tree ..."
  rm -rf "$tree"
  mkdir -p "$tree"
  perl -e '
    use strict; use warnings;
    my ($root) = @ARGV;
    my $seed = 12345;
    sub rnd { $seed = ($seed * 1103515245 + 12345) % 2147483648; return $seed; }
    sub file { my ($p) = @_; open(my $f, ">", $p) or die "$p: $!";
               truncate($f, rnd() % 65536); close $f; }
    sub dir { my ($p) = @_; mkdir $p or die "$p: $!"; }
    my ($folders, $files) = (0, 0);
    # Wide: one folder of 20 000 files; one of 2 000 subfolders of 10 files.
    dir("$root/wide-files"); $folders++;
    for my $i (1..20000) { file("$root/wide-files/f$i.dat"); $files++; }
    dir("$root/wide-folders"); $folders++;
    for my $i (1..2000) { my $d = "$root/wide-folders/d$i"; dir($d); $folders++;
      for my $j (1..10) { file("$d/g$j.txt"); $files++; } }
    # Deep: a chain of 200 folders, 5 files at each level.
    my $d = "$root/deep";
    for my $level (1..200) { $d .= "/level-$level"; }
    my $p = "$root/deep"; dir($p); $folders++;
    for my $level (1..200) { $p .= "/level-$level"; dir($p); $folders++;
      for my $j (1..5) { file("$p/n$j"); $files++; } }
    # Bulk: 20 x 30 x 29 folders sharing 160 000 files, some dot and
    # non-ASCII names among them.
    my @leaves;
    for my $a (1..20) { my $pa = "$root/top-$a"; dir($pa); $folders++;
      for my $b (1..30) { my $pb = "$pa/" . ($b % 7 == 0 ? ".mid-$b" : "mid-$b"); dir($pb); $folders++;
        for my $c (1..29) { my $pc = "$pb/" . ($c % 11 == 0 ? "\x{6587}\x{4EF6}-$c" : "leaf-$c");
          utf8::encode($pc); dir($pc); $folders++; push @leaves, $pc; } } }
    for my $i (0..159999) { file($leaves[$i % @leaves] . "/b$i.bin"); $files++; }
    print "$folders folders, $files files\n";
  ' "$tree"
  touch "$tree/.complete"
fi

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
    mkdir -p "$tree.empty"
    bench "dravon-scan.exe, empty folder (Wine start-up)" wine "$winscan" \
      "Z:$(echo "$tree.empty" | tr / '\\')" >/dev/null
    awk -v a="$t_wine" -v b="$t_du" 'BEGIN {printf "ratio dravon-scan.exe under Wine / du: %.2f\n", a / b}'
    wine "$winscan" --stats "$wtree" 2>&1 >/dev/null | tr -d '\r' | sed 's/^/Wine engine: /'
  fi
fi
