// `vemi-disc check` on the sample disc and on damaged copies of it: each damage must
// fail the check with a line that names its culprit.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <sstream>

#include "catalogue/Cjxndt4fileu.h"
#include "catalogue/Discpaths.h"
#include "install/Zipreaderu.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "tools/pe_header.h"
#include "tools/lib/ndtwriter.h"
#include "tools/lib/zipwriter.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

class DiscCheck : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!sample_.empty()) return;
        // The sample disc of the build when there is one, otherwise one made here.
        sample_ = testsupport::BinaryDir() + "/sample-disc/disc";
        if (fs::exists(sample_ + "/CDInst/Prg/fdata.jxz")) return;
        sample_ = testsupport::BinaryDir() + "/test-tmp/check-sample-disc";
        std::string out;
        // (With the program the tests put at its root, and what the build puts beside it.)
        int rc = testsupport::RunCommand("'" + testsupport::ToolPath() + "' build --program '" VEMI_PORTABLE_PROGRAM "' '" +
                                             testsupport::SourceDir() + "/sample-disc' '" + sample_ + "' 2>&1",
                                         &out);
        if (rc != 0) sample_.clear();
        buildOutput_ = out;
    }

    // A copy of the sample disc with a program at its root that keeps the rules for
    // the menu program (the build's own menu program may not yet).
    void SetUp() override {
        ASSERT_FALSE(sample_.empty()) << buildOutput_;
        disc_ = tmp_ / "disc";
        fs::copy(sample_, disc_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        fs::remove(disc_ + "/vemi32");
        fs::copy_file(VEMI_PORTABLE_PROGRAM, disc_ + "/vemi32");
    }

    int Check(std::string& out) { return testsupport::RunCommand("'" + testsupport::ToolPath() + "' check '" + disc_ + "'", &out); }

    static std::vector<std::string> Lines(const std::string& out, const std::string& prefix) {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string l; std::getline(in, l);)
            if (l.rfind(prefix, 0) == 0) lines.push_back(l);
        return lines;
    }
    // The one error line of the output; fails the test when there is not exactly one.
    static std::string OnlyError(const std::string& out) {
        std::vector<std::string> errors = Lines(out, "error: ");
        EXPECT_EQ(errors.size(), 1u) << out;
        return errors.empty() ? std::string() : errors[0];
    }

    // A catalogue of the copy deciphered, as the menu has it.
    CJXNdt4File Main(const char* name = "main.ndt") const {
        CJXNdt4File raw, work;
        raw.LoadFromBytes(ReadFile(disc_ + "/CDInst/Dat/" + name));
        discpaths::DecodeCatalogue(raw, work);
        return work;
    }
    static std::string Field(const CJXNdt4File& c, int r, int f) { return platform::Cp1250ToUtf8(c.GetField(r, f)); }
    // The first record that satisfies `pick`; -1 when none does.
    template <class Pick>
    static int FirstRecord(const CJXNdt4File& c, Pick pick) {
        for (int r = 0; r < c.recordCount; ++r)
            if (pick(r)) return r;
        return -1;
    }
    static std::string Named(const CJXNdt4File& c, int r) {
        return "main.ndt record " + std::to_string(r) + " \"" + Field(c, r, 0) + "\": ";
    }
    std::string Host(const std::string& discPath) const {
        std::string p = discPath;
        std::replace(p.begin(), p.end(), '\\', '/');
        return disc_ + "/" + p;
    }

    testsupport::TempDir tmp_;
    std::string disc_;
    static std::string sample_, buildOutput_;
};

std::string DiscCheck::sample_;
std::string DiscCheck::buildOutput_;

}  // namespace

TEST_F(DiscCheck, TheSampleDiscPassesAndTheSummarySaysWhatWasChecked) {
    std::string out;
    ASSERT_EQ(Check(out), 0) << out;
    EXPECT_TRUE(Lines(out, "error: ").empty()) << out;
    EXPECT_TRUE(Lines(out, "warning: ").empty()) << out;
    // What the summary counts, from the sources rather than from the checker.
    int archives = 0;
    for (const auto& e : fs::recursive_directory_iterator(testsupport::SourceDir() + "/sample-disc/disc"))
        archives += e.is_directory() && e.path().extension() == ".zip";
    const CJXNdt4File main = Main(), alphabetical = Main("mains.ndt");
    EXPECT_NE(out.find("2 catalogues (" + std::to_string(main.recordCount) + " and " + std::to_string(alphabetical.recordCount) +
                       " records, " + std::to_string(main.CountPrograms()) + " programs)"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(std::to_string(archives) + " archives ("), std::string::npos) << out;
    EXPECT_NE(out.find("11 fonts and 44 pictures of the resource streams, 1 program at the root"), std::string::npos) << out;
    EXPECT_NE(out.find("0 errors, 0 warnings\n"), std::string::npos) << out;
    EXPECT_EQ(out.rfind("checked in ", 0), 0u) << out;

    // The build's own disc passes whole when its menu program is the self-contained
    // one; a build for the sanitizers links it the ordinary way, and then only the
    // program may be found wanting.
    const int rc = testsupport::RunCommand("'" + testsupport::ToolPath() + "' check '" + sample_ + "'", &out);
    ASSERT_EQ(rc == 0, Lines(out, "error: ").empty()) << out;
    if (VEMI_PROGRAM_SELF_CONTAINED) {
        EXPECT_EQ(rc, 0) << out;
    }
    for (const std::string& line : Lines(out, "error: ")) EXPECT_EQ(line.rfind("error: \\vemi32: ", 0), 0u) << line;
}

TEST_F(DiscCheck, MissingScreenshotsAndRunFilesNameTheirRecordAndPath) {
    const CJXNdt4File c = Main();
    const int pictured = FirstRecord(c, [&](int r) { return !c.GetField(r, 4).empty(); });
    ASSERT_GE(pictured, 0);
    std::array<std::string, 10> pictures;
    ASSERT_GE(discpaths::ParsePictureList(c.GetField(pictured, 4), pictures), 1);
    const std::string picture = platform::Cp1250ToUtf8(pictures[0]);
    ASSERT_TRUE(fs::remove(disc_ + "/CDInst/JPS/" + picture));
    std::string out;
    EXPECT_EQ(Check(out), 1);
    EXPECT_EQ(OnlyError(out), "error: " + Named(c, pictured) + "small screenshot \\CDINST\\JPS\\" + picture + " is missing");

    // A large one that is there but is no JPEG.
    WriteFile(disc_ + "/CDInst/JPS/" + picture, ReadFile(disc_ + "/CDInst/JPG/" + picture));
    WriteFile(disc_ + "/CDInst/JPG/" + picture, std::string("not a picture"));
    EXPECT_EQ(Check(out), 1);
    EXPECT_EQ(OnlyError(out).rfind("error: " + Named(c, pictured) + "large screenshot \\CDINST\\JPG\\" + picture +
                                       " does not decode as a JPEG picture",
                                   0),
              0u)
        << out;
    WriteFile(disc_ + "/CDInst/JPG/" + picture, ReadFile(sample_ + "/CDInst/JPG/" + picture));

    // A run file of a program in a folder, looked up as the menu looks it up.
    const int folder = FirstRecord(c, [&](int r) {
        const std::string& run = c.GetField(r, 3);
        return !c.GetField(r, 1).empty() && !discpaths::IsZipPath(c.GetField(r, 1)) && !run.empty() && run[0] != '^' &&
               !discpaths::IsRunAddress(run);
    });
    ASSERT_GE(folder, 0);
    const std::string run = Field(c, folder, 1) + "\\" + Field(c, folder, 3);
    ASSERT_TRUE(fs::remove(Host(run)));
    EXPECT_EQ(Check(out), 1);
    EXPECT_EQ(OnlyError(out), "error: " + Named(c, folder) + "run file \\" + run + " is missing");

    // Letter case does not matter, as on the disc's own file system.
    const std::string upper = platform::Cp1250ToUtf8(platform::UpperCp1250(platform::Utf8ToCp1250(Field(c, folder, 3))));
    ASSERT_NE(upper, Field(c, folder, 3));
    WriteFile(Host(Field(c, folder, 1) + "\\" + upper), std::string("#!/bin/sh\n"));
    EXPECT_EQ(Check(out), 0) << out;
}

TEST_F(DiscCheck, TruncatedOrOverlongResourceStreamsFail) {
    std::string out;
    for (const char* archive : {"fdata.jxz", "bdata.jxz"}) {
        SCOPED_TRACE(archive);
        const std::string path = disc_ + "/CDInst/Prg/" + archive;
        const std::vector<uint8_t> whole = ReadFile(path);
        WriteFile(path, std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)));
        EXPECT_EQ(Check(out), 1);
        EXPECT_EQ(OnlyError(out).rfind(std::string("error: \\Cdinst\\Prg\\") + archive + ": ", 0), 0u) << out;
        WriteFile(path, whole);
    }

    // Without its archive the menu reads the plain stream beside it, which must end
    // exactly where its last record does.
    TJXZipReader zip;
    zip.OpenArchiveFromMemory(ReadFile(disc_ + "/CDInst/Prg/bdata.jxz"));
    platform::MemoryStream pictures;
    zip.ExtractToStream("bdata.jxs", pictures);
    std::vector<uint8_t> plain = pictures.Bytes();
    fs::remove(disc_ + "/CDInst/Prg/bdata.jxz");
    plain.push_back(0);
    WriteFile(disc_ + "/CDInst/Prg/bdata.jxs", plain);
    EXPECT_EQ(Check(out), 1);
    EXPECT_EQ(OnlyError(out), "error: \\Cdinst\\Prg\\bdata.jxs: 1 byte follows the last picture: the stream does not hold "
                              "what the menu reads");
    ASSERT_EQ(Lines(out, "warning: ").size(), 1u) << out;
    EXPECT_EQ(Lines(out, "warning: ")[0].rfind("warning: \\Cdinst\\Prg\\bdata.jxz: The archive does not exist", 0), 0u) << out;

    plain.resize(plain.size() - 200);
    WriteFile(disc_ + "/CDInst/Prg/bdata.jxs", plain);
    EXPECT_EQ(Check(out), 1);
    EXPECT_EQ(OnlyError(out),
              "error: \\Cdinst\\Prg\\bdata.jxs: pictures 38 to 44 (the description's scroll bar) are damaged or cut short");
}

TEST_F(DiscCheck, AnArchiveMemberThatFailsItsCrcNamesRecordArchiveAndMember) {
    const CJXNdt4File c = Main();
    const int packed = FirstRecord(c, [&](int r) { return discpaths::IsZipPath(c.GetField(r, 1)); });
    ASSERT_GE(packed, 0);
    const std::string archive = Host(Field(c, packed, 1));

    // The same archive again, with one member's data changed under its old CRC.
    TJXZipReader zip;
    zip.OpenArchiveFromMemory(ReadFile(archive));
    tool::ZipWriter rewritten;
    std::string victim;
    for (const TJXZipEntry& e : zip.Entries()) {
        platform::MemoryStream data;
        if (!e.isFolder) zip.ExtractToStream(e.name, data);
        std::vector<uint8_t> bytes = data.Bytes();
        if (!e.isFolder && victim.empty() && !bytes.empty()) {
            bytes[bytes.size() / 2] ^= 0x20;
            victim = platform::Cp1250ToUtf8(e.name);
        }
        rewritten.AddRaw(platform::Cp1250ToOem852(e.name), tool::ZipWriter::Deflate(bytes.data(), bytes.size()), 8, e.crc,
                         static_cast<uint32_t>(bytes.size()));
    }
    ASSERT_FALSE(victim.empty());
    WriteFile(archive, rewritten.Finish());
    std::replace(victim.begin(), victim.end(), '/', '\\');

    std::string out;
    EXPECT_EQ(Check(out), 1);
    EXPECT_EQ(OnlyError(out), "error: " + Named(c, packed) + "archive \\" + Field(c, packed, 1) + ": member " + victim +
                                  " fails its CRC check");
}

TEST_F(DiscCheck, ArchiveMembersThatWouldLieOrHarmAreNamed) {
    const CJXNdt4File c = Main();
    const int packed = FirstRecord(c, [&](int r) { return discpaths::IsZipPath(c.GetField(r, 1)); });
    ASSERT_GE(packed, 0);
    const std::string archive = Host(Field(c, packed, 1));

    // The same archive with hostile members added after its own.
    TJXZipReader zip;
    zip.OpenArchiveFromMemory(ReadFile(archive));
    tool::ZipWriter rewritten;
    for (const TJXZipEntry& e : zip.Entries()) {
        platform::MemoryStream data;
        if (!e.isFolder) zip.ExtractToStream(e.name, data);
        rewritten.AddRaw(platform::Cp1250ToOem852(e.name), tool::ZipWriter::Deflate(data.Bytes().data(), data.Size()), 8, e.crc,
                         static_cast<uint32_t>(data.Size()));
    }
    tool::ZipMemberOptions utf8;
    utf8.flags = 0x800;
    std::string deep;
    for (int i = 0; i < 32765; ++i) deep += "a/";
    rewritten.Add(deep + "x.txt", "deep");
    rewritten.Add("dane/plik.txt", "first");
    rewritten.Add("DANE/Plik.TXT", "second");
    rewritten.Add("gra\u202Etxt.exe", "a lie", utf8);
    rewritten.Add("日本.txt", "two names that Windows-1250 shows alike", utf8);
    rewritten.Add("中国.txt", "are still two names", utf8);
    WriteFile(archive, rewritten.Finish());

    std::string out;
    EXPECT_EQ(Check(out), 1);
    const std::string prefix = "error: " + Named(c, packed) + "archive \\" + Field(c, packed, 1) + ": member ";
    std::vector<std::string> errors = Lines(out, "error: ");
    ASSERT_EQ(errors.size(), 3u) << out;
    std::string shownDeep;
    for (int i = 0; i < 60; ++i) shownDeep += "a\\";
    EXPECT_EQ(errors[0], prefix + shownDeep + "... (65535 bytes) has a path of more than 128 levels");
    EXPECT_EQ(errors[1], prefix + "DANE\\Plik.TXT lands where dane\\plik.txt does: the archive holds that name twice");
    EXPECT_EQ(errors[2], prefix + "gra?txt.exe has the invisible or direction-changing character U+202E in its name");
}

TEST_F(DiscCheck, CatalogueFaultsNameTheRecord) {
    CJXNdt4File c = Main();
    ASSERT_GE(c.recordCount, 12);
    auto setField = [&](int r, int f, const std::string& v) { c.lines[c.firstRecordLine + 16 * r + f] = v; };
    // A level-1 entry with nothing inside it, so that only its own level is wrong.
    const int deep = FirstRecord(c, [&](int r) {
        return r > 0 && c.GetField(r, 13) == "1" && (r + 1 == c.recordCount || c.GetField(r + 1, 13) <= "1");
    });
    const int typed = FirstRecord(c, [&](int r) { return r > deep && c.GetField(r, 14) == "11"; });
    ASSERT_GE(deep, 1);
    ASSERT_GT(typed, deep);
    setField(deep, 13, "9");
    setField(typed, 14, "1l");
    WriteFile(disc_ + "/CDInst/Dat/main.ndt", tool::WriteCatalogue(c.lines));

    std::string out;
    EXPECT_EQ(Check(out), 1);
    std::vector<std::string> errors = Lines(out, "error: ");
    ASSERT_EQ(errors.size(), 2u) << out;
    EXPECT_EQ(errors[0], "error: " + Named(c, deep) + "level (field 13) is 9, outside 0 to 7");
    EXPECT_EQ(errors[1], "error: " + Named(c, typed) + "type (field 14) \"1l\" is not a number: the menu stops at start-up");

    // A level that skips one: the list would hang the entry under the wrong group.
    WriteFile(disc_ + "/CDInst/Dat/main.ndt", ReadFile(sample_ + "/CDInst/Dat/main.ndt"));
    c = Main();
    const int child = FirstRecord(c, [&](int r) { return r > 0 && c.GetField(r - 1, 13) == "0" && c.GetField(r, 13) == "1"; });
    ASSERT_GE(child, 1);
    setField(child, 13, "2");
    // And a record count the lines do not hold.
    c.lines[5] = std::to_string(c.recordCount + 3);
    WriteFile(disc_ + "/CDInst/Dat/main.ndt", tool::WriteCatalogue(c.lines));
    EXPECT_EQ(Check(out), 1);
    errors = Lines(out, "error: ");
    ASSERT_EQ(errors.size(), 2u) << out;
    EXPECT_EQ(errors[0], "error: main.ndt: announces " + std::to_string(c.recordCount + 3) +
                             " records in line 5 but holds lines for only " + std::to_string(c.recordCount) +
                             ": the menu stops at start-up");
    EXPECT_EQ(errors[1], "error: " + Named(c, child) + "level 2 follows level 0: the list would put the entry under the wrong group");

    // A missing second catalogue stops the menu before anything else.
    fs::remove(disc_ + "/CDInst/Dat/mains.ndt");
    WriteFile(disc_ + "/CDInst/Dat/main.ndt", ReadFile(sample_ + "/CDInst/Dat/main.ndt"));
    EXPECT_EQ(Check(out), 1);
    EXPECT_EQ(OnlyError(out), "error: \\CDInst\\Dat\\mains.ndt: is missing: the menu stops with DISK READ ERROR");
}

// The installer names a program's folder and shortcut after it; names it has to
// replace are worth a warning, not a failure.
TEST_F(DiscCheck, ProgramNamesTheInstallerMustReplaceAreWarnings) {
    CJXNdt4File c = Main();
    std::vector<int> programs;
    for (int r = 0; r < c.recordCount && programs.size() < 4; ++r)
        if (c.GetField(r, 14) == "11" && !c.GetField(r, 1).empty()) programs.push_back(r);
    ASSERT_EQ(programs.size(), 4u);
    const std::string names[] = {"..", "Gra 2.0. ", "\x80\x80", "Gra 2.0"};
    for (size_t i = 0; i < programs.size(); ++i) c.lines[c.firstRecordLine + 16 * programs[i]] = names[i];
    WriteFile(disc_ + "/CDInst/Dat/main.ndt", tool::WriteCatalogue(c.lines));

    std::string out;
    EXPECT_EQ(Check(out), 0) << out;
    const std::vector<std::string> warnings = Lines(out, "warning: ");
    ASSERT_EQ(warnings.size(), 3u) << out;
    const std::string why = "is no plain name for the installer's folder and shortcut; they become ";
    EXPECT_EQ(warnings[0], "warning: " + Named(c, programs[0]) + why + "\"Program\" and \"Program\"");
    EXPECT_EQ(warnings[1], "warning: " + Named(c, programs[1]) + why + "\"Gra 2.0\" and \"Gra 2.0\"");
    EXPECT_EQ(warnings[2], "warning: " + Named(c, programs[2]) + why + "\"€€\" and \"Program\"");
}

// Without "Outro.exe" the menu just closes when the user leaves: nothing fails, so
// the check warns rather than fails, but a disc is not meant to go without it.
TEST_F(DiscCheck, AMissingExitProgramIsAWarning) {
    ASSERT_TRUE(fs::remove(disc_ + "/Outro.exe"));
    std::string out;
    EXPECT_EQ(Check(out), 0) << out;
    ASSERT_EQ(Lines(out, "warning: ").size(), 1u) << out;
    EXPECT_EQ(Lines(out, "warning: ")[0], "warning: \\Outro.exe: is missing: leaving the menu starts no exit program");
    EXPECT_NE(out.find("0 errors, 1 warning\n"), std::string::npos) << out;

    // Found in any letter case, as the menu finds it.
    WriteFile(disc_ + "/OUTRO.EXE", std::string("#!/bin/sh\n"));
    EXPECT_EQ(Check(out), 0) << out;
    EXPECT_TRUE(Lines(out, "warning: ").empty()) << out;
}

// What makes each system offer its menu when the disc goes in: without it the menu
// still starts by hand, so the check warns rather than fails.
TEST_F(DiscCheck, WhatStartsEachMenuByItselfIsAWarningWhenMissing) {
    const std::string noInf = "warning: \\autorun.inf: is missing: Windows does not start the menu when the disc goes in";
    const std::string noScript =
        "warning: \\autorun: is missing: Linux desktops do not offer to start the menu when the disc is mounted";
    const fs::perms runnable = fs::perms::owner_all | fs::perms::group_read | fs::perms::others_read;
    // Each step changes the disc further: a Windows menu beside the Linux one, then
    // the files that start them found, renamed, stripped of the execute bit, removed.
    const std::pair<std::function<void()>, std::vector<std::string>> steps[] = {
        {[&] { WriteFile(disc_ + "/vemi32.exe", testsupport::PeHeader()); }, {noInf}},
        // Windows finds autorun.inf in any letter case.
        {[&] { WriteFile(disc_ + "/AUTORUN.INF", std::string("[autorun]\r\nopen=vemi32.exe\r\n")); }, {}},
        // A desktop takes the first of its names that is there.
        {[&] { fs::rename(disc_ + "/autorun", disc_ + "/autorun.sh"); }, {}},
        {[&] { fs::permissions(disc_ + "/autorun.sh", fs::perms::owner_read | fs::perms::owner_write); },
         {"warning: \\autorun.sh: cannot be run (it lacks the execute permission): Linux desktops do not start the menu "
          "from it"}},
        {[&] {
             WriteFile(disc_ + "/.autorun", std::string("#!/bin/sh\n"));
             fs::permissions(disc_ + "/.autorun", runnable);
         },
         {}},
        // Letter case counts for Linux desktops.
        {[&] {
             fs::remove(disc_ + "/autorun.sh");
             fs::rename(disc_ + "/.autorun", disc_ + "/AutoRun");
         },
         {noScript}},
        // A disc without a Linux menu needs no script.
        {[&] { fs::remove(disc_ + "/vemi32"); }, {}},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        SCOPED_TRACE("step " + std::to_string(i + 1));
        steps[i].first();
        std::string out;
        Check(out);
        EXPECT_EQ(Lines(out, "warning: "), steps[i].second) << out;
    }
}

TEST_F(DiscCheck, AnUnportableOrMissingMenuProgramFails) {
    // This test program: linked against the C++ runtime of the machine that built it.
    fs::remove(disc_ + "/vemi32");
    fs::copy_file("/proc/self/exe", disc_ + "/vemi32");
    std::string out;
    EXPECT_EQ(Check(out), 1);
    std::vector<std::string> errors = Lines(out, "error: ");
    ASSERT_FALSE(errors.empty());
    for (const std::string& e : errors) EXPECT_EQ(e.rfind("error: \\vemi32: needs ", 0), 0u) << e;
    EXPECT_NE(out.find("error: \\vemi32: needs libstdc++.so.6 from the host"), std::string::npos) << out;

    fs::remove(disc_ + "/vemi32");
    EXPECT_EQ(Check(out), 1);
    EXPECT_EQ(OnlyError(out), "error: \\vemi32: is missing: the menu cannot start from this disc");

    // A Windows program beside it must be one.
    fs::copy_file(VEMI_PORTABLE_PROGRAM, disc_ + "/vemi32");
    WriteFile(disc_ + "/vemi32.exe", std::string("MZ") + std::string(100, '\0'));
    EXPECT_EQ(Check(out), 1);
    EXPECT_EQ(OnlyError(out), "error: \\vemi32.exe: is an MS-DOS program, not a Windows one");
}

TEST_F(DiscCheck, RiskyNamesAreWarnings) {
    fs::create_directories(disc_ + "/Gry/KLEJNOTY");
    WriteFile(disc_ + "/Dodatki/aux.txt", std::string("x"));
    WriteFile(disc_ + "/Dodatki/" + std::string(70, 'n') + ".txt", std::string("x"));
    std::string deep = disc_;
    for (int i = 0; i < 9; ++i) deep += "/p" + std::to_string(i);
    fs::create_directories(deep);
    fs::create_symlink("Gry", disc_ + "/link");
    std::string out;
    EXPECT_EQ(Check(out), 0) << out;
    const std::vector<std::string> warnings = Lines(out, "warning: ");
    ASSERT_EQ(warnings.size(), 5u) << out;
    EXPECT_EQ(warnings[0], "warning: \\Dodatki\\aux.txt: is a device name on Windows and cannot be opened there");
    EXPECT_EQ(warnings[1], "warning: \\Dodatki\\" + std::string(70, 'n') +
                               ".txt: has a name of 74 characters; Joliet discs, which Windows reads, allow 64");
    EXPECT_EQ(warnings[2].rfind("warning: \\Gry\\Klejnoty: differs from KLEJNOTY only in letter case", 0), 0u) << warnings[2];
    EXPECT_EQ(warnings[3], "warning: \\link: is a symbolic link, which Windows and plain ISO 9660 discs cannot follow");
    EXPECT_EQ(warnings[4], "warning: \\p0\\p1\\p2\\p3\\p4\\p5\\p6\\p7: is a folder on level 9 (the root is level 1); ISO 9660 allows 8");
}
