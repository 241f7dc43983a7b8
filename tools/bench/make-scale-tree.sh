#!/usr/bin/env bash
# Makes a tree of FILES sparse files, 10 a folder, once (a .complete marker):
# leaf folders three levels down, 50 to a parent, names of the lengths real
# drives show (camera pictures, documents, builds), sizes up to 256 KiB.
#   tools/bench/make-scale-tree.sh FILES TREE_DIR
set -euo pipefail
files=${1:?usage: make-scale-tree.sh FILES TREE_DIR}
tree=${2:?usage: make-scale-tree.sh FILES TREE_DIR}
[ -f "$tree/.complete" ] && exit 0
echo "Building $files files in $tree ..."
rm -rf "$tree"
mkdir -p "$tree"
perl -e '
  use strict; use warnings;
  my ($root, $files) = @ARGV;
  my $seed = 4711;
  sub rnd { $seed = ($seed * 1103515245 + 12345) % 2147483648; return $seed; }
  my @top = ("Users", "Program Files", "Projects", "Photos", "Music Library", "Backups");
  my @mid = ("Documents and Settings", "node_modules", "2019-04 Holiday", "Build Output", "Reports");
  my @ext = (".jpg", ".docx", ".o", ".mp3", ".json", ".dll", ".txt", ".pdf");
  my $folders = $files / 10;
  for my $i (0 .. $folders - 1) {
    my $a = int($i / 2500); my $b = int($i / 50) % 50;
    my $pa = "$root/" . $top[$a % @top] . " $a";
    my $pb = "$pa/" . $mid[$b % @mid] . " $b";
    my $pc = sprintf("%s/Folder %06d of the collection", $pb, $i);
    mkdir $pa; mkdir $pb; mkdir $pc or die "$pc: $!";
    for my $j (0 .. 9) {
      my $p = sprintf("%s/IMG_2019%04d_%06d_copy%s", $pc, $i % 10000, $j + 10 * $i, $ext[($i + $j) % @ext]);
      open(my $f, ">", $p) or die "$p: $!"; truncate($f, rnd() % 262144); close $f;
    }
  }
' "$tree" "$files"
touch "$tree/.complete"
