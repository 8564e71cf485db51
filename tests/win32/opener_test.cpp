// The shell's "open" on Windows: result codes as the program expects them (above
// 32 started, 2 no file, 3 no folder) and the working folder handed over.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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
    // The file may still be being written; the name is what counts here, and cmd
    // writes it in its own code page, so only the ASCII part is compared.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::vector<uint8_t> text;
    ASSERT_TRUE(HostReadFile(folder + "/here.txt", text));
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
