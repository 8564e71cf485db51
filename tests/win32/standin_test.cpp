// The sample disc's programs on the Windows build's disc: real Windows programs,
// each saying which program of the disc it stands for, started by the shell as
// the menu starts them.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "install/Zipreaderu.h"
#include "platform/opener.h"
#include "platform/paths.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "win32_test_support.h"

namespace {

const std::string kDisc = testsupport::BinaryDir() + "/sample-disc/disc";
const wchar_t kBoxTitle[] = L"Płyta VEMI 12/2007 – program przykładowy";

std::string Text(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

// The text a stand-in's copy carries after its program, as the build appended it.
std::string Says(const std::vector<uint8_t>& program) {
    const std::string bytes = Text(program);
    const size_t at = bytes.rfind("\n#VEMI-STANDIN#");
    if (at == std::string::npos) return {};
    const size_t start = at + 15;
    return bytes.substr(start, bytes.find('\n', start) - start);
}

// The stand-ins' message boxes open on the desktop now.
std::vector<HWND> Boxes() {
    std::vector<HWND> out;
    EnumWindows(
        [](HWND w, LPARAM lp) CALLBACK -> BOOL {
            wchar_t title[128] = {};
            GetWindowTextW(w, title, 128);
            if (std::wstring(title) == kBoxTitle && IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&out));
    return out;
}

template <class Done>
bool WaitFor(Done done, int ms = 20000) {
    for (int waited = 0; waited < ms; waited += 50) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

}  // namespace

TEST(SampleDiscOnWindows, EveryProgramIsAWindowsProgramThatSaysWhatItStandsFor) {
    // The programs the catalogue names, in folders and in archives alike.
    const std::pair<const char*, const char*> programs[] = {
        {"Gry/Sudoku/sudoku.exe", "Sudoku Mistrz – "},
        {"Programy/Grafika/Łatwy Podgląd/lpodglad.exe", "Łatwy Podgląd – "},
        {"Programy/PelneWersje/KreatorStron/instaluj.exe", "Kreator Stron Internetowych Professional Edition 2008 – instalator"},
        {"Outro.exe", "Dziękujemy za skorzystanie z płyty VEMI 12/2007."},
    };
    for (const auto& [path, says] : programs) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(platform::LooksLikeWindowsProgram(kDisc + "/" + path, "exe"));
        EXPECT_EQ(Says(testsupport::ReadFile(kDisc + "/" + path)).rfind(says, 0), 0u);
    }
    TJXZipReader zip;
    zip.OpenArchiveFromMemory(testsupport::ReadFile(kDisc + "/Gry/Kulki.zip"));
    platform::MemoryStream member;
    zip.ExtractToStream("kulki.exe", member);
    const std::vector<uint8_t>& packed = member.Bytes();
    ASSERT_GE(packed.size(), 2u);
    EXPECT_EQ(Text({packed.begin(), packed.begin() + 2}), "MZ");
    EXPECT_EQ(Says(packed).rfind("Kosmiczne Kulki – ", 0), 0u);
}

// Started by the shell in its own folder, as the menu's buttons start it: it leaves
// its line in the trace and shows its box until somebody closes it.
TEST(SampleDiscOnWindows, AProgramStartedFromTheDiscSaysWhichItIs) {
    testsupport::TempDir tmp;
    // (An ASCII name: the variable is set in the ANSI code page.)
    const std::string trace = tmp / "trace.txt";
    testsupport::ScopedEnv env("VEMI_STANDIN_TRACE", trace.c_str());
    ASSERT_TRUE(Boxes().empty());
    const std::string folder = kDisc + "/Programy/Grafika/Łatwy Podgląd";
    EXPECT_GT(platform::OpenWithDesktop(folder + "/lpodglad.exe", "/pokaz \"dwa słowa\"", folder), 32);
    ASSERT_TRUE(WaitFor([&] { return platform::HostFileExists(trace) && !Boxes().empty(); }));
    const std::string line = Text(testsupport::ReadFile(trace));
    EXPECT_EQ(line.rfind("Łatwy Podgląd – the program z płyty VEMI 12/2007 (plik przykładowy)\t", 0), 0u) << line;
    // Its folder, the one the menu gives it (wine and Windows spell the drive alike).
    std::string expectedFolder = folder;
    std::replace(expectedFolder.begin(), expectedFolder.end(), '/', '\\');
    EXPECT_NE(platform::UpperCp1250(platform::Utf8ToCp1250(line)).find(platform::UpperCp1250(platform::Utf8ToCp1250(expectedFolder + "\t"))),
              std::string::npos)
        << line;
    EXPECT_NE(line.find("/pokaz \"dwa słowa\"\r\n"), std::string::npos) << line;

    // The box stays until it is answered.
    const std::vector<HWND> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    PostMessageW(boxes[0], WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitFor([] { return Boxes().empty(); }));
}
