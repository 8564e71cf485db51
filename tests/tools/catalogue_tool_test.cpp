#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "catalogue/Cjxndt4fileu.h"
#include "catalogue/Discpaths.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "tools/lib/discsource.h"
#include "tools/lib/ndtwriter.h"

namespace {

using testsupport::RunCommand;
using testsupport::ToolPath;

std::string Read(const std::string& path) {
    auto b = testsupport::ReadFile(path);
    return std::string(b.begin(), b.end());
}

std::string Join(const std::vector<std::string>& lines, const std::string& end) {
    std::string s;
    for (const auto& l : lines) s += l + end;
    return s;
}

// "Zażółć gęślą jaźń" in Windows-1250.
const std::string kPolish = "Za\xbf\xf3\xb3\xe6 g\xea\x9cl\xb9 ja\x9f\xf1";

// A catalogue with `records` records: Polish names, and in every seventh record a
// description holding every byte that can stand in a line of text, so that the
// enciphered bytes hit every escape many times.
std::vector<std::string> SampleLines(int records, int* programs) {
    std::vector<std::string> lines{"VEMI32 NDT4", "4", "", "", "", std::to_string(records), "",
                                   "Programy", "na p\xb3ycie", "12/2007", kPolish};
    std::string everyByte;
    for (int v = 1; v < 256; ++v)
        if (v != '\n' && v != '\r') everyByte += static_cast<char>(v);
    *programs = 0;
    for (int r = 0; r < records; ++r) {
        bool program = r % 4 != 0;
        *programs += program;
        for (int f = 0; f < 16; ++f) {
            switch (f) {
                case 0: lines.push_back(kPolish + " " + std::to_string(r)); break;
                case 9: lines.push_back(r % 7 == 0 ? everyByte : "Opis \\ programu " + std::to_string(r)); break;
                case 13: lines.push_back(program ? "1" : "0"); break;
                case 14: lines.push_back(program ? "11" : "10"); break;
                case 12: lines.push_back(""); break;
                default: lines.push_back("pole " + std::to_string(f) + "\x1a\\");
            }
        }
    }
    return lines;
}

}  // namespace

TEST(CatalogueTool, EncodeThenDumpGivesTheTextBackForFiveThousandRecords) {
    testsupport::TempDir tmp;
    int programs = 0;
    auto lines = SampleLines(5000, &programs);
    ASSERT_EQ(lines.size(), 11u + 16u * 5000u);
    const std::string text = Join(lines, "\n");
    testsupport::WriteFile(tmp / "cat.txt", text);

    const std::string tool = ToolPath();
    ASSERT_EQ(RunCommand(tool + " encode --raw " + tmp / "cat.txt" + " " + tmp / "cat.ndt"), 0);
    const std::string ndt = Read(tmp / "cat.ndt");
    EXPECT_EQ(ndt, tool::WriteCatalogue(lines));
    EXPECT_EQ(ndt.compare(0, 13, "VEMI32 NDT4\r\n"), 0);
    EXPECT_EQ(ndt.substr(ndt.size() - 2), "\r\n");
    const size_t plainPart = Join({lines.begin(), lines.begin() + 7}, "\r\n").size();
    EXPECT_NE(ndt.find('\\', plainPart), std::string::npos);  // escapes were needed

    // The menu's own reader takes it.
    CJXNdt4File f;
    f.LoadFromBytes(ndt.data(), ndt.size());
    EXPECT_EQ(f.LineCount(), 11 + 16 * 5000);
    EXPECT_EQ(f.recordCount, 5000);
    EXPECT_EQ(f.headerNumber, 4);

    std::string dumped;
    ASSERT_EQ(RunCommand(tool + " dump --raw " + tmp / "cat.ndt", &dumped), 0);
    EXPECT_TRUE(dumped == text) << "dump differs from the text that was encoded";
    // The readable form is the same text in UTF-8, and encodes to the same file.
    std::string readable;
    ASSERT_EQ(RunCommand(tool + " dump " + tmp / "cat.ndt", &readable), 0);
    EXPECT_TRUE(readable == tool::Cp1250ToUtf8Exact(text));
    testsupport::WriteFile(tmp / "utf8.txt", readable);
    ASSERT_EQ(RunCommand(tool + " encode " + tmp / "utf8.txt" + " " + tmp / "utf8.ndt"), 0);
    EXPECT_TRUE(Read(tmp / "utf8.ndt") == ndt);

    // Text saved with CR LF line ends makes the same catalogue.
    testsupport::WriteFile(tmp / "crlf.txt", Join(lines, "\r\n"));
    ASSERT_EQ(RunCommand(tool + " encode --raw " + tmp / "crlf.txt" + " " + tmp / "crlf.ndt"), 0);
    EXPECT_TRUE(Read(tmp / "crlf.ndt") == ndt);
    // And the working catalogue counts what was written.
    CJXNdt4File work;
    for (const auto& l : tool::SplitPlainText(dumped)) work.AddLine(l);
    work.ReadHeader();
    EXPECT_EQ(work.CountPrograms(), programs);
}

TEST(CatalogueTool, EncodeOfDumpReproducesACrLfCatalogue) {
    testsupport::TempDir tmp;
    int programs = 0;
    auto lines = SampleLines(40, &programs);
    lines.push_back("");  // an empty last line must survive as well
    const std::string x = tool::WriteCatalogue(lines);
    testsupport::WriteFile(tmp / "x.ndt", x);

    const std::string tool = ToolPath();
    for (const std::string form : {"", "--raw "}) {
        SCOPED_TRACE(form);
        ASSERT_EQ(RunCommand(tool + " dump " + form + tmp / "x.ndt" + " > " + tmp / "x.txt"), 0);
        ASSERT_EQ(RunCommand(tool + " encode " + form + tmp / "x.txt" + " " + tmp / "y.ndt"), 0);
        EXPECT_TRUE(Read(tmp / "y.ndt") == x);
        // Through standard input too.
        ASSERT_EQ(RunCommand(tool + " encode " + form + "- " + tmp / "z.ndt" + " < " + tmp / "x.txt"), 0);
        EXPECT_TRUE(Read(tmp / "z.ndt") == x);
    }

    // Without an end on its last line a catalogue comes back with one.
    lines.pop_back();
    const std::string closed = tool::WriteCatalogue(lines);
    testsupport::WriteFile(tmp / "open.ndt", closed.substr(0, closed.size() - 2));
    ASSERT_EQ(RunCommand(tool + " dump " + tmp / "open.ndt" + " > " + tmp / "open.txt"), 0);
    ASSERT_EQ(RunCommand(tool + " encode " + tmp / "open.txt" + " " + tmp / "open2.ndt"), 0);
    EXPECT_TRUE(Read(tmp / "open2.ndt") == closed);
}

TEST(CatalogueTool, ExitCodesAndMessages) {
    testsupport::TempDir tmp;
    const std::string tool = ToolPath();
    std::string out;
    EXPECT_EQ(RunCommand(tool + " dump 2>/dev/null"), 2);
    EXPECT_EQ(RunCommand(tool + " dump a b 2>/dev/null"), 2);
    EXPECT_EQ(RunCommand(tool + " encode a 2>/dev/null"), 2);

    EXPECT_EQ(RunCommand(tool + " dump " + tmp / "none.ndt" + " 2>&1", &out), 1);
    EXPECT_EQ(out, "vemi-disc: cannot read " + tmp / "none.ndt" + "\n");
    EXPECT_EQ(RunCommand(tool + " dump " + tmp.path() + " 2>/dev/null"), 1);  // a folder

    // A NUL in an enciphered line cannot be stored; nothing is written.
    testsupport::WriteFile(tmp / "nul.txt", std::string("0\n1\n2\n3\n4\n0\n6\n7\nab\0c\n", 21));
    EXPECT_EQ(RunCommand(tool + " encode " + tmp / "nul.txt" + " " + tmp / "nul.ndt" + " 2>&1", &out), 1);
    EXPECT_NE(out.find("NUL"), std::string::npos) << out;
    EXPECT_EQ(out.find('\n'), out.size() - 1) << out;  // one line
    EXPECT_FALSE(std::ifstream(tmp / "nul.ndt").good());
    testsupport::WriteFile(tmp / "ok.txt", "0\n1\n2\n3\n4\n0\n6\n7\n8\n9\n10\n");
    EXPECT_EQ(RunCommand(tool + " encode " + tmp / "ok.txt" + " " + tmp / "no/such/dir/x.ndt" + " 2>/dev/null"), 1);

    // A damaged header is reported on standard error; the lines are still shown.
    testsupport::WriteFile(tmp / "bad.ndt", "VEMI\r\nx\r\n");
    EXPECT_EQ(RunCommand(tool + " dump " + tmp / "bad.ndt" + " 2>" + tmp / "err.txt", &out), 0);
    EXPECT_EQ(out, "VEMI\nx\n");
    EXPECT_NE(Read(tmp / "err.txt").find("'x' is not a valid integer value"), std::string::npos);

    // The tool carries the version of the build, as the menu program does.
    EXPECT_EQ(RunCommand(tool + " --version", &out), 0);
    EXPECT_EQ(out, std::string("vemi-disc ") + VEMI_VERSION + "\n");

    EXPECT_EQ(RunCommand(tool + " encode --help", &out), 0);
    EXPECT_NE(out.find("byte for byte"), std::string::npos);
    EXPECT_NE(out.find("last line has no line end"), std::string::npos);
}

TEST(CatalogueTool, TheSampleDiscsCataloguesComeBackByteForByteInBothForms) {
    testsupport::TempDir tmp;
    const std::string tool = ToolPath();
    const tool::CatalogueSource src = tool::ParseCatalogueSource(Read(testsupport::SourceDir() + "/sample-disc/catalogue.txt"));
    for (const auto& lines : {tool::MainCatalogueLines(src), tool::AlphabeticalCatalogueLines(src)}) {
        const std::string x = tool::WriteCatalogue(lines);
        testsupport::WriteFile(tmp / "x.ndt", x);
        std::string readable, raw;
        ASSERT_EQ(RunCommand(tool + " dump " + tmp / "x.ndt" + " > " + tmp / "utf8.txt"), 0);
        ASSERT_EQ(RunCommand(tool + " dump --raw " + tmp / "x.ndt" + " > " + tmp / "raw.txt"), 0);
        readable = Read(tmp / "utf8.txt");
        raw = Read(tmp / "raw.txt");
        // The readable form is what the source says, Polish letters as UTF-8.
        EXPECT_EQ(readable, platform::Cp1250ToUtf8(raw));
        EXPECT_NE(readable.find("\xC5\x82"), std::string::npos);  // ł
        EXPECT_EQ(raw.find("\xC5\x82"), std::string::npos);
        EXPECT_NE(raw.find('\xB3'), std::string::npos);
        ASSERT_EQ(RunCommand(tool + " encode " + tmp / "utf8.txt" + " " + tmp / "a.ndt"), 0);
        ASSERT_EQ(RunCommand(tool + " encode --raw " + tmp / "raw.txt" + " " + tmp / "b.ndt"), 0);
        EXPECT_TRUE(Read(tmp / "a.ndt") == x);
        EXPECT_TRUE(Read(tmp / "b.ndt") == x);
    }
}

TEST(CatalogueTool, EveryPolishLetterAndEveryByteSurvivesTheReadableForm) {
    testsupport::TempDir tmp;
    const std::string tool = ToolPath();
    const std::string letters = "ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ";
    // Every byte that can stand in a line, the five Windows-1250 leaves unassigned included.
    std::string everyByte;
    for (int v = 1; v < 256; ++v)
        if (v != '\n' && v != '\r') everyByte += static_cast<char>(v);
    const std::vector<std::string> lines{"VEMI NDT4", "4", "", "", "", "0", "", letters, "", "1/2008", ""};
    std::string text;
    for (const auto& l : lines) text += l + "\n";
    text += tool::Cp1250ToUtf8Exact(everyByte) + "\n";
    testsupport::WriteFile(tmp / "cat.txt", text);
    ASSERT_EQ(RunCommand(tool + " encode " + tmp / "cat.txt" + " " + tmp / "cat.ndt"), 0);

    CJXNdt4File raw, work;
    raw.LoadFromBytes(testsupport::ReadFile(tmp / "cat.ndt"));
    discpaths::DecodeCatalogue(raw, work);
    EXPECT_EQ(work.GetTitleLine(0), "\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF \xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF");
    EXPECT_EQ(work.GetLine(11), everyByte);

    std::string dumped;
    ASSERT_EQ(RunCommand(tool + " dump " + tmp / "cat.ndt", &dumped), 0);
    EXPECT_TRUE(dumped == text);
    ASSERT_EQ(RunCommand(tool + " dump --raw " + tmp / "cat.ndt", &dumped), 0);
    std::string cp1250;
    ASSERT_TRUE(tool::Utf8ToCp1250Exact(text, cp1250));
    EXPECT_TRUE(dumped == cp1250);

    // A byte-order mark from an editor is no part of line 0.
    testsupport::WriteFile(tmp / "bom.txt", "\xEF\xBB\xBF" + text);
    ASSERT_EQ(RunCommand(tool + " encode " + tmp / "bom.txt" + " " + tmp / "bom.ndt"), 0);
    EXPECT_TRUE(Read(tmp / "bom.ndt") == Read(tmp / "cat.ndt"));
}

TEST(CatalogueTool, TextWindows1250CannotHoldIsRefusedNotGuessed) {
    testsupport::TempDir tmp;
    const std::string tool = ToolPath();
    std::string out;
    const std::string head = "0\n1\n2\n3\n4\n0\n6\nTytu\xC5\x82\n";  // "Tytuł"
    testsupport::WriteFile(tmp / "cjk.txt", head + "\xE6\x97\xA5\n");       // a CJK character on line 9
    EXPECT_EQ(RunCommand(tool + " encode " + tmp / "cjk.txt" + " " + tmp / "cjk.ndt" + " 2>&1", &out), 1);
    EXPECT_EQ(out, "vemi-disc: line 9 of the text, byte 1: not UTF-8, or a character Windows-1250 does not have (--raw reads "
                   "Windows-1250 text)\n");
    EXPECT_FALSE(std::ifstream(tmp / "cjk.ndt").good());
    // Windows-1250 bytes given as UTF-8 text: a lone 0xB3 is no UTF-8.
    testsupport::WriteFile(tmp / "cp.txt", head + "ab\xB3\n");
    EXPECT_EQ(RunCommand(tool + " encode " + tmp / "cp.txt" + " " + tmp / "cp.ndt" + " 2>&1", &out), 1);
    EXPECT_NE(out.find("line 9 of the text, byte 3"), std::string::npos) << out;
    // An over-long form of '/' is no UTF-8 either.
    testsupport::WriteFile(tmp / "long.txt", head + "\xC0\xAF\n");
    EXPECT_EQ(RunCommand(tool + " encode " + tmp / "long.txt" + " " + tmp / "long.ndt" + " 2>&1", &out), 1);
    // The same bytes are fine as Windows-1250 text.
    EXPECT_EQ(RunCommand(tool + " encode --raw " + tmp / "cp.txt" + " " + tmp / "cp.ndt" + " 2>&1", &out), 0) << out;
}
