// The ZIP reader against two established unpackers on archives written by many
// other programs (tests/data/zip-libarchive/README.md says where they come from).
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <sstream>

#include "install/Zipreaderu.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace {
namespace fs = std::filesystem;

// Their end record only points at a ZIP64 end record, which this reader does not
// read by design; it must say so instead of unpacking.
const std::set<std::string> kNeedsZip64 = {"test_read_format_zip_with_invalid_traditional_eocd.zip"};
// Two members whose names differ only in letter case ("ПРИВЕТ" and "привет"): the
// peers, on a file system that tells them apart, write both; on the target's they
// would be one file, and the reader refuses the archive rather than keep either.
const std::set<std::string> kHoldsANameTwice = {"test_read_format_zip_filename_utf8_ru.zip"};

std::string Quote(const std::string& s) { return "'" + s + "'"; }

bool Ascii(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Regular files below a folder (links left out: this program writes a link member
// as a plain file, as the system it comes from does), by relative path.
std::map<std::string, std::vector<uint8_t>> Files(const fs::path& root) {
    std::map<std::string, std::vector<uint8_t>> out;
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return out;
    for (auto it = fs::recursive_directory_iterator(root, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file() && !it->is_symlink())
            out[fs::relative(it->path(), root).string()] = testsupport::ReadFile(it->path().string());
    return out;
}

struct PeerReport {
    bool unzipOk = false, bsdtarOk = false;
    bool listed = false;       // the lister could read the directory
    bool onlyReadable = true;  // every member stored or deflated
    bool encrypted = false;
};

// Both peers unpack into their own folders, and Info-ZIP's lister says what the
// members are, independent of our own parser. One shell for all three keeps the
// test quick on a busy machine. bsdtar gets a (wrong) passphrase so that it fails
// on encrypted members instead of asking for one again and again. Both peers
// refuse UTF-8 member names under the plain C locale, so they get C.UTF-8 (part
// of every Debian system's C library) whatever the environment of the test says.
PeerReport RunPeers(const std::string& archive, const testsupport::TempDir& tmp) {
    fs::create_directories(tmp / "u");
    fs::create_directories(tmp / "t");
    const std::string a = Quote(archive);
    std::string out;
    testsupport::RunCommand("export LC_ALL=C.UTF-8; cd " + Quote(tmp / "u") + " && unzip -o -q " + a + " </dev/null >/dev/null 2>&1; echo \"@unzip=$?\"; " +
                                "cd " + Quote(tmp / "t") + " && timeout 60 bsdtar --passphrase x -xf " + a +
                                " </dev/null >/dev/null 2>&1; echo \"@bsdtar=$?\"; unzip -Z -v " + a + " </dev/null 2>/dev/null",
                            &out);
    PeerReport m;
    std::istringstream lines(out);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "@unzip=0") m.unzipOk = true;
        if (line == "@bsdtar=0") m.bsdtarOk = true;
        size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::string key = line.substr(0, colon), value = line.substr(colon + 1);
        value.erase(0, value.find_first_not_of(' '));
        if (key.find("compression method") != std::string::npos) {
            m.listed = true;
            if (value != "none (stored)" && value != "deflated") m.onlyReadable = false;
        } else if (key.find("file security status") != std::string::npos && value == "encrypted") {
            m.encrypted = true;
        }
    }
    return m;
}

TEST(ZipCorpus, SameBytesAsBothPeersOrACleanFailure) {
    const fs::path corpus = fs::path(testsupport::DataDir()) / "zip-libarchive";
    ASSERT_TRUE(fs::is_directory(corpus)) << "no corpus at " << corpus;
    ASSERT_EQ(testsupport::RunCommand("command -v unzip >/dev/null && command -v bsdtar >/dev/null"), 0)
        << "unzip and bsdtar are needed (scripts/setup.sh installs them)";

    std::vector<fs::path> archives;
    for (auto& e : fs::directory_iterator(corpus))
        if (e.path().filename() != "README.md") archives.push_back(e.path());
    std::sort(archives.begin(), archives.end());
    platform::Drives().Map('K', corpus.string());

    int compared = 0, refused = 0;
    for (const fs::path& archive : archives) {
        const std::string name = archive.filename().string();
        SCOPED_TRACE(name);
        testsupport::TempDir tmp;
        const PeerReport listed = RunPeers(archive.string(), tmp);
        const bool peersOk = listed.unzipOk && listed.bsdtarOk;
        const bool peersFailed = !listed.unzipOk && !listed.bsdtarOk;

        platform::Drives().Map('O', tmp.path());
        TJXZipReader zip;
        zip.SetFileName("K:\\" + name);
        zip.SetBaseDir("O:\\o");
        bool ours = false;
        std::string why;
        std::optional<ZipErrorKind> kind;
        try {
            zip.OpenArchive(0);
            zip.ExtractFiles("*.*");
            ours = true;
        } catch (const EJXZipError& e) {
            why = e.what();
            kind = e.Kind();
        }
        const auto mine = Files(tmp / "o");

        // Whatever happened, no file on the disk may differ from what its member
        // declares: a failing member leaves nothing behind.
        std::set<std::pair<size_t, uint32_t>> declared;
        for (const auto& e : zip.Entries()) declared.insert({e.uncompressedSize, e.crc});
        for (const auto& [path, bytes] : mine) {
            uint32_t crc = static_cast<uint32_t>(crc32_z(0, bytes.data(), bytes.size()));
            EXPECT_TRUE(declared.count({bytes.size(), crc})) << "partial or wrong file left: " << path;
        }

        const bool mustFail = listed.encrypted || (listed.listed && !listed.onlyReadable) || peersFailed || kNeedsZip64.count(name) ||
                              kHoldsANameTwice.count(name);
        if (kNeedsZip64.count(name)) {
            EXPECT_EQ(kind, ZipErrorKind::Unsupported) << why;
        }
        if (kHoldsANameTwice.count(name)) {
            EXPECT_EQ(kind, ZipErrorKind::DuplicateName) << why;
            EXPECT_TRUE(mine.empty());
        }
        if (peersOk && listed.listed && listed.onlyReadable && !kNeedsZip64.count(name) && !kHoldsANameTwice.count(name)) {
            EXPECT_TRUE(ours) << why;
            const auto theirs = Files(tmp / "u");
            // Names in foreign code pages come out differently by design (they are
            // read as OEM 852); their contents must still all be there.
            std::multiset<std::vector<uint8_t>> mineByContent;
            for (const auto& [path, bytes] : mine) mineByContent.insert(bytes);
            for (const auto& [path, bytes] : theirs) {
                if (Ascii(path)) {
                    auto it = mine.find(path);
                    EXPECT_TRUE(it != mine.end() && it->second == bytes) << path;
                } else {
                    EXPECT_TRUE(mineByContent.count(bytes)) << path;
                }
            }
            ++compared;
        } else if (mustFail) {
            EXPECT_FALSE(ours) << "unpacked an archive that cannot be read whole";
            ++refused;
        }
    }
    platform::Drives().Unmap('K');
    platform::Drives().Unmap('O');
    // Guards against a corpus or a peer that quietly stopped working.
    EXPECT_GE(compared, 25);
    EXPECT_GE(refused, 30);
}

}  // namespace
