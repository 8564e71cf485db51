// Program entry of the menu on the desktop: the FLTK back end, the drive table, the
// program's own resources, then the program itself. The exit code is always 0.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "app/Mainu.h"
#include "assets/program_resources.h"
#include "platform/fltk/Fltksystem.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "platform/text.h"

namespace {

const char kHelp[] =
    "usage: vemi32 [/NOFLASH]\n"
    "\n"
    "The start menu of the cover disc: a 1024 x 768 window that lists the disc's\n"
    "programs and runs, installs and copies them. It is started from the disc's root\n"
    "folder and needs an X display.\n"
    "\n"
    "  /NOFLASH    show the banners' pictures instead of their movies\n"
    "  --help      show this text and exit\n"
    "  --version   show the version and exit\n"
    "\n"
    "Drives as the menu sees them:\n"
    "  D:  the disc: the folder that holds this program, or $VEMI_DISC_ROOT\n"
    "  C:  the hard disk: the home folder, or $VEMI_DRIVE_C\n"
    "  Z:  the root of this machine's file system\n";

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

// Before the C++ runtime's and the libraries' own initialisation.
[[gnu::section(".preinit_array"), gnu::used]] void (*const kReadOwnFileAhead)(int, char**, char**) = ReadOwnFileAhead;

}  // namespace

int main(int argc, char** argv) {
    // Answered on the terminal before anything needs a display. Only the first
    // argument is looked at, as by the menu; everything else goes to the menu.
    if (argc >= 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vemi32 %s\n", VEMI_VERSION);
        return 0;
    }
    try {
        auto sys = CreateFltkSystem(argc, argv);
        platform::SetSystem(sys.get());
        platform::Drives().SetUpDefaults(platform::ExecutableFolder());
        RegisterProgramResources();
        std::vector<std::string> args;
        for (int i = 1; i < argc; ++i) args.push_back(platform::Utf8ToCp1250(argv[i]));
        {
            Program program(args);
            if (program.Start()) program.Run();
        }
        platform::SetSystem(nullptr);
    } catch (const std::exception& e) {
        // Nothing escapes to the desktop; without a display there is nowhere to show a
        // box, so the reason goes to the terminal that started the menu.
        std::fprintf(stderr, "vemi32: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "vemi32: unknown error\n");
    }
    return 0;
}
