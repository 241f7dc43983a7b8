#!/usr/bin/env bash
# Writes the seeds of the two table-reader targets from small volumes made
# with mkntfs and filled through ntfs-3g (root and FUSE needed): mft_volume
# gets each volume's start up to the end of its table, and a compact copy of
# one (ntfs-compact-seed.py), mft_record each record
# in use (a size code, its number, its bytes). Run by hand when the layout of
# the seeds should change.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'fusermount -u "$work/mnt" 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$work/mnt" "$top/fuzz/corpus/mft_volume" "$top/fuzz/corpus/mft_record"

for cluster in 512 4096; do
  img=$work/v$cluster.img
  truncate -s 2M "$img"
  mkntfs -F -Q -q -c "$cluster" "$img" 2>/dev/null
  ntfs-3g "$img" "$work/mnt"
  m=$work/mnt
  mkdir -p "$m/Folder/sub" "$m/links" "$m/été"
  printf 'small' > "$m/Folder/a.txt"
  head -c 3000 /dev/zero > "$m/Folder/sub/big.bin"
  printf 'x' > "$m/links/many"
  for i in $(seq 1 40); do ln "$m/links/many" "$m/links/name-with-some-length-$i"; done
  printf 'y' > "$m/Long file name.text"
  truncate -s 100M "$m/sparse"
  python3 - "$m" <<'PY'
import os, struct, sys
m = sys.argv[1]
os.mkdir(m + '/link')
target = '..\\Folder'.encode('utf-16-le')
body = struct.pack('<HHHHI', 0, len(target), len(target) + 2, len(target), 1) + target + b'\0\0' + target + b'\0\0'
os.setxattr(m + '/link', 'system.ntfs_reparse_data', struct.pack('<IHH', 0xA000000C, len(body), 0) + body)
PY
  rm -rf "$m/Folder/sub/gone"
  fusermount -u "$m"
  python3 - "$img" "$top/fuzz/corpus" "$cluster" <<'PY'
import struct, sys
img, corpus, cluster = sys.argv[1], sys.argv[2], sys.argv[3]
b = open(img, 'rb').read()
bps, = struct.unpack_from('<H', b, 11)
mft = struct.unpack_from('<Q', b, 0x30)[0] * bps * b[13]
rec = 1 << (256 - b[0x40]) if b[0x40] > 0x80 else b[0x40] * bps * b[13]
r0 = b[mft:mft + rec]
# the table's size: record 0's unnamed $DATA (non-resident) data size
at = struct.unpack_from('<H', r0, 20)[0]
size = None
while True:
    t, l = struct.unpack_from('<II', r0, at)
    if t == 0xFFFFFFFF: break
    if t == 0x80 and r0[at + 9] == 0: size = struct.unpack_from('<Q', r0, at + 48)[0]
    at += l
open(f'{corpus}/mft_volume/mkntfs-{cluster}.ntfs', 'wb').write(b[:mft + size])
for n in range(size // rec):
    r = b[mft + n * rec: mft + (n + 1) * rec]
    if r[:4] == b'FILE' and r[22] & 1 and (n < 12 or n >= 64):
        open(f'{corpus}/mft_record/c{cluster}-{n:03}.rec', 'wb').write(bytes([0]) + struct.pack('<H', n) + r)
PY
  [ "$cluster" = 512 ] && python3 "$top/fuzz/ntfs-compact-seed.py" "$img" "$top/fuzz/corpus/mft_volume/compact-512.ntfs"
done
ls -la "$top/fuzz/corpus/mft_volume"
ls "$top/fuzz/corpus/mft_record" | wc -l
