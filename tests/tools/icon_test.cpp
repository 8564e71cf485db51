// The Windows menu's icon file: a directory whose entries point at whole pictures,
// each a 32-bit picture with its mask that agree on what is clear.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tools/lib/icon.h"

namespace {

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | (b[at + 1] << 8)); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return U16(b, at) | (static_cast<uint32_t>(U16(b, at + 2)) << 16); }

TEST(ProgramIcon, EveryPictureIsADiscWithAClearHoleAndAClearOutside) {
    for (int s : art::IconSizes()) {
        SCOPED_TRACE(s);
        const art::IconPicture p = art::DrawProgramIcon(s);
        ASSERT_EQ(p.rgba.size(), static_cast<size_t>(s) * s * 4);
        auto alpha = [&](int x, int y) { return p.rgba[(static_cast<size_t>(y) * s + x) * 4 + 3]; };
        EXPECT_EQ(alpha(0, 0), 0) << "the corners are clear";
        EXPECT_EQ(alpha(s - 1, s - 1), 0);
        // The hole in the middle: clear where it is large enough to hold a pixel.
        if (s >= 32) {
            EXPECT_EQ(alpha(s / 2, s / 2), 0) << "the hole in the middle";
        }
        EXPECT_LT(alpha(s / 2, s / 2), 128);
        EXPECT_EQ(alpha(s / 2, s / 10 + 1), 255) << "the silver face";
        // The label around the hub is the navy of the menu's panels.
        const uint8_t* label = &p.rgba[(static_cast<size_t>(s / 2) * s + s / 2 + s / 5) * 4];
        EXPECT_LT(label[0] + label[1] + label[2], 3 * 80);
    }
}

TEST(ProgramIcon, TheResourceGivesBackEveryPictureAndStopsAtOneCutShort) {
    std::vector<art::IconPicture> pics;
    for (int s : art::IconSizes()) pics.push_back(art::DrawProgramIcon(s));
    std::vector<uint8_t> res = platform::EncodeIconResource(pics);
    std::vector<art::IconPicture> back = platform::DecodeIconResource(res.data(), res.size());
    ASSERT_EQ(back.size(), pics.size());
    for (size_t i = 0; i < pics.size(); ++i) {
        EXPECT_EQ(back[i].size, pics[i].size);
        EXPECT_EQ(back[i].rgba, pics[i].rgba);
    }
    // The last picture one byte short: the others stay.
    back = platform::DecodeIconResource(res.data(), res.size() - 1);
    EXPECT_EQ(back.size(), pics.size() - 1);
    // A size of 0 or a lone size byte ends the list; nothing at all is no icon.
    const uint8_t zero[] = {0, 0, 1, 0, 1, 2, 3, 4};
    EXPECT_TRUE(platform::DecodeIconResource(zero, sizeof zero).empty());
    EXPECT_TRUE(platform::DecodeIconResource(zero, 1).empty());
    EXPECT_TRUE(platform::DecodeIconResource(nullptr, 0).empty());
}

TEST(ProgramIcon, TheFileHoldsEachSizeWhereItsDirectorySays) {
    std::vector<art::IconPicture> pics;
    for (int s : art::IconSizes()) pics.push_back(art::DrawProgramIcon(s));
    const std::vector<uint8_t> ico = art::EncodeIco(pics);
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(U16(ico, 0), 0);
    EXPECT_EQ(U16(ico, 2), 1) << "an icon, not a cursor";
    ASSERT_EQ(U16(ico, 4), pics.size());
    size_t expectedOffset = 6 + 16 * pics.size();
    for (size_t i = 0; i < pics.size(); ++i) {
        SCOPED_TRACE(pics[i].size);
        const size_t e = 6 + 16 * i;
        const int s = pics[i].size;
        EXPECT_EQ(ico[e], s);
        EXPECT_EQ(ico[e + 1], s);
        EXPECT_EQ(U16(ico, e + 6), 32);
        const uint32_t size = U32(ico, e + 8), offset = U32(ico, e + 12);
        EXPECT_EQ(offset, expectedOffset) << "pictures back to back after the directory";
        ASSERT_LE(static_cast<size_t>(offset) + size, ico.size());
        expectedOffset += size;
        // The picture's own header: 40 bytes, twice the height (colours and mask).
        EXPECT_EQ(U32(ico, offset), 40u);
        EXPECT_EQ(U32(ico, offset + 4), static_cast<uint32_t>(s));
        EXPECT_EQ(U32(ico, offset + 8), static_cast<uint32_t>(2 * s));
        EXPECT_EQ(U16(ico, offset + 14), 32);
        const size_t maskStride = static_cast<size_t>((s + 31) / 32) * 4;
        ASSERT_EQ(size, 40 + static_cast<size_t>(s) * s * 4 + maskStride * s);
        // Row y of the picture is stored bottom-up; its mask bit is set where the
        // picture is clear, and the colours are blue, green, red, alpha.
        for (int y : {0, s / 2, s - 1})
            for (int x : {0, s / 2, s / 2 + s / 4, s - 1}) {
                const uint8_t* want = &pics[i].rgba[(static_cast<size_t>(y) * s + x) * 4];
                const size_t px = offset + 40 + (static_cast<size_t>(s - 1 - y) * s + x) * 4;
                EXPECT_EQ(ico[px], want[2]);
                EXPECT_EQ(ico[px + 2], want[0]);
                EXPECT_EQ(ico[px + 3], want[3]);
                const size_t mask = offset + 40 + static_cast<size_t>(s) * s * 4 + static_cast<size_t>(s - 1 - y) * maskStride;
                const bool clear = (ico[mask + x / 8] >> (7 - x % 8)) & 1;
                EXPECT_EQ(clear, want[3] < 128) << x << "," << y;
            }
    }
    EXPECT_EQ(expectedOffset, ico.size()) << "nothing after the last picture";
}

}  // namespace
