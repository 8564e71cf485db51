// The drive table on Windows: the machine's own drives, the disc as the program's
// folder, and lookups that the file system itself answers without regard to case.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/paths.h"
#include "platform/text.h"
#include "win32_test_support.h"

using namespace platform;

namespace {

// "Łódź" and "Żółw.txt" in Windows-1250, upper case.
const std::string kLodzUpper = "\xa3\xd3" "D\x8f";
const std::string kZolwUpper = "\xaf\xd3\xa3W.TXT";

class EnvGuard {
public:
    EnvGuard(const wchar_t* name, const std::wstring& value) : name_(name) {
        wchar_t buf[4096];
        const DWORD n = GetEnvironmentVariableW(name, buf, 4096);
        had_ = n > 0 && n < 4096;
        if (had_) old_.assign(buf, n);
        SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
    }
    ~EnvGuard() { SetEnvironmentVariableW(name_, had_ ? old_.c_str() : nullptr); }

private:
    const wchar_t* name_;
    bool had_ = false;
    std::wstring old_;
};

}  // namespace

TEST(Drives, DefaultsAreTheRealDrivesWithTheDiscAndTheHardDiskFromTheEnvironment) {
    testsupport::TempDir tmp;
    {
        EnvGuard noDisc(L"VEMI_DISC_ROOT", L""), noC(L"VEMI_DRIVE_C", L"");
        DriveTable t;
        t.SetUpDefaults("Z:\\disc\\folder\\");
        EXPECT_EQ(*t.HostFolder('D'), "Z:\\disc\\folder");
        EXPECT_EQ(*t.HostFolder('C'), "C:\\");
        // Every other drive the machine has is itself; wine has Z: for the root.
        const DWORD present = GetLogicalDrives();
        for (int i = 0; i < 26; ++i) {
            const char letter = static_cast<char>('A' + i);
            if (letter == 'C' || letter == 'D') continue;
            SCOPED_TRACE(letter);
            if (present & (1u << i)) {
                ASSERT_TRUE(t.HostFolder(letter));
                EXPECT_EQ(*t.HostFolder(letter), std::string(1, letter) + ":\\");
            } else {
                EXPECT_FALSE(t.HostFolder(letter));
            }
        }
    }
    {
        EnvGuard disc(L"VEMI_DISC_ROOT", wintest::Wide(tmp / "płyta")), c(L"VEMI_DRIVE_C", wintest::Wide(tmp / "dysk"));
        DriveTable t;
        t.SetUpDefaults("Z:\\elsewhere");
        // Taken from the environment in UTF-16, whatever the ANSI code page is.
        EXPECT_EQ(*t.HostFolder('D'), tmp / "płyta");
        EXPECT_EQ(*t.HostFolder('C'), tmp / "dysk");
    }
}

TEST(Drives, TheDiscIsTheFolderOfTheRunningProgram) {
    const std::string folder = ExecutableFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(HostFileExists(folder + "\\test_win32.exe"));
    DriveTable t;
    t.Map('D', folder);
    t.Map('Z', "Z:\\");
    // The longest folder wins: the program's own folder is D:, not somewhere on Z:.
    EXPECT_EQ(*t.ToWindows(folder), "D:\\");
    EXPECT_EQ(*t.ToWindows(folder + "\\test_win32.exe"), "D:\\test_win32.exe");
    EXPECT_EQ(*t.ToHost("D:\\TEST_WIN32.EXE"), folder + "/test_win32.exe");
}

TEST(Drives, PolishNamesAreFoundInAnyLetterCaseAndComeBackAsWritten) {
    wintest::DriveFolder t;
    const std::string host = t.tmp / "Gry/Łódź";
    ASSERT_TRUE(HostMakeDirectories(host));
    ASSERT_TRUE(HostWriteFile(host + "/Żółw.txt", "pełzanie", 9));
    // The file system holds the names in UTF-16, as written.
    EXPECT_EQ(wintest::WideNames(t.tmp / "Gry"), std::vector<std::wstring>{L"\u0141\u00f3d\u017a"});

    const std::string win = "t:\\gry\\" + kLodzUpper + "\\" + kZolwUpper;
    EXPECT_EQ(*Drives().ToHost(win), t.tmp / "Gry/Łódź/Żółw.txt");
    EXPECT_TRUE(FileExists(win));
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(win, bytes));
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "pełzanie");
    // Missing parts are taken as written; the folder list gives Windows-1250 names.
    EXPECT_EQ(*Drives().ToHost("T:\\GRY\\Nowy\\" + kZolwUpper), t.tmp / "Gry/Nowy/ŻÓŁW.TXT");
    std::vector<DirEntry> list = ListDirectory("T:\\GRY");
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].name, "\xa3\xf3" "d\x9f");
    EXPECT_TRUE(list[0].attrs & kAttrDirectory);

    // A Windows path of a host path ignores case and either slash, as Windows does.
    std::string shouted = t.tmp.path() + "\\GRY\\ŁÓDŹ";
    EXPECT_EQ(*Drives().ToWindows(shouted), "T:\\GRY\\" + kLodzUpper);
    EXPECT_EQ(*Drives().ToWindows(t.tmp / "Gry/Łódź"), "T:\\Gry\\\xa3\xf3" "d\x9f");
}

TEST(Drives, WildcardsAndClimbingFindNothingElse) {
    wintest::DriveFolder t;
    testsupport::WriteFile(t.tmp / "abc.txt", "x");
    // "a*.txt" would match abc.txt if it were handed to a folder search.
    EXPECT_EQ(*Drives().ToHost("T:\\a*.txt"), t.tmp / "a*.txt");
    EXPECT_FALSE(FileExists("T:\\a*.txt"));
    EXPECT_FALSE(FileExists("T:\\ab?.txt"));
    EXPECT_EQ(*Drives().ToHost("T:\\..\\..\\ABC.TXT"), t.tmp / "abc.txt");
    // A device name is no file anywhere; reading it would wait for the console.
    std::vector<uint8_t> bytes;
    for (const char* device : {"T:\\CON", "T:\\sub\\nul.txt", "T:\\Aux.dat"}) {
        SCOPED_TRACE(device);
        EXPECT_FALSE(FileExists(device));
        EXPECT_FALSE(ReadWholeFile(device, bytes));
        EXPECT_FALSE(WriteWholeFile(device, {'x'}));
    }
}

TEST(Drives, ADriveOnARootFolder) {
    DriveTable t;
    t.Map('q', "Z:\\");
    EXPECT_EQ(*t.HostFolder('Q'), "Z:\\");
    EXPECT_EQ(*t.ToWindows("Z:\\"), "Q:\\");
    EXPECT_EQ(*t.ToWindows("z:/Work"), "Q:\\Work");
    t.Map('r', "Z:\\\\");
    EXPECT_EQ(*t.HostFolder('R'), "Z:\\");  // extra separators go, the root's own stays
}

TEST(Drives, AttributesAreTheFileSystemsOwn) {
    wintest::DriveFolder t;
    testsupport::WriteFile(t.tmp / "plik.txt", "x");
    ASSERT_TRUE(SetAttributes("T:\\PLIK.TXT", kAttrReadOnly | kAttrHidden));
    const DWORD a = wintest::Attributes(t.tmp / "plik.txt");
    EXPECT_TRUE(a & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(a & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(*GetAttributes("T:\\plik.txt") & (kAttrReadOnly | kAttrHidden | kAttrDirectory), kAttrReadOnly | kAttrHidden);
    // A read-only file cannot be written through the program's calls (wine keeps
    // read-only as a missing write bit, which does not stop root).
    if (!testsupport::UnderWine()) {
        EXPECT_FALSE(WriteWholeFile("T:\\plik.txt", {'y'}));
    }
    ASSERT_TRUE(SetAttributes("T:\\plik.txt", kAttrArchive));
    EXPECT_FALSE(wintest::Attributes(t.tmp / "plik.txt") & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    // Hidden was in the way of replacing a file; not so here.
    ASSERT_TRUE(SetAttributes("T:\\plik.txt", kAttrHidden));
    EXPECT_TRUE(WriteWholeFile("T:\\plik.txt", {'z'}));
    EXPECT_EQ(testsupport::ReadFile(t.tmp / "plik.txt"), std::vector<uint8_t>{'z'});
    EXPECT_TRUE(*GetAttributes("T:\\") & kAttrDirectory);
    EXPECT_FALSE(GetAttributes("T:\\brak.txt"));
}
