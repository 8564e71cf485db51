// The names the installer gives its folders and shortcuts: only the letters of the
// Polish alphabet in either case, digits, blanks and a few signs stay. The capitals
// come from the host's case tables, so this runs on every host.
#include <gtest/gtest.h>

#include "install/Jxshellutils.h"
#include "platform/text.h"

namespace {

std::string W(const std::string& utf8) { return platform::Utf8ToCp1250(utf8); }

}  // namespace

TEST(SanitizeName, KeepsExactlyThePolishAlphabetDigitsBlanksAndTheListedSigns) {
    EXPECT_EQ(SanitizeName(W("Zażółć GĘŚLĄ jaźń ŻÓŁW Ćma Źrebię Ńa")), W("Zażółć GĘŚLĄ jaźń ŻÓŁW Ćma Źrebię Ńa"));
    EXPECT_EQ(SanitizeName(W("Café Müller Straße čř")), W("Caf Mller Strae "));
    EXPECT_EQ(SanitizeName("\\/:\"'*?<>|~"), "");
    EXPECT_EQ(SanitizeName(""), "");
    EXPECT_EQ(SanitizeName("VEMI 12:2007/DVD\\Gry"), "VEMI 122007DVDGry");
    EXPECT_EQ(SanitizeName("!@#$%^&()_-+={}[];.,"), "!@#$%^&()_-+={}[];.,");
    EXPECT_EQ(SanitizeName("a\tb\nc\x7f"
                           "d"),
              "abcd");

    // Every byte once: the 66 characters of the set, the 26 + 9 capitals of its
    // letters, nothing else.
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    std::string kept = SanitizeName(all);
    EXPECT_EQ(kept.size(), 101u);
    EXPECT_EQ(kept.find('\0'), std::string::npos);
    for (char c : W("ĄĘĆŁŃÓŚŻŹąęćłńóśżź")) EXPECT_NE(kept.find(c), std::string::npos) << int(static_cast<unsigned char>(c));
}
