#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/paths.h"
#include "platform/text.h"
#include "support/test_support.h"

using namespace platform;

namespace {
// "Zażółć gęślą jaźń" in Windows-1250.
const std::string kPolish = "Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1";
}  // namespace

TEST(Text, Cp1250RoundTripsThroughUtf8AndUpperCasesPolishLetters) {
    std::string u = Cp1250ToUtf8(kPolish);
    EXPECT_EQ(u, "Zażółć gęślą jaźń");
    EXPECT_EQ(Utf8ToCp1250(u), kPolish);
    EXPECT_EQ(Cp1250ToUtf8(UpperCp1250(kPolish)), "ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
    EXPECT_EQ(Cp1250ToUtf8(LowerCp1250(UpperCp1250(kPolish))), "zażółć gęślą jaźń");
    EXPECT_TRUE(EqualsIgnoreCase("\xa3\xd3\xaf" "KO", "\xb3\xf3\xbf" "ko"));  // ŁÓŻKO / łóżko
    // Characters outside the code page do not stop the conversion.
    EXPECT_EQ(Utf8ToCp1250("a€b日c"), "a\x80" "b?c");
}

TEST(Text, Oem852NamesBecomeWindows1250) {
    // "łódź" in code page 852: ł=0x88 ó=0xA2 d ź=0xAB
    EXPECT_EQ(Oem852ToCp1250("\x88\xa2" "d\xab"), "\xb3\xf3" "d\x9f");
    EXPECT_EQ(Cp1250ToOem852("\xb3\xf3" "d\x9f"), "\x88\xa2" "d\xab");
}

TEST(Text, HostNamesCompareIgnoringCaseInTheirOwnScripts) {
    // Box-drawing characters of code page 852 have no place in Windows-1250, but do in UTF-8.
    EXPECT_EQ(Oem852ToUtf8("\xB0\xB1 \x88\xA2" "d\xAB"), "░▒ łódź");
    EXPECT_EQ(UpperUtf8("zażółć gęślą jaźń"), "ZAŻÓŁĆ GĘŚLĄ JAŹŃ");
    EXPECT_EQ(UpperUtf8("ёжик в тумане ђ"), "ЁЖИК В ТУМАНЕ Ђ");
    EXPECT_EQ(UpperUtf8("λόγος ώρα"), "ΛΌΓΟΣ ΏΡΑ");
    EXPECT_EQ(UpperUtf8("漢字 ß ı"), "漢字 ß ı");
    // A broken sequence is kept byte for byte and does not swallow what follows.
    EXPECT_EQ(UpperUtf8("a\xFF\xC3" "b\xE2\x82"), "A\xFF\xC3" "B\xE2\x82");
    // Upper-casing agrees with the program's own for every letter of its code page.
    for (int c = 0x80; c < 0x100; ++c) {
        const std::string one(1, static_cast<char>(c));
        const std::string u = Cp1250ToUtf8(one);
        if (u == "?") continue;
        EXPECT_EQ(UpperUtf8(u), Cp1250ToUtf8(UpperCp1250(one))) << c;
    }

    EXPECT_TRUE(IsValidUtf8("zażółć 漢字 😀"));
    EXPECT_TRUE(IsValidUtf8(""));
    for (const char* bad : {"\xFF", "a\xC3", "\xC3(", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "\x80"})
        EXPECT_FALSE(IsValidUtf8(bad)) << bad;
}

TEST(Paths, FolderFileAndExtensionParts) {
    EXPECT_EQ(ExtractFilePath("D:\\CDINST\\TXT\\X.TXT"), "D:\\CDINST\\TXT\\");
    EXPECT_EQ(ExtractFileName("D:\\CDINST\\TXT\\X.TXT"), "X.TXT");
    EXPECT_EQ(ExtractFileExt("D:\\PROG\\A.B\\SETUP.Zip"), ".Zip");
    EXPECT_EQ(ExtractFileExt("D:\\PROG.D\\SETUP"), "");
    EXPECT_EQ(ExtractFilePath("D:"), "D:");
    EXPECT_EQ(ExtractFileName("file"), "file");
    EXPECT_EQ(ExtractFilePath("file"), "");
    EXPECT_EQ(ExcludeTrailingBackslash("D:\\A\\"), "D:\\A");
}

TEST(Paths, DriveTableMatchesEveryComponentIgnoringCase) {
    testsupport::TempDir tmp;
    std::filesystem::create_directories(tmp / "CDInst/Dat");
    testsupport::WriteFile(tmp / "CDInst/Dat/main.Ndt", std::string("x"));
    std::filesystem::create_directories(testsupport::U8Path(tmp / "Gry/Łódź"));
    DriveTable t;
    t.Map('d', tmp.path());
    EXPECT_EQ(*t.ToHost("D:\\cdinst\\DAT\\MAIN.NDT"), tmp / "CDInst/Dat/main.Ndt");
    EXPECT_EQ(*t.ToHost("d:\\GRY\\\xa3\xd3" "D\x8f"), tmp / "Gry/Łódź");
    // Missing components are taken as written; ".." never leaves the drive.
    EXPECT_EQ(*t.ToHost("D:\\cdinst\\New\\a.txt"), tmp / "CDInst/New/a.txt");
    EXPECT_EQ(*t.ToHost("D:\\..\\..\\etc"), tmp / "etc");
    EXPECT_FALSE(t.ToHost("Q:\\x").has_value());
    EXPECT_EQ(*t.ToWindows(tmp / "CDInst/Dat"), "D:\\CDInst\\Dat");
    t.SetCurrentDir("D:\\CDInst");
    EXPECT_EQ(*t.ToHost("dat\\main.ndt"), tmp / "CDInst/Dat/main.Ndt");
    // A host name with letters the program cannot write is no match for the "?"
    // they would turn into: a Windows path never reaches a file it cannot name.
    testsupport::WriteFile(tmp / "абв.txt", std::string("x"));
    EXPECT_EQ(*t.ToHost("D:\\???.TXT"), tmp / "???.TXT");
    EXPECT_EQ(*t.ToHost("D:\\???.txt"), tmp / "???.txt");
}

TEST(Paths, ReadOnlyIsTheOwnersWriteBitForFilesAndFolders) {
    testsupport::TempDir tmp;
    std::filesystem::create_directories(tmp / "Gry/Sub");
    testsupport::WriteFile(tmp / "Gry/plik.txt", std::string("x"));
    Drives().Map('C', tmp.path());
    // wine keeps no read-only attribute on a folder; Windows does, as the mark of a
    // customised folder, and Linux as the missing write bit.
    const bool folderReadOnly = !testsupport::UnderWine();
    for (const char* p : {"C:\\Gry\\Sub", "C:\\gry\\PLIK.TXT"}) {
        SCOPED_TRACE(p);
        if (!folderReadOnly && std::string(p) == "C:\\Gry\\Sub") continue;
        auto a = GetAttributes(p);
        ASSERT_TRUE(a.has_value());
        EXPECT_FALSE(*a & kAttrReadOnly);
        ASSERT_TRUE(SetAttributes(p, *a | kAttrReadOnly));
        std::string host = *Drives().ToHost(p);
        struct stat st;
        ASSERT_EQ(::stat(host.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0222, 0u);
        EXPECT_TRUE(*GetAttributes(p) & kAttrReadOnly);
        ASSERT_TRUE(SetAttributes(p, *a & ~kAttrReadOnly));
        ASSERT_EQ(::stat(host.c_str(), &st), 0);
        EXPECT_TRUE(st.st_mode & S_IWUSR);
        EXPECT_FALSE(*GetAttributes(p) & kAttrReadOnly);
    }
    EXPECT_TRUE(*GetAttributes("C:\\Gry\\Sub") & kAttrDirectory);
    // A listing tells the same, and says when a host name lost letters on the way.
    std::filesystem::create_directories(testsupport::U8Path(tmp / "Gry/日本"));
    SetAttributes("C:\\Gry\\Sub", kAttrDirectory | kAttrReadOnly);
    int seen = 0;
    for (const DirEntry& e : ListDirectory("C:\\Gry")) {
        if (e.name == "Sub") {
            EXPECT_EQ(e.attrs, kAttrDirectory | (folderReadOnly ? uint32_t(kAttrReadOnly) : 0u));
            ++seen;
        } else if (e.name == "plik.txt") {
            EXPECT_EQ(e.attrs, uint32_t(kAttrArchive));
            EXPECT_TRUE(e.exact);
            ++seen;
        } else if (e.name == "??") {
            EXPECT_FALSE(e.exact);
            ++seen;
        }
    }
    EXPECT_EQ(seen, 3);
    EXPECT_TRUE(FitsCp1250("Zażółć"));
    EXPECT_FALSE(FitsCp1250("日本"));
    EXPECT_FALSE(FitsCp1250("bad\xff"));
    Drives().Unmap('C');
}
