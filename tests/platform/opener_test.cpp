#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/headless/headless.h"
#include "platform/opener.h"
#include "platform/paths.h"
#include "support/test_support.h"

using namespace platform;
namespace fs = std::filesystem;

namespace {

// PATH is replaced by folders of stand-in programs for the length of a test, so
// that neither a real desktop opener nor wine can ever be reached.
class PathGuard {
public:
    explicit PathGuard(const std::string& path) {
        const char* old = std::getenv("PATH");
        had_ = old != nullptr;
        if (old) old_ = old;
        setenv("PATH", path.c_str(), 1);
    }
    ~PathGuard() {
        if (had_)
            setenv("PATH", old_.c_str(), 1);
        else
            unsetenv("PATH");
    }

private:
    bool had_ = false;
    std::string old_;
};

void WriteScript(const std::string& path, const std::string& body) {
    testsupport::WriteFile(path, body);
    chmod(path.c_str(), 0755);
}

// A stand-in opener that writes each argument on a line of its own, then a marker
// line, to record; and exits with code.
void WriteRecorder(const std::string& path, const std::string& record, int code = 0) {
    WriteScript(path, "#!/bin/sh\n"
                      "{ for a in \"$@\"; do printf '%s\\n' \"$a\"; done; printf '%s\\n' '--end--'; } >> '" +
                          record + "'\nexit " + std::to_string(code) + "\n");
}

std::string ReadText(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

// Started programs run on their own; wait for what they write to be complete.
std::string WaitForRecord(const std::string& path, const std::string& endMarker = "--end--\n", int ms = 5000) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    std::string s;
    while (std::chrono::steady_clock::now() < until) {
        s = ReadText(path);
        if (s.size() >= endMarker.size() && s.compare(s.size() - endMarker.size(), endMarker.size(), endMarker) == 0) return s;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return s;
}

// The smallest Windows program wine would load: a DOS header whose e_lfanew leads to
// "PE\0\0", a file header, an optional header and one section whose data fills the
// file up to 0x400.
std::string MinimalPe() {
    std::string b(0x400, '\0');
    auto put16 = [&](size_t at, uint16_t v) { b[at] = char(v & 0xFF), b[at + 1] = char(v >> 8); };
    auto put32 = [&](size_t at, uint32_t v) { put16(at, uint16_t(v & 0xFFFF)), put16(at + 2, uint16_t(v >> 16)); };
    b[0] = 'M', b[1] = 'Z';
    put32(0x3C, 0x80);
    b.replace(0x80, 4, std::string("PE\0\0", 4));
    put16(0x84, 0x014C);  // i386
    put16(0x86, 1);       // one section
    put16(0x94, 0xE0);    // optional header size
    put16(0x96, 0x0102);
    put16(0x98, 0x010B);  // PE32
    b.replace(0x178, 5, ".text");
    put32(0x178 + 8, 0x10);     // virtual size
    put32(0x178 + 12, 0x1000);  // virtual address
    put32(0x178 + 16, 0x200);   // size of raw data
    put32(0x178 + 20, 0x200);   // pointer to raw data
    b[0x200] = '\xC3';         // ret
    return b;
}

const std::string kOleSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

bool NoChildLeft() {
    errno = 0;
    return waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

}  // namespace

TEST(Opener, AddressesAndParamsAreSplitAsTheMenuExpects) {
    EXPECT_TRUE(IsAddress("http://example.com"));
    EXPECT_TRUE(IsAddress("FTP://example.com/x"));
    EXPECT_TRUE(IsAddress("MailTo:redakcja@example.com"));
    EXPECT_FALSE(IsAddress("mailto"));
    EXPECT_FALSE(IsAddress("/disc/mailto:x"));
    EXPECT_FALSE(IsAddress("/disc/CDINST/TXT/README.TXT"));

    using V = std::vector<std::string>;
    EXPECT_EQ(SplitParams(""), V{});
    EXPECT_EQ(SplitParams("   \t "), V{});
    EXPECT_EQ(SplitParams("/S  /D=C:\\x"), (V{"/S", "/D=C:\\x"}));
    EXPECT_EQ(SplitParams("a \"b  c\" \"\" d"), (V{"a", "b  c", "", "d"}));
    EXPECT_EQ(SplitParams("x\"y z\"w"), V{"xy zw"});
    EXPECT_EQ(SplitParams("; rm -rf ~"), (V{";", "rm", "-rf", "~"}));
}

TEST(Opener, CatalogueTextsReachTheOpenerAsOneArgumentEach) {
    testsupport::TempDir dir;
    std::string bin = dir / "bin", record = dir / "record";
    fs::create_directories(bin);
    WriteRecorder(bin + "/xdg-open", record);
    PathGuard path(bin);
    EXPECT_EQ(FindOnPath("xdg-open"), bin + "/xdg-open");
    EXPECT_EQ(FindOnPath("wine"), "");

    // Names and addresses that a shell would take apart or run.
    std::string folder = dir / "Program Files";
    fs::create_directories(folder);
    std::string doc = folder + "/read me; touch canary1 $(touch canary2) `touch canary3` \"q\" 'q'.txt";
    std::string polish = folder + "/za\xc5\xbc\xc3\xb3\xc5\x82\xc4\x87.txt";  // "zażółć" in UTF-8
    testsupport::WriteFile(doc, "x");
    testsupport::WriteFile(polish, "x");
    std::string url = "http://example.com/?q=a b; touch canary4 & touch canary5 | id";
    std::string mail = "MAILTO:redakcja@example.com?subject=$(touch canary6)";

    EXPECT_GT(OpenWithDesktop(url, "", dir.path()), 32);
    EXPECT_GT(OpenWithDesktop(mail, "--param $(touch canary7)", dir.path()), 32);
    EXPECT_GT(OpenWithDesktop(doc, "", dir.path()), 32);
    EXPECT_GT(OpenWithDesktop(polish, "", ""), 32);
    EXPECT_GT(OpenWithDesktop(folder, "", folder), 32);

    EXPECT_EQ(ReadText(record), url + "\n--end--\n" + mail + "\n--end--\n" + doc + "\n--end--\n" + polish +
                                    "\n--end--\n" + folder + "\n--end--\n");
    for (int i = 1; i <= 7; ++i) {
        std::string canary = "canary" + std::to_string(i);
        EXPECT_FALSE(fs::exists(dir / canary)) << canary;
        EXPECT_FALSE(fs::exists(folder + "/" + canary)) << canary;
        EXPECT_FALSE(fs::exists(canary)) << canary;
    }
    EXPECT_TRUE(NoChildLeft());
}

TEST(Opener, MissingTargetsFailWithoutStartingAnything) {
    testsupport::TempDir dir;
    std::string bin = dir / "bin", record = dir / "record";
    fs::create_directories(bin);
    WriteRecorder(bin + "/xdg-open", record);
    testsupport::WriteFile(dir / "there.txt", "x");
    PathGuard path(bin);

    EXPECT_EQ(OpenWithDesktop(dir / "missing.txt", "", ""), kOpenFileNotFound);
    EXPECT_EQ(OpenWithDesktop(dir / "no folder/missing.txt", "", ""), kOpenPathNotFound);
    EXPECT_EQ(OpenWithDesktop(dir / "there.txt", "", dir / "no folder"), kOpenPathNotFound);
    EXPECT_LE(OpenWithDesktop("", "", ""), 32);
    EXPECT_FALSE(fs::exists(record));
}

TEST(Opener, TheOpenersOwnVerdictCountsButIsNotAwaitedLong) {
    testsupport::TempDir dir;
    std::string failing = dir / "failing", slow = dir / "slow", quick = dir / "quick", none = dir / "none";
    for (const auto& f : {failing, slow, quick, none}) fs::create_directories(f);
    WriteRecorder(failing + "/xdg-open", dir / "record", 1);
    WriteScript(slow + "/xdg-open", "#!/bin/sh\nexec /bin/sleep 4\n");
    WriteScript(quick + "/xdg-open", "#!/bin/sh\n/bin/sleep 0.2\nexit 0\n");
    testsupport::WriteFile(dir / "doc.txt", "x");

    {
        PathGuard path(failing);
        EXPECT_LE(OpenWithDesktop(dir / "doc.txt", "", ""), 32);
        EXPECT_LE(OpenWithDesktop("http://example.com", "", ""), 32);
        EXPECT_EQ(ReadText(dir / "record"), dir / "doc.txt" + "\n--end--\nhttp://example.com\n--end--\n");
    }
    {
        PathGuard path(none);  // no opener installed at all
        EXPECT_EQ(OpenWithDesktop(dir / "doc.txt", "", ""), kOpenNoOpener);
    }
    {
        // An opener that keeps running has started something: success after the wait.
        PathGuard path(slow);
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_GT(OpenWithDesktop(dir / "doc.txt", "", ""), 32);
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_GE(ms, 1400);
        EXPECT_LT(ms, 3000);
    }
    {
        // One that answers quickly is not waited for any longer.
        PathGuard path(quick);
        auto t0 = std::chrono::steady_clock::now();
        EXPECT_GT(OpenWithDesktop(dir / "doc.txt", "", ""), 32);
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
        EXPECT_GE(ms, 150);
        EXPECT_LT(ms, 1200);
    }
    EXPECT_TRUE(NoChildLeft());
}

TEST(Opener, NativeProgramsStartDirectlyInTheirWorkingFolder) {
    testsupport::TempDir dir;
    std::string bin = dir / "bin", record = dir / "record", work = dir / "work folder", out = dir / "out";
    fs::create_directories(bin);
    fs::create_directories(work);
    WriteRecorder(bin + "/xdg-open", record);
    // Writes its folder, its arguments and what its standard input is.
    std::string body = "#!/bin/sh\n{ printf '%s\\n' \"$PWD\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; "
                       "/bin/readlink /proc/self/fd/0; printf '%s\\n' '--end--'; } > '" +
                       out + "'\n";
    WriteScript(dir / "run.sh", body);
    PathGuard path(bin);

    EXPECT_GT(OpenWithDesktop(dir / "run.sh", "one \"two  words\" $(touch canary) ;ls", work), 32);
    EXPECT_EQ(WaitForRecord(out), work + "\none\ntwo  words\n$(touch\ncanary)\n;ls\n/dev/null\n--end--\n");
    EXPECT_FALSE(fs::exists(work + "/canary"));

    // The disc's exit program is a script under a Windows name: still native.
    fs::remove(out);
    WriteScript(dir / "OUTRO.EXE", body);
    EXPECT_GT(OpenWithDesktop(dir / "OUTRO.EXE", "", dir.path()), 32);
    EXPECT_EQ(WaitForRecord(out), dir.path() + "\n/dev/null\n--end--\n");

    // Execute bits alone (as on some disc mounts) do not make a document a program.
    WriteScript(dir / "notes.txt", "echo hi > canary\n");
    EXPECT_GT(OpenWithDesktop(dir / "notes.txt", "", dir.path()), 32);
    EXPECT_EQ(ReadText(record), dir / "notes.txt" + "\n--end--\n");

    // Programs that ended are nobody's zombies here.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(NoChildLeft());
}

TEST(Opener, WindowsProgramsNeedWine) {
    testsupport::TempDir dir;
    std::string bin = dir / "bin", record = dir / "record", wineRecord = dir / "wine-record";
    fs::create_directories(bin);
    WriteRecorder(bin + "/xdg-open", record);
    std::string exe = dir / "Setup Programu.EXE", bat = dir / "install.Bat", msi = dir / "pakiet.msi";
    testsupport::WriteFile(exe, MinimalPe());
    testsupport::WriteFile(bat, "@echo off\r\nsetup.exe /S\r\n");
    testsupport::WriteFile(msi, kOleSignature + std::string(504, '\0'));
    chmod(exe.c_str(), 0755);  // an execute bit does not make a Windows file native

    {
        PathGuard path(bin);
        EXPECT_EQ(OpenWithDesktop(exe, "/S", dir.path()), kOpenNoOpener);
        EXPECT_EQ(OpenWithDesktop(bat, "", dir.path()), kOpenNoOpener);
        EXPECT_EQ(OpenWithDesktop(msi, "", dir.path()), kOpenNoOpener);
        EXPECT_FALSE(fs::exists(record));  // nor are they handed to the desktop
    }
    WriteRecorder(bin + "/wine", wineRecord);
    PathGuard path(bin);
    EXPECT_GT(OpenWithDesktop(exe, "/S \"/D=C:\\Program Files\\X\"", dir.path()), 32);
    EXPECT_EQ(WaitForRecord(wineRecord), exe + "\n/S\n/D=C:\\Program Files\\X\n--end--\n");
    EXPECT_GT(OpenWithDesktop(msi, "", dir.path()), 32);
    EXPECT_EQ(WaitForRecord(wineRecord, "--end--\nmsiexec\n/i\n" + msi + "\n--end--\n"),
              exe + "\n/S\n/D=C:\\Program Files\\X\n--end--\nmsiexec\n/i\n" + msi + "\n--end--\n");
    EXPECT_FALSE(fs::exists(record));
}

TEST(Opener, TargetsNotThereYetAreJudgedByTheirExtension) {
    testsupport::TempDir dir;
    fs::create_directories(dir / "folder.exe");
    EXPECT_EQ(ClassifyTarget(dir / "folder.exe"), TargetKind::Folder);
    EXPECT_EQ(ClassifyTarget(dir / "missing.Exe"), TargetKind::WindowsProgram);
    EXPECT_EQ(ClassifyTarget(dir / "missing.BAT"), TargetKind::WindowsProgram);
    EXPECT_EQ(ClassifyTarget(dir / "missing.msi"), TargetKind::WindowsInstaller);
    EXPECT_EQ(ClassifyTarget(dir / "missing"), TargetKind::Document);
    WriteScript(dir / "run", "#!/bin/sh\n");
    EXPECT_EQ(ClassifyTarget(dir / "run"), TargetKind::NativeProgram);
}

TEST(Opener, WindowsPathsReachTheShellAsHostPaths) {
    testsupport::TempDir dir;
    fs::create_directories(dir / "Gry/Łódź");
    HeadlessSystem sys;
    SetSystem(&sys);
    Drives().Map('C', dir.path());
    const std::string lodz = "\xa3\xf3" "d\x9f";  // "Łódź" in Windows-1250
    EXPECT_GT(OpenWindowsPath("c:\\gry\\" + lodz + "\\gra.exe", "C:\\GRY\\" + lodz), 32);
    EXPECT_GT(OpenWindowsPath("C:\\Gry", ""), 32);
    EXPECT_GT(OpenWindowsPath("http://example.com/" + lodz, "C:\\Gry"), 32);
    // A path on no drive goes nowhere; a working folder on none is left out.
    EXPECT_EQ(OpenWindowsPath("Q:\\gra.exe", ""), kOpenPathNotFound);
    EXPECT_GT(OpenWindowsPath("C:\\Gry", "Q:\\"), 32);
    sys.SetShellResult([](const RecordedShell&) { return 2; });
    EXPECT_EQ(OpenWindowsPath("C:\\brak.txt", ""), 2);
    Drives().Unmap('C');
    SetSystem(nullptr);

    const auto& r = sys.ShellRequests();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].file, dir / "Gry/Łódź/gra.exe");
    EXPECT_EQ(r[0].dir, dir / "Gry/Łódź");
    EXPECT_EQ(r[1].file, dir / "Gry");
    EXPECT_EQ(r[1].dir, "");
    EXPECT_EQ(r[2].file, "http://example.com/Łódź");
    EXPECT_EQ(r[2].dir, dir / "Gry");
    EXPECT_EQ(r[3].dir, "");
    EXPECT_EQ(r[4].file, dir / "brak.txt");
    for (const auto& q : r) EXPECT_EQ(q.params, "");
}

TEST(Opener, FilesThatAreNoWindowsProgramsNeverReachWine) {
    testsupport::TempDir dir;
    std::string bin = dir / "bin", record = dir / "record", wineRecord = dir / "wine-record";
    fs::create_directories(bin);
    WriteRecorder(bin + "/xdg-open", record);
    WriteRecorder(bin + "/wine", wineRecord);
    PathGuard path(bin);

    const std::string pe = MinimalPe();
    std::string dosStub = pe;
    dosStub.replace(0x80, 4, std::string("NE\0\0", 4));  // a DOS or 16-bit program
    std::string farHeader = pe;
    farHeader[0x3C] = '\xF0', farHeader[0x3D] = '\xFF', farHeader[0x3E] = '\xFF', farHeader[0x3F] = '\xFF';
    std::string manySections = pe;
    manySections[0x86] = '\x40';  // 64 section headers where the file holds one
    const std::pair<const char*, std::string> bad[] = {
        {"tekst.exe", "To nie jest program.\r\n"},
        {"pusty.exe", ""},
        {"ucięty.exe", pe.substr(0, 0x300)},  // the section's data is cut off
        {"nagłówek.exe", pe.substr(0, 0x90)},  // cut inside the file header
        {"dos.exe", dosStub},
        {"daleko.exe", farHeader},
        {"sekcje.exe", manySections},
        {"dos.com", "\xB4\x09\xBA\x0B\x01\xCD\x21\xB4\x4C\xCD\x21"},
        {"pakiet.msi", "MZ\x90"},
        {"krótki.msi", kOleSignature.substr(0, 4)},
    };
    for (const auto& [name, bytes] : bad) {
        std::string f = dir / name;
        testsupport::WriteFile(f, bytes);
        EXPECT_EQ(OpenWithDesktop(f, "", dir.path()), kOpenBadFormat) << name;
    }
    EXPECT_FALSE(fs::exists(wineRecord));
    EXPECT_FALSE(fs::exists(record));

    // The real things still go to wine: a program (also under .com), a batch file,
    // a command script and an installer package.
    const std::pair<const char*, std::string> good[] = {
        {"program.exe", pe},
        {"z nadmiarem.exe", pe + "archiwum instalatora"},
        {"narzędzie.COM", pe},
        {"start.cmd", "@echo off\r\n"},
        {"setup.bat", ""},
        {"pakiet.msi", kOleSignature + std::string(504, '\0')},
    };
    std::string expected;
    for (const auto& [name, bytes] : good) {
        std::string f = dir / name;
        testsupport::WriteFile(f, bytes);
        EXPECT_GT(OpenWithDesktop(f, "", dir.path()), 32) << name;
        expected += (std::string(name) == "pakiet.msi" ? "msiexec\n/i\n" : "") + f + "\n--end--\n";
        EXPECT_EQ(WaitForRecord(wineRecord, f + "\n--end--\n"), expected) << name;
    }
    EXPECT_FALSE(fs::exists(record));
}

TEST(Opener, AnFtpAddressReachesTheOpenerWhole) {
    testsupport::TempDir dir;
    std::string bin = dir / "bin", record = dir / "record";
    fs::create_directories(bin);
    WriteRecorder(bin + "/xdg-open", record);
    PathGuard path(bin);
    EXPECT_TRUE(IsAddress("ftp://ftp.example.pl/pub"));
    EXPECT_GT(OpenWithDesktop("ftp://ftp.example.pl/pub", "", ""), 32);
    EXPECT_EQ(ReadText(record), "ftp://ftp.example.pl/pub\n--end--\n");
    // A bare host name is not taken for an address here: the menu completes it first.
    EXPECT_FALSE(IsAddress("ftp.example.pl"));
}
