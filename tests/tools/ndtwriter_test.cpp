#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/Cjxkoderu.h"
#include "catalogue/Cjxndt4fileu.h"
#include "tools/lib/ndtwriter.h"

namespace {
std::vector<std::string> Header() { return {"VEMI", "1", "a", "b", "c", "0", "d"}; }
}  // namespace

TEST(NdtWriter, PlainHeaderThenEncipheredLinesWithCrLf) {
    auto lines = Header();
    lines.push_back("T");
    lines.push_back("0");
    // With "Talvik" the first two offsets are 0xB3 and 0x9E (worked out in the
    // cipher's tests): ('T' ^ 0x54) + 0xB3 = 0xB3, ('0' ^ 0x54) + 0x9E = 0x102 -> 0x02.
    EXPECT_EQ(tool::WriteCatalogue(lines), "VEMI\r\n1\r\na\r\nb\r\nc\r\n0\r\nd\r\n\xb3\r\n\x02\r\n");
    EXPECT_EQ(tool::WriteCatalogue({}), "");
    EXPECT_EQ(tool::WriteCatalogue({"", ""}), "\r\n\r\n");
}

TEST(NdtWriter, WhatCannotBeStoredIsRefused) {
    for (const char* bad : {"a\rb", "a\nb", "\r"}) {
        auto lines = Header();
        lines[3] = bad;
        EXPECT_THROW(tool::WriteCatalogue(lines), std::invalid_argument) << bad;
    }
    auto lines = Header();
    lines[2] = std::string("x\0y", 3);
    EXPECT_THROW(tool::WriteCatalogue(lines), std::invalid_argument);
    lines = Header();
    lines.push_back(std::string("x\0y", 3));
    EXPECT_THROW(tool::WriteCatalogue(lines), std::invalid_argument);
    // CR and LF are fine in an enciphered line: they are stored as escapes.
    lines = Header();
    lines.push_back("a\r\nb");
    std::string file = tool::WriteCatalogue(lines);
    CJXNdt4File f;
    f.LoadFromBytes(file.data(), file.size());
    ASSERT_EQ(f.LineCount(), 8);
    CJXKoder k;
    k.SetKey("Talvik");
    EXPECT_EQ(DecodeLine(k, f.GetLine(7)), "a\r\nb");
}

TEST(NdtWriter, PlainTextSplitsAtLfAndCrLf) {
    using V = std::vector<std::string>;
    EXPECT_EQ(tool::SplitPlainText(""), V{});
    EXPECT_EQ(tool::SplitPlainText("\n"), V{""});
    EXPECT_EQ(tool::SplitPlainText("a\n"), V{"a"});
    EXPECT_EQ(tool::SplitPlainText("a\n\n"), (V{"a", ""}));
    EXPECT_EQ(tool::SplitPlainText("a\r\nb"), (V{"a", "b"}));
    EXPECT_EQ(tool::SplitPlainText("\r\n\r\n"), (V{"", ""}));
    EXPECT_EQ(tool::SplitPlainText("a\rb\n\r"), (V{"a\rb", "\r"}));  // a CR not before LF is data
}
