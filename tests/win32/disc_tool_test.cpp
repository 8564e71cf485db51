// The disc tool built for Windows, run as a user runs it: a console program with
// its arguments in UTF-16 on the command line, its output redirected to files.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/bmp.h"
#include "platform/bytes.h"
#include "platform/paths.h"
#include "tools/lib/ndtwriter.h"
#include "tools/lib/zipwriter.h"
#include "win32_test_support.h"

namespace {

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out, err;
};

std::wstring Quoted(const std::wstring& arg) { return L"\"" + arg + L"\""; }

HANDLE Inheritable(const std::string& hostPath) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    return CreateFileW(wintest::Wide(hostPath).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, 0, nullptr);
}

// Runs vemi-disc.exe with the arguments (UTF-8), standard output and error to files.
ToolRun RunTool(const testsupport::TempDir& tmp, const std::vector<std::string>& args) {
    ToolRun r;
    std::wstring line = Quoted(wintest::Wide(testsupport::ToolPath()));
    for (const std::string& a : args) line += L" " + Quoted(wintest::Wide(a));
    // Files of its own for every run: a child that has just ended may still hold
    // the last run's open for a moment.
    static int runs = 0;
    const std::string outName = tmp / ("stdout" + std::to_string(++runs)), errName = tmp / ("stderr" + std::to_string(runs));
    HANDLE out = Inheritable(outName), err = Inheritable(errName);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    DWORD startError = 0;
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
        startError = GetLastError();
    } else {
        WaitForSingleObject(pi.hProcess, 60000);
        GetExitCodeProcess(pi.hProcess, &r.exitCode);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(out);
    CloseHandle(err);
    auto text = [](const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); };
    r.out = text(testsupport::ReadFile(outName));
    r.err = text(testsupport::ReadFile(errName));
    if (startError) r.err += "(not started: error " + std::to_string(startError) + ")";
    return r;
}

}  // namespace

TEST(DiscToolOnWindows, CataloguesDumpAndEncodeByteForByte) {
    testsupport::TempDir tmp;
    const std::vector<std::string> lines = {"VEMI", "4", "", "", "", "1", "", "VEMI", "Magazyn", "12/2007", "DVD",
                                            "Gry", "", "", "", "", "", "", "", "\xa3\xf3" "d\x9f", "", "", "", "", "1", "10", ""};
    const std::string catalogue = tool::WriteCatalogue(lines);
    const std::string folder = tmp / "Katalog łąki";
    testsupport::WriteFile(folder + "/main.ndt", catalogue);

    ToolRun dump = RunTool(tmp, {"dump", folder + "/main.ndt"});
    ASSERT_EQ(dump.exitCode, 0u) << dump.err;
    // Exactly the text the tool's own library makes: LF line ends, no CR added.
    EXPECT_EQ(dump.out, tool::DumpCatalogue(std::vector<uint8_t>(catalogue.begin(), catalogue.end())));
    testsupport::WriteFile(folder + "/main.txt", dump.out);
    ToolRun encode = RunTool(tmp, {"encode", folder + "/main.txt", folder + "/again.ndt"});
    ASSERT_EQ(encode.exitCode, 0u) << encode.err;
    const std::vector<uint8_t> again = testsupport::ReadFile(folder + "/again.ndt");
    EXPECT_EQ(std::string(again.begin(), again.end()), catalogue);

    ToolRun missing = RunTool(tmp, {"dump", folder + "/brak.ndt"});
    EXPECT_EQ(missing.exitCode, 1u);
    EXPECT_NE(missing.err.find("brak.ndt"), std::string::npos) << missing.err;
}

TEST(DiscToolOnWindows, ExtractsArchivesWithPolishNamesIntoPolishFolders) {
    testsupport::TempDir tmp;
    tool::ZipWriter w;
    w.Add("Za\xBE\xA2\x88\x86/g\xA9\x98l\xA5.txt", "oem");  // "Zażółć/gęślą.txt", code page 852
    w.Add("readme.txt", "plain");
    testsupport::WriteFile(tmp / "Program łatwy.zip", w.Finish());

    ToolRun r = RunTool(tmp, {"extract", tmp / "Program łatwy.zip", tmp / "Wypakowane żółwie"});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    EXPECT_NE(r.out.find("2 members extracted"), std::string::npos) << r.out;
    EXPECT_EQ(testsupport::ReadFile(tmp / "Wypakowane żółwie/Zażółć/gęślą.txt"), (std::vector<uint8_t>{'o', 'e', 'm'}));
    EXPECT_EQ(wintest::WideNames(tmp / "Wypakowane żółwie/Zażółć"), std::vector<std::wstring>{L"g\u0119\u015bl\u0105.txt"});

    // One member by name, as the start-up finds it.
    ToolRun one = RunTool(tmp, {"extract", tmp / "Program łatwy.zip", tmp / "jeden", "GĘŚLĄ.TXT"});
    ASSERT_EQ(one.exitCode, 0u) << one.err;
    EXPECT_EQ(testsupport::ReadFile(tmp / "jeden/gęślą.txt"), (std::vector<uint8_t>{'o', 'e', 'm'}));
}

TEST(DiscToolOnWindows, PicturesComeApartAndTrueTypeWorkIsRefusedWithAReason) {
    testsupport::TempDir tmp;
    platform::Image a(3, 2), b(5, 4);
    a.FillAll({1, 2, 3});
    b.FillAll({200, 100, 50});
    std::vector<uint8_t> stream = platform::EncodeBmp24(a), second = platform::EncodeBmp24(b);
    stream.insert(stream.end(), second.begin(), second.end());
    testsupport::WriteFile(tmp / "bdata.jxs", stream);
    ToolRun r = RunTool(tmp, {"pictures", tmp / "bdata.jxs", tmp / "obrazki"});
    ASSERT_EQ(r.exitCode, 0u) << r.err;
    platform::MemoryStream s(testsupport::ReadFile(tmp / "obrazki/002.bmp"));
    platform::Image back;
    ASSERT_TRUE(platform::ReadBmp(s, back));
    EXPECT_EQ(back.Width(), 5);
    EXPECT_EQ(back.Pixel(4, 3), (platform::Rgb{200, 100, 50}));

    for (const char* cmd : {"build", "resources", "font", "fonts-build-default", "artwork"}) {
        SCOPED_TRACE(cmd);
        ToolRun refused = RunTool(tmp, {cmd, tmp / "x", tmp / "y"});
        EXPECT_EQ(refused.exitCode, 1u);
        EXPECT_NE(refused.err.find("FreeType"), std::string::npos) << refused.err;
    }
    EXPECT_FALSE(platform::HostDirectoryExists(tmp / "y"));
}

// The check on Windows judges the disc for the Windows menu: vemi32.exe at the root
// must be a Windows program. The sample disc of this build comes without one.
TEST(DiscToolOnWindows, CheckWantsAWindowsProgramAtTheRoot) {
    namespace fs = std::filesystem;
    testsupport::TempDir tmp;
    const std::string disc = tmp / "Płyta";
    fs::copy(testsupport::U8Path(testsupport::BinaryDir() + "/sample-disc/disc"), testsupport::U8Path(disc),
             fs::copy_options::recursive);

    // The Windows build's own disc, with its menu, the disc tool and autorun.inf at
    // the root, is one to burn.
    ToolRun built = RunTool(tmp, {"check", disc});
    EXPECT_EQ(built.exitCode, 0u) << built.out;
    EXPECT_NE(built.out.find("0 errors, 0 warnings\n"), std::string::npos) << built.out;
    ASSERT_TRUE(fs::exists(testsupport::U8Path(disc + "/autorun.inf")));

    // Without its menu it is not.
    fs::remove(testsupport::U8Path(disc + "/vemi32.exe"));
    ToolRun none = RunTool(tmp, {"check", disc});
    EXPECT_EQ(none.exitCode, 1u) << none.out;
    EXPECT_NE(none.out.find("error: \\vemi32.exe: is missing: the menu cannot start from this disc\n"), std::string::npos)
        << none.out;
    EXPECT_NE(none.out.find("1 error, 0 warnings\n"), std::string::npos) << none.out;

    // This very tool is a Windows program; a Linux program beside it is the Linux
    // tool's to judge.
    std::vector<uint8_t> program;
    ASSERT_TRUE(platform::HostReadFile(testsupport::ToolPath(), program));
    testsupport::WriteFile(disc + "/vemi32.exe", program);
    testsupport::WriteFile(disc + "/vemi32", std::string("#!/bin/sh\n"));
    ToolRun good = RunTool(tmp, {"check", disc});
    EXPECT_EQ(good.exitCode, 0u) << good.out;
    EXPECT_NE(good.out.find("1 program at the root"), std::string::npos) << good.out;
    EXPECT_NE(good.out.find("0 errors, 0 warnings\n"), std::string::npos) << good.out;

    // A DOS program, a library and text under the program's name are no menu.
    std::vector<uint8_t> library = program;
    library[platform::LoadLE32(program.data() + 0x3C) + 23] |= 0x20;  // the DLL flag, 0x2000 of the characteristics
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> wrong = {
        {std::vector<uint8_t>(program.begin(), program.begin() + 0x40), "is an MS-DOS program, not a Windows one"},
        {library, "is a Windows library, not a program"},
        {{'t', 'e', 'k', 's', 't'}, "is not a Windows program"},
    };
    for (const auto& [bytes, why] : wrong) {
        SCOPED_TRACE(why);
        testsupport::WriteFile(disc + "/vemi32.exe", bytes);
        ToolRun bad = RunTool(tmp, {"check", disc});
        EXPECT_EQ(bad.exitCode, 1u) << bad.err;
        EXPECT_NE(bad.out.find("error: \\vemi32.exe: " + why + "\n"), std::string::npos) << bad.out;
    }
}
