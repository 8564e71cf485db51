// Fuzzing what ExtractFiles does to the disk. The input describes an archive member
// by member (names, flags, permissions, data) and what already lies in the target
// folder (links to places outside it, a read-only file), and when a progress event
// asks to cancel; the archive is written here with the disc tool's writer, so its
// CRCs are right and the fuzzer spends its time on names, folders, links and
// cancels rather than on checksums. A leading mode byte can also hand the rest of
// the input over as an archive of its own.
//
// After every extraction, whatever it ended with: nothing outside the target has
// changed, the links in the target are still the same links, no file has a
// set-user-id, set-group-id or sticky bit or more rights than its member asked
// for, no path goes deeper than the reader allows, and every file the archive put
// there holds exactly the bytes of one of its members.
#include <stdlib.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "install/Zipreaderu.h"
#include "platform/paths.h"
#include "tools/lib/zipwriter.h"

namespace {
namespace fs = std::filesystem;

// root/outside/          a folder that links lead to; must stay empty
// root/outside.txt       a file that a link leads to; must keep its text
// root/t/out/            the target folder (F:\out), made afresh for each input
const std::string& Root() {
    // Never destroyed: the clean-up at exit still needs it.
    static const std::string& dir = *new std::string([] {
        std::string tmpl = (fs::temp_directory_path() / "fuzz-zip-unpack-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) abort();
        fs::create_directories(tmpl + "/outside");
        fs::create_directories(tmpl + "/t");
        platform::Drives().Map('F', tmpl + "/t");
        // A fixed umask, so that "more rights than asked for" means one thing.
        ::umask(022);
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(Root(), ec);
        });
        return tmpl;
    }());
    return dir;
}

const char kOutsideText[] = "must stay as it is";

class Input {
public:
    Input(const uint8_t* data, size_t size) : p_(data), end_(data + size) {}
    bool Empty() const { return p_ == end_; }
    uint8_t Byte() { return p_ < end_ ? *p_++ : 0; }
    std::string Bytes(size_t n) {
        n = std::min<size_t>(n, static_cast<size_t>(end_ - p_));
        std::string s(reinterpret_cast<const char*>(p_), n);
        p_ += n;
        return s;
    }
    std::vector<uint8_t> Rest() { return std::vector<uint8_t>(p_, end_); }

private:
    const uint8_t* p_;
    const uint8_t* end_;
};

// What the target holds before the archive comes, by the bits of the set-up byte.
void PrepareTarget(const std::string& out, uint8_t setup) {
    fs::create_directories(out);
    const std::string root = Root();
    if (setup & 1) fs::create_directory_symlink(root + "/outside", out + "/Data");
    if (setup & 2) fs::create_symlink(root + "/outside.txt", out + "/link.txt");
    if (setup & 4) fs::create_directory_symlink(root + "/t", out + "/Back");
    if (setup & 8) {
        fs::create_directories(out + "/Sub");
        fs::create_directory_symlink(root + "/outside", out + "/Sub/Inner");
    }
    if (setup & 16) {
        FILE* f = std::fopen((out + "/ro.txt").c_str(), "wb");
        if (!f) abort();
        std::fputs("old", f);
        std::fclose(f);
        ::chmod((out + "/ro.txt").c_str(), 0444);
    }
}

void CheckTarget(const std::string& out, uint8_t setup, const std::set<std::pair<uint64_t, uint32_t>>& members,
                 uint32_t mostPermissions) {
    const std::string root = Root();
    std::error_code ec;
    // Nothing beside the target, nothing in the folder the links lead to, the
    // linked file as it was.
    for (auto& e : fs::directory_iterator(root, ec)) {
        const std::string n = e.path().filename().string();
        if (n != "outside" && n != "outside.txt" && n != "t") abort();
    }
    for (auto& e : fs::directory_iterator(root + "/t", ec))
        if (e.path().filename() != "out") abort();
    if (!fs::is_empty(root + "/outside")) abort();
    {
        FILE* f = std::fopen((root + "/outside.txt").c_str(), "rb");
        if (!f) abort();
        char buf[64] = {};
        const size_t n = std::fread(buf, 1, sizeof buf, f);
        std::fclose(f);
        if (std::string(buf, n) != kOutsideText) abort();
    }
    // Folder links are never followed: a member of their name may take their
    // place as a file (a link goes as a link), but nothing turns one into a folder
    // of the archive's.
    for (const char* link : {"/Data", "/Back", "/Sub/Inner"})
        if (fs::is_directory(fs::symlink_status(out + link))) abort();

    const fs::path top = out;
    for (auto it = fs::recursive_directory_iterator(top, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::path rel = it->path().lexically_relative(top);
        if (static_cast<size_t>(std::distance(rel.begin(), rel.end())) > TJXZipReader::kMaxLevels) abort();
        struct stat st;
        if (::lstat(it->path().c_str(), &st) != 0) abort();
        if (S_ISLNK(st.st_mode)) continue;
        if (st.st_mode & 07000) abort();
        if (!S_ISREG(st.st_mode)) continue;
        if ((st.st_mode & 0777) & ~(mostPermissions & ~022u)) abort();
        if ((setup & 16) && rel == "ro.txt" && st.st_size == 3) continue;  // the old file, if no member replaced it
        // A whole member, or nothing: no file is left half written or unchecked.
        std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
        FILE* f = std::fopen(it->path().c_str(), "rb");
        if (!f) abort();
        const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
        if (got != bytes.size()) abort();
        const uint32_t crc = static_cast<uint32_t>(crc32_z(0, bytes.data(), bytes.size()));
        if (!members.count({bytes.size(), crc})) abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string root = Root();
    const std::string out = root + "/t/out";
    {
        std::error_code ec;
        fs::remove_all(out, ec);
        FILE* f = std::fopen((root + "/outside.txt").c_str(), "wb");
        if (!f) abort();
        std::fputs(kOutsideText, f);
        std::fclose(f);
    }

    Input in(data, size);
    const uint8_t mode = in.Byte();
    const uint8_t setup = in.Byte();
    const uint8_t cancelAt = in.Byte();  // the progress event that asks to cancel; 0 for none
    PrepareTarget(out, setup);

    std::vector<uint8_t> archive;
    uint32_t mostPermissions = 0666;  // what a member without Unix permissions gets
    if (mode & 1) {
        archive = in.Rest();
        mostPermissions = 0777;
    } else {
        // Members: a name made of a pattern said a number of times (so that deep
        // paths are cheap to reach), options, a Unix mode, and data.
        tool::ZipWriter w;
        for (int count = 0; !in.Empty() && count < 64; ++count) {
            const size_t patternLength = in.Byte() % 32;
            const std::string pattern = in.Bytes(patternLength);
            const size_t repeat = in.Byte(), scale = in.Byte() % 4 == 0 ? 64 : 1;
            const size_t times = 1 + repeat * scale;
            const uint8_t options = in.Byte();
            const uint8_t modeHigh = in.Byte(), modeLow = in.Byte();
            const uint16_t unixMode = static_cast<uint16_t>(modeHigh << 8 | modeLow);
            const size_t contentLength = in.Byte();
            const std::string contents = in.Bytes(contentLength);
            std::string name;
            for (size_t i = 0; i < times && name.size() + pattern.size() <= 0xFFFF; ++i) name += pattern;
            tool::ZipMemberOptions o;
            o.flags = options & 1 ? 0x800 : 0;
            o.method = options & 2 ? 0 : 8;
            if (options & 4) {
                o.versionMadeBy = 3 << 8 | 30;
                o.externalAttrs = uint32_t{unixMode} << 16 | (options & 8 ? 0x10 : 0);
                mostPermissions |= unixMode & 0777;
            } else {
                o.externalAttrs = options & 8 ? 0x10 : options & 16 ? 0x21 : 0x20;
            }
            if (options & 32) o.flags |= 0x08;  // sizes in a data descriptor
            w.Add(name, contents, o);
        }
        archive = w.Finish();
    }

    TJXZipReader zip;
    zip.SetSizeLimit(1 << 20);  // a small input may still claim gigabytes
    try {
        zip.OpenArchiveFromMemory(archive);
    } catch (const EJXZipError&) {
        CheckTarget(out, setup, {}, mostPermissions);
        return 0;
    }
    std::set<std::pair<uint64_t, uint32_t>> members;
    for (const TJXZipEntry& e : zip.Entries()) members.insert({e.uncompressedSize, e.crc});
    int events = 0;
    zip.OnFileProgress = [&](const std::string&, double, bool& cancel) {
        if (cancelAt && ++events == cancelAt) cancel = true;
    };
    zip.SetBaseDir("F:\\out");
    try {
        zip.ExtractFiles("*.*");
    } catch (const EJXZipError&) {
    }
    CheckTarget(out, setup, members, mostPermissions);
    return 0;
}
