#include "platform/posix/readahead.h"

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

}  // namespace platform
