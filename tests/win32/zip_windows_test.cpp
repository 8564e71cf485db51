// The ZIP reader on Windows' file system: names Windows will not take, the
// read-only attribute, and dates in local time.
#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "install/Zipreaderu.h"
#include "tools/lib/zipwriter.h"
#include "win32_test_support.h"

using tool::ZipMemberOptions;
using tool::ZipWriter;

namespace {

class ZipOnWindows : public ::testing::Test {
protected:
    wintest::DriveFolder drive;
    TJXZipReader zip;

    void TearDown() override { zip.CloseArchive(); }
    void Open(const std::vector<uint8_t>& bytes) {
        testsupport::WriteFile(drive.tmp / "a.zip", bytes);
        zip.SetFileName("T:\\a.zip");
        zip.OpenArchive(0);
        zip.SetBaseDir("T:\\out");
    }
    std::string Out(const std::string& rel) const { return drive.tmp / ("out/" + rel); }
};

int64_t UnixTime(const FILETIME& ft) {
    const int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return ticks / 10000000 - 11644473600LL;
}

}  // namespace

TEST_F(ZipOnWindows, ADeviceNameInAnArchiveIsRefusedNotOpened) {
    for (const char* device : {"CON", "docs/nul.txt", "AUX.log", "com1"}) {
        SCOPED_TRACE(device);
        ZipWriter w;
        w.Add("before.txt", "b");
        w.Add(device, "into the device?");
        Open(w.Finish());
        try {
            zip.ExtractFiles("*.*");
            ADD_FAILURE() << "extracted";
        } catch (const EJXZipError& e) {
            EXPECT_EQ(e.Kind(), ZipErrorKind::CannotCreate) << e.what();
        }
        EXPECT_TRUE(platform::HostFileExists(Out("before.txt")));
        zip.CloseArchive();
    }
}

TEST_F(ZipOnWindows, NamesWindowsCannotHoldFailCleanly) {
    for (const char* name : {"what?.txt", "a<b>.txt", "pipe|d.txt", "star*.txt", "quote\".txt"}) {
        SCOPED_TRACE(name);
        ZipWriter w;
        w.Add(name, "x");
        Open(w.Finish());
        EXPECT_THROW(zip.ExtractFiles("*.*"), EJXZipError);
        zip.CloseArchive();
    }
    // Nothing was made that a later look-up could trip over.
    std::vector<std::wstring> left = wintest::WideNames(Out(""));
    EXPECT_TRUE(left.empty()) << left.size();
}

TEST_F(ZipOnWindows, ReadOnlyMembersGetTheAttributeAndDatesAreLocalTime) {
    ZipMemberOptions dos;
    dos.dosDate = ZipWriter::DosDate(2003, 4, 5);  // summer time in Warsaw: UTC+2
    dos.dosTime = ZipWriter::DosTime(6, 7, 8);
    dos.externalAttrs = 0x21;
    ZipMemberOptions winter = dos;
    winter.dosDate = ZipWriter::DosDate(2003, 1, 5);  // UTC+1
    winter.externalAttrs = 0x20;
    // Names in UTF-8, as bit 11 of the flags says.
    dos.flags = winter.flags = 0x800;
    ZipWriter w;
    w.Add("tylko do odczytu.txt", "ro", dos);
    w.Add("zimą.txt", "rw", winter);
    // Big enough to be streamed by the caller's thread rather than the writer's.
    w.Add("duży.bin", std::string(3 << 20, 'x'), dos);
    Open(w.Finish());
    EXPECT_EQ(zip.ExtractFiles("*.*"), 3);

    WIN32_FILE_ATTRIBUTE_DATA ro, rw, large;
    ASSERT_TRUE(GetFileAttributesExW(wintest::Wide(Out("tylko do odczytu.txt")).c_str(), GetFileExInfoStandard, &ro));
    ASSERT_TRUE(GetFileAttributesExW(wintest::Wide(Out("zimą.txt")).c_str(), GetFileExInfoStandard, &rw));
    ASSERT_TRUE(GetFileAttributesExW(wintest::Wide(Out("duży.bin")).c_str(), GetFileExInfoStandard, &large));
    EXPECT_TRUE(ro.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(large.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_FALSE(rw.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    if (testsupport::UnderWine()) {
        // 2003-04-05 06:07:08 in Warsaw is 04:07:08 UTC; 2003-01-05 is 05:07:08 UTC.
        EXPECT_EQ(UnixTime(ro.ftLastWriteTime), 1049515628);
        EXPECT_EQ(UnixTime(large.ftLastWriteTime), 1049515628);
        EXPECT_EQ(UnixTime(rw.ftLastWriteTime), 1041743228);
    }
    // Installing again replaces the read-only files.
    zip.SetBaseDir("T:\\OUT");
    EXPECT_EQ(zip.ExtractFiles("*.*"), 3);
    EXPECT_EQ(testsupport::ReadFile(Out("tylko do odczytu.txt")), (std::vector<uint8_t>{'r', 'o'}));
}

// The archives of many other programs (tests/data/zip-libarchive), unpacked onto
// Windows' file system: the peers that judge them on Linux are not here, so what is
// checked is what must hold whatever they say. Every file written is whole (the
// size and CRC of a member), nothing lands outside the target folder, and an archive
// with a member the reader cannot unpack (encrypted, another method, damaged) fails.
TEST(ZipCorpusOnWindows, WholeFilesOnlyAndTheUnreadableRefused) {
    namespace fs = std::filesystem;
    const fs::path corpus = testsupport::U8Path(testsupport::DataDir() + "/zip-libarchive");
    ASSERT_TRUE(fs::is_directory(corpus));
    std::vector<std::string> names;
    for (auto& e : fs::directory_iterator(corpus))
        if (e.path().filename() != "README.md") names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    platform::Drives().Map('K', testsupport::DataDir() + "/zip-libarchive");
    int unpacked = 0, refused = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        testsupport::TempDir tmp;
        platform::Drives().Map('O', tmp.path());
        TJXZipReader zip;
        zip.SetFileName("K:\\" + name);
        zip.SetBaseDir("O:\\o");
        bool ours = false;
        try {
            zip.OpenArchive(0);
            zip.ExtractFiles("*.*");
            ours = true;
        } catch (const EJXZipError&) {
        }
        std::set<std::pair<uint64_t, uint32_t>> declared;
        bool unreadable = false;
        for (const TJXZipEntry& e : zip.Entries()) {
            declared.insert({e.uncompressedSize, e.crc});
            unreadable |= !e.isFolder && (!e.problem.empty() || (e.flags & 1) || (e.method != 0 && e.method != 8));
        }
        zip.CloseArchive();
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(testsupport::U8Path(tmp.path()), ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec)) {
            if (it->path().parent_path() == testsupport::U8Path(tmp.path())) {
                EXPECT_EQ(it->path().filename(), "o");
            }
            if (!it->is_regular_file()) continue;
            const std::vector<uint8_t> bytes = testsupport::ReadFile(std::string(
                reinterpret_cast<const char*>(it->path().u8string().c_str())));
            const uint32_t crc = static_cast<uint32_t>(crc32_z(0, bytes.data(), bytes.size()));
            EXPECT_TRUE(declared.count({bytes.size(), crc})) << "partial or wrong file left: " << it->path().filename().u8string().size();
        }
        if (unreadable) {
            EXPECT_FALSE(ours) << "unpacked an archive that cannot be read whole";
        }
        (ours ? unpacked : refused)++;
    }
    platform::Drives().Unmap('K');
    platform::Drives().Unmap('O');
    // Guards against a corpus that quietly stopped being read.
    EXPECT_GE(unpacked, 25) << refused;
    EXPECT_GE(refused, 30) << unpacked;
}
