// vemi-disc check: what would break a disc, found before it is burned.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/command.h"
#include "tools/lib/disccheck.h"

namespace {

constexpr const char* kCheckUsage = "check DISC | IMAGE.iso";

int RunCheck(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: vemi-disc %s\n", kCheckUsage);
        return 2;
    }
    // Findings go out as they are made: on a full DVD the first ones come long
    // before the last archive has been read.
    const tool::CheckResult r = tool::CheckDisc(args[0], [](const tool::CheckFinding& f) {
        std::printf("%s\n", tool::FormatFinding(f).c_str());
        std::fflush(stdout);
    });
    std::printf("%s", tool::FormatSummary(r).c_str());
    return r.Errors() > 0 ? 1 : 0;
}

}  // namespace

VEMI_REGISTER_COMMAND("check", kCheckUsage,
                      "check a disc folder, or its image, before it is burned: both catalogues, every path a record "
                      "names (found as the menu finds it), every archive member's CRC and name, the resource streams, "
                      "the screenshots, the exit program and the menu program at the root. An image is read through its "
                      "own trees (nothing is mounted or unpacked) and is also checked for names that differ between "
                      "its Rock Ridge tree (Linux) and its Joliet tree (Windows) or are too long for Joliet, and for "
                      "the medium it fits (an info line; an error when it fits no CD or DVD). One line per problem; "
                      "the exit status is 1 when anything would fail for a user, 0 when there are at most warnings",
                      RunCheck);
