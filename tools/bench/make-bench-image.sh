#!/usr/bin/env bash
# Copies a benchmark tree onto an NTFS image once (every file goes through
# FUSE: minutes for 200 000 files) and keeps it beside the tree with a
# .complete marker; files keep their apparent sizes as sparse files.
# Needs root and FUSE (ntfs-3g, mkntfs).
#   tools/bench/make-bench-image.sh TREE_DIR [SIZE]   (image TREE_DIR.ntfs)
set -euo pipefail
tree=${1:?usage: make-bench-image.sh TREE_DIR [SIZE]}
size=${2:-2G}
image=$tree.ntfs
mount=$tree.ntfs-mount
[ -f "$image.complete" ] && exit 0
echo "Copying the tree onto an NTFS image ($image) ..."
mkdir -p "$mount"
mountpoint -q "$mount" && fusermount -u "$mount"
rm -f "$image"
truncate -s "$size" "$image"
mkntfs -F -Q -q -L bench "$image" >/dev/null 2>&1
ntfs-3g "$image" "$mount"
trap 'fusermount -u "$mount" 2>/dev/null || true' EXIT
(cd "$tree" && find . -mindepth 1 -type d -printf '%P\0' | (cd "$mount" && xargs -0 mkdir -p))
(cd "$tree" && find . -type f -printf '%s %P\0' | MOUNT=$mount perl -0 -ne 'chomp;
   my ($s, $p) = split / /, $_, 2;
   open(my $f, ">", "$ENV{MOUNT}/$p") or die "$p: $!"; truncate($f, $s); close $f;')
fusermount -u "$mount"
trap - EXIT
touch "$image.complete"
