// `vemi-disc iso` and `vemi-disc check` on images. What the tool writes is read
// back by readers nobody here wrote (xorriso, and libarchive's bsdtar), through the
// Rock Ridge tree Linux reads and the Joliet tree Windows reads; what check says
// of an image is compared with what it says of the folder, and images it must
// find fault with are made by xorriso from folders crafted for it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "catalogue/Cjxndt4fileu.h"
#include "catalogue/Discpaths.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "tools/lib/discfiles.h"
#include "tools/lib/isolayout.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

// The build's marker, which stays out of the image.
constexpr const char* kMarker = ".vemi-disc-build";

std::string Q(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Tool() { return Q(testsupport::ToolPath()); }

// The readers and xorriso take names to and from Joliet's UTF-16 in the locale's
// character set: a bare system's C locale has no Polish letters, so they run in
// UTF-8 whatever the machine's locale is.
int Shell(const std::string& cmd, std::string* out = nullptr) {
    return testsupport::RunCommand("export LC_ALL=C.UTF-8; " + cmd + " 2>&1", out);
}

std::vector<std::string> Lines(const std::string& out, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);)
        if (l.rfind(prefix, 0) == 0) lines.push_back(l);
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& l : lines) s += l + "\n";
    return s;
}

// Every file below a folder: its bytes and whether its owner may run it.
struct FileFacts {
    std::vector<uint8_t> bytes;
    bool executable = false;
    bool operator==(const FileFacts& o) const { return bytes == o.bytes && executable == o.executable; }
};
std::map<std::string, FileFacts> Files(const std::string& root, bool withRights = true) {
    std::map<std::string, FileFacts> files;
    for (const auto& e : fs::recursive_directory_iterator(testsupport::U8Path(root))) {
        if (!e.is_regular_file()) continue;
        const std::u8string rel = fs::relative(e.path(), testsupport::U8Path(root)).u8string();
        const std::string name(rel.begin(), rel.end());
        if (name == kMarker) continue;
        FileFacts f;
        const std::u8string full = e.path().u8string();
        f.bytes = ReadFile(std::string(full.begin(), full.end()));
        f.executable = withRights && (e.status().permissions() & fs::perms::owner_exec) != fs::perms::none;
        files[name] = std::move(f);
    }
    return files;
}

// The files' LBAs and sizes as xorriso reports them, by path without the leading
// slash.
struct Extent {
    uint64_t lba = 0, blocks = 0, bytes = 0;
};
std::map<std::string, Extent> XorrisoLbas(const std::string& image) {
    std::string out;
    Shell("xorriso -indev " + Q(image) + " -find / -type f -exec report_lba --", &out);
    std::map<std::string, Extent> lbas;
    std::istringstream in(out);
    for (std::string l; std::getline(in, l);) {
        if (l.rfind("File data lba:", 0) != 0) continue;
        Extent e;
        unsigned long long xt, lba, blocks, bytes;
        const size_t quote = l.find('\'');
        if (quote == std::string::npos ||
            std::sscanf(l.c_str(), "File data lba: %llu , %llu , %llu , %llu ,", &xt, &lba, &blocks, &bytes) != 4)
            continue;
        e.lba = lba;
        e.blocks = blocks;
        e.bytes = bytes;
        lbas[l.substr(quote + 2, l.size() - quote - 3)] = e;
    }
    return lbas;
}

// The sample disc: the build's, or one built here (with a stand-in for the menu
// program when the build made none).
class SampleDisc : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!sample_.empty()) return;
        sample_ = testsupport::BinaryDir() + "/sample-disc/disc";
        if (fs::exists(sample_ + "/CDInst/Prg/fdata.jxz") && fs::exists(sample_ + "/vemi32")) return;
        sample_ = testsupport::BinaryDir() + "/test-tmp/iso-sample-disc";
        if (Shell(Tool() + " build --program " + Q(VEMI_PORTABLE_PROGRAM) + " " + Q(testsupport::SourceDir() + "/sample-disc") +
                      " " + Q(sample_),
                  &buildOutput_) != 0)
            sample_.clear();
    }
    void SetUp() override { ASSERT_FALSE(sample_.empty()) << buildOutput_; }

    // The image of a folder, dated; "" when the tool refused (its words in *out).
    std::string Image(const std::string& folder, const std::string& name, const std::string& extra = "--date 2007-12-01",
                      std::string* out = nullptr) {
        const std::string image = tmp_ / name;
        std::string said;
        const int rc = Shell(Tool() + " iso -q " + extra + " " + Q(folder) + " " + Q(image), &said);
        if (out) *out = said;
        EXPECT_EQ(rc == 0, fs::exists(image)) << said;
        return rc == 0 ? image : std::string();
    }

    // The small screenshot of the first program, where the menu starts.
    static std::string FirstScreenshot(const std::string& disc) {
        CJXNdt4File raw, work;
        raw.LoadFromBytes(ReadFile(disc + "/CDInst/Dat/main.ndt"));
        discpaths::DecodeCatalogue(raw, work);
        for (int r = 0; r < work.recordCount; ++r)
            if (work.GetField(r, 14) == "11") {
                std::array<std::string, 10> pictures;
                if (discpaths::ParsePictureList(work.GetField(r, 4), pictures) == 0) return "CDInst/Prg/RSMALL.JPG";
                return "CDInst/JPS/" + platform::Cp1250ToUtf8(pictures[0]);
            }
        return {};
    }

    testsupport::TempDir tmp_;
    static std::string sample_, buildOutput_;
};
std::string SampleDisc::sample_;
std::string SampleDisc::buildOutput_;

using IsoImage = SampleDisc;

}  // namespace

TEST_F(IsoImage, OtherReadersFindEveryFileWithItsBytesNameAndRights) {
    const std::string image = Image(sample_, "sample.iso");
    ASSERT_FALSE(image.empty());
    const auto expected = Files(sample_);
    // What makes the comparison worth having: Polish names, and programs to run.
    ASSERT_TRUE(std::any_of(expected.begin(), expected.end(), [](const auto& f) {
        return platform::Utf8ToCp1250(f.first).find('\xF3') != std::string::npos;  // "ó"
    }));
    ASSERT_TRUE(expected.at("vemi32").executable);
    ASSERT_GT(std::count_if(expected.begin(), expected.end(), [](const auto& f) { return f.second.executable; }), 5);

    // Rock Ridge, as Linux reads it: names, bytes and execute permissions.
    const std::string byXorriso = tmp_ / "xorriso", byBsdtar = tmp_ / "bsdtar", joliet = tmp_ / "joliet";
    std::string out;
    ASSERT_EQ(Shell("xorriso -osirrox on -indev " + Q(image) + " -extract / " + Q(byXorriso), &out), 0) << out;
    EXPECT_TRUE(Files(byXorriso) == expected);
    fs::create_directories(byBsdtar);
    ASSERT_EQ(Shell("bsdtar -xf " + Q(image) + " -C " + Q(byBsdtar), &out), 0) << out;
    EXPECT_TRUE(Files(byBsdtar) == expected);

    // Joliet, as Windows reads it: the same names and bytes (no rights there).
    fs::create_directories(joliet);
    ASSERT_EQ(Shell("bsdtar --options 'iso9660:!rockridge' -xf " + Q(image) + " -C " + Q(joliet), &out), 0) << out;
    EXPECT_TRUE(Files(joliet, false) == Files(sample_, false));
    ASSERT_EQ(Shell("xorriso -read_fs norock -indev " + Q(image) + " -find / -type f", &out), 0) << out;
    for (const auto& [name, facts] : expected) EXPECT_NE(out.find("'/" + name + "'\n"), std::string::npos) << name;

    // The label: the edition the catalogue names.
    ASSERT_EQ(Shell("xorriso -indev " + Q(image) + " -pvd_info", &out), 0) << out;
    EXPECT_NE(out.find("Volume Id    : VEMI_12_2007\n"), std::string::npos) << out;
}

TEST_F(IsoImage, TheSameFolderAndDateGiveTheSameBytes) {
    const std::string first = Image(sample_, "first.iso");
    ASSERT_FALSE(first.empty());
    // A copy made now: other inode numbers, other times; the date from the
    // environment, another time zone.
    const std::string copy = tmp_ / "copy";
    fs::copy(testsupport::U8Path(sample_), testsupport::U8Path(copy), fs::copy_options::recursive);
    const std::string second = tmp_ / "second.iso";
    std::string out;
    ASSERT_EQ(Shell("TZ=America/New_York SOURCE_DATE_EPOCH=1196467200 " + Tool() + " iso -q " + Q(copy) + " " + Q(second), &out), 0)
        << out;
    EXPECT_TRUE(ReadFile(first) == ReadFile(second));
    // The date does go into the image.
    const std::string later = Image(sample_, "later.iso", "--date 2008-01-01T12:00:00");
    ASSERT_FALSE(later.empty());
    EXPECT_FALSE(ReadFile(first) == ReadFile(later));
    ASSERT_EQ(Shell("xorriso -indev " + Q(later) + " -pvd_info", &out), 0) << out;
    EXPECT_NE(out.find("Creation Time: 2008010112000000"), std::string::npos) << out;
}

TEST_F(IsoImage, TheStartUpFilesComeFirstInTheOrderTheMenuReadsThem) {
    const std::string image = Image(sample_, "sample.iso");
    ASSERT_FALSE(image.empty());
    std::vector<std::string> order = {"vemi32",           "CDInst/Prg/fdata.jxz", "CDInst/Prg/bdata.jxz",
                                      "CDInst/Dat/main.ndt", "CDInst/Dat/mains.ndt", FirstScreenshot(sample_)};
    // The Windows menu, on a disc that has it, follows: Windows starts it alike.
    if (fs::exists(sample_ + "/vemi32.exe")) order.push_back("vemi32.exe");
    // The order the image follows is the one a benchmark gets from the function.
    EXPECT_EQ(tool::StartupReads(*tool::OpenDiscFolder(sample_)), order);

    // As xorriso sees the image: one after the other, before every other file.
    const auto lbas = XorrisoLbas(image);
    ASSERT_EQ(lbas.size(), Files(sample_).size());
    for (size_t i = 0; i + 1 < order.size(); ++i) {
        const Extent a = lbas.at(order[i]), b = lbas.at(order[i + 1]);
        EXPECT_EQ(b.lba, a.lba + a.blocks) << order[i] << " and " << order[i + 1];
    }
    for (const auto& [path, e] : lbas) {
        if (std::find(order.begin(), order.end(), path) == order.end()) {
            EXPECT_GT(e.lba, lbas.at(order[0]).lba) << path;
        }
    }

    // The tool's own listing says the same places.
    std::string out;
    ASSERT_EQ(testsupport::RunCommand(Tool() + " iso --layout " + Q(image), &out), 0) << out;
    std::istringstream in(out);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line, "# offset\tbytes\tstart-up\tpath");
    size_t listed = 0;
    while (std::getline(in, line)) {
        std::istringstream cols(line);
        std::string offset, bytes, startup, path;
        std::getline(cols, offset, '\t');
        std::getline(cols, bytes, '\t');
        std::getline(cols, startup, '\t');
        std::getline(cols, path);
        ASSERT_TRUE(lbas.count(path)) << line;
        EXPECT_EQ(std::stoull(offset), lbas.at(path).lba * 2048) << line;
        EXPECT_EQ(std::stoull(bytes), lbas.at(path).bytes) << line;
        if (listed < order.size()) {
            EXPECT_EQ(path, order[listed]);
            EXPECT_EQ(startup, std::to_string(listed + 1));
        } else {
            EXPECT_EQ(startup, "-") << line;
        }
        ++listed;
    }
    EXPECT_EQ(listed, lbas.size());
}

TEST_F(IsoImage, NamesJolietCannotHoldAreRefusedAndNamed) {
    struct Case {
        std::string name, why;
    };
    std::string polish64;
    for (int i = 0; i < 32; ++i) polish64 += "żó";
    const Case cases[] = {
        {std::string(61, 'n') + ".txt", "has a name of 65 characters; Joliet, which Windows reads, holds 64"},
        {"ó" + polish64, "has a name of 65 characters"},
        {"pół:kolon.txt", "has a name with a character Joliet does not allow (\":\")"},
        {"tab\tulator", "has a name with a character Joliet does not allow (a control character)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string folder = tmp_ / "refused";
        fs::remove_all(folder);
        WriteFile(folder + "/Gry/" + c.name, std::string("x"));
        std::string out;
        EXPECT_TRUE(Image(folder, "refused.iso", "--label TEST", &out).empty());
        EXPECT_NE(out.find("vemi-disc: \\Gry\\" + c.name + ": " + c.why), std::string::npos) << out;
        EXPECT_FALSE(fs::exists(tmp_ / "refused.iso.part"));
    }

    // 64 letters of UTF-16 fit, and reach Windows whole.
    const std::string folder = tmp_ / "fits";
    WriteFile(folder + "/" + polish64, std::string("x"));
    const std::string image = Image(folder, "fits.iso", "--label TEST");
    ASSERT_FALSE(image.empty());
    const std::string joliet = tmp_ / "joliet";
    fs::create_directories(joliet);
    std::string out;
    ASSERT_EQ(Shell("bsdtar --options 'iso9660:!rockridge' -xf " + Q(image) + " -C " + Q(joliet), &out), 0) << out;
    EXPECT_TRUE(fs::exists(testsupport::U8Path(joliet + "/" + polish64)));
}

TEST_F(IsoImage, TheLabelIsTheCataloguesEditionOrTheOneGiven) {
    std::string out;
    const std::string folder = tmp_ / "plain";
    WriteFile(folder + "/czytaj.txt", std::string("x"));
    // Without a catalogue there is no edition to name.
    EXPECT_TRUE(Image(folder, "plain.iso", "", &out).empty());
    EXPECT_NE(out.find("no volume label: \\CDInst\\Dat\\main.ndt is missing (give one with --label)"), std::string::npos) << out;
    for (const char* bad : {"ma\\ ła", "ZA_DLUGA_ETYKIETA", ""}) {
        SCOPED_TRACE(bad);
        EXPECT_TRUE(Image(folder, "bad.iso", std::string("--label ") + (*bad ? bad : "''"), &out).empty());
        EXPECT_NE(out.find("a volume label "), std::string::npos) << out;
    }
    const std::string image = Image(folder, "named.iso", "--label WYDANIE_1");
    ASSERT_FALSE(image.empty());
    ASSERT_EQ(Shell("xorriso -indev " + Q(image) + " -pvd_info", &out), 0) << out;
    EXPECT_NE(out.find("Volume Id    : WYDANIE_1\n"), std::string::npos) << out;
}

TEST(JolietNames, AreMeasuredInUtf16Units) {
    const struct {
        const char* name;
        int units;
    } cases[] = {
        {"vemi32", 6},
        {"Łatwy Podgląd", 13},
        {"\xF0\x9F\x98\x80.txt", 6},  // a letter beyond the first 65536 takes two
        {"\xC5", -1},
        {"\xFF" "ab", -1},
        {"a\xE2\x82", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(tool::JolietLength(c.name), c.units) << c.name;
    EXPECT_EQ(tool::JolietNameProblem(std::string(64, 'x')), "");
    EXPECT_NE(tool::JolietNameProblem("\xC5").find("not UTF-8"), std::string::npos);
}

TEST_F(IsoImage, DatesThatAreNoDatesAreRefused) {
    const std::string folder = tmp_ / "plain";
    WriteFile(folder + "/czytaj.txt", std::string("x"));
    for (const char* date : {"2007-13-01", "2007-12-01T25:00:00", "wczoraj", "2007-12-01x"}) {
        SCOPED_TRACE(date);
        std::string out;
        EXPECT_TRUE(Image(folder, "dated.iso", std::string("--label X --date ") + date, &out).empty());
        EXPECT_NE(out.find("vemi-disc: date \"" + std::string(date) + "\": give seconds since 1970"), std::string::npos) << out;
    }
}

TEST_F(IsoImage, AnImageIsNeverWrittenIntoItsOwnFolder) {
    const std::string folder = tmp_ / "disc";
    WriteFile(folder + "/czytaj.txt", std::string("x"));
    std::string out;
    EXPECT_NE(Shell(Tool() + " iso --label X " + Q(folder) + " " + Q(folder + "/sub/disc.iso"), &out), 0);
    EXPECT_NE(out.find("lies inside the disc folder"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(folder + "/sub"));
}

TEST_F(IsoImage, ProgressShowsOnATerminalOnly) {
    const std::string cmd = Tool() + " iso --date 0 " + Q(sample_) + " " + Q(tmp_ / "p.iso");
    std::string out;
    // script(1) gives the tool a terminal.
    ASSERT_EQ(Shell("script -qec " + Q(cmd + " >/dev/null") + " /dev/null", &out), 0) << out;
    EXPECT_NE(out.find("\rvemi-disc iso: 100% of "), std::string::npos) << out;
    ASSERT_EQ(Shell("script -qec " + Q(cmd + " --quiet") + " /dev/null", &out), 0) << out;
    EXPECT_EQ(out, "");
    ASSERT_EQ(Shell(cmd + " 2>" + Q(tmp_ / "err") + " >/dev/null", &out), 0) << out;
    EXPECT_TRUE(ReadFile(tmp_ / "err").empty());
}

// ---- check on images ----

namespace {

// A copy of the sample disc with a program at its root that keeps the rules for
// the menu program (the build's own may not, in a sanitizer build).
class ImageCheck : public SampleDisc {
protected:
    void SetUp() override {
        SampleDisc::SetUp();
        disc_ = tmp_ / "disc";
        fs::copy(sample_, disc_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        fs::remove(disc_ + "/vemi32");
        fs::copy_file(VEMI_PORTABLE_PROGRAM, disc_ + "/vemi32");
    }

    static int Check(const std::string& what, std::string& out) {
        return testsupport::RunCommand(Tool() + " check " + Q(what), &out);
    }
    // An image that xorriso makes of the copy with mkisofs's options.
    std::string Mkisofs(const std::string& options) {
        const std::string image = tmp_ / "made.iso";
        fs::remove(image);
        std::string out;
        EXPECT_EQ(Shell("xorriso -as mkisofs -quiet " + options + " -V VEMI -o " + Q(image) + " " + Q(disc_), &out), 0) << out;
        return image;
    }
    // The same with xorriso's own commands, which can leave Rock Ridge out.
    std::string Xorriso(const std::string& options) {
        const std::string image = tmp_ / "made.iso";
        fs::remove(image);
        std::string out;
        EXPECT_EQ(Shell("xorriso " + options + " -volid VEMI -outdev " + Q(image) + " -map " + Q(disc_) + " /", &out), 0) << out;
        return image;
    }

    std::string disc_;
};

}  // namespace

TEST_F(ImageCheck, AGoodImagePassesWithTheFolderSCountsAndTheMediumItFits) {
    std::string folder, image;
    ASSERT_EQ(Check(disc_, folder), 0) << folder;
    const std::string iso = Image(disc_, "good.iso");
    ASSERT_EQ(Check(iso, image), 0) << image;
    EXPECT_TRUE(Lines(image, "error: ").empty() && Lines(image, "warning: ").empty()) << image;
    char size[32];
    std::snprintf(size, sizeof size, "%.1f MiB", static_cast<double>(fs::file_size(iso)) / (1 << 20));
    EXPECT_EQ(Joined(Lines(image, "info: ")), "info: " + iso + ": " + size + ", fits a CD (700 MB)\n");
    // The same things read: from the catalogues to the program at the root.
    auto counted = [](const std::string& out) {
        const size_t from = out.find("2 catalogues"), to = out.find(" at the root");
        return from == std::string::npos || to == std::string::npos ? std::string() : out.substr(from, to - from);
    };
    EXPECT_FALSE(counted(folder).empty()) << folder;
    EXPECT_EQ(counted(image), counted(folder));
}

TEST_F(ImageCheck, DamageFoundInTheFolderIsFoundInItsImageAlike) {
    const std::string picture = FirstScreenshot(disc_);
    struct Damage {
        const char* what;
        std::function<void()> make;
    };
    const Damage damages[] = {
        {"a missing screenshot", [&] { fs::remove(testsupport::U8Path(disc_ + "/" + picture)); }},
        {"a cut resource archive",
         [&] {
             const std::string p = disc_ + "/CDInst/Prg/bdata.jxz";
             std::vector<uint8_t> b = ReadFile(p);
             b.resize(b.size() / 2);
             WriteFile(p, b);
         }},
        {"a missing second catalogue", [&] { fs::remove(disc_ + "/CDInst/Dat/mains.ndt"); }},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        d.make();
        std::string folder, image;
        EXPECT_EQ(Check(disc_, folder), 1) << folder;
        const std::string iso = Image(disc_, "damaged.iso");
        EXPECT_EQ(Check(iso, image), 1) << image;
        EXPECT_FALSE(Lines(folder, "error: ").empty());
        EXPECT_EQ(Lines(image, "error: "), Lines(folder, "error: "));
        fs::remove_all(disc_);
        fs::copy(sample_, disc_, fs::copy_options::recursive);
        fs::remove(disc_ + "/vemi32");
        fs::copy_file(VEMI_PORTABLE_PROGRAM, disc_ + "/vemi32");
    }
}

TEST_F(ImageCheck, WhatOnlyAnImageGetsWrongIsNamed) {
    const std::string n66(66, 'n');
    WriteFile(disc_ + "/Dodatki/" + n66 + "-a.txt", std::string("a"));
    WriteFile(disc_ + "/Dodatki/" + n66 + "-b.txt", std::string("b"));
    std::string out;
    // Joliet cut short: two names that Windows sees otherwise, or not at all.
    EXPECT_EQ(Check(Mkisofs("-R -J"), out), 1);
    std::vector<std::string> errors = Lines(out, "error: ");
    ASSERT_EQ(errors.size(), 2u) << out;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(errors[i].rfind("error: \\Dodatki\\" + n66 + (i ? "-b" : "-a") + ".txt: is named ", 0), 0u) << errors[i];
    EXPECT_NE(errors[0].find(" in the Joliet tree, which Windows reads"), std::string::npos) << errors[0];

    // Longer Joliet names than Joliet allows: they reach Windows, with a warning.
    EXPECT_EQ(Check(Mkisofs("-R -J -joliet-long"), out), 0) << out;
    EXPECT_EQ(Lines(out, "warning: "),
              (std::vector<std::string>{"warning: \\Dodatki\\" + n66 + "-a.txt: has a Joliet name of 72 characters, more than the "
                                        "64 Joliet allows: Windows and other readers may cut it short or not read it",
                                        "warning: \\Dodatki\\" + n66 + "-b.txt: has a Joliet name of 72 characters, more than the "
                                        "64 Joliet allows: Windows and other readers may cut it short or not read it"}));
    fs::remove(disc_ + "/Dodatki/" + n66 + "-a.txt");
    fs::remove(disc_ + "/Dodatki/" + n66 + "-b.txt");

    // A menu program that lost its execute permission.
    fs::permissions(disc_ + "/vemi32", fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::remove);
    EXPECT_EQ(Check(Mkisofs("-R -J"), out), 1);
    EXPECT_EQ(Joined(Lines(out, "error: ")), "error: \\vemi32: is not executable (its execute permission is missing)\n") << out;
    fs::permissions(disc_ + "/vemi32", fs::perms::owner_exec, fs::perm_options::add);

    // Without one of the two trees.
    const std::string made = tmp_ / "made.iso";
    EXPECT_EQ(Check(Mkisofs("-R"), out), 1);
    EXPECT_EQ(Joined(Lines(out, "error: ")), "error: " + made + ": has no Joliet tree: Windows sees only short names in capitals\n");
    EXPECT_EQ(Check(Xorriso("-rockridge off -joliet on"), out), 1);
    EXPECT_EQ(Joined(Lines(out, "error: ")),
              "error: \\vemi32: is not executable (its execute permission is missing)\n"
              "error: " + made + ": has no Rock Ridge tree: Linux reads the Joliet names and sees no execute permissions\n")
        << out;
}

TEST_F(ImageCheck, TheImageSizeNamesTheMediumItFitsOrThatItFitsNone) {
    const std::string good = Image(disc_, "good.iso");
    ASSERT_FALSE(good.empty());
    struct Size {
        uint64_t bytes;
        const char* said;
    };
    // Grown without being written (sparse): a burner burns every byte of the file.
    const Size sizes[] = {
        {737280000, "info: %s: 703.1 MiB, fits a CD (700 MB)"},
        {737282048, "info: %s: 703.1 MiB, fits a DVD (4.7 GB)"},
        {5000000000, "info: %s: 4.66 GiB, fits a dual-layer DVD (8.5 GB)"},
        {9000000000, "error: %s: is 8.38 GiB, more than a dual-layer DVD (8.5 GB) holds: it fits no disc"},
    };
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.bytes);
        const std::string big = tmp_ / "big.iso";
        fs::copy_file(good, big, fs::copy_options::overwrite_existing);
        fs::resize_file(big, s.bytes);
        std::string out;
        EXPECT_EQ(Check(big, out), s.said[0] == 'e' ? 1 : 0) << out;
        char line[256];
        std::snprintf(line, sizeof line, s.said, big.c_str());
        EXPECT_NE(out.find(std::string(line) + "\n"), std::string::npos) << out;
    }
}

TEST_F(ImageCheck, WhatIsNoImageIsSaidSo) {
    const std::string junk = tmp_ / "junk.iso";
    WriteFile(junk, std::string(100000, 'x'));
    std::string out;
    EXPECT_EQ(Check(junk, out), 1);
    EXPECT_EQ(Joined(Lines(out, "error: ")).rfind("error: " + junk + ": is no ISO 9660 image that can be read", 0), 0u) << out;
}
