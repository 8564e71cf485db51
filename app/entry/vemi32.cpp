// Program entry of the menu on the desktop: the FLTK back end, the drive table, the
// program's own resources, then the program itself. The exit code is always 0.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "app/Mainu.h"
#include "assets/program_resources.h"
#include "platform/fltk/Fltksystem.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "platform/text.h"

int main(int argc, char** argv) {
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
    }
    return 0;
}
