// The ZIP reader on archives made here, good and deliberately bad.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <map>
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
    w.Add("ЁЖИК.txt", "first", Utf8Name());
    w.Add("ёжик.TXT", "second", Utf8Name());  // the later member of a name wins
    Open(w.Finish());
    ExtractAll();
    EXPECT_EQ(Text(testsupport::ReadFile(Out("где.txt"))), "not in the archive");
    EXPECT_FALSE(Exists("АБВ.TXT"));
    EXPECT_EQ(Text(testsupport::ReadFile(Out("абв.txt"))), "new");
    EXPECT_EQ(Text(testsupport::ReadFile(Out("ДАННЫЕ/ёж.txt"))), "in the old folder");
    EXPECT_FALSE(Exists("ЁЖИК.txt"));
    EXPECT_EQ(Text(testsupport::ReadFile(Out("ёжик.TXT"))), "second");
    EXPECT_EQ(Tree(Out("")).size(), 5u);
}

TEST_F(ZipReader, NamesThatCannotBeKeptOrThatCollideFailClearly) {
    {
        // Flagged as UTF-8 but not UTF-8: the name is unknown, so nothing is written.
        ZipWriter w;
        w.Add("ok.txt", "fine");
        w.Add("z\xFF\xFEy.txt", "lost name", Utf8Name());
        w.Add("later.txt", "after");
        Open(w.Finish());
        try {
            ExtractAll();
            ADD_FAILURE() << "no error";
        } catch (const EJXZipError& e) {
            EXPECT_NE(std::string(e.what()).find("UTF-8"), std::string::npos) << e.what();
        }
        EXPECT_EQ(Tree(Out("")), std::vector<std::string>{"ok.txt"});
        zip.CloseArchive();
        fs::remove_all(Out(""));
    }
    // A file and a folder of one name in two letter cases cannot both be.
    for (bool fileFirst : {true, false}) {
        SCOPED_TRACE(fileFirst);
        ZipWriter w;
        if (fileFirst) w.Add("жук", "a file", Utf8Name());
        w.Add("ЖУК/лапка.txt", "in a folder", Utf8Name());
        if (!fileFirst) w.Add("жук", "a file", Utf8Name());
        Open(w.Finish());
        try {
            ExtractAll();
            ADD_FAILURE() << "no error";
        } catch (const EJXZipError& e) {
            EXPECT_NE(std::string(e.what()).find("in the way"), std::string::npos) << e.what();
        }
        EXPECT_EQ(Tree(Out("")).size(), fileFirst ? 1u : 2u);
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
    w.Add("twice.txt", "first copy");
    w.Add("TWICE.TXT", "second copy");  // the later member of a name wins
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
    EXPECT_FALSE(Exists("twice.txt"));
    EXPECT_EQ(Text(testsupport::ReadFile(Out("TWICE.TXT"))), "second copy");
}

TEST_F(ZipReader, AFileThatCannotBeCreatedEndsTheExtractionThere) {
    ZipWriter w;
    for (int i = 0; i < 20; ++i) w.Add("before" + std::to_string(i) + ".txt", "b");
    w.Add(std::string(300, 'n') + ".txt", "a name longer than any file system takes");
    for (int i = 0; i < 20; ++i) w.Add("after" + std::to_string(i) + ".txt", "a");
    Open(w.Finish());
    try {
        ExtractAll();
        ADD_FAILURE() << "no error";
    } catch (const EJXZipError& e) {
        EXPECT_NE(std::string(e.what()).find("nnnn.txt"), std::string::npos) << e.what();
    }
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

        EXPECT_THROW(ExtractAll(), EJXZipError);
        EXPECT_EQ(Text(testsupport::ReadFile(Out("first.txt"))), "first member");
        EXPECT_FALSE(Exists("second.txt"));
        EXPECT_FALSE(Exists("third.txt"));

        platform::MemoryStream s;
        s.Write("abc", 3);
        EXPECT_THROW(zip.ExtractToStream("second.txt", s), EJXZipError);
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
    EXPECT_THROW(ExtractAll(), EJXZipError);
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
    const char* names[] = {"..\\..\\x", "../../x", "/etc/x", "\\x", "C:\\x", "C:x", "ok/../../x", "a\x01name"};
    for (const char* hostile : names) {
        SCOPED_TRACE(hostile);
        ZipWriter w;
        w.Add("fine.txt", "fine");
        w.Add(hostile, "evil");
        testsupport::WriteFile(tmp / "deep/er/a.zip", w.Finish());
        zip.SetFileName("T:\\a.zip");
        zip.OpenArchive(0);
        zip.SetBaseDir("T:\\out");
        EXPECT_THROW(zip.ExtractFiles("*.*"), EJXZipError);
        EXPECT_TRUE(fs::exists(tmp / "deep/er/out/fine.txt"));
        for (auto& e : fs::recursive_directory_iterator(tmp.path()))
            EXPECT_NE(e.path().filename().string().back(), 'x') << e.path();
        EXPECT_FALSE(fs::exists("/etc/x"));
        EXPECT_FALSE(fs::exists("/x"));
        fs::remove_all(tmp / "deep/er/out");
    }
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
    try {
        zip.ExtractToStream("bomb.bin", s);
        ADD_FAILURE() << "the bomb was unpacked";
    } catch (const EJXZipError& e) {
        // Caught as soon as the output passes the declared size, not after all of it
        // was unpacked and merely counted.
        EXPECT_NE(std::string(e.what()).find("more than its declared size"), std::string::npos) << e.what();
    }
    EXPECT_EQ(s.Size(), 0u);
    EXPECT_THROW(zip.ExtractToStream("short.txt", s), EJXZipError);
    EXPECT_THROW(ExtractAll(), EJXZipError);
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
        const char* why;
    } lies[] = {
        {"crc.txt", crc ^ 1, size, "fails its CRC check"},
        {"longer.txt", crc, size + 1, "does not have its declared size"},
        {"shorter.txt", crc, size - 1, "more than its declared size"},
    };
    ZipWriter w;
    w.AddRaw("true.txt", packed, 8, crc, size);
    for (const Lie& l : lies) w.AddRaw(l.name, packed, 8, l.crc, l.size);
    std::vector<uint8_t> garbage = packed;
    for (size_t i = 100; i < 400; ++i) garbage[i] ^= 0x5A;
    w.AddRaw("garbage.txt", garbage, 8, crc, size);
    Open(w.Finish());

    EXPECT_TRUE(Stream("true.txt") == text);
    auto whyWhole = [&](const char* name) {
        try {
            Stream(name);
        } catch (const EJXZipError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    auto whyInPieces = [&](const char* name) {
        fs::remove_all(Out(""));
        try {
            zip.SetBaseDir("T:\\out");
            zip.ExtractFiles(name);
        } catch (const EJXZipError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    for (const Lie& l : lies) {
        SCOPED_TRACE(l.name);
        const std::string whole = whyWhole(l.name), pieces = whyInPieces(l.name);
        EXPECT_NE(whole.find(l.why), std::string::npos) << whole;
        EXPECT_NE(pieces.find(l.why), std::string::npos) << pieces;
        EXPECT_FALSE(Exists(l.name));
    }
    // Damaged data is refused either way (the two inflaters may notice it at
    // different places, so the words may differ).
    EXPECT_NE(whyWhole("garbage.txt"), "no error");
    EXPECT_NE(whyInPieces("garbage.txt"), "no error");
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
        EXPECT_THROW(Stream(refused), EJXZipError);
    }
    EXPECT_EQ(Stream("e.txt"), "eeee");
}

TEST_F(ZipReader, DamagedDirectoriesFailToOpen) {
    ZipWriter w;
    w.Add("a.txt", "some text to pack");
    w.Add("b.txt", "more text to pack");
    const std::vector<uint8_t> good = w.Finish();
    const size_t end = w.EndRecordOffset(), dir = w.CentralDirectoryOffset();

    auto openFails = [&](std::vector<uint8_t> bytes, const char* why) {
        SCOPED_TRACE(why);
        EXPECT_THROW(Open(bytes), EJXZipError);
        EXPECT_FALSE(zip.IsOpen());
    };
    std::vector<uint8_t> b = good;
    ZipWriter::Put32(b, end + 16, 0x7FFFFFFF);
    openFails(b, "directory offset beyond the file");
    b = good;
    ZipWriter::Put32(b, end + 12, static_cast<uint32_t>(end + 100));
    openFails(b, "directory larger than the file");
    b = good;
    ZipWriter::Put16(b, end + 8, 3);
    ZipWriter::Put16(b, end + 10, 3);
    openFails(b, "more members counted than the directory holds");
    b = good;
    ZipWriter::Put16(b, dir + 28, 0xFFFF);
    openFails(b, "a name running past the directory");
    openFails(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(end) - 10), "cut short");
    openFails(Noise(5000, 3), "not an archive at all");
    openFails({}, "empty file");
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
    for (const char* bad : {"bzip2.bin", "secret.txt", "zip64.txt"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(Stream(bad), EJXZipError);
    }
    EXPECT_EQ(Stream("fine.txt"), "fine");
    EXPECT_THROW(ExtractAll(), EJXZipError);
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
    EXPECT_THROW(Stream("missing.jxs"), EJXZipError);
    EXPECT_THROW(Stream("data"), EJXZipError);

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
    ZipMemberOptions unixRo, unixRw, dosRw, unixRun, unixSetuid;
    unixRo.versionMadeBy = unixRw.versionMadeBy = unixRun.versionMadeBy = unixSetuid.versionMadeBy = 3 << 8 | 30;
    unixRo.externalAttrs = 0100444u << 16;
    unixRw.externalAttrs = (0100644u << 16) | 0x01;  // the Unix mode decides, not the DOS bit
    unixRun.externalAttrs = 0100755u << 16;
    unixSetuid.externalAttrs = 0104755u << 16;
    ZipWriter w;
    w.Add("dos-ro.txt", "a", dos);
    w.Add("unix-ro.txt", "b", unixRo);
    w.Add("unix-rw.txt", "c", unixRw);
    w.Add("dos-rw.txt", "d", dosRw);
    w.Add("run.sh", "#!/bin/sh\n", unixRun);
    w.Add("big-run.bin", std::string(3u << 20, 'x'), unixRun);  // streamed, not handed over
    w.Add("setuid.sh", "#!/bin/sh\n", unixSetuid);
    Open(w.Finish());
    ExtractAll();

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
    EXPECT_NE(mode("run.sh") & 0100, 0u);
    EXPECT_NE(mode("big-run.bin") & 0100, 0u);
    EXPECT_EQ(mode("unix-rw.txt") & 0111, 0u);
    EXPECT_EQ(mode("dos-ro.txt") & 0111, 0u);
    EXPECT_EQ(mode("setuid.sh") & 07000, 0u);  // only the right to run, never more
    EXPECT_NE(mode("setuid.sh") & 0100, 0u);
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
    EXPECT_THROW(zip.OpenArchive(0), EJXZipError);
    zip.SetFileName("T:\\missing.zip");
    EXPECT_THROW(zip.OpenArchive(0), EJXZipError);
    zip.SetFileName("Q:\\nodrive.zip");
    EXPECT_THROW(zip.OpenArchive(0), EJXZipError);

    ZipWriter a, b;
    a.Add("from-a.txt", "a");
    b.Add("from-b.txt", "b");
    testsupport::WriteFile(tmp / "b.zip", b.Finish());
    Open(a.Finish());
    EXPECT_THROW(zip.OpenArchive(1), EJXZipError);
    EXPECT_FALSE(zip.IsOpen());
    zip.OpenArchive(0);
    zip.SetFileName("t:\\B.ZIP");  // the drive's own case-blind lookup
    zip.OpenArchive(0);
    ASSERT_EQ(zip.Entries().size(), 1u);
    EXPECT_EQ(zip.Entries()[0].name, "from-b.txt");
    zip.CloseArchive();
    EXPECT_THROW(Stream("from-b.txt"), EJXZipError);
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

    std::map<size_t, std::string> faults;
    const int sound = zip.VerifyMembers([&](size_t i, const std::string& why) { faults[i] = why; });
    EXPECT_EQ(sound, 5);
    ASSERT_EQ(faults.size(), 4u);
    EXPECT_EQ(faults[3], "fails its CRC check");
    EXPECT_EQ(faults[4], "lands where dane\\program.dat does");
    EXPECT_EQ(faults[5], "lands where setup.exe does");
    EXPECT_EQ(faults[6], "climbs out of the target folder");
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
