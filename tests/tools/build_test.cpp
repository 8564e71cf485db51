// The sample disc as `vemi-disc build` makes it, read back the way the menu reads a
// disc: catalogues deciphered line by line, the resource archives unpacked and their
// streams consumed record by record, screenshots decoded, program archives opened.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>

#include "catalogue/Cjxkoderu.h"
#include "catalogue/Cjxndt4fileu.h"
#include "install/Zipreaderu.h"
#include "platform/bmp.h"
#include "platform/jpeg.h"
#include "platform/resources.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "tools/pe_header.h"
#include "widgets/Cjxfontfileu.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;

// The sample disc the build made with this tool serves every test of this file (each
// test runs in a process of its own: building it for each would take most of their
// time); a build without it gets one made here.
class SampleDisc : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = testsupport::BinaryDir() + "/sample-disc/disc";
        built_ = fs::exists(root_ + "/.vemi-disc-build") && fs::exists(root_ + "/CDInst/Dat/mains.ndt");
        if (built_) return;
        dir_ = new testsupport::TempDir;
        root_ = dir_->path() + "/disc";
        std::string out;
        int rc = testsupport::RunCommand(
            "'" + testsupport::ToolPath() + "' build '" + testsupport::SourceDir() + "/sample-disc' '" + root_ + "' 2>&1", &out);
        buildOutput_ = out;
        built_ = rc == 0;
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(built_) << buildOutput_; }

    static std::string Path(const std::string& rel) { return root_ + "/" + rel; }

    // A catalogue as the menu builds its working copy: lines 0 to 6 as stored, then
    // every later line deciphered in order with one key state.
    static CJXNdt4File Decipher(const std::string& rel) {
        CJXNdt4File raw, work;
        raw.LoadFromBytes(ReadFile(Path(rel)));
        for (int i = 0; i < 7; ++i) work.AddLine(raw.GetLine(i));
        CJXKoder k;
        k.SetKey("Talvik");
        for (int i = 7; i < raw.LineCount(); ++i) work.AddLine(DecodeLine(k, raw.GetLine(i)));
        work.ReadHeader();
        return work;
    }

    static platform::MemoryStream Member(const std::string& archive, const std::string& member) {
        TJXZipReader zip;
        zip.OpenArchiveFromMemory(ReadFile(Path(archive)));
        platform::MemoryStream s;
        zip.ExtractToStream(member, s);
        s.Seek(0);
        return s;
    }

    // The record heads of the catalogue source, counted straight from the text so
    // that the expectations do not come from the code under test.
    static void CountSourceHeads(int& groups, int& programs) {
        groups = programs = 0;
        std::ifstream in(testsupport::SourceDir() + "/sample-disc/catalogue.txt");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] != '+') continue;
            if (line.find(" group:") != std::string::npos) ++groups;
            else if (line.find(" program:") != std::string::npos) ++programs;
        }
    }

    static testsupport::TempDir* dir_;
    static std::string root_;
    static std::string buildOutput_;
    static bool built_;
};

testsupport::TempDir* SampleDisc::dir_ = nullptr;
std::string SampleDisc::root_;
std::string SampleDisc::buildOutput_;
bool SampleDisc::built_ = false;

int Int(const std::string& s) { return CatalogueLineToInt(s); }

TEST_F(SampleDisc, MainCatalogueDeciphersToTheSourceRecordsInListOrder) {
    int groups = 0, programs = 0;
    CountSourceHeads(groups, programs);
    ASSERT_GE(groups, 8);
    ASSERT_GE(programs, 40);

    CJXNdt4File cat = Decipher("CDInst/Dat/main.ndt");
    EXPECT_EQ(cat.recordCount, groups + programs);
    EXPECT_EQ(cat.CountPrograms(), programs);
    EXPECT_EQ(cat.LineCount(), 11 + 16 * cat.recordCount);
    EXPECT_EQ(cat.GetTitleLine(2), "12/2007");

    // The list can only take records whose level is at most one deeper than the
    // record before, starting at level 0.
    int previous = -1, kinds12 = 0, vista = 0, webPages = 0, boldLines = 0, noPictures = 0, links = 0, caret = 0;
    int zipWithSetup = 0, zipWithout = 0, folders = 0, runAddresses = 0;
    for (int r = 0; r < cat.recordCount; ++r) {
        int level = Int(cat.GetField(r, 13));
        EXPECT_GE(level, 0);
        EXPECT_LE(level, std::min(7, previous + 1)) << "record " << r;
        previous = level;
        if (Int(cat.GetField(r, 14)) != 11) continue;
        kinds12 += platform::StartsWith(cat.GetField(r, 9), "^");
        vista += platform::StartsWith(cat.GetField(r, 5), "VISTA_OK");
        webPages += platform::StartsWith(cat.GetField(r, 11), "http");
        boldLines += !cat.GetField(r, 11).empty() && !platform::StartsWith(cat.GetField(r, 11), "http");
        noPictures += cat.GetField(r, 4).empty();
        links += !cat.GetField(r, 10).empty();
        caret += platform::StartsWith(cat.GetField(r, 3), "^");
        runAddresses += platform::StartsWith(cat.GetField(r, 3), "http://");
        const std::string& folder = cat.GetField(r, 1);
        bool zip = folder.size() > 4 && platform::UpperCp1250(folder.substr(folder.size() - 4)) == ".ZIP";
        if (zip) (cat.GetField(r, 2).empty() ? zipWithout : zipWithSetup)++;
        else folders += !folder.empty();
    }
    // The sample is there to show every case the menu knows.
    EXPECT_GE(kinds12, 2);
    EXPECT_GE(vista, 3);
    EXPECT_GE(webPages, 3);
    EXPECT_GE(boldLines, 1);
    EXPECT_GE(noPictures, 3);
    EXPECT_GE(links, programs / 2);
    EXPECT_GE(caret, 2);
    EXPECT_GE(runAddresses, 1);
    EXPECT_GE(zipWithSetup, 2);
    EXPECT_GE(zipWithout, 2);
    EXPECT_GE(folders, 10);
}

TEST_F(SampleDisc, AlphabeticalCatalogueHoldsEveryProgramSortedAtLevelZero) {
    CJXNdt4File main = Decipher("CDInst/Dat/main.ndt");
    CJXNdt4File alpha = Decipher("CDInst/Dat/mains.ndt");
    std::multiset<std::string> expected, seen;
    for (int r = 0; r < main.recordCount; ++r)
        if (Int(main.GetField(r, 14)) != 1) expected.insert(main.GetField(r, 0));
    ASSERT_EQ(alpha.recordCount, static_cast<int>(expected.size()));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(alpha.GetTitleLine(i), main.GetTitleLine(i));
    std::string before;
    for (int r = 0; r < alpha.recordCount; ++r) {
        EXPECT_EQ(Int(alpha.GetField(r, 13)), 0);
        std::string key = platform::UpperCp1250(alpha.GetField(r, 0));
        EXPECT_FALSE(std::lexicographical_compare(key.begin(), key.end(), before.begin(), before.end(),
                                                  [](char a, char b) { return uint8_t(a) < uint8_t(b); }))
            << "\"" << key << "\" comes after \"" << before << "\"";
        before = key;
        seen.insert(alpha.GetField(r, 0));
        // Records keep their fields: find the same name in the main catalogue.
        for (int m = 0; m < main.recordCount; ++m) {
            if (main.GetField(m, 0) != alpha.GetField(r, 0)) continue;
            for (int f : {1, 2, 3, 4, 5, 9, 10, 11, 14}) EXPECT_EQ(alpha.GetField(r, f), main.GetField(m, f));
        }
    }
    EXPECT_EQ(seen, expected);
    // Polish letters reach the disc as Windows-1250 bytes.
    bool polish = false;
    for (int r = 0; r < alpha.recordCount; ++r) polish |= alpha.GetField(r, 0).find('\xB3') != std::string::npos;  // ł
    EXPECT_TRUE(polish);
}

TEST_F(SampleDisc, FontStreamHoldsElevenRecordsUpToItsLastByte) {
    platform::MemoryStream s = Member("CDInst/Prg/fdata.jxz", "fdata.jxs");
    ASSERT_GT(s.Size(), 0u);
    for (int i = 0; i < 11; ++i) {
        ASSERT_FALSE(s.AtEnd()) << "the stream ends before record " << i + 1;
        CJXFontFile f;
        ASSERT_EQ(f.Load(s), 0) << "record " << i + 1;
        EXPECT_GE(f.version, 257) << "record " << i + 1;
        EXPECT_GT(f.TextWidthKerned("Liczba"), 0);
    }
    EXPECT_TRUE(s.AtEnd()) << s.Remaining() << " bytes after the eleventh record";
}

TEST_F(SampleDisc, PictureStreamHoldsTheFortyFourPicturesTheLayoutNeeds) {
    platform::MemoryStream s = Member("CDInst/Prg/bdata.jxz", "bdata.jxs");
    // Button sizes: the hit rectangles of buttons 1 to 10, once per state.
    const int buttons[10][2] = {{42, 34}, {39, 33}, {43, 36}, {40, 32}, {42, 35}, {25, 13}, {25, 13}, {105, 16}, {118, 18}, {125, 16}};
    std::vector<std::pair<int, int>> sizes;
    for (int state = 0; state < 3; ++state)
        for (const auto& b : buttons) sizes.emplace_back(b[0], b[1]);
    // Each bar: background, up pressed, up lit, down pressed, down lit, thumb, thumb lit.
    for (int height : {542, 244}) {
        sizes.emplace_back(12, height);
        for (int i = 0; i < 4; ++i) sizes.emplace_back(12, 16);
        sizes.emplace_back(12, 12);
        sizes.emplace_back(12, 12);
    }
    ASSERT_EQ(sizes.size(), 44u);
    std::vector<platform::Image> pics;
    for (size_t i = 0; i < sizes.size(); ++i) {
        platform::Image img;
        std::string why;
        ASSERT_TRUE(platform::ReadBmp(s, img, &why)) << "picture " << i + 1 << ": " << why;
        EXPECT_EQ(img.Width(), sizes[i].first) << "picture " << i + 1;
        EXPECT_EQ(img.Height(), sizes[i].second) << "picture " << i + 1;
        pics.push_back(std::move(img));
    }
    EXPECT_TRUE(s.AtEnd()) << s.Remaining() << " bytes after the last picture";
    // The three states of a button are three different pictures.
    for (int id = 0; id < 10; ++id) {
        auto same = [&](int a, int b) {
            for (int y = 0; y < pics[a].Height(); ++y)
                for (int x = 0; x < pics[a].Width(); ++x)
                    if (pics[a].Pixel(x, y) != pics[b].Pixel(x, y)) return false;
            return true;
        };
        EXPECT_FALSE(same(id, 10 + id)) << "button " << id + 1 << " states 1 and 2";
        EXPECT_FALSE(same(20 + id, 10 + id)) << "button " << id + 1 << " states 3 and 2";
    }
}

TEST_F(SampleDisc, ScreenshotsExistSmallAndLargeForEveryNamedPicture) {
    CJXNdt4File cat = Decipher("CDInst/Dat/main.ndt");
    std::set<std::string> names;
    for (int r = 0; r < cat.recordCount; ++r) {
        std::stringstream field(cat.GetField(r, 4));
        std::string name;
        while (std::getline(field, name, ','))
            if (!name.empty()) names.insert(name);
    }
    ASSERT_GE(names.size(), 20u);
    bool wideSmall = false, belowFull = false, huge = false, xga = false;
    for (const std::string& n : names) {
        platform::Image small, large;
        std::vector<uint8_t> a = ReadFile(Path("CDInst/JPS/" + n)), b = ReadFile(Path("CDInst/JPG/" + n));
        ASSERT_TRUE(platform::DecodeJpeg(a.data(), a.size(), small)) << n;
        ASSERT_TRUE(platform::DecodeJpeg(b.data(), b.size(), large)) << n;
        EXPECT_LE(small.Height(), 192) << n;
        EXPECT_GE(large.Width(), 640) << n;
        wideSmall |= small.Width() > 256;
        belowFull |= small.Width() < 256 && small.Height() < 192;
        huge |= large.Width() == 1600 && large.Height() == 1200;
        xga |= large.Width() == 1024 && large.Height() == 768;
    }
    EXPECT_TRUE(wideSmall) << "a small picture wider than the frame shows the cutting";
    EXPECT_TRUE(belowFull) << "a small picture smaller than the frame shows the centring";
    EXPECT_TRUE(huge);
    EXPECT_TRUE(xga);
    for (const char* generic : {"CDInst/Prg/RSMALL.JPG", "CDInst/Prg/RLARGE.JPG"}) {
        std::vector<uint8_t> bytes = ReadFile(Path(generic));
        platform::Image img;
        ASSERT_TRUE(platform::DecodeJpeg(bytes.data(), bytes.size(), img)) << generic;
        EXPECT_EQ(img.Width() * 3, img.Height() * 4) << generic;
    }
}

TEST_F(SampleDisc, ProgramFilesAreWhereTheCatalogueSaysAndArchivesOpen) {
    CJXNdt4File cat = Decipher("CDInst/Dat/main.ndt");
    int archives = 0, infos = 0;
    for (int r = 0; r < cat.recordCount; ++r) {
        const std::string info = cat.GetField(r, 5);
        if (!info.empty() && !platform::StartsWith(info, "VISTA_OK")) {
            std::vector<uint8_t> text = ReadFile(Path("CDInst/TXT/" + platform::Cp1250ToUtf8(info)));
            for (size_t i = 0; i < text.size(); ++i) {
                if (text[i] != '\n') continue;
                ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << info << " has a bare LF";
            }
            // Windows-1250 text holds no UTF-8 lead bytes of Polish letters (0xC4, 0xC5).
            EXPECT_EQ(std::count(text.begin(), text.end(), 0xC5), 0) << info;
            ++infos;
        }
        std::string folder = platform::Cp1250ToUtf8(cat.GetField(r, 1));
        if (folder.empty()) continue;
        std::replace(folder.begin(), folder.end(), '\\', '/');
        const std::string setup = platform::Cp1250ToUtf8(cat.GetField(r, 2));
        const std::string run = platform::Cp1250ToUtf8(cat.GetField(r, 3));
        if (platform::UpperCp1250(folder.substr(folder.size() - 4)) == ".ZIP") {
            TJXZipReader zip;
            ASSERT_NO_THROW(zip.OpenArchiveFromMemory(ReadFile(Path(folder)))) << folder;
            for (const auto& e : zip.Entries()) EXPECT_TRUE(e.problem.empty()) << folder << ": " << e.name << ": " << e.problem;
            const std::string& needed = setup.empty() ? run : setup;
            EXPECT_GE(zip.FindMember(platform::Utf8ToCp1250(needed)), 0) << folder << " lacks " << needed;
            ++archives;
        } else {
            ASSERT_TRUE(fs::is_directory(Path(folder))) << folder;
            for (const std::string& f : {setup, run}) {
                if (f.empty() || f[0] == '^' || f.rfind("http", 0) == 0) continue;
                struct stat st {};
                ASSERT_EQ(::stat(Path(folder + "/" + f).c_str(), &st), 0) << folder << "/" << f;
                EXPECT_TRUE(st.st_mode & S_IXUSR) << folder << "/" << f << " is not executable";
            }
        }
    }
    EXPECT_GE(archives, 4);
    EXPECT_GE(infos, 20);
    struct stat st {};
    ASSERT_EQ(::stat(Path("Outro.exe").c_str(), &st), 0);
    EXPECT_TRUE(st.st_mode & S_IXUSR);
    for (const char* doc : {"Poradnik.pdf", "Katalog.pdf"}) {
        std::vector<uint8_t> pdf = ReadFile(Path(std::string("+ TYLKO W WERSJI CYFROWEJ +/") + doc));
        ASSERT_GE(pdf.size(), 8u);
        EXPECT_EQ(std::string(pdf.begin(), pdf.begin() + 5), "%PDF-") << doc;
    }
}

TEST_F(SampleDisc, ArchiveMemberNamesAreStoredInTheOemCodePage) {
    // "ł" is 0x88 in OEM 852 (0xB3 in Windows-1250); the reader gives names back in
    // Windows-1250, so a member written in the wrong code page would not be found.
    TJXZipReader zip;
    zip.OpenArchiveFromMemory(ReadFile(Path("Programy/PelneWersje/Malarz3.zip")));
    EXPECT_GE(zip.FindMember(platform::Utf8ToCp1250("Instrukcja obsługi - część 1.txt")), 0);
    std::vector<uint8_t> raw = ReadFile(Path("Programy/PelneWersje/Malarz3.zip"));
    std::string bytes(raw.begin(), raw.end());
    EXPECT_NE(bytes.find("obs\x88ugi"), std::string::npos);
    EXPECT_EQ(bytes.find("obs\xB3ugi"), std::string::npos);
}

// A disc of one group and one program, quick to build.
void WriteSmallSource(const std::string& dir, const std::string& records, const std::string& pictures) {
    fs::remove_all(dir);
    testsupport::WriteFile(dir + "/catalogue.txt", "title: A\ntitle: B\ntitle: 1/2008\ntitle: D\n+ group: G\n++ program: P\n" + records);
    testsupport::WriteFile(dir + "/screenshots.txt", pictures);
    testsupport::WriteFile(dir + "/disc/Prog/run.exe", std::string("#!/bin/sh\n"));
    testsupport::WriteFile(dir + "/txt/prog.txt", std::string("Zażółć\n"));
}

TEST(DiscBuild, RefusesForeignFolderAndRebuildsItsOwn) {
    testsupport::TempDir tmp;
    const std::string tool = "'" + testsupport::ToolPath() + "'";
    const std::string src = tmp / "src";
    WriteSmallSource(src, "folder: Prog\nrun: run.exe\n", "");
    // A folder holding somebody's files is never emptied.
    testsupport::WriteFile(tmp / "mine/letter.txt", std::string("keep me"));
    std::string out;
    EXPECT_NE(testsupport::RunCommand(tool + " build '" + src + "' '" + (tmp / "mine") + "' 2>&1", &out), 0);
    EXPECT_NE(out.find("holds files"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(tmp / "mine/letter.txt"));
    // A disc built before is emptied and built again: stale files go.
    ASSERT_EQ(testsupport::RunCommand(tool + " build '" + src + "' '" + (tmp / "disc") + "' 2>&1", &out), 0) << out;
    testsupport::WriteFile(tmp / "disc/stale.txt", std::string("old"));
    ASSERT_EQ(testsupport::RunCommand(tool + " build '" + src + "' '" + (tmp / "disc") + "' 2>&1", &out), 0) << out;
    EXPECT_FALSE(fs::exists(tmp / "disc/stale.txt"));
    EXPECT_TRUE(fs::exists(tmp / "disc/CDInst/Dat/main.ndt"));
}

TEST(DiscBuild, MenuProgramGoesToTheRootAsVemi32) {
    testsupport::TempDir tmp;
    const std::string tool = "'" + testsupport::ToolPath() + "'";
    const std::string src = tmp / "src", disc = tmp / "disc";
    WriteSmallSource(src, "folder: Prog\nrun: run.exe\n", "");
    // A stale copy among the disc's own files gives way to the program given.
    testsupport::WriteFile(src + "/disc/vemi32", std::string("old menu"));
    const std::string menu = "#!/bin/sh\necho menu\n";
    testsupport::WriteFile(tmp / "bin/my-menu", menu);
    fs::permissions(tmp / "bin/my-menu", fs::perms::owner_read | fs::perms::owner_write);
    auto build = [&](const std::string& options, std::string* out) {
        return testsupport::RunCommand(tool + " build " + options + " '" + src + "' '" + disc + "' 2>&1", out);
    };

    std::string out;
    ASSERT_EQ(build("--program '" + (tmp / "bin/my-menu") + "'", &out), 0) << out;
    EXPECT_NE(out.find("menu program vemi32 from " + (tmp / "bin/my-menu")), std::string::npos) << out;
    auto bytes = ReadFile(disc + "/vemi32");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), menu);
    // Whoever reads the disc may run it, whatever the bits of the file given.
    const fs::perms p = fs::status(disc + "/vemi32").permissions();
    for (fs::perms bit : {fs::perms::owner_exec, fs::perms::group_exec, fs::perms::others_exec, fs::perms::others_read})
        EXPECT_NE(p & bit, fs::perms::none) << static_cast<int>(bit);
    // Beside it, what the licences of the libraries built into it ask to be said.
    bytes = ReadFile(disc + "/vemi32-licencje.txt");
    const std::string notices(bytes.begin(), bytes.end());
    for (const char* required : {"vemi32 is based in part on the work of the FLTK project (http://www.fltk.org).",
                                 "This software is based in part on the work of the Independent JPEG Group.",
                                 "Copyright 2016, 2018 Eric Biggers",
                                 "The above copyright notice and this permission notice shall be included in all\n"})
        EXPECT_NE(notices.find(required), std::string::npos) << required;

    // Linux desktops offer to start it when the disc is mounted.
    EXPECT_TRUE(fs::exists(disc + "/autorun"));
    EXPECT_FALSE(fs::exists(disc + "/autorun.inf"));

    // A Windows program, whatever its name, is vemi32.exe.
    testsupport::WriteFile(tmp / "bin/menu", std::string("MZ"));
    ASSERT_EQ(build("--program='" + (tmp / "bin/menu") + "'", &out), 0) << out;
    EXPECT_TRUE(fs::exists(disc + "/vemi32.exe"));
    EXPECT_EQ(ReadFile(disc + "/vemi32")[0], 'o') << "only the stale copy from disc/ is left";
    EXPECT_FALSE(fs::exists(disc + "/vemi32-licencje.txt")) << "it carries none of those libraries";
    EXPECT_FALSE(fs::exists(disc + "/autorun")) << "there is no Linux menu to start";
    // ... and starts by itself from the drive, with its own icon.
    auto autorun = ReadFile(disc + "/autorun.inf");
    EXPECT_EQ(std::string(autorun.begin(), autorun.end()), "[autorun]\r\nopen=vemi32.exe\r\nicon=vemi32.exe,0\r\n");

    // Without the option the program of this build goes on the disc, if it made one.
    const std::string built = testsupport::BinaryDir() + "/vemi32";
    ASSERT_EQ(build("", &out), 0) << out;
    if (fs::exists(built)) {
        EXPECT_EQ(ReadFile(disc + "/vemi32"), ReadFile(built));
        EXPECT_NE(out.find("menu program vemi32 from " + built), std::string::npos) << out;
    } else {
        EXPECT_NE(out.find("no menu program built"), std::string::npos) << out;
    }

    // A disc for another system's program, before there is one: no menu at all, not
    // even this build's.
    ASSERT_EQ(build("--no-program", &out), 0) << out;
    EXPECT_FALSE(fs::exists(disc + "/vemi32.exe"));
    EXPECT_FALSE(fs::exists(disc + "/autorun.inf")) << "nothing to start";
    EXPECT_FALSE(fs::exists(disc + "/autorun")) << "nothing to start";
    EXPECT_EQ(ReadFile(disc + "/vemi32")[0], 'o') << "only the stale copy from disc/ is left";
    EXPECT_EQ(out.find("no menu program built"), std::string::npos) << out;
    EXPECT_NE(out.find(", no menu program\n"), std::string::npos) << out;
}

// One disc for readers of both systems: both menus at the root, each with what makes
// its system offer it when the disc goes in.
TEST(DiscBuild, ADiscForBothSystemsOffersEachItsMenu) {
    testsupport::TempDir tmp;
    const std::string tool = "'" + testsupport::ToolPath() + "'";
    const std::string disc = tmp / "płyta dla obu", windowsMenu = tmp / "bin/menu-windows";
    testsupport::WriteFile(windowsMenu, testsupport::PeHeader());
    std::string out;
    ASSERT_EQ(testsupport::RunCommand(tool + " build --program '" + windowsMenu + "' --program '" VEMI_PORTABLE_PROGRAM "' '" +
                                          testsupport::SourceDir() + "/sample-disc' '" + disc + "' 2>&1",
                                      &out),
              0)
        << out;
    EXPECT_NE(out.find("menu programs vemi32.exe from " + windowsMenu + " and vemi32 from " VEMI_PORTABLE_PROGRAM "\n"),
              std::string::npos)
        << out;
    EXPECT_EQ(ReadFile(disc + "/vemi32.exe"), testsupport::PeHeader());
    EXPECT_EQ(ReadFile(disc + "/vemi32"), ReadFile(VEMI_PORTABLE_PROGRAM));
    auto text = [&](const std::string& name) {
        const std::vector<uint8_t> b = ReadFile(disc + "/" + name);
        return std::string(b.begin(), b.end());
    };
    EXPECT_EQ(text("autorun.inf"), "[autorun]\r\nopen=vemi32.exe\r\nicon=vemi32.exe,0\r\n");
    EXPECT_NE(text("vemi32-licencje.txt").find("FLTK"), std::string::npos);
    // The desktop runs the script itself, whoever mounted the disc.
    EXPECT_EQ(text("autorun").rfind("#!/bin/sh\n", 0), 0u);
    const fs::perms p = fs::status(disc + "/autorun").permissions();
    for (fs::perms bit : {fs::perms::owner_exec, fs::perms::group_exec, fs::perms::others_exec, fs::perms::others_read})
        EXPECT_NE(p & bit, fs::perms::none) << static_cast<int>(bit);

    // Nothing is missing for either system.
    EXPECT_EQ(testsupport::RunCommand(tool + " check '" + disc + "'", &out), 0) << out;
    EXPECT_NE(out.find("2 programs at the root"), std::string::npos) << out;
    EXPECT_NE(out.find("0 errors, 0 warnings\n"), std::string::npos) << out;

    // The script starts vemi32 in the disc's root, with the arguments it was given,
    // from wherever it is started: the desktop starts it in the root, a user may
    // type its path anywhere. A stand-in for the menu writes down where it runs.
    const std::string trace = tmp / "trace";
    testsupport::WriteFile(disc + "/vemi32", "#!/bin/sh\n{ pwd -P; for a in \"$@\"; do echo \"[$a]\"; done; } > '" + trace + "'\n");
    fs::permissions(disc + "/vemi32", fs::perms::owner_all);
    const std::string root = fs::canonical(disc).string();
    const std::pair<std::string, std::string> starts[] = {
        {root, "./autorun"},
        {tmp.path(), "'płyta dla obu/autorun'"},
        {"/", "'" + root + "/autorun'"},
    };
    for (const auto& [where, command] : starts) {
        SCOPED_TRACE(where + ": " + command);
        fs::remove(trace);
        ASSERT_EQ(testsupport::RunCommand("cd '" + where + "' && " + command + " 'dwa słowa' trzy 2>&1", &out), 0) << out;
        EXPECT_EQ(text("../trace"), root + "\n[dwa słowa]\n[trzy]\n");
    }
}

TEST(DiscBuild, UnusableMenuProgramsAreRefusedBeforeAnythingIsWritten) {
    testsupport::TempDir tmp;
    const std::string tool = "'" + testsupport::ToolPath() + "'";
    const std::string src = tmp / "src", disc = tmp / "disc";
    WriteSmallSource(src, "folder: Prog\nrun: run.exe\n", "");
    auto build = [&](const std::string& options, std::string* out) {
        return testsupport::RunCommand(tool + " build " + options + " '" + src + "' '" + disc + "' 2>&1", out);
    };
    std::string out;
    EXPECT_EQ(build("--program '" + (tmp / "none") + "'", &out), 1);
    EXPECT_NE(out.find(tmp / "none"), std::string::npos) << out;
    EXPECT_NE(build("--program '" + src + "'", &out), 0) << "a folder is no program";
    EXPECT_FALSE(fs::exists(disc));

    // The program inside the very disc being rebuilt would be deleted before it is copied.
    ASSERT_EQ(build("--program '" + src + "/disc/Prog/run.exe'", &out), 0) << out;
    ASSERT_TRUE(fs::exists(disc + "/vemi32"));
    EXPECT_EQ(build("--program '" + disc + "/vemi32'", &out), 1);
    EXPECT_NE(out.find("inside the disc"), std::string::npos) << out;
    EXPECT_TRUE(fs::exists(disc + "/vemi32")) << "the disc is left as it was";
    EXPECT_TRUE(fs::exists(disc + "/CDInst/Dat/main.ndt"));

    // One program for each system, and only programs.
    testsupport::WriteFile(tmp / "linux-menu", std::string("\x7f" "ELF") + std::string(60, '\0'));
    testsupport::WriteFile(tmp / "notes.txt", std::string("menu"));
    const std::pair<std::string, std::string> refused[] = {
        {"--program '" + (tmp / "linux-menu") + "' --program '" + src + "/disc/Prog/run.exe'", "are both Linux programs"},
        {"--program '" + (tmp / "notes.txt") + "'", "is neither a Linux nor a Windows program"},
    };
    for (const auto& [options, why] : refused) {
        SCOPED_TRACE(options);
        EXPECT_EQ(build(options, &out), 1);
        EXPECT_NE(out.find(why), std::string::npos) << out;
    }

    // Bad usage: no file after the option, a third program, an unknown option.
    EXPECT_EQ(build("--program", &out), 2) << out;
    EXPECT_NE(out.find("usage: vemi-disc build [--program FILE [--program FILE] | --no-program] SRC OUT"), std::string::npos)
        << out;
    EXPECT_EQ(build("--program '" + src + "/disc/Prog/run.exe' --no-program", &out), 2) << out;
    EXPECT_EQ(build("--no-program --no-program", &out), 2) << out;
    EXPECT_EQ(build("--program= ", &out), 2) << out;
    EXPECT_EQ(build("--program a --program b --program c", &out), 2) << out;
    EXPECT_EQ(build("--programme a", &out), 2) << out;
}

TEST(DiscBuild, SourceFaultsNameTheirPlaceAndLeaveTheOutputAlone) {
    testsupport::TempDir tmp;
    const std::string tool = "'" + testsupport::ToolPath() + "'";
    auto build = [&](const std::string& records, const std::string& pictures, std::string* out) {
        WriteSmallSource(tmp / "src", records, pictures);
        return testsupport::RunCommand(tool + " build '" + (tmp / "src") + "' '" + (tmp / "out") + "' 2>&1", out);
    };
    const std::string head = "folder: Prog\n";
    const std::string pics = "p.jpg editor 256x192 800x600 Okno\n";
    std::string out;
    ASSERT_EQ(build(head + "run: run.exe\npictures: p.jpg\ninfo: prog.txt\n", pics, &out), 0) << out;
    EXPECT_TRUE(fs::exists(tmp / "out/CDInst/JPS/p.jpg"));

    fs::remove_all(tmp / "out");
    EXPECT_NE(build(head + "run: run.exe\npictures: q.jpg\n", pics, &out), 0);
    EXPECT_NE(out.find("line 6"), std::string::npos) << out;
    EXPECT_NE(out.find("q.jpg"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(tmp / "out")) << "nothing is written when the sources are wrong";

    EXPECT_NE(build(head + "run: missing.exe\n", pics, &out), 0);
    EXPECT_NE(out.find("missing.exe"), std::string::npos) << out;
    EXPECT_NE(build(head + "info: none.txt\n", pics, &out), 0);
    EXPECT_NE(out.find("none.txt"), std::string::npos) << out;
    EXPECT_NE(build(head + "run: run.exe\n", "p.jpg movie 256x192 800x600 Okno\n", &out), 0);
    EXPECT_NE(out.find("movie"), std::string::npos) << out;
    EXPECT_NE(build(head + "run: run.exe\n", "p.jpg editor 256 800x600 Okno\n", &out), 0);
    EXPECT_NE(out.find("WxH"), std::string::npos) << out;
}

TEST(DiscBuild, ResourcesSourceCarriesDecodablePictures) {
    testsupport::TempDir tmp;
    std::string out;
    ASSERT_EQ(testsupport::RunCommand("'" + testsupport::ToolPath() + "' resources '" + (tmp / "res.cpp") + "' 2>&1", &out), 0) << out;
    std::vector<uint8_t> bytes = ReadFile(tmp / "res.cpp");
    std::string text(bytes.begin(), bytes.end());
    EXPECT_FALSE(fs::exists(tmp / "res.cpp.part"));
    EXPECT_NE(text.find("void RegisterProgramResources()"), std::string::npos);
    // Take every array back out of the source and check it is what its entry says.
    std::map<std::string, std::vector<uint8_t>> arrays;
    std::map<std::string, std::string> labels;
    size_t pos = 0;
    while ((pos = text.find("const uint8_t kData", pos)) != std::string::npos) {
        size_t nameEnd = text.find('[', pos);
        std::string name = text.substr(pos + 14, nameEnd - pos - 14);
        size_t comment = text.find("// ", nameEnd), lineEnd = text.find('\n', comment);
        labels[name] = text.substr(comment + 3, lineEnd - comment - 3);
        size_t end = text.find("};", lineEnd);
        std::vector<uint8_t> data;
        std::stringstream in(text.substr(lineEnd, end - lineEnd));
        std::string number;
        while (std::getline(in, number, ','))
            if (number.find_first_of("0123456789") != std::string::npos) data.push_back(static_cast<uint8_t>(std::stoi(number)));
        arrays[name] = data;
        pos = end;
    }
    ASSERT_EQ(arrays.size(), 15u);
    std::map<std::string, std::vector<uint8_t>> byLabel;
    for (auto& [name, data] : arrays) byLabel[labels[name]] = data;
    for (const char* skin : {"JPEG TLO_IM1", "JPEG TLO_IM2"}) {
        platform::Image img;
        const auto& d = byLabel[skin];
        ASSERT_TRUE(platform::DecodeJpeg(d.data(), d.size(), img)) << skin;
        EXPECT_EQ(img.Width(), 1024);
        EXPECT_EQ(img.Height(), 768);
    }
    auto bmp = [&](const char* label) {
        platform::MemoryStream s(byLabel[label]);
        platform::Image img;
        EXPECT_TRUE(platform::ReadBmp(s, img)) << label;
        EXPECT_TRUE(s.AtEnd()) << label;
        return img;
    };
    platform::Image notice = bmp("BMP NWFTPIM");
    EXPECT_EQ(notice.Width(), 271);
    EXPECT_EQ(notice.Height(), 34);
    platform::Image header = bmp("BMP INSTHDR");
    EXPECT_EQ(header.Width(), 30);
    EXPECT_EQ(header.Height(), 30);
    platform::Image hand = bmp("CURSOR RACZKA"), mask = bmp("CURSOR RACZKA_MASK");
    EXPECT_EQ(hand.Width(), 32);
    EXPECT_EQ(mask.Height(), 32);
    const auto& hot = byLabel["CURSOR RACZKA_HOTSPOT"];
    ASSERT_EQ(hot.size(), 2u);
    EXPECT_EQ(mask.Pixel(hot[0], hot[1]), (platform::Rgb{255, 255, 255})) << "the hot spot lies on the cursor";
    // The program's icon, every picture whole, the taskbar's 32 among them.
    const auto& icon = byLabel["ICON VEMI32"];
    std::vector<platform::IconPicture> pics = platform::DecodeIconResource(icon.data(), icon.size());
    EXPECT_EQ(platform::EncodeIconResource(pics).size(), icon.size());
    EXPECT_TRUE(std::any_of(pics.begin(), pics.end(), [](const auto& p) { return p.size == 32; }));
    // Every banner at exactly the size of its place in the modules; the subscription
    // offer only as the picture that stands in for its movie.
    const std::pair<const char*, std::pair<int, int>> banners[] = {
        {"BMP banner1", {255, 44}},  {"BMP banner2", {255, 255}}, {"BMP banner3", {255, 265}}, {"BMP banner4", {255, 36}},
        {"BMP banner5", {125, 100}}, {"BMP banner7", {125, 100}},
    };
    for (const auto& [label, size] : banners) {
        platform::Image b = bmp(label);
        EXPECT_EQ(b.Width(), size.first) << label;
        EXPECT_EQ(b.Height(), size.second) << label;
    }
    platform::Image offer;
    const auto& jpeg = byLabel["JPEG S_banner6"];
    ASSERT_TRUE(platform::DecodeJpeg(jpeg.data(), jpeg.size(), offer));
    EXPECT_EQ(offer.Width(), 750);
    EXPECT_EQ(offer.Height(), 100);
    EXPECT_EQ(byLabel.count("BMP banner6") + byLabel.count("FLASH banner6"), 0u);
}

}  // namespace
