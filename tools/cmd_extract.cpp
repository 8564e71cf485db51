// Unpacking an archive the way the installer does: through the ZIP reader and the
// program's own drive table, so a disc maker sees exactly what a user's machine
// would get from it.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "install/Zipreaderu.h"
#include "platform/paths.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "tools/command.h"

namespace tool {
namespace {
namespace fs = std::filesystem;

const char kExtractUsage[] = "extract ARCHIVE DIR [MEMBER]";

// A drive letter nobody uses yet; the host folders are reached through it as the
// program would reach them.
char FreeLetter(const platform::DriveTable& drives) {
    for (char c = 'Y'; c >= 'E'; --c)
        if (!drives.HostFolder(c)) return c;
    return 0;
}

// Host paths are UTF-8; std::filesystem takes a plain string in the narrow code
// page of the C runtime, which on Windows is not UTF-8, so the bytes go in and out
// as UTF-8 explicitly.
fs::path PathOf(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }
std::string Utf8Of(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::string NamePartOf(const std::string& stored) {
    size_t cut = stored.find_last_of("/\\");
    return cut == std::string::npos ? stored : stored.substr(cut + 1);
}

int RunExtract(const std::vector<std::string>& a) {
    if (a.size() < 2 || a.size() > 3) {
        std::fprintf(stderr, "usage: vemi-disc %s\n", kExtractUsage);
        return 2;
    }
    std::error_code ec;
    const fs::path archive = fs::absolute(PathOf(a[0]), ec);
    const fs::path dir = fs::absolute(PathOf(a[1]), ec);
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir)) return Fail("cannot create the folder " + a[1]);

    platform::DriveTable& drives = platform::Drives();
    const char archiveDrive = FreeLetter(drives);
    if (!archiveDrive) return Fail("no free drive letter");
    drives.Map(archiveDrive, Utf8Of(archive.parent_path()));
    const char dirDrive = FreeLetter(drives);
    if (!dirDrive) return Fail("no free drive letter");
    drives.Map(dirDrive, Utf8Of(dir));
    const std::string archiveWin = std::string(1, archiveDrive) + ":\\" + platform::Utf8ToCp1250(Utf8Of(archive.filename()));
    const std::string dirWin = std::string(1, dirDrive) + ":\\";

    TJXZipReader zip;
    zip.SetFileName(archiveWin);
    try {
        zip.OpenArchive(0);
        if (a.size() == 3) {
            // By its exact name first: a name with letters Windows-1250 lacks would
            // come out of the conversion as one of several "?" names.
            const std::string member = platform::Utf8ToCp1250(a[2]);
            int index = zip.FindHostMember(a[2]);
            if (index < 0) index = zip.FindMember(member);
            if (index < 0)
                throw EJXZipError(ZipErrorKind::NoSuchMember, "The archive " + archiveWin + " holds no member " + member, member);
            platform::MemoryStream stream;
            zip.ExtractMemberToStream(static_cast<size_t>(index), stream);
            const std::string name = NamePartOf(zip.Entries()[index].hostName);
            if (name.empty() || name == "." || name == "..") return Fail("'" + a[2] + "' is a folder, not a file");
            // The member's host name is UTF-8 and may hold letters Windows-1250 lacks,
            // so it is written straight into the folder rather than through a drive.
            const fs::path target = dir / PathOf(name);
            std::ofstream out(target, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(stream.Bytes().data()), static_cast<std::streamsize>(stream.Size()));
            out.close();
            if (!out) return Fail("cannot write " + Utf8Of(target));
            std::printf("%s\n", name.c_str());
            return 0;
        }
        const bool tty = ::isatty(STDOUT_FILENO);
        int shownPercent = -1;
        // Each member under its exact name, as it lands on the disk, in the program's
        // way of writing paths.
        auto exactName = [&](const std::string& shown) {
            const TJXZipEntry* e = zip.CurrentEntry();
            std::string n = e ? e->hostName : platform::Cp1250ToUtf8(shown);
            std::replace(n.begin(), n.end(), '/', '\\');
            return n;
        };
        zip.OnFileProgress = [&](const std::string& name, double percent, bool&) {
            if (percent >= 100) {
                std::printf(tty ? "\r\033[K%s\n" : "%s\n", exactName(name).c_str());
                shownPercent = -1;
            } else if (tty && static_cast<int>(percent) != shownPercent) {
                shownPercent = static_cast<int>(percent);
                std::printf("\r\033[K%3d%% %s", shownPercent, exactName(name).c_str());
                std::fflush(stdout);
            }
        };
        zip.SetBaseDir(dirWin);
        const int n = zip.ExtractFiles("*.*");
        std::printf("%d member%s extracted\n", n, n == 1 ? "" : "s");
    } catch (const EJXZipError& e) {
        std::fflush(stdout);
        return Fail(platform::Cp1250ToUtf8(e.what()));
    }
    return 0;
}

VEMI_REGISTER_COMMAND("extract", kExtractUsage,
                      "unpack ARCHIVE into DIR as the installer does (or only MEMBER, found as the start-up finds it)",
                      RunExtract);

}  // namespace
}  // namespace tool
