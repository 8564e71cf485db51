#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/bmp.h"
#include "support/test_support.h"

using platform::Image;
namespace fs = std::filesystem;

namespace {

Image Solid(int w, int h, platform::Rgb c) {
    Image img(w, h);
    img.FillAll(c);
    img.SetPixel(0, 0, {1, 2, 3});  // a corner that tells top from bottom
    return img;
}

std::string RunPictures(const std::string& args, int* status) {
    std::string out;
    *status = testsupport::RunCommand("'" + testsupport::ToolPath() + "' pictures " + args + " 2>&1", &out);
    return out;
}

Image ReadBack(const std::string& path) {
    platform::MemoryStream s(testsupport::ReadFile(path));
    Image img;
    EXPECT_TRUE(platform::ReadBmp(s, img)) << path;
    EXPECT_TRUE(s.AtEnd()) << path;
    return img;
}

}  // namespace

TEST(PicturesTool, SplitsAStreamIntoNumberedFiles) {
    testsupport::TempDir dir;
    const Image pics[] = {Solid(3, 2, {200, 0, 0}), Solid(7, 5, {0, 200, 0}), Solid(1, 1, {0, 0, 200})};
    std::vector<uint8_t> stream;
    std::vector<size_t> offsets;
    for (const auto& p : pics) {
        offsets.push_back(stream.size());
        auto b = platform::EncodeBmp24(p);
        stream.insert(stream.end(), b.begin(), b.end());
    }
    testsupport::WriteFile(dir / "bdata.jxs", stream);

    int status = -1;
    std::string out = RunPictures("'" + (dir / "bdata.jxs") + "' '" + (dir / "out/nested") + "'", &status);
    EXPECT_EQ(status, 0) << out;
    for (int i = 0; i < 3; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%03d.bmp", i + 1);
        EXPECT_NE(out.find(std::string(name) + "  offset " + std::to_string(offsets[i]) + " "), std::string::npos)
            << name << "\n" << out;
        Image back = ReadBack(dir / ("out/nested/" + std::string(name)));
        ASSERT_EQ(back.Width(), pics[i].Width());
        ASSERT_EQ(back.Height(), pics[i].Height());
        EXPECT_EQ(back.Pixel(0, 0), pics[i].Pixel(0, 0));
        EXPECT_EQ(back.Pixel(back.Width() - 1, back.Height() - 1), pics[i].Pixel(pics[i].Width() - 1, pics[i].Height() - 1));
    }
    EXPECT_FALSE(fs::exists(dir / "out/nested/004.bmp"));
    EXPECT_NE(out.find("3 pictures"), std::string::npos) << out;

    // An 8-bit RLE file from the reference suite comes out as a 24-bit picture.
    const std::string rle = testsupport::DataDir() + "/bmpsuite/g/pal8rle.bmp";
    out = RunPictures("'" + rle + "' '" + (dir / "rle") + "'", &status);
    EXPECT_EQ(status, 0) << out;
    auto bytes = testsupport::ReadFile(dir / "rle/001.bmp");
    ASSERT_GT(bytes.size(), 30u);
    EXPECT_EQ(bytes[28], 24);
    EXPECT_EQ(ReadBack(dir / "rle/001.bmp").Width(), 127);
}

TEST(PicturesTool, DamageAndBadUsage) {
    testsupport::TempDir dir;
    auto first = platform::EncodeBmp24(Solid(4, 4, {9, 9, 9}));
    auto second = platform::EncodeBmp24(Solid(4, 4, {8, 8, 8}));
    std::vector<uint8_t> stream = first;
    stream.insert(stream.end(), second.begin(), second.end() - 5);  // the second is cut short
    testsupport::WriteFile(dir / "cut.jxs", stream);

    int status = -1;
    std::string out = RunPictures("'" + (dir / "cut.jxs") + "' '" + (dir / "out") + "'", &status);
    EXPECT_EQ(status, 1) << out;
    EXPECT_TRUE(fs::exists(dir / "out/001.bmp"));  // the good one is written first
    EXPECT_FALSE(fs::exists(dir / "out/002.bmp"));
    EXPECT_NE(out.find("001.bmp  offset 0 "), std::string::npos) << out;
    EXPECT_NE(out.find("picture 2 at offset " + std::to_string(first.size()) + ":"), std::string::npos) << out;
    EXPECT_EQ(out.find("pictures\n"), std::string::npos) << out;  // no count after a failure

    // Bytes that are not a picture at all after a good one.
    stream = first;
    stream.push_back('x');
    testsupport::WriteFile(dir / "tail.jxs", stream);
    out = RunPictures("'" + (dir / "tail.jxs") + "' '" + (dir / "tail") + "'", &status);
    EXPECT_EQ(status, 1) << out;

    // An empty stream holds no pictures, which is no error.
    testsupport::WriteFile(dir / "empty.jxs", std::vector<uint8_t>{});
    out = RunPictures("'" + (dir / "empty.jxs") + "' '" + (dir / "none") + "'", &status);
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("0 pictures"), std::string::npos) << out;

    out = RunPictures("'" + (dir / "missing.jxs") + "' '" + (dir / "x") + "'", &status);
    EXPECT_EQ(status, 1) << out;
    RunPictures("", &status);
    EXPECT_EQ(status, 2);
    RunPictures("'" + (dir / "cut.jxs") + "'", &status);
    EXPECT_EQ(status, 2);
    RunPictures("a b c", &status);
    EXPECT_EQ(status, 2);
}
