#!/usr/bin/env python3
# ntfs-compact-seed.py IMAGE OUT: a small volume for the mft_volume target,
# from a mkntfs image with 512-byte clusters: the boot sector, then the table
# at byte 512 holding records 0-15 and the user records renumbered from 16
# (every reference to them rewritten), and no $UpCase data. A third of the
# size of the image's start, so the fuzzer runs it faster.
import struct, sys
img, out = sys.argv[1], sys.argv[2]
b = bytearray(open(img, 'rb').read())
bps, = struct.unpack_from('<H', b, 11)
cl = bps * b[13]
mft = struct.unpack_from('<Q', b, 0x30)[0] * cl
rec = 1024
def record(n): return bytearray(b[mft + n * rec: mft + (n + 1) * rec])
def unfix(r):
    o, c = struct.unpack_from('<HH', r, 4)
    for i in range(1, c): r[i*512-2:i*512] = r[o+2*i:o+2*i+2]
def fix(r):
    o, c = struct.unpack_from('<HH', r, 4)
    for i in range(1, c):
        r[o+2*i:o+2*i+2] = r[i*512-2:i*512]; r[i*512-2:i*512] = r[o:o+2]
count = 0
# table size from record 0
r0 = record(0); unfix(r0)
at = struct.unpack_from('<H', r0, 20)[0]
while True:
    t, l = struct.unpack_from('<II', r0, at)
    if t == 0xFFFFFFFF: break
    if t == 0x80 and r0[at+9] == 0: total = struct.unpack_from('<Q', r0, at+48)[0] // rec
    at += l
users = [n for n in range(64, total) if b[mft+n*rec:mft+n*rec+4] == b'FILE' and b[mft+n*rec+22] & 1]
remap = {n: n for n in range(16)}
for i, n in enumerate(users): remap[n] = 16 + i
count = 16 + len(users)
def ref(v):
    n, s = v & 0xFFFFFFFFFFFF, v >> 48
    return (remap.get(n, n) | (s << 48)) if n in remap else v
outrecs = []
for n in list(range(16)) + users:
    r = record(n)
    if r[:4] != b'FILE':
        outrecs.append(bytes(rec)); continue
    unfix(r)
    struct.pack_into('<I', r, 44, remap[n])
    base, = struct.unpack_from('<Q', r, 32); struct.pack_into('<Q', r, 32, ref(base) if base else 0)
    at = struct.unpack_from('<H', r, 20)[0]
    while True:
        t, l = struct.unpack_from('<II', r, at)
        if t == 0xFFFFFFFF: break
        nonres = r[at+8]
        if t == 0x30 and not nonres:
            vo, = struct.unpack_from('<H', r, at+20); p, = struct.unpack_from('<Q', r, at+vo)
            struct.pack_into('<Q', r, at+vo, ref(p))
        if t == 0x20 and not nonres:
            vo, = struct.unpack_from('<H', r, at+20); vl, = struct.unpack_from('<I', r, at+16)
            e = at + vo
            while e < at + vo + vl:
                el, = struct.unpack_from('<H', r, e+4); p, = struct.unpack_from('<Q', r, e+16)
                struct.pack_into('<Q', r, e+16, ref(p)); e += el
        if t == 0x80 and r[at+9] == 0 and n == 0:
            # one run: count*2 clusters of 512 bytes at cluster 1
            struct.pack_into('<QQ', r, at+16, 0, count*2-1)
            mp, = struct.unpack_from('<H', r, at+32)
            r[at+mp:at+l] = bytes(l-mp); r[at+mp:at+mp+4] = bytes([0x12]) + struct.pack('<H', count*2) + bytes([1])
            struct.pack_into('<QQQ', r, at+40, count*rec, count*rec, count*rec)
        if t == 0x80 and r[at+9] == 0 and n == 10 and nonres:
            mp, = struct.unpack_from('<H', r, at+32); r[at+mp:at+l] = bytes(l-mp)
            struct.pack_into('<QQQ', r, at+40, 0, 0, 0); struct.pack_into('<Q', r, at+24, 0)
        at += l
    fix(r); outrecs.append(bytes(r))
boot = bytearray(b[:512])
struct.pack_into('<H', boot, 11, 512); boot[13] = 1
struct.pack_into('<Q', boot, 0x28, 2 * count + 64)
struct.pack_into('<Q', boot, 0x30, 1); boot[0x40] = 0xF6  # 2^10-byte records
open(out, 'wb').write(bytes(boot) + b''.join(outrecs))
print(out, len(users), 'user records', 512 + len(outrecs) * rec, 'bytes')
