#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "catalogue/Cjxkoderu.h"

namespace {

CJXKoder Talvik() {
    CJXKoder k;
    k.SetKey("Talvik");
    return k;
}

bool SameState(const CJXKoder& a, const CJXKoder& b) {
    return a.wordA == b.wordA && a.wordB == b.wordB && a.offset == b.offset && a.xorByte == b.xorByte &&
           a.period == b.period && a.counter == b.counter && a.rangeHigh == b.rangeHigh && a.rangeLow == b.rangeLow;
}

// A second model of the cipher, kept apart from the real one: plain ints, a
// rotation written as a left turn by 13, and a countdown to the next exchange in
// place of the counter/period comparison.
struct Model {
    int a, b, x, untilExchange;
    explicit Model(const unsigned char* key) {
        auto s = [](unsigned char c) { return c < 128 ? int(c) : int(c) - 256; };
        x = key[0];
        a = (s(key[2]) * 256 + s(key[1]) + 65536 * 2) % 65536;
        untilExchange = key[3];
        b = (s(key[5]) * 256 + s(key[4]) + 65536 * 2) % 65536;
    }
    int NextOffset() {
        bool exchange = untilExchange == 0;
        if (exchange) std::swap(a, b);
        a = (a + 18724) % 65536;
        a = ((a << 13) | (a >> 3)) % 65536;
        int off = 5 + 245 * a / 65536;
        if (exchange) untilExchange = off % 256;
        --untilExchange;
        return off;
    }
    int Decode(int v) { return ((v - NextOffset() + 256) % 256) ^ x; }
};

}  // namespace

TEST(Koder, TalvikFirstStepsWorkedOutByHand) {
    CJXKoder k = Talvik();
    EXPECT_EQ(k.xorByte, 0x54);  // 'T'
    EXPECT_EQ(k.wordA, 0x6C61);  // 'l' * 256 + 'a'
    EXPECT_EQ(k.period, 0x76);   // 'v'
    EXPECT_EQ(k.wordB, 0x6B69);  // 'k' * 256 + 'i'
    EXPECT_EQ(k.counter, 0);
    EXPECT_EQ(k.rangeHigh, 250);
    EXPECT_EQ(k.rangeLow, 5);

    // Step 1: 0x6C61 + 0x4924 = 0xB585 = 1011 0101 1000 0101b; turned right by 3,
    // 0xB585 >> 3 = 0x16B0 and the low bits 101 go to the top (0xA000): 0xB6B0 = 46768.
    // 245 * 46768 = 11458160 = 174 * 65536 + 54896, so the offset is 5 + 174 = 179
    // (0xB3) and the byte 0xB3 deciphers to (0xB3 - 0xB3) XOR 0x54 = 0x54.
    EXPECT_EQ(k.DecodeByte(0xB3), 0x54);
    EXPECT_EQ(k.wordA, 0xB6B0);
    EXPECT_EQ(k.offset, 179);
    // Step 2: 0xB6B0 + 0x4924 = 0xFFD4; low bits 100 to the top: 0x9FFA = 40954;
    // 245 * 40954 = 10033730 = 153 * 65536 + 6722, offset 158 (0x9E). The byte 2
    // gives (2 - 0x9E) mod 256 = 0x64, XOR 0x54 = 0x30 ('0').
    EXPECT_EQ(k.DecodeByte(0x02), '0');
    EXPECT_EQ(k.offset, 158);
    // Step 3: 0x9FFA + 0x4924 = 0xE91E; low bits 110 to the top: 0xDD23 = 56611;
    // 245 * 56611 = 13869695 = 211 * 65536 + 41599, offset 216 (0xD8).
    EXPECT_EQ(k.DecodeByte(0xD8 + 1), 0x55);
    EXPECT_EQ(k.wordA, 0xDD23);
    EXPECT_EQ(k.offset, 216);
    EXPECT_EQ(k.wordB, 0x6B69);  // no exchange before step 119
    EXPECT_EQ(k.counter, 3);
}

TEST(Koder, MatchesAnIndependentModelForManyKeys) {
    const char* keys[] = {"Talvik", "\x00\x00\x00\x00\x00\x00", "\xff\xff\xff\xff\xff\xff", "\x80\x7f\x80\x01\x7f\x80",
                          "ABC\xff" "DE", "zz\x05zzz"};
    for (const char* key : keys) {
        CJXKoder k;
        k.SetKey(std::string_view(key, 6));
        Model m(reinterpret_cast<const unsigned char*>(key));
        for (int i = 0; i < 3000; ++i) {
            int v = (i * 37 + 11) % 256;
            ASSERT_EQ(k.DecodeByte(static_cast<uint8_t>(v)), m.Decode(v)) << "key " << +key[0] << " step " << i;
            ASSERT_EQ(k.wordA, m.a);
            ASSERT_EQ(k.wordB, m.b);
        }
    }
}

TEST(Koder, KeyBytesAreSignExtendedIntoTheRegisters) {
    CJXKoder k;
    // 256 * 0x10 + (-1) = 0x0FFF, where an unsigned byte would give 0x10FF.
    k.SetKey(std::string_view("\x00\xff\x10\x05\xff\x20", 6));
    EXPECT_EQ(k.wordA, 0x0FFF);
    EXPECT_EQ(k.wordB, 0x1FFF);
    // -128 in the low position: 256 - 128 = 0x0080; in the high one: 0x8000 - 0x100 + 0x7F.
    k.SetKey(std::string_view("\x00\x80\x01\x05\x7f\x80", 6));
    EXPECT_EQ(k.wordA, 0x0080);
    EXPECT_EQ(k.wordB, 0x807F);
    // k0 and k3 are bytes, whatever their sign.
    k.SetKey(std::string_view("\xee\x00\x00\xc8\x00\x00", 6));
    EXPECT_EQ(k.xorByte, 0xEE);
    EXPECT_EQ(k.period, 200);

    EXPECT_THROW(k.SetKey("Talvi"), std::invalid_argument);
    EXPECT_THROW(k.SetKey("Talviks"), std::invalid_argument);
}

TEST(Koder, RegistersAreExchangedAtTheEndOfEveryPeriod) {
    // k3 = 0: the very first step exchanges.
    CJXKoder k;
    k.SetKey(std::string_view("\x00\x34\x12\x00\x78\x56", 6));
    k.DecodeByte(0);
    EXPECT_EQ(k.wordB, 0x1234);
    EXPECT_EQ(k.period, static_cast<uint8_t>(k.offset));
    EXPECT_EQ(k.counter, 1);

    // k3 = 3: three steps go by, the fourth exchanges; after that every period
    // lasts as many steps as the low byte of the offset at its exchange.
    k.SetKey(std::string_view("\x00\x34\x12\x03\x78\x56", 6));
    for (int i = 0; i < 3; ++i) {
        k.DecodeByte(0);
        EXPECT_EQ(k.wordB, 0x5678);
    }
    for (int exchanges = 0; exchanges < 5; ++exchanges) {
        uint16_t before = k.wordA;
        k.DecodeByte(0);
        ASSERT_EQ(k.wordB, before);
        int length = k.period;
        ASSERT_GE(length, 5);
        ASSERT_LE(length, 249);
        uint16_t held = k.wordB;
        for (int i = 1; i < length; ++i) {
            k.DecodeByte(0);
            ASSERT_EQ(k.wordB, held) << "exchange " << exchanges << " step " << i;
        }
    }
}

TEST(Koder, EscapesAndTheFinalBackslash) {
    CJXKoder k = Talvik(), ref = Talvik();
    const char stored[] = "\\1\\2\\3\\4\\5\\x\\\\a\\";
    uint8_t target[32];
    std::memset(target, 0xAA, sizeof target);
    int n = k.DecodeBuffer(reinterpret_cast<const uint8_t*>(stored), int(std::strlen(stored)), target);
    const uint8_t enciphered[] = {10, 13, 92, 26, 0, 'x', '\\', 'a', 0};
    ASSERT_EQ(n, 9);
    for (int i = 0; i < n; ++i) EXPECT_EQ(target[i], ref.DecodeByte(enciphered[i])) << i;
    EXPECT_EQ(target[n], 0);
    EXPECT_TRUE(SameState(k, ref));  // one step per resulting byte
}

TEST(Koder, DecodeLineStateAndTextEnd) {
    CJXKoder k = Talvik(), before = k;
    EXPECT_EQ(DecodeLine(k, ""), "");
    EXPECT_TRUE(SameState(k, before));

    // The enciphered byte 0 with the first offset 0xB3: (0 - 0xB3) mod 256 = 0x4D,
    // XOR 0x54 = 0x19, so "\5" is not an empty text here; it costs one step.
    EXPECT_EQ(DecodeLine(k, "\\5"), "\x19");
    EXPECT_EQ(k.counter, 1);
    EXPECT_EQ(k.offset, 179);

    // A deciphered 0 ends the text, but the state runs over the whole line. The
    // encoder refuses a NUL, so this line is enciphered and escaped by hand.
    CJXKoder zeroEnc = k;
    std::string withZero;
    uint8_t b0 = zeroEnc.EncodeByte('a'), b1 = zeroEnc.EncodeByte('b'), b2 = zeroEnc.EncodeByte(0),
            b3 = zeroEnc.EncodeByte('c');
    for (uint8_t b : {b0, b1, b2, b3}) {
        if (b == 0 || b == 10 || b == 13 || b == 26 || b == 92) {
            withZero += '\\';
            withZero += b == 0 ? '5' : b == 10 ? '1' : b == 13 ? '2' : b == 26 ? '4' : '3';
        } else {
            withZero += static_cast<char>(b);
        }
    }
    EXPECT_EQ(DecodeLine(k, withZero), "ab");
    EXPECT_TRUE(SameState(k, zeroEnc));

    // The same stored line deciphers differently once the state has moved on.
    CJXKoder fresh = Talvik(), used = Talvik();
    DecodeLine(used, "Pierwsza linia");
    EXPECT_NE(DecodeLine(fresh, "ABCDEFGH"), DecodeLine(used, "ABCDEFGH"));
}

TEST(Koder, OverlongStoredLinesStopAtTheBufferSize) {
    CJXKoder k = Talvik(), ref = Talvik();
    std::string longLine(10000, 'a');
    longLine[kMaxStoredLine - 1] = '\\';  // the last character kept escapes nothing
    std::string text = DecodeLine(k, longLine);
    EXPECT_LE(text.size(), static_cast<size_t>(kMaxStoredLine));
    std::string expect;
    for (int i = 0; i < kMaxStoredLine - 1; ++i) expect += static_cast<char>(ref.DecodeByte('a'));
    uint8_t last = ref.DecodeByte(0);
    if (last) expect += static_cast<char>(last);
    EXPECT_EQ(text, expect.substr(0, expect.find('\0')));
    EXPECT_TRUE(SameState(k, ref));
}

TEST(Koder, EncodingInvertsDecodingForEveryByteAcrossLines) {
    CJXKoder e = Talvik(), d = Talvik();
    for (int round = 0; round < 40; ++round)
        for (int v = 0; v < 256; ++v) ASSERT_EQ(d.DecodeByte(e.EncodeByte(static_cast<uint8_t>(v))), v);

    std::mt19937 rng(1234);
    std::vector<char> bytes;
    for (int v = 1; v < 256; ++v) bytes.push_back(static_cast<char>(v));
    CJXKoder enc = Talvik(), dec = Talvik();
    for (int line = 0; line < 300; ++line) {
        std::shuffle(bytes.begin(), bytes.end(), rng);
        std::string plain(bytes.begin(), bytes.begin() + static_cast<long>(line % 256));
        std::string stored = EncodeLine(enc, plain);
        // Nothing that would end or break a line on disc, and every backslash
        // begins one of the five escapes.
        for (size_t i = 0; i < stored.size(); ++i) {
            ASSERT_TRUE(stored[i] != '\0' && stored[i] != '\n' && stored[i] != '\r' && stored[i] != 26);
            if (stored[i] == '\\') {
                ASSERT_LT(i + 1, stored.size());
                ASSERT_TRUE(stored[i + 1] >= '1' && stored[i + 1] <= '5');
                ++i;
            }
        }
        ASSERT_EQ(DecodeLine(dec, stored), plain) << "line " << line;
    }
    EXPECT_TRUE(SameState(enc, dec));

    CJXKoder k = Talvik();
    EXPECT_THROW(EncodeLine(k, std::string("a\0b", 3)), std::invalid_argument);
    EXPECT_THROW(EncodeLine(k, std::string(kMaxStoredLine + 1, 'x')), std::invalid_argument);
}
