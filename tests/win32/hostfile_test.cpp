// Host files on Windows: wide names, positioned reads, new files that never open
// what is already there (links and devices included), times and the read-only
// attribute.
#include <gtest/gtest.h>

#include "platform/hostfile.h"
#include "win32_test_support.h"

using namespace platform;

namespace {

// 2007-11-20 12:00:00 UTC.
constexpr int64_t kThen = 1195560000;

int64_t UnixTime(const FILETIME& ft) {
    const int64_t ticks = (static_cast<int64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return ticks / 10000000 - 11644473600LL;
}

}  // namespace

TEST(HostFile, PolishNamesRoundTripThroughUtf16) {
    testsupport::TempDir tmp;
    const std::string name = "Zażółć gęślą jaźń.txt";
    HostFile f;
    ASSERT_TRUE(f.CreateNew(tmp / name)) << HostLastError();
    ASSERT_TRUE(f.Write("0123456789", 10));
    ASSERT_TRUE(f.Close());
    EXPECT_EQ(wintest::WideNames(tmp.path()),
              std::vector<std::wstring>{L"Za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144.txt"});
    EXPECT_EQ(HostListNames(tmp.path()), std::vector<std::string>{name});
    EXPECT_EQ(HostPathKind(tmp / name), HostKind::File);
    EXPECT_EQ(HostTargetKind(tmp / name), HostKind::File);
    EXPECT_EQ(HostPathKind(tmp.path()), HostKind::Directory);
    EXPECT_EQ(HostTargetKind(tmp.path()), HostKind::Directory);
    EXPECT_EQ(HostPathKind(tmp / "brak"), HostKind::None);
    EXPECT_EQ(HostTargetKind(tmp / "brak"), HostKind::None);
    EXPECT_EQ(HostPathKind("Z:\\"), HostKind::Directory);

    // Positioned reads, in any order, and none past the end.
    HostFile r;
    ASSERT_TRUE(r.OpenRead(tmp / name));
    EXPECT_EQ(r.Size(), 10u);
    char buf[4] = {};
    ASSERT_TRUE(r.ReadAt(6, buf, 4));
    EXPECT_EQ(std::string(buf, 4), "6789");
    ASSERT_TRUE(r.ReadAt(0, buf, 2));
    EXPECT_EQ(std::string(buf, 2), "01");
    EXPECT_FALSE(r.ReadAt(8, buf, 4));
    // A folder is not a file to read.
    HostFile dir;
    EXPECT_FALSE(dir.OpenRead(tmp.path()));
    EXPECT_FALSE(dir.IsOpen());
    EXPECT_FALSE(r.OpenRead(tmp / "brak.txt"));
    EXPECT_FALSE(HostLastError().empty());
}

TEST(HostFile, CreateNewNeverOpensWhatIsThere) {
    testsupport::TempDir tmp;
    testsupport::WriteFile(tmp / "old.txt", "keep");
    ASSERT_TRUE(HostMakeDirectory(tmp / "sub"));
    EXPECT_TRUE(HostMakeDirectory(tmp / "sub"));  // there already: fine
    EXPECT_FALSE(HostMakeDirectory(tmp / "old.txt"));

    HostFile f;
    EXPECT_FALSE(f.CreateNew(tmp / "old.txt"));
    EXPECT_TRUE(f.LastCreateFoundExisting());
    EXPECT_FALSE(f.CreateNew(tmp / "OLD.TXT"));  // the same file to Windows
    EXPECT_TRUE(f.LastCreateFoundExisting());
    EXPECT_FALSE(f.CreateNew(tmp / "sub"));
    EXPECT_EQ(testsupport::ReadFile(tmp / "old.txt"), (std::vector<uint8_t>{'k', 'e', 'e', 'p'}));

    // Device names open devices, not files in the folder; they are refused outright.
    for (const char* device : {"CON", "nul.txt", "Com1", "lpt9.log", "aux", "PRN.dat"}) {
        SCOPED_TRACE(device);
        EXPECT_FALSE(f.CreateNew(tmp / device));
        EXPECT_FALSE(f.LastCreateFoundExisting());
        EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_NAME});
        EXPECT_FALSE(f.OpenRead(tmp / device));
        EXPECT_FALSE(HostMakeDirectory(tmp / device));
    }
    // Names that only look like devices are ordinary names.
    for (const char* name : {"CONSOLE.txt", "com10", "nul_", "lpt0"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(f.CreateNew(tmp / name));
        f.Close();
    }
    EXPECT_EQ(HostListNames(tmp.path()).size(), 6u);
}

TEST(HostFile, TimesAndTheReadOnlyAttribute) {
    testsupport::TempDir tmp;
    HostFile f;
    ASSERT_TRUE(f.CreateNew(tmp / "ro.txt"));
    ASSERT_TRUE(f.Write("abc", 3));
    ASSERT_TRUE(f.SetTimes(kThen));
    ASSERT_TRUE(f.SetReadOnly(true));
    ASSERT_TRUE(f.Close());

    WIN32_FILE_ATTRIBUTE_DATA info;
    ASSERT_TRUE(GetFileAttributesExW(wintest::Wide(tmp / "ro.txt").c_str(), GetFileExInfoStandard, &info));
    EXPECT_EQ(UnixTime(info.ftLastWriteTime), kThen);
    EXPECT_TRUE(info.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(info.nFileSizeLow, 3u);
    // Windows itself now refuses to delete it or write it (the latter not under a
    // wine run by root: wine keeps read-only as a missing write bit)...
    EXPECT_FALSE(DeleteFileW(wintest::Wide(tmp / "ro.txt").c_str()));
    if (!testsupport::UnderWine()) {
        HANDLE h = CreateFileW(wintest::Wide(tmp / "ro.txt").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(h, INVALID_HANDLE_VALUE);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    // ...but removing a name means what it means everywhere: the file goes.
    EXPECT_TRUE(HostRemoveFile(tmp / "ro.txt"));
    EXPECT_EQ(HostPathKind(tmp / "ro.txt"), HostKind::None);
    EXPECT_FALSE(HostRemoveFile(tmp / "ro.txt"));

    // Read-only given and taken back on an open file.
    ASSERT_TRUE(f.CreateNew(tmp / "rw.txt"));
    ASSERT_TRUE(f.SetReadOnly(true));
    ASSERT_TRUE(f.SetReadOnly(false));
    ASSERT_TRUE(f.Close());
    EXPECT_FALSE(wintest::Attributes(tmp / "rw.txt") & FILE_ATTRIBUTE_READONLY);
    // A folder is not removed as a file.
    ASSERT_TRUE(HostMakeDirectory(tmp / "dir"));
    EXPECT_FALSE(HostRemoveFile(tmp / "dir"));
    EXPECT_EQ(HostPathKind(tmp / "dir"), HostKind::Directory);
}

TEST(HostFile, LocalTimeOffsetFollowsTheZoneAndItsSummerTime) {
    // 2007-11-20 and 2007-06-23 at noon, UTC.
    const int64_t winter = HostUtcOffset(kThen), summer = HostUtcOffset(kThen - 150LL * 86400);
    if (testsupport::UnderWine()) {
        // The test run gives wine the Warsaw zone: one hour east, two in summer.
        EXPECT_EQ(winter, 3600);
        EXPECT_EQ(summer, 7200);
        return;
    }
    TIME_ZONE_INFORMATION zone;
    ASSERT_NE(GetTimeZoneInformation(&zone), TIME_ZONE_ID_INVALID);
    // Elsewhere each date has the zone's standard or summer offset, whichever half
    // of the world the machine is in.
    const int64_t standard = -int64_t{zone.Bias + zone.StandardBias} * 60;
    const int64_t daylight = -int64_t{zone.Bias + zone.DaylightBias} * 60;
    EXPECT_TRUE(winter == standard || winter == daylight) << winter;
    EXPECT_TRUE(summer == standard || summer == daylight) << summer;
}
