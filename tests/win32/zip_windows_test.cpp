// The ZIP reader on Windows' file system: names Windows will not take, the
// read-only attribute, and dates in local time.
#include <gtest/gtest.h>

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
            EXPECT_NE(std::string(e.what()).find("Cannot create"), std::string::npos) << e.what();
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
