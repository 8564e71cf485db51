#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "catalogue/Cjxndt4fileu.h"
#include "support/test_support.h"
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
    ASSERT_EQ(RunCommand(tool + " encode " + tmp / "cat.txt" + " " + tmp / "cat.ndt"), 0);
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
    ASSERT_EQ(RunCommand(tool + " dump " + tmp / "cat.ndt", &dumped), 0);
    EXPECT_TRUE(dumped == text) << "dump differs from the text that was encoded";

    // Text saved with CR LF line ends makes the same catalogue.
    testsupport::WriteFile(tmp / "crlf.txt", Join(lines, "\r\n"));
    ASSERT_EQ(RunCommand(tool + " encode " + tmp / "crlf.txt" + " " + tmp / "crlf.ndt"), 0);
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
    ASSERT_EQ(RunCommand(tool + " dump " + tmp / "x.ndt" + " > " + tmp / "x.txt"), 0);
    ASSERT_EQ(RunCommand(tool + " encode " + tmp / "x.txt" + " " + tmp / "y.ndt"), 0);
    EXPECT_TRUE(Read(tmp / "y.ndt") == x);
    // Through standard input too.
    ASSERT_EQ(RunCommand(tool + " encode - " + tmp / "z.ndt" + " < " + tmp / "x.txt"), 0);
    EXPECT_TRUE(Read(tmp / "z.ndt") == x);

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

    EXPECT_EQ(RunCommand(tool + " encode --help", &out), 0);
    EXPECT_NE(out.find("byte for byte"), std::string::npos);
    EXPECT_NE(out.find("last line has no line end"), std::string::npos);
}
