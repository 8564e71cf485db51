// vemi-disc: the disc authoring and inspection tool.
#include <cstdio>
#include <cstring>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#include <string>
#include <vector>

#include "tools/command.h"

namespace tool {

std::vector<Command>& Registry() {
    static std::vector<Command> r;
    return r;
}

bool Register(Command c) {
    Registry().push_back(std::move(c));
    return true;
}

const std::vector<Command>& Commands() { return Registry(); }

int Fail(const std::string& message) {
    std::fprintf(stderr, "vemi-disc: %s\n", message.c_str());
    return 1;
}

}  // namespace tool

#if !VEMI_HAVE_FREETYPE
// Without FreeType (Debian has none for mingw, so the Windows build goes without)
// the commands that draw TrueType text say so before they start, not halfway
// through a disc.
static bool NeedsFreeType(const std::string& cmd) {
    for (const char* c : {"build", "resources", "artwork", "font", "fonts-build-default"})
        if (cmd == c) return true;
    return false;
}
#endif

static void Usage(FILE* out) {
    std::fprintf(out, "usage: vemi-disc COMMAND [ARGS]\n       vemi-disc --help | --version\n\nCommands:\n");
    for (const auto& c : tool::Commands()) std::fprintf(out, "  %-40s %s\n", c.usage.c_str(), c.help.c_str());
}

int main(int argc, char** argv) {
#ifdef _WIN32
    // The C runtime of Windows turns LF into CR LF on standard output and stops
    // reading standard input at a Ctrl-Z; a catalogue's bytes must pass unchanged.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    if (argc < 2) {
        Usage(stderr);
        return 2;
    }
    std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        Usage(stdout);
        return 0;
    }
    if (cmd == "--version") {
        std::printf("vemi-disc %s\n", VEMI_VERSION);
        return 0;
    }
#if !VEMI_HAVE_FREETYPE
    if (NeedsFreeType(cmd))
        return tool::Fail(cmd + " draws TrueType text, which needs FreeType; this build of vemi-disc has none (use the Linux build)");
#endif
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const auto& c : tool::Commands())
        if (c.name == cmd) {
            if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
                std::printf("usage: vemi-disc %s\n%s\n", c.usage.c_str(), c.help.c_str());
                return 0;
            }
            try {
                return c.run(args);
            } catch (const std::exception& e) {
                return tool::Fail(e.what());
            }
        }
    std::fprintf(stderr, "vemi-disc: unknown command '%s'\n", cmd.c_str());
    Usage(stderr);
    return 2;
}
