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

    optical_drive.py --image DISC.iso MOUNTPOINT [...]

With --image the drive serves the files of an ISO 9660 image with Rock Ridge, read
where they lie in it: the head has one position on the disc, not one per file. A read
that continues where the head stopped costs only its bytes; a short gap forward (up to
64 KiB) is read through at the drive's rate; a move of up to 1 MiB either way, which
a drive makes without leaving its track region, costs a jump (--jump); anything
further costs a seek (--seek). A folder's entries are read from the folder's own
place in the image the first time anything in it is looked up. So files that a
program reads one after another cost one seek when they lie one after another.

What the kernel has read stays in its cache until the file system is unmounted: a cold
start needs a fresh mount. On unmount the counters (requests, bytes, jumps, the time the
drive was busy) go to --stats as one line of key=value pairs; --trace writes one line per
request while it runs.
"""
import argparse
import errno
import os
import stat
import struct
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

    # Reads by their place on the disc (an image's files): see the module's text.
    THROUGH = 64 << 10
    NEAR = 1 << 20

    def read_at(self, what, kind, address, size):
        with self.lock:
            cost = size / self.bytes_per_s
            gap = address - self.at_offset if self.at_file == 'disc' else None
            if gap == 0:
                pass
            elif gap is not None and 0 < gap <= self.THROUGH:
                cost += gap / self.bytes_per_s
            elif gap is not None and abs(gap) <= self.NEAR:
                cost += self.jump_s
                self.jumps += 1
            else:
                cost += self.seek_s
                self.seeks += 1
            self.at_file, self.at_offset = 'disc', address + size
            self.bytes += size
            self._serve(kind, what, address, size, cost)

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


SECTOR = 2048


class IsoNode:
    def __init__(self, lba, size, mode, mtime):
        self.lba, self.size, self.mode, self.mtime = lba, size, mode, mtime
        self.children = None        # name -> IsoNode, for a folder once listed
        self.target = None          # a symbolic link's target


class IsoImage:
    """The Rock Ridge tree of an ISO 9660 image, read from the image itself: each
    file's and folder's place (LBA) and size, with its POSIX mode and name."""

    def __init__(self, path):
        self.f = open(path, 'rb')
        pvd = self._sectors(16, 1)
        if pvd[0] != 1 or pvd[1:6] != b'CD001':
            raise SystemExit('optical_drive: %s is not an ISO 9660 image' % path)
        self.root = self._node(pvd[156:156 + 34])[1]
        self.root.mode = stat.S_IFDIR | 0o555

    def _sectors(self, lba, count):
        self.f.seek(lba * SECTOR)
        return self.f.read(count * SECTOR)

    def _susp(self, area):
        """The Rock Ridge entries of a record's system use area, continuation areas
        followed."""
        out, seen = [], 0
        while area and seen < 64:
            seen += 1
            next_area, i = b'', 0
            while i + 4 <= len(area):
                sig, length = area[i:i + 2], area[i + 2]
                if length < 4:
                    break
                data = area[i + 4:i + length]
                if sig == b'CE' and len(data) >= 24:
                    lba, off, ln = (struct.unpack_from('<I', data, k)[0] for k in (0, 8, 16))
                    next_area = self._sectors(lba, 1 + (off + ln) // SECTOR)[off:off + ln]
                elif sig == b'ST':
                    break
                else:
                    out.append((sig, data))
                i += length
            area = next_area
        return out

    def _node(self, rec):
        lba, size = struct.unpack_from('<I', rec, 2)[0], struct.unpack_from('<I', rec, 10)[0]
        is_dir = bool(rec[25] & 2)
        name_len = rec[32]
        raw_name = rec[33:33 + name_len]
        su = rec[33 + name_len + (1 - name_len % 2):]
        name, mode, target = None, None, None
        nm = b''
        for sig, data in self._susp(su):
            if sig == b'NM' and data:
                if not data[0] & 6:           # not "." or ".."
                    nm += data[1:]
                    name = nm
            elif sig == b'PX' and len(data) >= 8:
                mode = struct.unpack_from('<I', data, 0)[0]
            elif sig == b'SL':
                parts, i = [], 1
                while i + 2 <= len(data):
                    flags, ln = data[i], data[i + 1]
                    comp = data[i + 2:i + 2 + ln]
                    parts.append('.' if flags & 2 else '..' if flags & 4 else '' if flags & 8 else comp.decode('utf-8', 'replace'))
                    i += 2 + ln
                target = (target + '/' if target else '') + '/'.join(parts)
        if name is None:
            name = raw_name.split(b';')[0].rstrip(b'.')
        if mode is None:
            mode = (stat.S_IFDIR | 0o555) if is_dir else (stat.S_IFREG | 0o444)
        node = IsoNode(lba, size, mode, 0)
        node.target = target
        return raw_name, node, name.decode('utf-8', 'replace')

    def list(self, node):
        """Reads a folder's records; returns them with the folder's own place."""
        if node.children is None:
            node.children = {}
            data = self._sectors(node.lba, (node.size + SECTOR - 1) // SECTOR)[:node.size]
            i = 0
            while i < len(data):
                length = data[i]
                if length == 0:
                    i = (i // SECTOR + 1) * SECTOR
                    continue
                raw, child, name = self._node(data[i:i + length])
                if raw not in (b'\x00', b'\x01'):
                    node.children[name] = child
                i += length
        return node.children

    def find(self, path):
        """The node of a path and the folders on the way to it, outermost first."""
        node, folders = self.root, []
        for part in [p for p in path.split('/') if p]:
            if not stat.S_ISDIR(node.mode):
                return None, folders
            folders.append(node)
            node = self.list(node).get(part)
            if node is None:
                return None, folders
        return node, folders

    def pread(self, node, size, offset):
        size = max(0, min(size, node.size - offset))
        self.f.seek(node.lba * SECTOR + offset)
        return self.f.read(size)


class ImageDisc(Operations):
    """An image's files, each read at its place in the image."""

    def __init__(self, image, head, stats_file):
        self.image = image
        self.head = head
        self.stats_file = stats_file
        self.listed = set()

    def _folder(self, node, path):
        if id(node) not in self.listed:
            self.listed.add(id(node))
            self.head.read_at(path, 'folder', node.lba * SECTOR, node.size)

    def _lookup(self, path):
        node, folders = self.image.find(path)
        parts = [p for p in path.split('/') if p]
        for depth, f in enumerate(folders):
            self._folder(f, '/' + '/'.join(parts[:depth]))
        if node is None:
            raise FuseOSError(errno.ENOENT)
        return node

    def getattr(self, path, fh=None):
        node = self._lookup(path)
        return {'st_mode': node.mode & ~0o222, 'st_size': node.size, 'st_nlink': 1,
                'st_uid': 0, 'st_gid': 0, 'st_atime': 0, 'st_mtime': 0, 'st_ctime': 0}

    def readdir(self, path, fh):
        node = self._lookup(path)
        self._folder(node, path)
        return ['.', '..'] + list(self.image.list(node))

    def readlink(self, path):
        node = self._lookup(path)
        if node.target is None:
            raise FuseOSError(errno.EINVAL)
        return node.target

    def open(self, path, flags):
        if flags & (os.O_WRONLY | os.O_RDWR):
            raise FuseOSError(errno.EROFS)
        self._lookup(path)
        return 0

    def read(self, path, size, offset, fh):
        node = self._lookup(path)
        data = self.image.pread(node, size, offset)
        if data:
            self.head.read_at(path, 'read', node.lba * SECTOR + offset, len(data))
        return data

    def statfs(self, path):
        return {'f_bsize': SECTOR, 'f_frsize': SECTOR, 'f_blocks': 0, 'f_bfree': 0, 'f_bavail': 0,
                'f_files': 0, 'f_ffree': 0, 'f_favail': 0, 'f_namemax': 255}

    def destroy(self, path):
        if self.stats_file:
            with open(self.stats_file, 'w') as f:
                f.write(self.head.summary() + '\n')


def main():
    p = argparse.ArgumentParser(description='Serve a folder at the pace of an optical drive.')
    p.add_argument('folder', help='the disc folder, or with --image the ISO 9660 image')
    p.add_argument('mountpoint')
    p.add_argument('--rate', type=float, default=11.0, help='streaming rate in MB/s (8x DVD: 11)')
    p.add_argument('--seek', type=float, default=100.0, help='ms to move the head to another file or folder')
    p.add_argument('--jump', type=float, default=30.0, help='ms to move the head within one file')
    p.add_argument('--stats', help='file that gets the counters on unmount')
    p.add_argument('--trace', help='file that gets one line per request')
    p.add_argument('--image', action='store_true', help='serve an ISO 9660 image\'s files where they lie in it')
    a = p.parse_args()
    trace = open(a.trace, 'w') if a.trace else None
    head = Head(a.rate, a.seek, a.jump, trace)
    # kernel_cache: what was read stays cached however often a file is opened again,
    # as with a real disc; by default FUSE would drop a file's pages at every open.
    disc = ImageDisc(IsoImage(a.folder), head, a.stats) if a.image else OpticalDisc(a.folder, head, a.stats)
    FUSE(disc, a.mountpoint, foreground=True, ro=True, nothreads=True,
         kernel_cache=True,
         fsname='optical-drive')


if __name__ == '__main__':
    main()
