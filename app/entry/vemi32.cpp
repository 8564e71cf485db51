// Program entry of the menu on the desktop: the FLTK back end, the drive table, the
// program's own resources, then the program itself. The exit code is always 0.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "app/Mainu.h"
#include "catalogue/Discpaths.h"
#include "assets/program_resources.h"
#include "platform/fltk/Fltksystem.h"
#include "platform/paths.h"
#include "platform/posix/readahead.h"
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

// What start-up reads from the disc before the first picture: the folders first, then
// the files in the order they are read (discpaths::kStartupFiles, which a disc image
// lays out in the same order). It lies beside the start-up code, not among the
// constants, which are not in memory yet when it is used.
[[gnu::section(".text.startup.plan")]] constexpr char kStartPlan[] =
    "CDInst/Dat/\0CDInst/JPS/\0CDInst/Prg/\0"
    "CDInst/Prg/fdata.jxz\0CDInst/Prg/bdata.jxz\0CDInst/Dat/main.ndt\0CDInst/Dat/mains.ndt\0";

// Whether the plan names the folders and then the files of the disc's list, in order.
constexpr bool PlanFollowsTheDiscsList() {
    const std::string_view plan(kStartPlan, sizeof kStartPlan - 1);
    size_t at = 0;
    const auto next = [&](std::string_view disc, bool folder) {
        // "\CDInst\Dat" is "CDInst/Dat/" in the plan.
        for (size_t i = 1; i < disc.size(); ++i, ++at)
            if (at >= plan.size() || plan[at] != (disc[i] == '\\' ? '/' : disc[i])) return false;
        if (folder && (at >= plan.size() || plan[at++] != '/')) return false;
        return at < plan.size() && plan[at++] == 0;
    };
    for (std::string_view f : discpaths::kStartupFolders)
        if (!next(f, true)) return false;
    for (std::string_view f : discpaths::kStartupFiles)
        if (!next(f, false)) return false;
    return at == plan.size();
}
static_assert(PlanFollowsTheDiscsList(), "the start-up plan must follow discpaths' list");

[[gnu::section(".text.startup")]] void ReadAheadAtStart(int argc, char** argv, char** envp) {
    platform::ReadStartAhead(argc, argv, envp, kStartPlan);
}

// Before the C++ runtime's and the libraries' own initialisation.
[[gnu::section(".preinit_array"), gnu::used]] void (*const kReadAheadAtStart)(int, char**, char**) = ReadAheadAtStart;

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
