// vemi-disc extract, run as the real program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/test_support.h"
#include "tools/lib/zipwriter.h"

namespace {
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::RunCommand;
using testsupport::TempDir;

std::string Q(const std::string& s) { return "'" + s + "'"; }
std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// Exit status, with standard output and standard error kept apart.
int Extract(const std::string& args, std::string* out, std::string* err, const TempDir& tmp) {
    int rc = RunCommand(Q(testsupport::ToolPath()) + " extract " + args + " 2>" + Q(tmp / "stderr"), out);
    *err = Text(ReadFile(tmp / "stderr"));
    return rc;
}

std::vector<uint8_t> SampleArchive(bool damaged) {
    tool::ZipWriter w;
    w.Add("prog/readme.txt", "read me");
    w.Add("prog/", "");
    w.Add("prog/dane/\xA2""d\x97.bin", std::string(3000, 'q'));  // "ódŚ" in OEM 852
    size_t last = w.Add("last.txt", "the last member");
    std::vector<uint8_t> bytes = w.Finish();
    if (damaged) bytes[w.Members()[last].dataOffset] ^= 0x40;
    return bytes;
}

TEST(ExtractTool, UnpacksEveryMemberBelowTheFolder) {
    TempDir tmp;
    // A host name with a space and Polish letters, reached through the drive table.
    const std::string archive = tmp / "archiwum źródła.zip";
    testsupport::WriteFile(archive, SampleArchive(false));
    std::string out, err;
    ASSERT_EQ(Extract(Q(archive) + " " + Q(tmp / "out"), &out, &err, tmp), 0) << err;
    EXPECT_EQ(Text(ReadFile(tmp / "out/prog/readme.txt")), "read me");
    EXPECT_EQ(Text(ReadFile(tmp / "out/prog/dane/ódŚ.bin")), std::string(3000, 'q'));
    EXPECT_EQ(Text(ReadFile(tmp / "out/last.txt")), "the last member");
    // Not a terminal: one line per member, names as the program shows them.
    EXPECT_NE(out.find("prog\\dane\\ódŚ.bin\n"), std::string::npos) << out;
    EXPECT_NE(out.find("4 members extracted"), std::string::npos) << out;
    EXPECT_TRUE(err.empty()) << err;
}

TEST(ExtractTool, OneMemberFoundAsTheStartUpFindsIt) {
    TempDir tmp;
    testsupport::WriteFile(tmp / "a.zip", SampleArchive(false));
    std::string out, err;
    ASSERT_EQ(Extract(Q(tmp / "a.zip") + " " + Q(tmp / "one") + " README.TXT", &out, &err, tmp), 0) << err;
    EXPECT_EQ(Text(ReadFile(tmp / "one/readme.txt")), "read me");  // under its file-name part
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp / "one"), fs::directory_iterator()), 1);

    EXPECT_NE(Extract(Q(tmp / "a.zip") + " " + Q(tmp / "none") + " missing.txt", &out, &err, tmp), 0);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("missing.txt"), std::string::npos) << err;
    EXPECT_FALSE(fs::exists(tmp / "none/missing.txt"));
}

TEST(ExtractTool, FailuresExitNonZeroWithOneLine) {
    TempDir tmp;
    testsupport::WriteFile(tmp / "bad.zip", SampleArchive(true));
    std::string out, err;
    EXPECT_EQ(Extract(Q(tmp / "bad.zip") + " " + Q(tmp / "out"), &out, &err, tmp), 1);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("last.txt"), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(tmp / "out/prog/readme.txt"));  // extracted before the failure
    EXPECT_FALSE(fs::exists(tmp / "out/last.txt"));

    EXPECT_EQ(Extract(Q(tmp / "nothing.zip") + " " + Q(tmp / "out2"), &out, &err, tmp), 1);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    testsupport::WriteFile(tmp / "text.zip", "this is no archive");
    EXPECT_EQ(Extract(Q(tmp / "text.zip") + " " + Q(tmp / "out3"), &out, &err, tmp), 1);
    EXPECT_NE(Extract(Q(tmp / "text.zip"), &out, &err, tmp), 0);  // DIR missing: usage
}

TEST(ExtractTool, HostileArchivesFailWithOneLineAndWriteNothing) {
    TempDir tmp;
    std::string deep;
    for (int i = 0; i < 32766; ++i) deep += "a/";
    deep.resize(deep.size() - 1);  // 32,766 levels, the last one the file
    struct Case {
        const char* why;
        std::vector<std::string> names;
        const char* said;
    } cases[] = {
        {"a path of 32,766 levels", {"first.txt", deep}, "has a path of more than 128 levels"},
        {"a name twice", {"first.txt", "Plik.txt", "PLIK.TXT"}, "PLIK.TXT in "},
        {"a name that shows as another", {"first.txt", "a\u202Eb.txt"}, "U+202E"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        tool::ZipWriter w;
        tool::ZipMemberOptions utf8;
        utf8.flags = 0x800;
        for (const std::string& n : c.names) w.Add(n, "x", utf8);
        testsupport::WriteFile(tmp / "bad.zip", w.Finish());
        fs::remove_all(tmp / "out");
        std::string out, err;
        EXPECT_EQ(Extract(Q(tmp / "bad.zip") + " " + Q(tmp / "out"), &out, &err, tmp), 1);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_LT(err.size(), 600u);
        EXPECT_NE(err.find(c.said), std::string::npos) << err;
        EXPECT_TRUE(fs::is_empty(tmp / "out"));
    }
}

TEST(ExtractTool, NamesWindows1250CannotHoldStayApart) {
    TempDir tmp;
    tool::ZipWriter w;
    tool::ZipMemberOptions utf8;
    utf8.flags = 0x800;
    w.Add("абв.txt", "first", utf8);
    w.Add("где.txt", "second", utf8);
    w.Add("\xB0\xB1.txt", "shades");  // box-drawing characters in OEM 852
    testsupport::WriteFile(tmp / "a.zip", w.Finish());
    std::string out, err;
    ASSERT_EQ(Extract(Q(tmp / "a.zip") + " " + Q(tmp / "out"), &out, &err, tmp), 0) << err;
    EXPECT_EQ(Text(ReadFile(tmp / "out/абв.txt")), "first");
    EXPECT_EQ(Text(ReadFile(tmp / "out/где.txt")), "second");
    EXPECT_EQ(Text(ReadFile(tmp / "out/░▒.txt")), "shades");
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp / "out"), fs::directory_iterator()), 3);
    // The report names each file as it was written.
    EXPECT_EQ(out, "абв.txt\nгде.txt\n░▒.txt\n3 members extracted\n");

    // One member, found by its own name.
    ASSERT_EQ(Extract(Q(tmp / "a.zip") + " " + Q(tmp / "one") + " ГДЕ.TXT", &out, &err, tmp), 0) << err;
    EXPECT_EQ(out, "где.txt\n");
    EXPECT_EQ(Text(ReadFile(tmp / "one/где.txt")), "second");
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp / "one"), fs::directory_iterator()), 1);
}

}  // namespace
