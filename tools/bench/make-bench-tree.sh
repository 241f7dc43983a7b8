#!/usr/bin/env bash
# Makes the benchmark tree once: about 200 000 sparse files in 20 000
# folders, with a deep chain and very wide folders (scan-bench.sh,
# gui-scan-bench.sh). A finished tree keeps a .complete marker.
#   tools/bench/make-bench-tree.sh TREE_DIR
set -euo pipefail
tree=${1:?usage: make-bench-tree.sh TREE_DIR}
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
