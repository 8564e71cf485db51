#!/usr/bin/python3
"""A folder served read-only through FUSE at the pace of an optical drive.

    optical_drive.py FOLDER MOUNTPOINT [--rate MB/s] [--seek MS] [--jump MS]
                     [--stats FILE] [--trace FILE]

The drive has one head and takes one request at a time. Reading costs the bytes at the
drive's rate; a read that does not start where the head stopped costs a jump first: a
short one (--jump) when the head stays in the same file, a full seek (--seek) when it
must go to another file or to a folder. A folder's own entries lie in one place on the
disc and are read the first time anything in it is looked up or listed; after that the
kernel knows them, as it does for a real disc, so later look-ups in it are free.

What the kernel has read stays in its cache until the file system is unmounted: a cold
start needs a fresh mount. On unmount the counters (requests, bytes, jumps, the time the
drive was busy) go to --stats as one line of key=value pairs; --trace writes one line per
request while it runs.
"""
import argparse
import errno
import os
import sys
import threading
import time

try:
    from fusepy import FUSE, FuseOSError, Operations      # Debian's python3-fusepy
except ImportError:
    try:
        from fuse import FUSE, FuseOSError, Operations
    except ImportError:
        sys.exit("optical_drive: python3-fusepy is missing (apt-get install python3-fusepy)")


class Head:
    """Where the drive's head stands and what moving it has cost so far."""

    def __init__(self, rate_mb, seek_ms, jump_ms, trace):
        self.bytes_per_s = rate_mb * 1e6
        self.seek_s = seek_ms / 1e3
        self.jump_s = jump_ms / 1e3
        self.trace = trace
        self.lock = threading.Lock()
        self.at_file = None        # the file (or folder) under the head
        self.at_offset = -1        # the byte after the last one read there
        self.known_folders = set()
        self.requests = self.bytes = self.seeks = self.jumps = 0
        self.busy_s = 0.0
        self.t0 = time.monotonic()

    def _serve(self, kind, where, offset, size, cost):
        # The caller holds the lock: the drive is busy for the whole request.
        time.sleep(cost)
        self.requests += 1
        self.busy_s += cost
        if self.trace:
            self.trace.write('%9.3f %-6s %s @%d +%d %.1f ms\n'
                             % (time.monotonic() - self.t0, kind, where, offset, size, cost * 1e3))
            self.trace.flush()

    def folder(self, folder):
        with self.lock:
            if folder in self.known_folders:
                return
            self.known_folders.add(folder)
            self.seeks += 1
            self.at_file, self.at_offset = folder, -1
            self._serve('folder', folder, 0, 0, self.seek_s)

    def read(self, path, offset, size):
        with self.lock:
            cost = size / self.bytes_per_s
            if self.at_file != path:
                cost += self.seek_s
                self.seeks += 1
            elif self.at_offset != offset:
                cost += self.jump_s
                self.jumps += 1
            self.at_file, self.at_offset = path, offset + size
            self.bytes += size
            self._serve('read', path, offset, size, cost)

    def summary(self):
        return ('requests=%d bytes=%d seeks=%d jumps=%d busy_ms=%.1f'
                % (self.requests, self.bytes, self.seeks, self.jumps, self.busy_s * 1e3))


def parent_of(path):
    parent = os.path.dirname(path.rstrip('/'))
    return parent or '/'


class OpticalDisc(Operations):
    def __init__(self, folder, head, stats_file):
        self.top = os.path.realpath(folder)
        self.head = head
        self.stats_file = stats_file

    def _host(self, path):
        return self.top + path if path != '/' else self.top

    def getattr(self, path, fh=None):
        if path != '/':
            self.head.folder(parent_of(path))
        try:
            st = os.lstat(self._host(path))
        except OSError as e:
            raise FuseOSError(e.errno)
        keys = ('st_mode', 'st_size', 'st_nlink', 'st_uid', 'st_gid', 'st_atime', 'st_mtime', 'st_ctime')
        attrs = {k: getattr(st, k) for k in keys}
        attrs['st_mode'] &= ~0o222   # a pressed disc cannot be written
        return attrs

    def readdir(self, path, fh):
        self.head.folder(path)
        return ['.', '..'] + os.listdir(self._host(path))

    def readlink(self, path):
        return os.readlink(self._host(path))

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        return os.open(self._host(path), os.O_RDONLY)

    def read(self, path, size, offset, fh):
        data = os.pread(fh, size, offset)
        if data:
            self.head.read(path, offset, len(data))
        return data

    def release(self, path, fh):
        os.close(fh)
        return 0

    def statfs(self, path):
        sv = os.statvfs(self.top)
        return {k: getattr(sv, k) for k in ('f_bsize', 'f_frsize', 'f_blocks', 'f_bfree', 'f_bavail',
                                            'f_files', 'f_ffree', 'f_favail', 'f_namemax')}

    def destroy(self, path):
        if self.stats_file:
            with open(self.stats_file, 'w') as f:
                f.write(self.head.summary() + '\n')


def main():
    p = argparse.ArgumentParser(description='Serve a folder at the pace of an optical drive.')
    p.add_argument('folder')
    p.add_argument('mountpoint')
    p.add_argument('--rate', type=float, default=11.0, help='streaming rate in MB/s (8x DVD: 11)')
    p.add_argument('--seek', type=float, default=100.0, help='ms to move the head to another file or folder')
    p.add_argument('--jump', type=float, default=30.0, help='ms to move the head within one file')
    p.add_argument('--stats', help='file that gets the counters on unmount')
    p.add_argument('--trace', help='file that gets one line per request')
    a = p.parse_args()
    trace = open(a.trace, 'w') if a.trace else None
    head = Head(a.rate, a.seek, a.jump, trace)
    # kernel_cache: what was read stays cached however often a file is opened again,
    # as with a real disc; by default FUSE would drop a file's pages at every open.
    FUSE(OpticalDisc(a.folder, head, a.stats), a.mountpoint, foreground=True, ro=True, nothreads=True,
         kernel_cache=True,
         fsname='optical-drive')


if __name__ == '__main__':
    main()
