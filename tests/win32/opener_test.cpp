// The shell's "open" on Windows: result codes as the program expects them (above
// 32 started, 2 no file, 3 no folder) and the working folder handed over.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/headless/headless.h"
#include "platform/opener.h"
#include "platform/paths.h"
#include "win32_test_support.h"

using namespace platform;

namespace {

std::string SystemFolder() {
    wchar_t buf[MAX_PATH];
    const UINT n = GetSystemDirectoryW(buf, MAX_PATH);
    std::string out;
    for (UINT i = 0; i < n; ++i) out += static_cast<char>(buf[i]);  // ASCII on every Windows
    return out;
}

// Started programs run on their own; wait for the file they write.
bool WaitForFile(const std::string& hostPath, int ms = 15000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (HostFileExists(hostPath)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

TEST(ShellOpen, MissingFilesAndFoldersGiveTheShellsCodes) {
    testsupport::TempDir tmp;
    EXPECT_EQ(OpenWithDesktop(tmp / "brak.txt", "", ""), kOpenFileNotFound);
    EXPECT_EQ(OpenWithDesktop(tmp / "brak/dalej/plik.txt", "", ""), kOpenPathNotFound);
    EXPECT_EQ(OpenWithDesktop("", "", ""), kOpenFileNotFound);
    // A program that is there, in a working folder that is not.
    EXPECT_EQ(OpenWithDesktop(SystemFolder() + "\\cmd.exe", "/c exit", tmp / "brak"), kOpenPathNotFound);
}

TEST(ShellOpen, AProgramStartsInTheFolderItIsGiven) {
    testsupport::TempDir tmp;
    const std::string folder = tmp / "Gry/Żółw";
    ASSERT_TRUE(HostMakeDirectories(folder));
    // The command interpreter writes its working folder into a file there.
    const int r = OpenWithDesktop(SystemFolder() + "\\cmd.exe", "/c cd > here.txt", folder);
    EXPECT_GT(r, 32);
    ASSERT_TRUE(WaitForFile(folder + "/here.txt"));
    // The file is there before cmd has written its line (a busy machine makes that
    // a while): wait for the line's end. The name is what counts here, and cmd
    // writes it in its own code page, so only the ASCII part is compared.
    std::vector<uint8_t> text;
    for (int waited = 0; waited < 15000 && (text.empty() || text.back() != '\n'); waited += 50) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        ASSERT_TRUE(HostReadFile(folder + "/here.txt", text));
    }
    const std::string written(text.begin(), text.end());
    EXPECT_NE(written.find("\\Gry\\"), std::string::npos) << written;
}

TEST(ShellOpen, AddressesAndParameters) {
    EXPECT_TRUE(IsAddress("http://www.example.pl"));
    EXPECT_TRUE(IsAddress("MAILTO:redakcja@example.pl"));
    EXPECT_FALSE(IsAddress("D:\\PROGRAMY\\mailto.exe"));
    EXPECT_EQ(SplitParams("/S \"C:\\Program Files\\x\" -q"),
              (std::vector<std::string>{"/S", "C:\\Program Files\\x", "-q"}));
    // The command interpreter is on the search path of every Windows.
    const std::string cmd = FindOnPath("cmd");
    EXPECT_TRUE(HostFileExists(cmd)) << cmd;
    EXPECT_EQ(FindOnPath("no-such-program-here"), "");
    EXPECT_EQ(FindOnPath("C:\\windows\\cmd"), "");
}

TEST(ShellOpen, AProgramByNameOnlyIsRefusedBeforeTheShellIsAsked) {
    testsupport::TempDir tmp;
    // Text under a program's name, and a program cut short after its headers.
    testsupport::WriteFile(tmp / "setup.exe", std::string("MZ, but nothing of a program"));
    testsupport::WriteFile(tmp / "pakiet.msi", std::string("not a compound document"));
    std::vector<uint8_t> cmd;
    ASSERT_TRUE(HostReadFile(SystemFolder() + "\\cmd.exe", cmd));
    ASSERT_TRUE(LooksLikeWindowsProgram(SystemFolder() + "\\cmd.exe", "exe"));
    cmd.resize(cmd.size() / 2);
    testsupport::WriteFile(tmp / "cut.exe", cmd);
    for (const char* name : {"setup.exe", "pakiet.msi", "cut.exe"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(OpenWithDesktop(tmp / name, "", tmp.path()), kOpenBadFormat);
    }
    // A batch file is text by nature and goes to the shell.
    testsupport::WriteFile(tmp / "zapisz.bat", std::string("@echo tak> wynik.txt\r\n"));
    EXPECT_GT(OpenWithDesktop(tmp / "zapisz.bat", "", tmp.path()), 32);
    EXPECT_TRUE(WaitForFile(tmp / "wynik.txt"));

    EXPECT_EQ(ClassifyTarget(tmp.path()), TargetKind::Folder);
    EXPECT_EQ(ClassifyTarget(tmp / "SETUP.EXE"), TargetKind::WindowsProgram);
    EXPECT_EQ(ClassifyTarget(tmp / "zapisz.bat"), TargetKind::WindowsProgram);
    EXPECT_EQ(ClassifyTarget(tmp / "pakiet.msi"), TargetKind::WindowsInstaller);
    EXPECT_EQ(ClassifyTarget(tmp / "opis.txt"), TargetKind::Document);
    EXPECT_EQ(ClassifyTarget(tmp / "katalog.exe\\opis"), TargetKind::Document);
}

TEST(ShellOpen, TheProgramsOwnPathsGoThroughTheDriveTable) {
    wintest::DriveFolder drive;
    ASSERT_TRUE(HostMakeDirectories(drive.tmp / "Gry"));
    testsupport::WriteFile(drive.tmp / "Gry/gra.exe", std::string("MZ"));
    // The headless system records what the shell would be asked.
    platform::HeadlessSystem sys(1024, 768);
    platform::SetSystem(&sys);
    EXPECT_GT(OpenWindowsPath("T:\\GRY\\GRA.EXE", "T:\\gry"), 32);
    EXPECT_EQ(OpenWindowsPath("Q:\\nic.exe", ""), kOpenPathNotFound);
    EXPECT_GT(OpenWindowsPath("http://www.example.pl/?q=\xb3\xf3" "d\x9f", ""), 32);
    platform::SetSystem(nullptr);
    ASSERT_EQ(sys.ShellRequests().size(), 2u);
    EXPECT_EQ(sys.ShellRequests()[0].file, drive.tmp / "Gry/gra.exe");
    EXPECT_EQ(sys.ShellRequests()[0].dir, drive.tmp / "Gry");
    EXPECT_EQ(sys.ShellRequests()[1].file, "http://www.example.pl/?q=łódź");
}
