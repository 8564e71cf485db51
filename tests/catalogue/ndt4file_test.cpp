#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "catalogue/Cjxndt4fileu.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace {

std::vector<std::string> Split(const std::string& s) { return SplitCatalogueText(s.data(), s.size()); }

// Line i holds "L<i>" except where a test puts a number.
std::vector<std::string> NumberedLines(int count) {
    std::vector<std::string> v;
    for (int i = 0; i < count; ++i) v.push_back("L" + std::to_string(i));
    return v;
}

std::string Join(const std::vector<std::string>& lines, const std::string& end) {
    std::string s;
    for (const auto& l : lines) s += l + end;
    return s;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EJXCatalogueError& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace

TEST(Ndt4File, EveryKindOfLineEndSplitsAlike) {
    const std::vector<std::string> want{"a", "", "b c", "\xb3\xf3" "d\xbf"};
    EXPECT_EQ(Split("a\r\n\r\nb c\r\n\xb3\xf3" "d\xbf\r\n"), want);
    EXPECT_EQ(Split("a\n\nb c\n\xb3\xf3" "d\xbf\n"), want);
    EXPECT_EQ(Split("a\r\rb c\r\xb3\xf3" "d\xbf\r"), want);
    EXPECT_EQ(Split("a\r\n\nb c\r\xb3\xf3" "d\xbf"), want);  // mixed, no end on the last line

    // LF then CR is two line ends; CR CR LF is a lone CR and then CR LF.
    EXPECT_EQ(Split("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(Split("a\r\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(Split("").empty());
    EXPECT_EQ(Split("\r\n"), std::vector<std::string>{""});
    EXPECT_EQ(Split("x\r"), std::vector<std::string>{"x"});
    // A NUL ends the text, even one right after a CR that waits for its LF.
    EXPECT_EQ(Split(std::string("a\rb\0c\nd", 7)), (std::vector<std::string>{"a", "b"}));
    EXPECT_TRUE(Split(std::string("\0abc", 4)).empty());
}

TEST(Ndt4File, NulInLine3LeavesFourLinesAndTheHeaderFails) {
    auto lines = NumberedLines(11);
    lines[1] = "7";
    lines[5] = "0";
    std::string text = Join(lines, "\r\n");
    text[text.find("L3") + 1] = '\0';

    CJXNdt4File f;
    EXPECT_EQ(ErrorOf([&] { f.LoadFromBytes(text.data(), text.size()); }), "Line index 5 out of bounds");
    ASSERT_EQ(f.LineCount(), 4);
    EXPECT_EQ(f.GetLine(3), "L");
    EXPECT_EQ(f.headerNumber, 7);  // line 1 was read before line 5 went missing
}

TEST(Ndt4File, RecordsFieldsTitleLinesAndProgramCount) {
    // No records and exactly the eleven header lines.
    auto empty = NumberedLines(11);
    empty[1] = "3";
    empty[5] = "0";
    CJXNdt4File f;
    std::string text = Join(empty, "\n");
    f.LoadFromBytes(text.data(), text.size());
    EXPECT_EQ(f.recordCount, 0);
    EXPECT_EQ(f.CountPrograms(), 0);
    EXPECT_EQ(f.GetTitleLine(0), "L7");
    EXPECT_EQ(ErrorOf([&] { f.GetField(0, 0); }), "Line index 11 out of bounds");

    // Two records: field f of record r is line 11 + 16 r + f.
    auto two = NumberedLines(11 + 2 * 16);
    two[1] = "-2";
    two[5] = "2";
    two[25] = "11";    // record 0, field 14
    two[41] = " 11 ";  // record 1, field 14
    text = Join(two, "\r\n");
    f.LoadFromBytes(text.data(), text.size());
    EXPECT_EQ(f.headerNumber, -2);
    EXPECT_EQ(f.GetField(1, 14), f.GetLine(41));
    EXPECT_EQ(f.GetField(1, 0), "L27");
    EXPECT_EQ(f.GetField(0, 15), "L26");
    EXPECT_EQ(f.GetTitleLine(3), "L10");
    EXPECT_EQ(f.CountPrograms(), 2);
    f.lines[41] = "12";
    EXPECT_EQ(f.CountPrograms(), 1);

    // A count beyond the records present fails only when a missing record is read.
    f.lines[5] = "3";
    f.ReadHeader();
    EXPECT_EQ(ErrorOf([&] { f.CountPrograms(); }), "Line index 57 out of bounds");
    // Far-off records must not wrap around into existing lines.
    EXPECT_EQ(ErrorOf([&] { f.GetField(134217727, 5); }), "Line index 2147483648 out of bounds");
    EXPECT_EQ(ErrorOf([&] { f.GetTitleLine(-8); }), "Line index -1 out of bounds");
    EXPECT_EQ(f.LineCount(), 43);  // errors keep what was loaded

    f.ClearLines();
    EXPECT_EQ(f.LineCount(), 0);
    EXPECT_EQ(f.recordCount, 3);  // the numbers stay
    EXPECT_EQ(f.linesPerRecord, 16);
    EXPECT_EQ(f.firstRecordLine, 11);
}

TEST(Ndt4File, HeaderNumbersWrapTo16Bits) {
    auto lines = NumberedLines(11);
    CJXNdt4File f;
    f.lines = lines;
    struct Case {
        const char* header;
        const char* count;
        int16_t headerNumber;
        uint16_t recordCount;
    } cases[] = {
        {"40000", "65536", -25536, 0},      // 40000 - 65536; 65536 mod 65536
        {"70000", "65537", 4464, 1},        // 70000 - 65536
        {"-1", "-1", -1, 65535},            // a negative count is taken modulo 65536 too
        {"2147483647", "131074", -1, 2},    // 0x7FFFFFFF keeps 0xFFFF; 2 * 65536 + 2
    };
    for (const auto& c : cases) {
        f.lines[1] = c.header;
        f.lines[5] = c.count;
        f.ReadHeader();
        EXPECT_EQ(f.headerNumber, c.headerNumber) << c.header;
        EXPECT_EQ(f.recordCount, c.recordCount) << c.count;
    }
}

TEST(Ndt4File, IntegerLinesAreDecimalWithOptionalSignAndBlanks) {
    EXPECT_EQ(CatalogueLineToInt("11"), 11);
    EXPECT_EQ(CatalogueLineToInt("  +11\t "), 11);
    EXPECT_EQ(CatalogueLineToInt("\t-0011"), -11);
    EXPECT_EQ(CatalogueLineToInt("2147483647"), 2147483647);
    EXPECT_EQ(CatalogueLineToInt("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(CatalogueLineToInt("00000000000000000000000000042"), 42);
    for (const char* bad : {"", " ", "+", "-", "abc", "1a", "0x10", "$10", "1 2", "+-1", "1.0", "\xb3", "1\r"})
        EXPECT_THROW(CatalogueLineToInt(bad), EJXCatalogueError) << bad;
    EXPECT_EQ(ErrorOf([] { CatalogueLineToInt("abc"); }), "'abc' is not a valid integer value");
    for (const char* big : {"2147483648", "-2147483649", "99999999999999999999999999"})
        EXPECT_THROW(CatalogueLineToInt(big), EJXCatalogueError) << big;
    // A damaged line of any length gives a short message.
    std::string huge(100000, '7');
    huge += 'x';
    EXPECT_LT(ErrorOf([&] { CatalogueLineToInt(huge); }).size(), 200u);
}

TEST(Ndt4File, LoadsThroughTheDriveTableAndReportsMissingFiles) {
    testsupport::TempDir tmp;
    auto lines = NumberedLines(11 + 16);
    lines[1] = "1";
    lines[5] = "1";
    lines[25] = "11";
    testsupport::WriteFile(tmp / "CDInst/Dat/main.ndt", Join(lines, "\r\n"));
    platform::Drives().Map('Q', tmp.path());

    CJXNdt4File f;
    f.LoadFromFile("Q:\\CDINST\\DAT\\MAIN.NDT");
    EXPECT_EQ(f.LineCount(), 27);
    EXPECT_EQ(f.recordCount, 1);
    EXPECT_EQ(f.CountPrograms(), 1);

    // The list is cleared before the read, so a failed load leaves nothing behind.
    EXPECT_THROW(f.LoadFromFile("Q:\\CDINST\\DAT\\MAINS.NDT"), EJXCatalogueError);
    EXPECT_EQ(f.LineCount(), 0);
    EXPECT_THROW(f.LoadFromFile("Q:\\CDINST\\DAT"), EJXCatalogueError);  // a folder

    // A header that is not a number fails, but the lines are there to look at.
    lines[5] = "jeden";
    testsupport::WriteFile(tmp / "CDInst/Dat/mains.ndt", Join(lines, "\n"));
    EXPECT_EQ(ErrorOf([&] { f.LoadFromFile("Q:\\CDInst\\Dat\\mains.ndt"); }), "'jeden' is not a valid integer value");
    EXPECT_EQ(f.LineCount(), 27);
    platform::Drives().Unmap('Q');
}
