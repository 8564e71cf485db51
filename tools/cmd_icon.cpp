// vemi-disc icon: writes the Windows menu program's icon, which the build compiles
// into vemi32.exe and a disc's autorun.inf names.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "tools/command.h"
#include "tools/lib/icon.h"

namespace {

constexpr const char* kUsage = "icon OUT.ico";

int RunIcon(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vemi-disc %s\n", kUsage);
        return 2;
    }
    std::vector<art::IconPicture> pictures;
    for (int s : art::IconSizes()) pictures.push_back(art::DrawProgramIcon(s));
    const std::vector<uint8_t> ico = art::EncodeIco(pictures);
    if (!platform::HostWriteFile(args[0], ico.data(), ico.size())) return tool::Fail("cannot write " + args[0]);
    return 0;
}

VEMI_REGISTER_COMMAND("icon", kUsage,
                      "write the icon of the Windows menu program (a disc, 16 to 64 pixels) as an .ico file",
                      RunIcon);

}  // namespace
