#!/usr/bin/python3
"""A small read-only file system whose chosen calls block until released:
a drive that stops answering, as a mapped drive does when its server is
gone, or a failing USB disk.

Usage: hangfs.py MOUNTPOINT CONTROL-DIR WHAT...
WHAT: "listing" (the listing of /slow), "statfs" (free space), "label" (the
volume label file Wine reads); with "-armed" (as "statfs-armed") only once
CONTROL-DIR has a file "arm". Each blocked call waits while CONTROL-DIR
has no file "release", and leaves a file "blocked-WHAT" there while it
waits, so a test knows the drive hangs. Runs in the foreground; unmount
with fusermount -u after releasing, since a process blocked inside a
handler cannot be ended until the handler returns.

Tree: /a/x.bin (2 MiB), /slow/s.bin (1 MiB), /f.bin (1 MiB).
"""
import errno
import os
import stat
import sys
import time

import fusepy as fuse

MIB = 1 << 20
FOLDERS = {"/": ["a", "slow", "f.bin"], "/a": ["x.bin"], "/slow": ["s.bin"]}
FILES = {"/f.bin": MIB, "/a/x.bin": 2 * MIB, "/slow/s.bin": MIB}
LABEL = "/.windows-label"


class HangFS(fuse.Operations):
    def __init__(self, control, blocks):
        self.control = control
        self.blocks = set(blocks)

    def hang(self, what):
        armed = os.path.exists(os.path.join(self.control, "arm"))
        if what not in self.blocks and not (what + "-armed" in self.blocks and armed):
            return
        marker = os.path.join(self.control, "blocked-" + what)
        open(marker, "w").close()
        while not os.path.exists(os.path.join(self.control, "release")):
            time.sleep(0.05)

    def getattr(self, path, fh=None):
        now = time.time()
        common = {"st_uid": 0, "st_gid": 0, "st_atime": now, "st_mtime": now, "st_ctime": now}
        if path in FOLDERS:
            return dict(common, st_mode=stat.S_IFDIR | 0o555, st_nlink=2)
        if path in FILES:
            return dict(common, st_mode=stat.S_IFREG | 0o444, st_nlink=1, st_size=FILES[path])
        if path == LABEL:
            self.hang("label")
            return dict(common, st_mode=stat.S_IFREG | 0o444, st_nlink=1, st_size=4)
        raise fuse.FuseOSError(errno.ENOENT)

    def readdir(self, path, fh):
        if path not in FOLDERS:
            raise fuse.FuseOSError(errno.ENOENT)
        if path == "/slow":
            self.hang("listing")
        return [".", ".."] + FOLDERS[path]

    def open(self, path, flags):
        if path == LABEL:
            self.hang("label")
        elif path not in FILES:
            raise fuse.FuseOSError(errno.ENOENT)
        return 0

    def read(self, path, size, offset, fh):
        if path == LABEL:
            return b"Hang"[offset:offset + size]
        return bytes(max(0, min(size, FILES.get(path, 0) - offset)))

    def statfs(self, path):
        self.hang("statfs")
        return {"f_bsize": 4096, "f_frsize": 4096, "f_blocks": 2560, "f_bfree": 1280,
                "f_bavail": 1280, "f_files": 100, "f_ffree": 50, "f_namemax": 255}


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: hangfs.py MOUNTPOINT CONTROL-DIR [listing|statfs|label[-armed]]...")
    mountpoint, control = sys.argv[1], sys.argv[2]
    fuse.FUSE(HangFS(control, sys.argv[3:]), mountpoint, foreground=True, nothreads=False,
              ro=True, allow_other=False)


if __name__ == "__main__":
    main()
