// The ZIP reader on archives made here, good and deliberately bad.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
#include <optional>
#include <random>

#include "install/Zipreaderu.h"
#include "platform/paths.h"
#include "support/test_support.h"
#include "tools/lib/zipwriter.h"

namespace {
namespace fs = std::filesystem;
using tool::ZipMemberOptions;
using tool::ZipWriter;

std::vector<uint8_t> Noise(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v) b = static_cast<uint8_t>(rng());
    return v;
}

// Text of n bytes that packs well but is not trivially repetitive.
std::string Lines(size_t n) {
    std::string s;
    for (uint64_t i = 0; s.size() < n; ++i) s += "line " + std::to_string(i * 7919 % 100003) + " of the install log\n";
    s.resize(n);
    return s;
}

std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

ZipMemberOptions Stored() {
    ZipMemberOptions o;
    o.method = 0;
    return o;
}

// The kind of the reader's error from `act`; nothing when it did not fail.
template <class Act>
std::optional<ZipErrorKind> KindOf(Act&& act) {
    try {
        act();
    } catch (const EJXZipError& e) {
        return e.Kind();
    }
    return std::nullopt;
}

// The reader's error from `act` (its kind "none" when there was none).
template <class Act>
EJXZipError ErrorOf(Act&& act) {
    try {
        act();
    } catch (const EJXZipError& e) {
        return e;
    }
    return EJXZipError(ZipErrorKind::Usage, "no error", "none");
}

class ZipReader : public ::testing::Test {
protected:
    testsupport::TempDir tmp;
    TJXZipReader zip;

    void SetUp() override { platform::Drives().Map('T', tmp.path()); }
    void TearDown() override {
        zip.CloseArchive();
        platform::Drives().Unmap('T');
    }
    // Saves the archive and opens it as the installer would, by its Windows path.
    void Open(const std::vector<uint8_t>& bytes) {
        testsupport::WriteFile(tmp / "a.zip", bytes);
        zip.SetFileName("T:\\a.zip");
        zip.OpenArchive(0);
    }
    void ExtractAll() {
        zip.SetBaseDir("T:\\out");
        zip.ExtractFiles("*.*");
    }
    std::string Out(const std::string& rel) const { return tmp / ("out/" + rel); }
    // Whether an entry of exactly this name, letter case included, is there (a
    // file system that ignores case would also find it under another spelling).
    bool Exists(const std::string& rel) const {
        const fs::path p = testsupport::U8Path(Out(rel));
        std::error_code ec;
        for (fs::directory_iterator it(p.parent_path(), ec), end; !ec && it != end; it.increment(ec))
            if (it->path().filename().u8string() == p.filename().u8string()) return true;
        return false;
    }
    std::string Stream(const std::string& name) {
        platform::MemoryStream s;
        zip.ExtractToStream(name, s);
        return Text(s.Bytes());
    }
};

TEST_F(ZipReader, PolishNamesInOem852AndUtf8BecomeTheRightFileNames) {
    ZipWriter w;
    // "Zażółć/gęślą.txt" in code page 852, as a DOS archiver writes it.
    w.Add("Za\xBE\xA2\x88\x86/g\xA9\x98l\xA5.txt", "oem");
    ZipMemberOptions utf8;
    utf8.flags = 0x800;
    w.Add("ja\xC5\xBA\xC5\x84.txt", "utf", utf8);  // "jaźń.txt" in UTF-8, flag bit 11
    Open(w.Finish());

    ASSERT_EQ(zip.Entries().size(), 2u);
    EXPECT_EQ(zip.Entries()[0].name, "Za\xBF\xF3\xB3\xE6/g\xEA\x9Cl\xB9.txt");  // Windows-1250
    EXPECT_EQ(zip.Entries()[1].name, "ja\x9F\xF1.txt");
    ExtractAll();
    EXPECT_EQ(Text(testsupport::ReadFile(Out("Zażółć/gęślą.txt"))), "oem");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("jaźń.txt"))), "utf");
    // Looked up by its Windows-1250 name, upper case, as the start-up would.
    EXPECT_EQ(Stream("ZA\xAF\xD3\xA3\xC6\\G\xCA\x8CL\xA5.TXT"), "oem");
}

// Every name below the folder, relative, sorted.
std::vector<std::string> Tree(const std::string& folder) {
    std::vector<std::string> names;
    const fs::path top = testsupport::U8Path(folder);
    if (!fs::exists(top)) return names;
    for (auto& e : fs::recursive_directory_iterator(top)) {
        const std::u8string rel = fs::relative(e.path(), top).u8string();
        names.emplace_back(rel.begin(), rel.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

ZipMemberOptions Utf8Name() {
    ZipMemberOptions o;
    o.flags = 0x800;
    return o;
}

TEST_F(ZipReader, NamesWindows1250CannotHoldKeepTheirOwnLettersOnTheHost) {
    ZipWriter w;
    w.Add("абв.txt", "first", Utf8Name());
    w.Add("где.txt", "second", Utf8Name());
    w.Add("λόγος/κείμενο.txt", "greek", Utf8Name());
    w.Add("漢字.txt", "han", Utf8Name());
    w.Add("\xB0.txt", "light shade");   // box-drawing characters of code page 852
    w.Add("\xB1.txt", "medium shade");
    w.Add("жук", "a file", Utf8Name());  // a file and a folder whose names differ
    w.Add("лук/", "", Utf8Name());        // only in letters Windows-1250 lacks
    w.Add("лук/сеть.txt", "in the folder", Utf8Name());
    Open(w.Finish());
    // The program shows what Windows-1250 can; the host keeps every letter.
    EXPECT_EQ(zip.Entries()[0].name, "???.txt");
    EXPECT_EQ(zip.Entries()[0].hostName, "абв.txt");
    EXPECT_EQ(zip.Entries()[4].hostName, "░.txt");
    EXPECT_EQ(zip.FindHostMember("ГДЕ.TXT"), 1);
    EXPECT_EQ(zip.FindHostMember("СЕТЬ.txt"), 8);
    zip.SetBaseDir("T:\\out");
    EXPECT_EQ(zip.ExtractFiles("*.*"), 9);

    EXPECT_EQ(Text(testsupport::ReadFile(Out("абв.txt"))), "first");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("где.txt"))), "second");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("λόγος/κείμενο.txt"))), "greek");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("漢字.txt"))), "han");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("░.txt"))), "light shade");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("▒.txt"))), "medium shade");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("жук"))), "a file");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("лук/сеть.txt"))), "in the folder");
    EXPECT_EQ(Tree(Out("")).size(), 10u);
    for (const std::string& n : Tree(Out(""))) EXPECT_EQ(n.find('?'), std::string::npos) << n;
}

TEST_F(ZipReader, OnlyTheSameNameInAnyLetterCaseReplacesAnExistingFile) {
    fs::create_directories(Out(""));
    testsupport::WriteFile(Out("где.txt"), "not in the archive");
    testsupport::WriteFile(Out("АБВ.TXT"), "old");
    fs::create_directories(testsupport::U8Path(Out("ДАННЫЕ")));
    ZipWriter w;
    w.Add("абв.txt", "new", Utf8Name());
    w.Add("данные/ёж.txt", "in the old folder", Utf8Name());
    Open(w.Finish());
    ExtractAll();
    EXPECT_EQ(Text(testsupport::ReadFile(Out("где.txt"))), "not in the archive");
    EXPECT_FALSE(Exists("АБВ.TXT"));
    EXPECT_EQ(Text(testsupport::ReadFile(Out("абв.txt"))), "new");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("ДАННЫЕ/ёж.txt"))), "in the old folder");
    EXPECT_EQ(Tree(Out("")).size(), 4u);
}

TEST_F(ZipReader, NamesThatCannotBeKeptOrThatCollideFailClearly) {
    {
        // Flagged as UTF-8 but not UTF-8: the name is unknown, so nothing is written.
        ZipWriter w;
        w.Add("ok.txt", "fine");
        w.Add("z\xFF\xFEy.txt", "lost name", Utf8Name());
        w.Add("later.txt", "after");
        Open(w.Finish());
        const EJXZipError e = ErrorOf([&] { ExtractAll(); });
        EXPECT_EQ(e.Kind(), ZipErrorKind::UnsafeName) << e.what();
        EXPECT_EQ(e.Member(), "z??y.txt");
        EXPECT_TRUE(Tree(Out("")).empty());
        zip.CloseArchive();
        fs::remove_all(Out(""));
    }
    // A file and a folder of one name in two letter cases cannot both be; the
    // archive is refused before either is made.
    for (bool fileFirst : {true, false}) {
        SCOPED_TRACE(fileFirst);
        ZipWriter w;
        if (fileFirst) w.Add("жук", "a file", Utf8Name());
        w.Add("ЖУК/лапка.txt", "in a folder", Utf8Name());
        if (!fileFirst) w.Add("жук", "a file", Utf8Name());
        Open(w.Finish());
        EXPECT_EQ(KindOf([&] { ExtractAll(); }), ZipErrorKind::DuplicateName);
        EXPECT_TRUE(Tree(Out("")).empty());
        zip.CloseArchive();
        fs::remove_all(Out(""));
    }
}

TEST_F(ZipReader, SubFoldersAreCreatedAndFolderEntriesMakeNoFile) {
    ZipWriter w;
    w.Add("sub/deeper/file.txt", "deep");
    w.Add("empty/", "", Stored());
    ZipMemberOptions dirAttr = Stored();
    dirAttr.externalAttrs = 0x10;
    w.Add("attrdir", "", dirAttr);
    w.Add("sub\\back.txt", "backslash");  // written by an archiver that kept DOS separators
    Open(w.Finish());
    ExtractAll();
    EXPECT_EQ(Text(testsupport::ReadFile(Out("sub/deeper/file.txt"))), "deep");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("sub/back.txt"))), "backslash");
    EXPECT_TRUE(fs::is_directory(Out("empty")));
    EXPECT_TRUE(fs::is_directory(Out("attrdir")));
}

TEST_F(ZipReader, ExistingTargetsAreReplacedEvenReadOnlyButLinksAreNotFollowed) {
    fs::create_directories(Out(""));
    testsupport::WriteFile(Out("ro.txt"), "old");
    ::chmod(Out("ro.txt").c_str(), 0444);
    testsupport::WriteFile(Out("README.TXT"), "old upper");
    testsupport::WriteFile(tmp / "outside.txt", "keep me");
    // Windows lets only administrators and developers make links, and wine none.
    std::error_code noLinks;
    fs::create_symlink(tmp / "outside.txt", Out("link.txt"), noLinks);

    ZipWriter w;
    w.Add("ro.txt", "new");
    w.Add("readme.txt", "new lower");
    w.Add("link.txt", "through the link?");
    Open(w.Finish());
    ExtractAll();

    EXPECT_EQ(Text(testsupport::ReadFile(Out("ro.txt"))), "new");
    // The program's file system ignores letter case: the old name is gone, not doubled.
    EXPECT_FALSE(Exists("README.TXT"));
    EXPECT_EQ(Text(testsupport::ReadFile(Out("readme.txt"))), "new lower");
    if (!noLinks) {
        EXPECT_FALSE(fs::is_symlink(Out("link.txt")));
        EXPECT_EQ(Text(testsupport::ReadFile(Out("link.txt"))), "through the link?");
        EXPECT_EQ(Text(testsupport::ReadFile(tmp / "outside.txt")), "keep me");
    }
}

TEST_F(ZipReader, AFileThatCannotBeCreatedEndsTheExtractionThere) {
    ZipWriter w;
    for (int i = 0; i < 20; ++i) w.Add("before" + std::to_string(i) + ".txt", "b");
    w.Add(std::string(300, 'n') + ".txt", "a name longer than any file system takes");
    for (int i = 0; i < 20; ++i) w.Add("after" + std::to_string(i) + ".txt", "a");
    Open(w.Finish());
    const EJXZipError e = ErrorOf([&] { ExtractAll(); });
    EXPECT_EQ(e.Kind(), ZipErrorKind::CannotCreate) << e.what();
    EXPECT_EQ(e.Member(), std::string(300, 'n') + ".txt");
    for (int i = 0; i < 20; ++i) {
        EXPECT_TRUE(Exists("before" + std::to_string(i) + ".txt")) << i;
        EXPECT_FALSE(Exists("after" + std::to_string(i) + ".txt")) << i;
    }
}

TEST_F(ZipReader, AlteredDataFailsItsCrcAndLeavesNoFile) {
    for (uint16_t method : {uint16_t(0), uint16_t(8)}) {
        SCOPED_TRACE(method);
        ZipMemberOptions o;
        o.method = method;
        ZipWriter w;
        w.Add("first.txt", "first member", o);
        size_t bad = w.Add("second.txt", std::string(5000, 'x') + "tail", o);
        w.Add("third.txt", "third member", o);
        std::vector<uint8_t> bytes = w.Finish();
        // The last byte of the data: for deflate, the literal of "tail" changes but
        // the stream stays well-formed, so only the CRC can tell.
        const auto& m = w.Members()[bad];
        size_t at = method == 0 ? m.dataOffset + m.compressedSize - 1 : m.dataOffset + m.compressedSize / 2;
        bytes[at] ^= 0x01;
        Open(bytes);

        // Stored data can only fail its CRC; the inflater may notice a changed bit
        // in deflated data as damage, or by the size it comes to.
        const auto dataFault = [&](ZipErrorKind kind) {
            return method == 0 ? kind == ZipErrorKind::CrcMismatch
                               : kind == ZipErrorKind::CrcMismatch || kind == ZipErrorKind::Damaged || kind == ZipErrorKind::SizeMismatch;
        };
        const EJXZipError e = ErrorOf([&] { ExtractAll(); });
        EXPECT_TRUE(dataFault(e.Kind())) << e.what();
        EXPECT_EQ(e.Member(), "second.txt");
        EXPECT_EQ(Text(testsupport::ReadFile(Out("first.txt"))), "first member");
        EXPECT_FALSE(Exists("second.txt"));
        EXPECT_FALSE(Exists("third.txt"));

        platform::MemoryStream s;
        s.Write("abc", 3);
        EXPECT_TRUE(dataFault(KindOf([&] { zip.ExtractToStream("second.txt", s); }).value_or(ZipErrorKind::Usage)));
        EXPECT_EQ(Text(s.Bytes()), "abc");
        EXPECT_EQ(s.Position(), 3u);
        fs::remove_all(Out(""));
    }

    // The same for a member big enough to be written while it is unpacked: the
    // part already on the disk goes.
    ZipWriter w;
    w.Add("first.txt", "first member");
    size_t bad = w.Add("huge.log", Lines(10 << 20));
    std::vector<uint8_t> bytes = w.Finish();
    bytes[w.Members()[bad].dataOffset + w.Members()[bad].compressedSize - 3] ^= 0x20;
    Open(bytes);
    EXPECT_TRUE(KindOf([&] { ExtractAll(); }).has_value());
    EXPECT_TRUE(Exists("first.txt"));
    EXPECT_FALSE(Exists("huge.log"));
}

TEST_F(ZipReader, CancelLeavesNoPartialFileAndKeepsEarlierMembers) {
    ZipWriter w;
    w.Add("early.txt", "stays");
    w.Add("big.bin", Noise(3 << 20, 7));  // several pieces, unpacked in one go
    w.Add("huge.log", Lines(12 << 20));   // streamed into its file piece by piece
    w.Add("late.txt", "never reached");
    Open(w.Finish());
    zip.SetBaseDir("T:\\out");

    // Cancels the named member at its first piece that is neither 0 nor 100.
    auto cancelInside = [&](const std::string& victim, std::vector<double>& seen) {
        zip.OnFileProgress = [&, victim](const std::string& name, double p, bool& cancel) {
            if (name != victim) return;
            seen.push_back(p);
            if (p > 0 && p < 100) cancel = true;
        };
    };
    for (const char* victim : {"big.bin", "huge.log"}) {
        SCOPED_TRACE(victim);
        fs::remove_all(Out(""));
        std::vector<double> seen;
        cancelInside(victim, seen);
        EXPECT_EQ(zip.ExtractFiles("*.*"), victim == std::string("big.bin") ? 1 : 2);
        EXPECT_TRUE(zip.Cancelled());
        EXPECT_EQ(seen.size(), 2u);  // stopped right after the piece that was cancelled
        EXPECT_EQ(Text(testsupport::ReadFile(Out("early.txt"))), "stays");
        EXPECT_FALSE(Exists(victim));
        EXPECT_FALSE(Exists("late.txt"));
    }
    EXPECT_TRUE(Exists("big.bin"));  // extracted before huge.log was cancelled

    // A cancel at a member's very start stops before anything is created.
    zip.OnFileProgress = [&](const std::string& name, double, bool& cancel) { cancel = name == "late.txt"; };
    fs::remove_all(Out(""));
    EXPECT_EQ(zip.ExtractFiles("*.*"), 3);
    EXPECT_TRUE(zip.Cancelled());
    EXPECT_EQ(fs::file_size(Out("huge.log")), 12u << 20);
    EXPECT_FALSE(Exists("late.txt"));
}

TEST_F(ZipReader, HostileNamesAreRefusedAndNothingIsWrittenOutside) {
    fs::create_directories(tmp / "deep/er");
    platform::Drives().Map('T', tmp / "deep/er");
    const char* names[] = {"..\\..\\x", "../../x", "/etc/x", "\\x", "C:\\x", "C:x", "ok/../../x", "a\x01name", "a\x7Fx"};
    for (const char* hostile : names) {
        SCOPED_TRACE(hostile);
        ZipWriter w;
        w.Add("fine.txt", "fine");
        w.Add(hostile, "evil");
        testsupport::WriteFile(tmp / "deep/er/a.zip", w.Finish());
        zip.SetFileName("T:\\a.zip");
        zip.OpenArchive(0);
        zip.SetBaseDir("T:\\out");
        EXPECT_EQ(KindOf([&] { zip.ExtractFiles("*.*"); }), ZipErrorKind::UnsafeName);
        // Names are judged before anything is written: not even the good member is.
        EXPECT_FALSE(fs::exists(tmp / "deep/er/out"));
        for (auto& e : fs::recursive_directory_iterator(tmp.path()))
            EXPECT_NE(e.path().filename().string().back(), 'x') << e.path();
        EXPECT_FALSE(fs::exists("/etc/x"));
        EXPECT_FALSE(fs::exists("/x"));
        fs::remove_all(tmp / "deep/er/out");
    }
}

TEST_F(ZipReader, NamesWithInvisibleOrDirectionControlsAreRefused) {
    // Each shows as another name, or as less than it is: "gra\u202Etxt.exe" reads
    // "graexe.txt".
    const char* utf8Names[] = {
        "gra\u202Etxt.exe", "a\u200Eb.txt", "a\u200Fb.txt", "a\u2066b\u2069.txt", "a\u2067b.txt", "a\u2068b.txt",
        "a\u202Ab.txt",     "a\u202Db.txt", "a\u200Bb.txt", "a\u200Db.txt",       "a\u2028b.txt", "a\u2029b.txt",
        "\uFEFFa.txt",      "a\u0085b.txt", "dir\u202E/x.txt",
    };
    for (const char* name : utf8Names) {
        SCOPED_TRACE(name);
        ZipWriter w;
        w.Add("fine.txt", "fine", Utf8Name());
        w.Add(name, "lies", Utf8Name());
        Open(w.Finish());
        const EJXZipError e = ErrorOf([&] { ExtractAll(); });
        EXPECT_EQ(e.Kind(), ZipErrorKind::UnsafeName) << e.what();
        EXPECT_TRUE(Tree(Out("")).empty());
        // What the user is shown of it is whole, with "?" for what it hides.
        EXPECT_EQ(e.Member().find('\0'), std::string::npos);
        EXPECT_NE(e.Member().find('?'), std::string::npos) << e.Member();
        zip.CloseArchive();
    }
    // An OEM 852 name is judged by what it becomes: its byte 0x85 is "ů", a
    // letter, not the line break U+0085.
    {
        ZipWriter w;
        w.Add("a\x85" "b.txt", "a letter");
        Open(w.Finish());
        ExtractAll();
        EXPECT_EQ(Text(testsupport::ReadFile(Out("aůb.txt"))), "a letter");
        zip.CloseArchive();
        fs::remove_all(Out(""));
    }
    // A name cut by a zero byte is refused like any control character, and named
    // whole: a message shown through a C string would end at the zero.
    {
        ZipWriter w;
        w.Add(std::string("a\0b.txt", 7), "cut");
        Open(w.Finish());
        const EJXZipError e = ErrorOf([&] { ExtractAll(); });
        EXPECT_EQ(e.Kind(), ZipErrorKind::UnsafeName);
        EXPECT_EQ(e.Member(), "a?b.txt");
        EXPECT_NE(std::string(e.what()).find("a?b.txt"), std::string::npos) << e.what();
        EXPECT_FALSE(fs::exists(Out("a")));
        zip.CloseArchive();
    }
    // Letters of every script, and the spaces of code page 852, are no lie.
    ZipWriter w;
    w.Add("日本語 ファイル.txt", "ja", Utf8Name());
    w.Add("\u05E2\u05D1\u05E8\u05D9\u05EA.txt", "he", Utf8Name());  // right to left by its letters, no control
    w.Add("a\xFF" "b.txt", "nbsp");                                     // no-break space in code page 852
    Open(w.Finish());
    EXPECT_EQ(zip.ExtractFiles("*.*"), 3);
}

// One member "a/a/.../x.txt" of `levels` levels, its folders included.
std::string DeepName(size_t levels, const std::string& folder = "a") {
    std::string name;
    for (size_t i = 1; i < levels; ++i) name += folder + "/";
    return name + "x.txt";
}

TEST_F(ZipReader, ADeepPathIsRefusedWithoutCrashing) {
    // As deep as a name of 64 KiB goes: 32,766 levels. It once took one call of
    // the folder maker per level, and the stack with them.
    ZipWriter w;
    w.Add("first.txt", "before");
    w.Add(DeepName(32766), "deep", Stored());
    Open(w.Finish());
    const EJXZipError e = ErrorOf([&] { ExtractAll(); });
    EXPECT_EQ(e.Kind(), ZipErrorKind::NameTooDeep) << e.what();
    EXPECT_FALSE(fs::exists(Out("")));
    std::vector<TJXZipFault> faults;
    EXPECT_EQ(zip.VerifyMembers([&](const TJXZipFault& f) { faults.push_back(f); }), 1);
    ASSERT_EQ(faults.size(), 1u);
    EXPECT_EQ(faults[0].index, 1u);
    EXPECT_EQ(faults[0].kind, ZipErrorKind::NameTooDeep);
    // A stream takes it all the same: its name places nothing anywhere.
    EXPECT_EQ(Stream(DeepName(32766)), "deep");
    zip.CloseArchive();

    // Up to the limits a path is unpacked; one level or one byte more is refused.
    // (Windows makes no path longer than 260 characters the way the platform asks
    // for them, so there only the refusals are seen.)
    const size_t levels = TJXZipReader::kMaxLevels;
#ifndef _WIN32
    ZipWriter deepest;
    deepest.Add(DeepName(levels), "at the limit");
    Open(deepest.Finish());
    ExtractAll();
    EXPECT_EQ(Text(testsupport::ReadFile(Out(DeepName(levels)))), "at the limit");
    zip.CloseArchive();
#endif
    ZipWriter tooDeep;
    tooDeep.Add(DeepName(levels + 1, "b"), "beyond");
    Open(tooDeep.Finish());
    EXPECT_EQ(KindOf([&] { ExtractAll(); }), ZipErrorKind::NameTooDeep);
    EXPECT_FALSE(fs::exists(Out("b")));
    zip.CloseArchive();

    // 1024 bytes: 8 levels of 120 bytes, "/" between them and a file of 57 bytes.
    const std::string level(120, 'l');
    std::string longest;
    for (int i = 0; i < 8; ++i) longest += level + "/";
    const std::string longestFile = longest + std::string(1024 - longest.size(), 'f');
    ASSERT_EQ(longestFile.size(), TJXZipReader::kMaxPathBytes);
    ZipWriter longOnes;
    longOnes.Add(longestFile, "long");
    longOnes.Add(longestFile + "g", "longer");
    Open(longOnes.Finish());
    std::vector<TJXZipFault> longFaults;
    zip.VerifyMembers([&](const TJXZipFault& f) { longFaults.push_back(f); });
    ASSERT_EQ(longFaults.size(), 1u);
    EXPECT_EQ(longFaults[0].index, 1u);
    EXPECT_EQ(longFaults[0].kind, ZipErrorKind::NameTooDeep);
    EXPECT_EQ(KindOf([&] { zip.ExtractFiles(longestFile + "g"); }), ZipErrorKind::NameTooDeep);
#ifndef _WIN32
    EXPECT_EQ(zip.ExtractFiles(longestFile), 1);
#endif
}

// An archive of `count` empty stored members "00000" to "99999", written here
// because the disc tool's writer will not write more than 65,535 without ZIP64. The
// end record counts them in 16 bits, as archivers that know no ZIP64 do.
std::vector<uint8_t> ManyMembers(size_t count) {
    std::vector<uint8_t> bytes, dir;
    auto put16 = [](std::vector<uint8_t>& v, uint16_t x) { v.push_back(uint8_t(x)), v.push_back(uint8_t(x >> 8)); };
    auto put32 = [&](std::vector<uint8_t>& v, uint32_t x) { put16(v, uint16_t(x)), put16(v, uint16_t(x >> 16)); };
    for (size_t i = 0; i < count; ++i) {
        char name[24];  // room for any size_t; the names used are five digits
        std::snprintf(name, sizeof name, "%05zu", i);
        const uint32_t at = static_cast<uint32_t>(bytes.size());
        put32(bytes, 0x04034b50);
        put16(bytes, 20), put16(bytes, 0), put16(bytes, 0), put16(bytes, 0), put16(bytes, 0x21);
        put32(bytes, 0), put32(bytes, 0), put32(bytes, 0);
        put16(bytes, 5), put16(bytes, 0);
        bytes.insert(bytes.end(), name, name + 5);
        put32(dir, 0x02014b50);
        put16(dir, 20), put16(dir, 20), put16(dir, 0), put16(dir, 0), put16(dir, 0), put16(dir, 0x21);
        put32(dir, 0), put32(dir, 0), put32(dir, 0);
        put16(dir, 5), put16(dir, 0), put16(dir, 0), put16(dir, 0), put16(dir, 0);
        put32(dir, 0x20), put32(dir, at);
        dir.insert(dir.end(), name, name + 5);
    }
    const uint32_t dirAt = static_cast<uint32_t>(bytes.size());
    bytes.insert(bytes.end(), dir.begin(), dir.end());
    put32(bytes, 0x06054b50);
    put16(bytes, 0), put16(bytes, 0);
    put16(bytes, uint16_t(count)), put16(bytes, uint16_t(count));
    put32(bytes, static_cast<uint32_t>(dir.size())), put32(bytes, dirAt);
    put16(bytes, 0);
    return bytes;
}

TEST_F(ZipReader, TheDirectoryIsReadWholeWhateverTheMemberCountSays) {
    // 100,000 members count as 34,464 in 16 bits: all of them are there all the same.
    Open(ManyMembers(100000));
    ASSERT_EQ(zip.Entries().size(), 100000u);
    EXPECT_EQ(zip.Entries().back().name, "99999");
    EXPECT_EQ(Stream("99999"), "");
    zip.SetBaseDir("T:\\out");
    EXPECT_EQ(zip.ExtractFiles("9999?"), 10);
    EXPECT_TRUE(Exists("99999"));
    zip.CloseArchive();

    // Exactly 65,535 is the highest count there is, no sign of ZIP64.
    Open(ManyMembers(65535));
    EXPECT_EQ(zip.Entries().size(), 65535u);
    zip.CloseArchive();
    // And 65,536 counts as none.
    Open(ManyMembers(65536));
    EXPECT_EQ(zip.Entries().size(), 65536u);
    zip.CloseArchive();

    // A count that the directory does not bear out either way is refused.
    std::vector<uint8_t> bytes = ManyMembers(100000);
    ZipWriter::Put16(bytes, bytes.size() - 22 + 8, 34465);
    ZipWriter::Put16(bytes, bytes.size() - 22 + 10, 34465);
    EXPECT_EQ(KindOf([&] { Open(bytes); }), ZipErrorKind::CountMismatch);
}

TEST_F(ZipReader, AnArchiveThatHoldsANameTwiceIsRefusedBeforeAnythingIsWritten) {
    struct Case {
        const char* why;
        std::string first, second;
        bool utf8First, utf8Second;
    } cases[] = {
        {"letter case", "Dane/Plik.txt", "dane/PLIK.TXT", false, false},
        {"Polish letters in two cases", "\xA0\xBE\xA2\x88\x86.txt", "\xB5\xBD\xE0\x9D\x8F.TXT", false, false},  // "ążółć", "ĄŻÓŁĆ" in 852
        {"the OEM and the UTF-8 spelling", "\xBE\xA2\x88w.txt", "żółw.txt", false, true},
        {"a file and a folder", "setup", "SETUP/readme.txt", false, false},
        {"through a folder entry", "pomoc/", "Pomoc", false, false},
        {"Cyrillic in two cases", "ёжик.txt", "ЁЖИК.txt", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ZipWriter w;
        w.Add("first.txt", "would be unpacked first");
        ZipMemberOptions a = c.first.back() == '/' ? Stored() : ZipMemberOptions{}, b;
        if (c.utf8First) a.flags = 0x800;
        if (c.utf8Second) b.flags = 0x800;
        w.Add(c.first, c.first.back() == '/' ? "" : "one", a);
        w.Add(c.second, "two", b);
        Open(w.Finish());
        const EJXZipError e = ErrorOf([&] { ExtractAll(); });
        EXPECT_EQ(e.Kind(), ZipErrorKind::DuplicateName) << e.what();
        EXPECT_EQ(e.Member(), TJXZipReader::ShownName(zip.Entries()[2].name));
        EXPECT_FALSE(fs::exists(Out("")));
        std::vector<TJXZipFault> faults;
        EXPECT_EQ(zip.VerifyMembers([&](const TJXZipFault& f) { faults.push_back(f); }), 2);
        ASSERT_EQ(faults.size(), 1u);
        EXPECT_EQ(faults[0].index, 2u);
        EXPECT_EQ(faults[0].kind, ZipErrorKind::DuplicateName);
        EXPECT_EQ(faults[0].other, 1u);
        zip.CloseArchive();
    }
    // Names that differ in letters Windows-1250 lacks are two names, though the
    // program shows both as "??.txt"; so are a folder met twice and files in it.
    ZipWriter w;
    w.Add("日本.txt", "one", Utf8Name());
    w.Add("中国.txt", "two", Utf8Name());
    w.Add("\xB0.txt", "light shade");  // code page 852
    w.Add("\xB1.txt", "medium shade");
    w.Add("pomoc/", "", Stored());
    w.Add("POMOC/a.txt", "a");
    w.Add("Pomoc/b.txt", "b");
    Open(w.Finish());
    EXPECT_EQ(zip.Entries()[0].name, zip.Entries()[1].name);
    EXPECT_EQ(zip.VerifyMembers([](const TJXZipFault& f) { ADD_FAILURE() << f.index << " " << f.why; }), 7);
    EXPECT_EQ(zip.ExtractFiles("*.*"), 7);
    EXPECT_EQ(Text(testsupport::ReadFile(Out("日本.txt"))), "one");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("中国.txt"))), "two");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("pomoc/b.txt"))), "b");
}

TEST_F(ZipReader, ALinkAlreadyInTheTargetIsNeverFollowed) {
    fs::create_directories(tmp / "elsewhere");
    fs::create_directories(Out("Programy"));
    std::error_code noLinks;
    fs::create_directory_symlink(tmp / "elsewhere", Out("Data"), noLinks);
    if (noLinks) GTEST_SKIP() << "no links here: " << noLinks.message();
    fs::create_directory_symlink(tmp / "elsewhere", Out("Programy/Gra"), noLinks);
    // A link that leads back into the target is still a link.
    fs::create_directory_symlink(Out("Programy"), Out("Wstecz"), noLinks);

    for (const char* name : {"data/x.txt", "DATA/deeper/x.txt", "programy/gra/x.txt", "wstecz/x.txt", "Data/"}) {
        SCOPED_TRACE(name);
        ZipWriter w;
        w.Add("first.txt", "first");
        w.Add(name, std::string(name).back() == '/' ? "" : "through the link?");
        w.Add("last.txt", "last");
        Open(w.Finish());
        const EJXZipError e = ErrorOf([&] { ExtractAll(); });
        EXPECT_EQ(e.Kind(), ZipErrorKind::LinkInTarget) << e.what();
        EXPECT_EQ(e.Member(), TJXZipReader::ShownName(name));
        // Nothing landed outside; what came before stays, as after any failure.
        EXPECT_TRUE(fs::is_empty(tmp / "elsewhere"));
        EXPECT_TRUE(Exists("first.txt"));
        EXPECT_FALSE(Exists("last.txt"));
        EXPECT_TRUE(fs::is_symlink(Out("Data")));
        EXPECT_TRUE(fs::is_symlink(Out("Programy/Gra")));
        EXPECT_EQ(std::distance(fs::directory_iterator(Out("Programy")), fs::directory_iterator()), 1);
        zip.CloseArchive();
    }
    // A file link is replaced, never written through (see above); a real folder of
    // another letter case is used as it is.
    ZipWriter w;
    w.Add("programy/nowy.txt", "in the real folder");
    Open(w.Finish());
    ExtractAll();
    EXPECT_EQ(Text(testsupport::ReadFile(Out("Programy/nowy.txt"))), "in the real folder");
}

TEST_F(ZipReader, ACancelAtAMembersLastEventKeepsThatMember) {
    ZipWriter w;
    w.Add("small.txt", "small and whole");
    w.Add("huge.log", Lines(3 << 20));  // streamed into its file piece by piece
    w.Add("dir/", "", Stored());
    w.Add("after.txt", "never begun");
    Open(w.Finish());
    zip.SetBaseDir("T:\\out");
    for (const char* victim : {"small.txt", "huge.log", "dir\\"}) {
        SCOPED_TRACE(victim);
        fs::remove_all(Out(""));
        std::vector<std::string> begun;
        zip.OnFileProgress = [&, victim](const std::string& name, double p, bool& cancel) {
            if (p == 0) begun.push_back(name);
            if (name == victim && p >= 100) cancel = true;
        };
        const int expected = victim == std::string("small.txt") ? 1 : victim == std::string("huge.log") ? 2 : 3;
        EXPECT_EQ(zip.ExtractFiles("*.*"), expected);
        EXPECT_TRUE(zip.Cancelled());
        EXPECT_EQ(begun.size(), size_t(expected));
        EXPECT_EQ(Text(testsupport::ReadFile(Out("small.txt"))), "small and whole");
        if (expected >= 2) {
            EXPECT_EQ(fs::file_size(Out("huge.log")), 3u << 20);
        }
        EXPECT_EQ(fs::is_directory(Out("dir")), expected >= 3);
        EXPECT_FALSE(Exists("after.txt"));
    }
    // The same from the overall event that follows the member's last one (the
    // first after the start, as the small member comes in one piece).
    fs::remove_all(Out(""));
    zip.OnFileProgress = nullptr;
    zip.OnOverallProgress = [&](double p, bool& cancel) { cancel = p > 0; };
    EXPECT_EQ(zip.ExtractFiles("*.*"), 1);
    EXPECT_TRUE(zip.Cancelled());
    EXPECT_EQ(Text(testsupport::ReadFile(Out("small.txt"))), "small and whole");
    EXPECT_FALSE(Exists("after.txt"));
}

TEST_F(ZipReader, MembersThatInflateBeyondTheirDeclaredSizeAreRefused) {
    const std::vector<uint8_t> zeros(8 << 20, 0);
    const std::vector<uint8_t> packed = ZipWriter::Deflate(zeros.data(), zeros.size(), 9);
    ASSERT_LT(packed.size(), 64u << 10);
    ZipWriter w;
    // Claims 4 KiB (with the CRC of those 4 KiB, so only the size can give it away).
    w.AddRaw("bomb.bin", packed, 8, ZipWriter::Crc32(zeros.data(), 4096), 4096);
    // And the opposite lie: more declared than the stream holds.
    std::vector<uint8_t> small = ZipWriter::Deflate("short", 5);
    w.AddRaw("short.txt", small, 8, ZipWriter::Crc32("short", 5), 6);
    Open(w.Finish());

    platform::MemoryStream s;
    // Caught as soon as the output passes the declared size, not after all of it
    // was unpacked and merely counted.
    EXPECT_EQ(KindOf([&] { zip.ExtractToStream("bomb.bin", s); }), ZipErrorKind::SizeMismatch);
    EXPECT_EQ(s.Size(), 0u);
    EXPECT_EQ(KindOf([&] { zip.ExtractToStream("short.txt", s); }), ZipErrorKind::SizeMismatch);
    EXPECT_EQ(KindOf([&] { ExtractAll(); }), ZipErrorKind::SizeMismatch);
    EXPECT_FALSE(Exists("bomb.bin"));
}

TEST_F(ZipReader, AMemberUnpackedWholeIsJudgedAsOneUnpackedInPieces) {
    // A member bigger than a piece is unpacked in pieces into its file and in one
    // call into a stream; each lie of the directory must be told the same way.
    const std::string text = Lines(3 << 20);
    const std::vector<uint8_t> packed = ZipWriter::Deflate(text.data(), text.size());
    const uint32_t crc = ZipWriter::Crc32(text.data(), text.size());
    const uint32_t size = static_cast<uint32_t>(text.size());
    struct Lie {
        const char* name;
        uint32_t crc, size;
        ZipErrorKind kind;
    } lies[] = {
        {"crc.txt", crc ^ 1, size, ZipErrorKind::CrcMismatch},
        {"longer.txt", crc, size + 1, ZipErrorKind::SizeMismatch},
        {"shorter.txt", crc, size - 1, ZipErrorKind::SizeMismatch},
    };
    ZipWriter w;
    w.AddRaw("true.txt", packed, 8, crc, size);
    for (const Lie& l : lies) w.AddRaw(l.name, packed, 8, l.crc, l.size);
    std::vector<uint8_t> garbage = packed;
    for (size_t i = 100; i < 400; ++i) garbage[i] ^= 0x5A;
    w.AddRaw("garbage.txt", garbage, 8, crc, size);
    Open(w.Finish());

    EXPECT_TRUE(Stream("true.txt") == text);
    auto whole = [&](const char* name) { return KindOf([&] { Stream(name); }); };
    auto inPieces = [&](const char* name) {
        fs::remove_all(Out(""));
        zip.SetBaseDir("T:\\out");
        return KindOf([&] { zip.ExtractFiles(name); });
    };
    for (const Lie& l : lies) {
        SCOPED_TRACE(l.name);
        EXPECT_EQ(whole(l.name), l.kind);
        EXPECT_EQ(inPieces(l.name), l.kind);
        EXPECT_FALSE(Exists(l.name));
    }
    // Damaged data is refused either way (the two inflaters may notice it at
    // different places: as damage, or only by the size or the CRC).
    EXPECT_TRUE(whole("garbage.txt").has_value());
    EXPECT_TRUE(inPieces("garbage.txt").has_value());
}

TEST_F(ZipReader, OverlappingAndOutOfRangeMembersAreRefused) {
    ZipWriter w;
    w.Add("a.txt", "aaaa", Stored());
    w.Add("b.txt", "bbbb", Stored());
    w.Add("c.txt", "cccc", Stored());
    w.Add("d.txt", "dddd", Stored());
    w.Add("e.txt", "eeee", Stored());
    std::vector<uint8_t> bytes = w.Finish();
    const auto& m = w.Members();
    // b's directory entry points at a's local header: both would read the same bytes.
    ZipWriter::Put32(bytes, m[1].centralOffset + 42, static_cast<uint32_t>(m[0].headerOffset));
    // c's header lies beyond the end of the file, d's data runs into the directory.
    ZipWriter::Put32(bytes, m[2].centralOffset + 42, 0x7FFFFFF0);
    ZipWriter::Put32(bytes, m[3].centralOffset + 20, 0x10000);
    ZipWriter::Put32(bytes, m[3].centralOffset + 24, 0x10000);
    Open(bytes);

    for (const char* refused : {"a.txt", "b.txt", "c.txt", "d.txt"}) {
        SCOPED_TRACE(refused);
        EXPECT_FALSE(zip.Entries()[zip.FindMember(refused)].problem.empty());
        EXPECT_EQ(KindOf([&] { Stream(refused); }), ZipErrorKind::Damaged);
    }
    EXPECT_EQ(Stream("e.txt"), "eeee");
}

TEST_F(ZipReader, DamagedDirectoriesFailToOpen) {
    ZipWriter w;
    w.Add("a.txt", "some text to pack");
    w.Add("b.txt", "more text to pack");
    const std::vector<uint8_t> good = w.Finish();
    const size_t end = w.EndRecordOffset(), dir = w.CentralDirectoryOffset();

    auto openFails = [&](std::vector<uint8_t> bytes, const char* why, ZipErrorKind kind) {
        SCOPED_TRACE(why);
        EXPECT_EQ(KindOf([&] { Open(bytes); }), kind);
        EXPECT_FALSE(zip.IsOpen());
    };
    std::vector<uint8_t> b = good;
    ZipWriter::Put32(b, end + 16, 0x7FFFFFFF);
    openFails(b, "directory offset beyond the file", ZipErrorKind::NotAZip);
    b = good;
    ZipWriter::Put32(b, end + 12, static_cast<uint32_t>(end + 100));
    openFails(b, "directory larger than the file", ZipErrorKind::NotAZip);
    b = good;
    ZipWriter::Put16(b, end + 8, 3);
    ZipWriter::Put16(b, end + 10, 3);
    openFails(b, "more members counted than the directory holds", ZipErrorKind::CountMismatch);
    b = good;
    ZipWriter::Put16(b, end + 8, 1);
    ZipWriter::Put16(b, end + 10, 1);
    openFails(b, "fewer members counted than the directory holds", ZipErrorKind::CountMismatch);
    b = good;
    ZipWriter::Put16(b, dir + 28, 0xFFFF);
    openFails(b, "a name running past the directory", ZipErrorKind::Damaged);
    b = good;
    b[w.Members()[1].centralOffset] ^= 0x01;
    openFails(b, "a damaged entry in the directory", ZipErrorKind::Damaged);
    openFails(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(end) - 10), "cut short", ZipErrorKind::NotAZip);
    openFails(Noise(5000, 3), "not an archive at all", ZipErrorKind::NotAZip);
    openFails({}, "empty file", ZipErrorKind::NotAZip);
}

TEST_F(ZipReader, ArchivesFromOtherWritersStillOpen) {
    // Data descriptors, a comment hiding a false end record, and a program in front
    // of the archive (a self-extractor) that shifts every offset.
    ZipMemberOptions desc;
    desc.flags = 0x08;
    ZipWriter w;
    w.Add("desc.txt", "sizes come after the data", desc);
    w.Add("plain.txt", "plain");
    w.SetComment(std::string("PK\x05\x06", 4) + std::string(18, '\0'));
    std::vector<uint8_t> bytes = w.Finish();
    std::vector<uint8_t> sfx(3000 + bytes.size(), 0x90);
    std::copy(bytes.begin(), bytes.end(), sfx.begin() + 3000);
    Open(sfx);
    EXPECT_EQ(Stream("desc.txt"), "sizes come after the data");
    EXPECT_EQ(Stream("plain.txt"), "plain");
}

TEST_F(ZipReader, UnreadableMembersFailAloneWhileOthersStillRead) {
    ZipWriter w;
    w.AddRaw("bzip2.bin", {1, 2, 3}, 12, 0, 3);
    ZipMemberOptions enc;
    enc.flags = 0x01;
    w.Add("secret.txt", "not really secret", enc);
    size_t big = w.Add("zip64.txt", "z");
    w.Add("fine.txt", "fine");
    std::vector<uint8_t> bytes = w.Finish();
    ZipWriter::Put32(bytes, w.Members()[big].centralOffset + 24, 0xFFFFFFFF);
    Open(bytes);
    EXPECT_EQ(KindOf([&] { Stream("bzip2.bin"); }), ZipErrorKind::UnsupportedMethod);
    EXPECT_EQ(KindOf([&] { Stream("secret.txt"); }), ZipErrorKind::Encrypted);
    EXPECT_EQ(KindOf([&] { Stream("zip64.txt"); }), ZipErrorKind::Unsupported);
    EXPECT_EQ(Stream("fine.txt"), "fine");
    EXPECT_EQ(KindOf([&] { ExtractAll(); }), ZipErrorKind::UnsupportedMethod);
    EXPECT_FALSE(Exists("bzip2.bin"));
}

TEST_F(ZipReader, ExtractToStreamFindsByPathThenByNameIgnoringCase) {
    ZipWriter w;
    w.Add("data/fdata.jxs", "in the folder");
    w.Add("FDATA.JXS", "at the root");
    w.Add("other/fdata.jxs", "second in the folder");
    w.Add("pics/bdata.jxs", "pictures");
    Open(w.Finish());
    EXPECT_EQ(Stream("fdata.jxs"), "at the root");  // a whole path wins over name parts
    EXPECT_EQ(Stream("DATA\\FDATA.JXS"), "in the folder");
    EXPECT_EQ(Stream("other/FData.jxs"), "second in the folder");
    EXPECT_EQ(Stream("BDATA.JXS"), "pictures");  // by its name part
    EXPECT_EQ(KindOf([&] { Stream("missing.jxs"); }), ZipErrorKind::NoSuchMember);
    EXPECT_EQ(KindOf([&] { Stream("data"); }), ZipErrorKind::NoSuchMember);

    // The bytes go in at the stream's position and leave it after them.
    platform::MemoryStream s;
    s.Write("0123456789", 10);
    s.Seek(2);
    zip.ExtractToStream("bdata.jxs", s);
    EXPECT_EQ(Text(s.Bytes()), "01pictures");
    EXPECT_EQ(s.Position(), 10u);
    // At the end the member is appended; past the end the gap reads as zeros, as
    // a write there leaves it.
    zip.ExtractToStream("FDATA.JXS", s);
    EXPECT_EQ(Text(s.Bytes()), "01picturesat the root");
    EXPECT_EQ(s.Position(), 21u);
    s.Seek(23);
    zip.ExtractToStream("bdata.jxs", s);
    EXPECT_EQ(Text(s.Bytes()), std::string("01picturesat the root\0\0pictures", 31));
    EXPECT_EQ(s.Position(), 31u);
}

TEST_F(ZipReader, AStreamTakesLargeMembersWholeAndKeepsItsBytesWhenOneIsDamaged) {
    // Big enough to need many pieces of the inflater's output, stored and packed.
    const std::vector<uint8_t> noise = Noise(3 << 20, 5);
    const std::string big = Text(noise) + Lines(2 << 20);
    ZipWriter w;
    w.Add("packed.bin", big);
    w.Add("stored.bin", big, Stored());
    size_t bad = w.Add("damaged.bin", big);
    std::vector<uint8_t> bytes = w.Finish();
    const auto& m = w.Members()[bad];
    bytes[m.dataOffset + m.compressedSize - 5] ^= 0x10;
    Open(bytes);

    platform::MemoryStream s;
    s.Write("head", 4);
    zip.ExtractToStream("packed.bin", s);
    zip.ExtractToStream("stored.bin", s);
    EXPECT_EQ(s.Size(), 4 + 2 * big.size());
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_TRUE(Text(s.Bytes()) == "head" + big + big);
    const size_t before = s.Size();
    EXPECT_THROW(zip.ExtractToStream("damaged.bin", s), EJXZipError);
    EXPECT_EQ(s.Size(), before);
    EXPECT_EQ(s.Position(), before);
    EXPECT_TRUE(Text(s.Bytes()) == "head" + big + big);
}

TEST_F(ZipReader, ProgressEventsRunFromZeroToHundredPerMemberAndOverall) {
    ZipWriter w;
    w.Add("small.txt", "x");
    w.Add("dir/big.bin", Noise(5 << 20, 11));
    w.Add("dir/", "", Stored());
    w.Add("empty.txt", "");
    Open(w.Finish());

    std::vector<std::pair<std::string, double>> files;
    std::vector<double> overall;
    zip.OnFileProgress = [&](const std::string& n, double p, bool&) { files.emplace_back(n, p); };
    zip.OnOverallProgress = [&](double p, bool&) { overall.push_back(p); };
    zip.SetBaseDir("T:\\out");
    EXPECT_EQ(zip.ExtractFiles(), 4);

    std::vector<std::string> order;
    for (size_t i = 0; i < files.size(); ++i) {
        const auto& [name, p] = files[i];
        if (order.empty() || order.back() != name) {
            order.push_back(name);
            EXPECT_EQ(p, 0.0) << name;
        } else {
            EXPECT_GT(p, files[i - 1].second) << name;
        }
        if (i + 1 == files.size() || files[i + 1].first != name) {
            EXPECT_EQ(p, 100.0) << name;
        }
    }
    EXPECT_EQ(order, (std::vector<std::string>{"small.txt", "dir\\big.bin", "dir\\", "empty.txt"}));
    size_t bigEvents = std::count_if(files.begin(), files.end(), [](auto& f) { return f.first == "dir\\big.bin"; });
    EXPECT_GE(bigEvents, 6u);  // 0, something in between for each megabyte, 100

    ASSERT_GE(overall.size(), 2u);
    EXPECT_EQ(overall.front(), 0.0);
    EXPECT_EQ(overall.back(), 100.0);
    EXPECT_TRUE(std::is_sorted(overall.begin(), overall.end()));
}

TEST_F(ZipReader, DatesReadOnlyAndUnixExecuteAttributesAreApplied) {
    ZipMemberOptions dos;
    dos.dosDate = ZipWriter::DosDate(2003, 4, 5);
    dos.dosTime = ZipWriter::DosTime(6, 7, 8);
    dos.externalAttrs = 0x21;  // archive + read-only
    ZipMemberOptions unixRo, unixRw, dosRw, unixRun, unixSetuid, unixPrivate, unixGroup;
    unixRo.versionMadeBy = unixRw.versionMadeBy = unixRun.versionMadeBy = unixSetuid.versionMadeBy = 3 << 8 | 30;
    unixPrivate.versionMadeBy = unixGroup.versionMadeBy = 3 << 8 | 30;
    unixRo.externalAttrs = 0100444u << 16;
    unixRw.externalAttrs = (0100644u << 16) | 0x01;  // the Unix mode decides, not the DOS bit
    unixRun.externalAttrs = 0100755u << 16;
    unixSetuid.externalAttrs = 0106755u << 16;
    unixPrivate.externalAttrs = 0100700u << 16;  // the owner's program, nobody else's
    unixGroup.externalAttrs = 0101775u << 16;    // sticky, and writable by the group
    ZipWriter w;
    w.Add("dos-ro.txt", "a", dos);
    w.Add("unix-ro.txt", "b", unixRo);
    w.Add("unix-rw.txt", "c", unixRw);
    w.Add("dos-rw.txt", "d", dosRw);
    w.Add("run.sh", "#!/bin/sh\n", unixRun);
    w.Add("big-run.bin", std::string(3u << 20, 'x'), unixRun);  // streamed, not handed over
    w.Add("setuid.sh", "#!/bin/sh\n", unixSetuid);
    w.Add("private.sh", "#!/bin/sh\n", unixPrivate);
    w.Add("big-private.bin", std::string(3u << 20, 'p'), unixPrivate);
    w.Add("group.sh", "#!/bin/sh\n", unixGroup);
    Open(w.Finish());
#ifndef _WIN32
    // The process's umask takes its share of whatever the archive asks for.
    const mode_t umaskBefore = ::umask(022);
#endif
    ExtractAll();
#ifndef _WIN32
    ::umask(umaskBefore);
#endif

    std::tm tm{};
    tm.tm_year = 103;
    tm.tm_mon = 3;
    tm.tm_mday = 5;
    tm.tm_hour = 6;
    tm.tm_min = 7;
    tm.tm_sec = 8;
    tm.tm_isdst = -1;
    struct stat st;
    ASSERT_EQ(::stat(Out("dos-ro.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, std::mktime(&tm));
    auto writable = [&](const char* n) {
        struct stat s2;
        EXPECT_EQ(::stat(Out(n).c_str(), &s2), 0);
        return (s2.st_mode & 0222) != 0;
    };
    EXPECT_FALSE(writable("dos-ro.txt"));
    EXPECT_FALSE(writable("unix-ro.txt"));
    EXPECT_TRUE(writable("unix-rw.txt"));
    EXPECT_TRUE(writable("dos-rw.txt"));
#ifndef _WIN32
    // The right to run is a permission bit on Linux; Windows runs a file by its name.
    auto mode = [&](const char* n) {
        struct stat s2;
        EXPECT_EQ(::stat(Out(n).c_str(), &s2), 0);
        return s2.st_mode & 07777;
    };
    // Exactly the stored bits, less the umask's, and never set-user-id,
    // set-group-id or sticky.
    EXPECT_EQ(mode("run.sh"), 0755u);
    EXPECT_EQ(mode("big-run.bin"), 0755u);
    EXPECT_EQ(mode("unix-rw.txt"), 0644u);
    EXPECT_EQ(mode("unix-ro.txt"), 0444u);
    EXPECT_EQ(mode("dos-ro.txt"), 0444u);
    EXPECT_EQ(mode("dos-rw.txt"), 0644u);
    EXPECT_EQ(mode("setuid.sh"), 0755u);
    EXPECT_EQ(mode("private.sh"), 0700u);
    EXPECT_EQ(mode("big-private.bin"), 0700u);
    EXPECT_EQ(mode("group.sh"), 0755u);

    // Another umask, another share.
    ::umask(077);
    zip.SetBaseDir("T:\\out2");
    zip.ExtractFiles("*.*");
    ::umask(umaskBefore);
    auto mode2 = [&](const char* n) {
        struct stat s2;
        EXPECT_EQ(::stat(Out(std::string("../out2/") + n).c_str(), &s2), 0);
        return s2.st_mode & 07777;
    };
    EXPECT_EQ(mode2("run.sh"), 0700u);
    EXPECT_EQ(mode2("dos-rw.txt"), 0600u);
    EXPECT_EQ(mode2("unix-ro.txt"), 0400u);
    EXPECT_EQ(mode2("group.sh"), 0700u);
#endif
}

TEST_F(ZipReader, MasksMatchPathsOrNamesIgnoringCase) {
    EXPECT_TRUE(TJXZipReader::MatchesMask("*.*", "README"));
    EXPECT_TRUE(TJXZipReader::MatchesMask("*.*", "a.b.c"));
    EXPECT_TRUE(TJXZipReader::MatchesMask("*.TXT", "notes.txt"));
    EXPECT_FALSE(TJXZipReader::MatchesMask("*.txt", "notes.txt.bak"));
    EXPECT_TRUE(TJXZipReader::MatchesMask("setup.*", "SETUP"));
    EXPECT_TRUE(TJXZipReader::MatchesMask("?b*c", "abxxc"));
    EXPECT_FALSE(TJXZipReader::MatchesMask("?b*c", "bxxc"));
    EXPECT_TRUE(TJXZipReader::MatchesMask("\xA5*", "\xB9la"));  // Ą matches ą

    ZipWriter w;
    w.Add("doc/read.txt", "t");
    w.Add("doc/pic.bmp", "b");
    w.Add("top.TXT", "T");
    Open(w.Finish());
    zip.SetBaseDir("T:\\out");
    EXPECT_EQ(zip.ExtractFiles("*.txt"), 2);
    EXPECT_TRUE(Exists("doc/read.txt"));
    EXPECT_TRUE(Exists("top.TXT"));
    EXPECT_FALSE(Exists("doc/pic.bmp"));
}

TEST_F(ZipReader, OpeningChecksTheNameAndReplacesTheArchiveBefore) {
    zip.SetFileName("T:\\");
    EXPECT_EQ(KindOf([&] { zip.OpenArchive(0); }), ZipErrorKind::NotFound);
    zip.SetFileName("T:\\missing.zip");
    EXPECT_EQ(KindOf([&] { zip.OpenArchive(0); }), ZipErrorKind::NotFound);
    zip.SetFileName("Q:\\nodrive.zip");
    EXPECT_EQ(KindOf([&] { zip.OpenArchive(0); }), ZipErrorKind::NotFound);

    ZipWriter a, b;
    a.Add("from-a.txt", "a");
    b.Add("from-b.txt", "b");
    testsupport::WriteFile(tmp / "b.zip", b.Finish());
    Open(a.Finish());
    EXPECT_EQ(KindOf([&] { zip.OpenArchive(1); }), ZipErrorKind::Usage);
    EXPECT_FALSE(zip.IsOpen());
    zip.OpenArchive(0);
    zip.SetFileName("t:\\B.ZIP");  // the drive's own case-blind lookup
    zip.OpenArchive(0);
    ASSERT_EQ(zip.Entries().size(), 1u);
    EXPECT_EQ(zip.Entries()[0].name, "from-b.txt");
    zip.CloseArchive();
    EXPECT_EQ(KindOf([&] { Stream("from-b.txt"); }), ZipErrorKind::Usage);
}

}  // namespace

TEST_F(ZipReader, VerifyReadsEveryMemberAndWritesNothing) {
    ZipWriter w;
    w.Add("setup.exe", Lines(300000));
    w.Add("dane/", "", Stored());
    w.Add("dane/program.dat", Noise(70000, 3), Stored());
    size_t bad = w.Add("dane/broken.dat", std::string(5000, 'x') + "tail", Stored());
    w.Add("Dane/PROGRAM.DAT", "the same file again in other letters");
    w.Add("setup.exe/inside.txt", "a file where setup.exe is a file");
    w.Add("../escape.txt", "out of the target");
    w.Add("pomoc/", "", Stored());
    w.Add("POMOC/help.txt", "a folder met twice is one folder");
    std::vector<uint8_t> bytes = w.Finish();
    const auto& m = w.Members()[bad];
    bytes[m.dataOffset + m.compressedSize - 1] ^= 0x01;
    Open(bytes);

    std::map<size_t, TJXZipFault> faults;
    const int sound = zip.VerifyMembers([&](const TJXZipFault& f) { faults[f.index] = f; });
    EXPECT_EQ(sound, 5);
    ASSERT_EQ(faults.size(), 4u);
    EXPECT_EQ(faults[3].kind, ZipErrorKind::CrcMismatch);
    EXPECT_EQ(faults[4].kind, ZipErrorKind::DuplicateName);
    EXPECT_EQ(faults[4].other, 2u);  // dane/program.dat
    EXPECT_EQ(faults[5].kind, ZipErrorKind::DuplicateName);
    EXPECT_EQ(faults[5].other, 0u);  // setup.exe, a file
    EXPECT_EQ(faults[6].kind, ZipErrorKind::UnsafeName);
    // Nothing was unpacked anywhere: a.zip is alone in its folder.
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()), 1);

    // What VerifyMembers passes, ExtractFiles unpacks.
    ZipWriter good;
    good.Add("a/b.txt", "b");
    good.Add("A/c.txt", "c");
    Open(good.Finish());
    EXPECT_EQ(zip.VerifyMembers(nullptr), 2);
    ExtractAll();
    EXPECT_TRUE(Exists("a/c.txt"));
}

TEST_F(ZipReader, ResourceStreamsFallBackToThePlainMemberFile) {
    ZipWriter w;
    w.Add("fdata.jxs", "font records");
    testsupport::WriteFile(tmp / "fdata.jxz", w.Finish());
    platform::MemoryStream s;
    std::string why = "stale";
    ASSERT_TRUE(LoadResourceArchive(zip, "T:", "FDATA.JXZ", "FDATA.JXS", s, &why));
    EXPECT_EQ(Text(s.Bytes()), "font records");
    EXPECT_EQ(s.Position(), 0u);
    EXPECT_EQ(why, "");

    // A damaged archive: the plain file beside it serves, and the reason is told.
    std::vector<uint8_t> bytes = testsupport::ReadFile(tmp / "fdata.jxz");
    bytes[w.Members()[0].dataOffset] ^= 0xFF;
    testsupport::WriteFile(tmp / "fdata.jxz", bytes);
    testsupport::WriteFile(tmp / "fdata.jxs", "plain records");
    ASSERT_TRUE(LoadResourceArchive(zip, "T:", "fdata.jxz", "fdata.jxs", s, &why));
    EXPECT_EQ(Text(s.Bytes()), "plain records");
    EXPECT_NE(why.find("fdata.jxs"), std::string::npos) << why;
    EXPECT_FALSE(zip.IsOpen());

    // Neither: an empty stream and false.
    fs::remove(tmp / "fdata.jxs");
    EXPECT_FALSE(LoadResourceArchive(zip, "T:", "fdata.jxz", "fdata.jxs", s, &why));
    EXPECT_EQ(s.Size(), 0u);
}
