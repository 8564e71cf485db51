// Program entry of the menu on Windows: the Win32 back end, the drive table (D: the
// disc, the folder of this program), the program's own resources, then the program
// itself. A windowed program without a console; the exit code is always 0.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/Mainu.h"
#include "assets/program_resources.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "platform/win32/Win32system.h"

int main() {
    const std::vector<std::string> args = platform::win32::CommandLineArguments();
    // Answered on a console or in a redirected output, before any window exists.
    // Only the first argument is looked at, as by the menu.
    if (!args.empty() && (args[0] == "--help" || args[0] == "--version")) {
        if (args[0] == "--version")
            std::printf("vemi32 %s\n", VEMI_VERSION);
        else
            std::fputs("usage: vemi32.exe [/NOFLASH]\n"
                       "\n"
                       "The start menu of the cover disc, started from the disc's root folder.\n"
                       "D: is the disc: the folder that holds this program, or %VEMI_DISC_ROOT%.\n",
                       stdout);
        return 0;
    }
    try {
        auto sys = platform::win32::CreateWin32System();
        platform::SetSystem(sys.get());
        platform::Drives().SetUpDefaults(platform::ExecutableFolder());
        RegisterProgramResources();
        {
            Program program(args);
            if (program.Start()) program.Run();
        }
        platform::SetSystem(nullptr);
    } catch (const std::exception& e) {
        // Nothing escapes to the system; the reason goes where stderr leads, if anywhere.
        std::fprintf(stderr, "vemi32: %s\n", e.what());
    } catch (...) {
        std::fprintf(stderr, "vemi32: unknown error\n");
    }
    return 0;
}
