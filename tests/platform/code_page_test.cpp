// The code-page tables as a whole. Linux takes them from iconv and Windows from the
// system; both must give the program exactly these.
#include <gtest/gtest.h>

#include <map>

#include "platform/text.h"

using namespace platform;

TEST(CodePages, EveryCaseOfWindows1250AndNothingElse) {
    std::map<int, int> upper;  // lower-case byte -> upper-case byte
    for (int c = 'a'; c <= 'z'; ++c) upper[c] = c - 32;
    // Š Ś Ť Ž Ź, Ł, Ą, Ş, Ż, Ľ.
    for (auto [lo, up] : {std::pair{0x9A, 0x8A}, {0x9C, 0x8C}, {0x9D, 0x8D}, {0x9E, 0x8E}, {0x9F, 0x8F}, {0xB3, 0xA3},
                          {0xB9, 0xA5}, {0xBA, 0xAA}, {0xBF, 0xAF}, {0xBE, 0xBC}})
        upper[lo] = up;
    // Ŕ Á Â Ă Ä Ĺ Ć Ç Č É Ę Ë Ě Í Î Ď Đ Ń Ň Ó Ô Ő Ö, Ř Ů Ú Ű Ü Ý Ţ; not × and ÷.
    for (int up = 0xC0; up <= 0xDE; ++up)
        if (up != 0xD7) upper[up + 0x20] = up;
    std::map<int, int> lower;
    for (auto [lo, up] : upper) lower[up] = lo;

    for (int c = 0; c < 256; ++c) {
        SCOPED_TRACE(c);
        const char b = static_cast<char>(c);
        const int wantUpper = upper.count(c) ? upper[c] : c;
        const int wantLower = lower.count(c) ? lower[c] : c;
        EXPECT_EQ(static_cast<unsigned char>(UpperCp1250(b)), wantUpper);
        EXPECT_EQ(static_cast<unsigned char>(LowerCp1250(b)), wantLower);
    }
}

TEST(CodePages, PolishLettersOfOem852) {
    // Ą ą Ć ć Ę ę Ł ł Ń ń Ó ó Ś ś Ź ź Ż ż: code page 852 and then 1250.
    const std::string oem = "\xA4\xA5\x8F\x86\xA8\xA9\x9D\x88\xE3\xE4\xE0\xA2\x97\x98\x8D\xAB\xBD\xBE";
    const std::string ansi = "\xA5\xB9\xC6\xE6\xCA\xEA\xA3\xB3\xD1\xF1\xD3\xF3\x8C\x9C\x8F\x9F\xAF\xBF";
    EXPECT_EQ(Oem852ToCp1250(oem), ansi);
    EXPECT_EQ(Cp1250ToOem852(ansi), oem);
    EXPECT_EQ(Cp1250ToUtf8(ansi), "ĄąĆćĘęŁłŃńÓóŚśŹźŻż");
    // Box-drawing characters have no place in 1250.
    EXPECT_EQ(Oem852ToCp1250("\xC9\xCD\xBB"), "???");
}

TEST(CodePages, WhatCannotBeConvertedBecomesAQuestionMark) {
    // No look-alike letters ("ā" is not "a"), and broken UTF-8 is one mark per break.
    EXPECT_EQ(Utf8ToCp1250("\xC4\x81" "b"), "?b");
    EXPECT_EQ(Utf8ToCp1250("a\xC3" "b"), "a?b");
    EXPECT_EQ(Utf8ToCp1250("\xE2\x82" "x"), "?x");
    EXPECT_EQ(Utf8ToCp1250("\xFF"), "?");
    EXPECT_EQ(Cp1250ToOem852("\x80"), "?");  // the euro sign
    EXPECT_EQ(Utf8ToCp1250(""), "");
    EXPECT_EQ(Cp1250ToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}
