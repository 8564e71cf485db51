// vemi-disc iso: a disc folder as an image to burn, and where each file lies in one.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "tools/command.h"
#if VEMI_HAVE_LIBISOFS
#include <unistd.h>

#include "tools/lib/disccheck.h"
#include "tools/lib/discfiles.h"
#include "tools/lib/isoimage.h"
#include "tools/lib/isolayout.h"
#endif

namespace {

constexpr const char* kIsoUsage = "iso [--label L] [--date D] [--quiet] DISC OUT.iso | iso --layout IMAGE.iso";

#if VEMI_HAVE_LIBISOFS
int Usage() {
    std::fprintf(stderr, "usage: vemi-disc %s\n", kIsoUsage);
    return 2;
}

// Seconds since 1970 from "1196467200", "@1196467200", "2007-12-01" or
// "2007-12-01T10:30:00" (UTC); nullopt for anything else.
std::optional<int64_t> ParseDate(std::string s) {
    if (!s.empty() && s[0] == '@') s.erase(0, 1);
    if (!s.empty() && s.size() <= 12 && s.find_first_not_of("0123456789") == std::string::npos) return std::stoll(s);
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, se = 0;
    char tail = 0;
    const int n = std::sscanf(s.c_str(), "%4d-%2d-%2d%*1[T ]%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &se, &tail);
    if (!(n == 3 && s.size() == 10) && n != 6) return std::nullopt;
    if (y < 1970 || y > 2099 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || se > 59) return std::nullopt;
    // Days from the civil date, so that the result does not depend on the local zone.
    const int yy = y - (mo <= 2);
    const int era = yy / 400;
    const int yoe = yy - era * 400;
    const int doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const int64_t days = int64_t{era} * 146097 + doe - 719468;
    return days * 86400 + h * 3600 + mi * 60 + se;
}

int PrintLayout(const std::string& image) {
    std::string why;
    auto disc = tool::ImageDiscFiles::Open(image, why);
    if (!disc) return tool::Fail(image + ": " + why);
    std::fputs(tool::FormatLayout(tool::ImageLayout(*disc)).c_str(), stdout);
    return 0;
}

int RunIso(const std::vector<std::string>& args) {
    tool::IsoWriteOptions options;
    bool quiet = false;
    bool labelGiven = false;
    std::string layout;
    std::optional<std::string> date;
    std::vector<std::string> rest;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if ((a == "--label" || a == "--date" || a == "--layout") && i + 1 < args.size()) {
            const std::string& v = args[++i];
            if (a == "--label") {
                options.label = v;
                labelGiven = true;
            }
            else if (a == "--date") date = v;
            else layout = v;
        } else if (a == "--quiet" || a == "-q") {
            quiet = true;
        } else if (!a.empty() && a[0] == '-') {
            return Usage();
        } else {
            rest.push_back(a);
        }
    }
    if (!layout.empty()) return rest.empty() ? PrintLayout(layout) : Usage();
    if (rest.size() != 2) return Usage();
    if (labelGiven) {
        if (std::string why = tool::LabelProblem(options.label); !why.empty())
            return tool::Fail("label \"" + options.label + "\": " + why);
    }
    // A build system that wants the same bytes from the same sources says so with
    // SOURCE_DATE_EPOCH; --date has the last word.
    if (!date) {
        if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH"); epoch && *epoch) date = epoch;
    }
    if (date) {
        options.date = ParseDate(*date);
        if (!options.date) return tool::Fail("date \"" + *date + "\": give seconds since 1970, or YYYY-MM-DD[THH:MM:SS] (UTC)");
    }
    const bool terminal = !quiet && isatty(fileno(stderr));
    int shown = -1;
    if (terminal)
        options.progress = [&](uint64_t done, uint64_t total) {
            const int percent = total ? static_cast<int>(done * 100 / total) : 100;
            if (percent == shown) return;
            shown = percent;
            std::fprintf(stderr, "\rvemi-disc iso: %3d%% of %s", percent, tool::Size(total).c_str());
            std::fflush(stderr);
        };
    tool::IsoWriteResult r;
    try {
        r = tool::WriteDiscImage(rest[0], rest[1], options);
    } catch (...) {
        if (shown >= 0) std::fputc('\n', stderr);
        throw;
    }
    if (shown >= 0) std::fputc('\n', stderr);
    for (const std::string& n : r.notes) std::fprintf(stderr, "vemi-disc: warning: %s\n", n.c_str());
    if (!quiet) {
        const tool::Medium* m = tool::SmallestMediumFor(r.bytes);
        std::printf("%s: %s, label %s, %zu start-up files first; %s\n", rest[1].c_str(), tool::Size(r.bytes).c_str(), r.label.c_str(),
                    r.startup.size(), m ? ("fits " + std::string(m->name)).c_str() : "too big for any disc");
    }
    return 0;
}
#else
int RunIso(const std::vector<std::string>&) {
    return tool::Fail("iso writes images with libisofs, which this build of vemi-disc lacks (use the Linux build)");
}
#endif

}  // namespace

VEMI_REGISTER_COMMAND(
    "iso", kIsoUsage,
    "write the image of a disc folder to burn: ISO 9660 level 3 (a file of 4 GiB or more in several extents), Rock Ridge "
    "for Linux (long UTF-8 names, execute permissions kept: files are read for all, and run by all when anybody could run "
    "them) and Joliet for Windows (a name of more than 64 UTF-16 characters, or with a character Joliet lacks, is refused "
    "and named). The label is the edition the main catalogue names (VEMI_12_2007), or --label (A-Z, 0-9, _; at most 16). "
    "The menu's start-up files come first, in the order it reads them: vemi32, the font and picture archives, both "
    "catalogues, the first screenshot, then vemi32.exe. With --date (seconds since 1970, or YYYY-MM-DD[THH:MM:SS] UTC) "
    "or SOURCE_DATE_EPOCH every time in the image is that date and the same folder gives the same image byte for byte; "
    "without, files keep their own times and the volume is dated now. --quiet: no progress line and no summary. "
    "--layout IMAGE.iso prints where each file lies in an image: offset in bytes, size, place among the start-up reads "
    "(\"-\" for none) and path, tab-separated, by offset. Linux build only",
    RunIso);
