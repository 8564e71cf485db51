#include "platform/posix/readahead.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>

namespace platform {

// Started from a disc, the program's own pages would come in the order its code
// first touches them: dozens of small reads scattered over the file, each one a jump
// of the drive's head. Reading the whole file once, front to back, before the code
// runs much, lets the drive stream it in one pass, and the kernel keeps the pages for
// the code. (Only advising the kernel to read ahead brought in a few blocks and left
// the rest to the scattered faults.) When every page is in memory already, as at a
// second start, nothing is read.
// Placed with the start-up code at the front of the program, which the loader has
// read already: calling it costs the drive no jump of its own.
[[gnu::section(".text.startup")]] void ReadOwnFileAhead(int, char**, char**) {
    // The name is built on the stack: a literal would lie among the constants, far
    // from here, and reaching it would cost the jump this saves.
    char self[] = "/proc/self/exe";
    const int fd = ::open(self, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    struct stat st;
    // Outside the heap, which the back end prepares for itself later; big enough
    // for the residence map of a program up to a gigabyte.
    constexpr size_t kChunk = 256 << 10;
    void* buffer = ::mmap(nullptr, kChunk, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (buffer != MAP_FAILED && ::fstat(fd, &st) == 0 && st.st_size > 0) {
        const size_t size = static_cast<size_t>(st.st_size);
        const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
        const size_t pages = (size + page - 1) / page;
        bool resident = false;
        if (pages <= kChunk) {
            void* file = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
            if (file != MAP_FAILED) {
                auto* in = static_cast<unsigned char*>(buffer);
                resident = ::mincore(file, size, in) == 0;
                for (size_t i = 0; resident && i < pages; ++i) resident = in[i] & 1;
                ::munmap(file, size);
            }
        }
        if (!resident)
            while (::read(fd, buffer, kChunk) > 0) {
            }
    }
    if (buffer != MAP_FAILED) ::munmap(buffer, kChunk);
    ::close(fd);
}

// This runs before the C library's allocator and the C++ runtime may be used, and
// before the program's constants are in memory: everything here is system calls,
// buffers on the stack and loops over bytes.
namespace {

[[gnu::section(".text.startup")]] char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

// Opens `name` (length n) in the folder `dir`, the first entry equal to it ignoring
// ASCII case; -1 when there is none. Listing the folder is what makes the kernel
// read its entries from the disc.
[[gnu::section(".text.startup")]] int OpenIgnoringCase(int dir, const char* name, size_t n, int flags) {
    // The folder's own descriptor, listed from its start (opening "." would take
    // the string from among the constants).
    if (::lseek(dir, 0, SEEK_SET) != 0) return -1;
    const int list = dir;
    alignas(8) char entries[4096];
    int found = -1;
    for (;;) {
        const ssize_t got = ::getdents64(list, entries, sizeof entries);
        if (got <= 0) break;
        for (ssize_t at = 0; at < got && found < 0;) {
            const auto* e = reinterpret_cast<const struct dirent64*>(entries + at);
            at += e->d_reclen;
            size_t i = 0;
            while (i < n && e->d_name[i] != 0 && Lower(e->d_name[i]) == Lower(name[i])) ++i;
            if (i == n && e->d_name[n] == 0) found = ::openat(dir, e->d_name, flags | O_CLOEXEC);
        }
        if (found >= 0) break;
    }
    return found;
}

// Opens a plan's path below the root folder; -1 when a name is missing.
[[gnu::section(".text.startup")]] int OpenPath(int root, const char* path) {
    int at = ::dup(root);
    while (at >= 0 && *path != 0) {
        size_t n = 0;
        while (path[n] != 0 && path[n] != '/') ++n;
        const int next = OpenIgnoringCase(at, path, n, path[n] == '/' ? O_RDONLY | O_DIRECTORY : O_RDONLY);
        ::close(at);
        at = next;
        path += path[n] == '/' ? n + 1 : n;
    }
    return at;
}

// The disc's root: VEMI_DISC_ROOT, else the folder of the program's file.
[[gnu::section(".text.startup")]] int OpenDiscRoot(char** envp) {
    for (char** e = envp; e != nullptr && *e != nullptr; ++e) {
        const char* v = *e;
        const char key[] = {'V', 'E', 'M', 'I', '_', 'D', 'I', 'S', 'C', '_', 'R', 'O', 'O', 'T', '='};
        size_t i = 0;
        while (i < sizeof key && v[i] == key[i]) ++i;
        if (i == sizeof key) return ::open(v + i, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    }
    char self[] = "/proc/self/exe";
    char path[4096];
    const ssize_t n = ::readlink(self, path, sizeof path - 1);
    if (n <= 0) return -1;
    ssize_t slash = n - 1;
    while (slash > 0 && path[slash] != '/') --slash;
    path[slash > 0 ? slash : 1] = 0;
    return ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

}  // namespace

[[gnu::section(".text.startup")]] void ReadStartAhead(int argc, char** argv, char** envp, const char* plan) {
    const int root = OpenDiscRoot(envp);
    if (root >= 0) {
        for (const char* p = plan; *p != 0; p += __builtin_strlen(p) + 1) {
            size_t n = __builtin_strlen(p);
            if (p[n - 1] != '/') continue;
            // Listed whole, so that its own entries are read now too.
            const int dir = OpenPath(root, p);
            if (dir < 0) continue;
            alignas(8) char entries[4096];
            while (::getdents64(dir, entries, sizeof entries) > 0) {
            }
            ::close(dir);
        }
    }
    ReadOwnFileAhead(argc, argv, envp);
    if (root < 0) return;
    // Start-up files are small (catalogues, the resource archives); anything larger
    // is no start-up file, and the menu reads what it needs of it itself.
    constexpr off_t kLargest = 16 << 20;
    for (const char* p = plan; *p != 0; p += __builtin_strlen(p) + 1) {
        if (p[__builtin_strlen(p) - 1] == '/') continue;
        const int fd = OpenPath(root, p);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kLargest) {
            alignas(16) char chunk[64 << 10];
            while (::read(fd, chunk, sizeof chunk) > 0) {
            }
        }
        ::close(fd);
    }
    ::close(root);
}

}  // namespace platform
