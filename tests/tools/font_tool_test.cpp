// The font compiler's output as the menu's own font code sees it, and the vemi-disc
// font commands.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/bmp.h"
#include "platform/image.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "tools/lib/fontcompiler.h"
#include "widgets/Cjxfontfileu.h"

namespace fs = std::filesystem;
using platform::Image;
using platform::MemoryStream;
using platform::Rgb;
using testsupport::RunCommand;
using testsupport::TempDir;
using testsupport::ToolPath;

namespace {

const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu";

bool HaveDejaVu() { return fs::exists(kDejaVu + "/DejaVuSans.ttf") && fs::exists(kDejaVu + "/DejaVuSans-Bold.ttf"); }

std::string Cp(const char* utf8) { return platform::Utf8ToCp1250(utf8); }

// The eleven fonts of the menu, compiled once for all the tests below.
class MenuFonts : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!HaveDejaVu()) return;
        roles_ = new std::vector<tool::FontRecipe>(tool::MenuFontRoles(kDejaVu));
        stream_ = new std::vector<uint8_t>(tool::CompileMenuFontStream(kDejaVu));
        fonts_ = new CJXFontFile[11];
        MemoryStream s(*stream_);
        for (int i = 0; i < 11; ++i) results_[i] = fonts_[i].Load(s);
        consumed_ = s.Position() == s.Size();
    }
    static void TearDownTestSuite() {
        delete roles_;
        delete stream_;
        delete[] fonts_;
        roles_ = nullptr;
        stream_ = nullptr;
        fonts_ = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(HaveDejaVu()) << "DejaVu fonts are missing (scripts/setup.sh installs them)";
    }
    static Rgb Background(int i) { return (*roles_)[i].background; }
    // One character alone, drawn on the role's own background.
    static Image Render(int i, uint8_t ch, int x = 0) {
        Image img(60, fonts_[i].cellHeight);
        img.FillAll(Background(i));
        fonts_[i].DrawChar(img, x, 0, ch);
        return img;
    }
    static bool Ink(const Image& img, int i, int x, int y) { return !(img.Pixel(x, y) == Background(i)); }

    static std::vector<tool::FontRecipe>* roles_;
    static std::vector<uint8_t>* stream_;
    static CJXFontFile* fonts_;
    static int results_[11];
    static bool consumed_;
};

std::vector<tool::FontRecipe>* MenuFonts::roles_ = nullptr;
std::vector<uint8_t>* MenuFonts::stream_ = nullptr;
CJXFontFile* MenuFonts::fonts_ = nullptr;
int MenuFonts::results_[11] = {};
bool MenuFonts::consumed_ = false;

bool Same(const Image& a, const Image& b) {
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (!(a.Pixel(x, y) == b.Pixel(x, y))) return false;
    return a.Width() == b.Width() && a.Height() == b.Height();
}

}  // namespace

TEST_F(MenuFonts, StreamHoldsElevenLoadableRecordsEndToEnd) {
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(results_[i], 0) << tool::MenuFontRoleName(i);
        EXPECT_GE(fonts_[i].version, 258);
        EXPECT_FALSE(fonts_[i].maskImage.Empty());
        EXPECT_EQ(fonts_[i].glyphImage.Width(), 256 * fonts_[i].cellWidth);
        EXPECT_STRNE(tool::MenuFontRoleName(i), "");
    }
    EXPECT_TRUE(consumed_);
    // Rows of the list are 17 pixels; lines of the description 15.
    for (int i = 7; i < 11; ++i) EXPECT_EQ(fonts_[i].cellHeight, 17) << tool::MenuFontRoleName(i);
    EXPECT_LE(fonts_[3].cellHeight, 15);
    EXPECT_LE(fonts_[4].cellHeight, 15);
}

TEST_F(MenuFonts, EveryLetterOfThePangramInksItsOwnPlace) {
    const std::string text = Cp("Zażółć gęślą jaźń");
    for (int i = 0; i < 11; ++i) {
        CJXFontFile& f = fonts_[i];
        const int left = 10, width = f.TextWidthKerned(text);
        Image img(width + 2 * left, f.cellHeight);
        img.FillAll(Background(i));
        f.DrawTextKerned(img, left, 0, text);
        // Work out every glyph's place from the record's own tables.
        int x = left;
        for (size_t k = 0; k < text.size(); ++k) {
            const uint8_t ch = static_cast<uint8_t>(text[k]);
            const int g = f.charMap[ch], w = f.glyphMetrics[g].width;
            EXPECT_GT(w, 0) << tool::MenuFontRoleName(i) << " char " << k;
            if (ch != ' ') {
                bool inked = false;
                for (int px = x; px < x + w && !inked; ++px)
                    for (int y = 0; y < img.Height() && !inked; ++y) inked = Ink(img, i, px, y);
                EXPECT_TRUE(inked) << tool::MenuFontRoleName(i) << " char " << k;
            }
            if (k + 1 < text.size()) {
                const int next = f.charMap[static_cast<uint8_t>(text[k + 1])];
                bool joined = f.pairFlags[g].joinRight == 1 && f.pairFlags[next].joinLeft == 1;
                x += w + (joined ? 0 : 1);
            } else {
                x += w;
            }
        }
        EXPECT_EQ(x - left, width);
        // Nothing spills outside the measured width.
        for (int y = 0; y < img.Height(); ++y)
            for (int px : {left - 1, left + width}) EXPECT_FALSE(Ink(img, i, px, y)) << tool::MenuFontRoleName(i);
    }
}

TEST_F(MenuFonts, JoinedPairsNeverRunTheirStrokesTogether) {
    // The pair table only closes the gap where neither glyph's ink reaches the
    // seam; text drawn with it must never show two strong strokes side by side
    // across a seam that the gap would have kept apart.
    const std::string letters = Cp("AVTWYLfrtvwxyzjgkoóżąęłńśćźABCDEFGHIJKMNOPQRSUXZŁŚŻ0147.,-/");
    for (int i : {0, 3, 4, 7, 8}) {
        const CJXFontFile& f = fonts_[i];
        const Rgb bg = Background(i), ink = (*roles_)[i].ink;
        auto strong = [&](Rgb p) { return std::abs(p.g - bg.g) * 2 > std::abs(ink.g - bg.g); };
        int joined = 0;
        for (char a : letters)
            for (char b : letters) {
                const int ga = f.charMap[static_cast<uint8_t>(a)], gb = f.charMap[static_cast<uint8_t>(b)];
                if (!(f.pairFlags[ga].joinRight == 1 && f.pairFlags[gb].joinLeft == 1)) continue;
                ++joined;
                const int seam = f.glyphMetrics[ga].width;  // first column of b, drawn at x = 0
                for (int y = 0; y < f.cellHeight; ++y) {
                    bool left = strong(f.glyphImage.Pixel(ga * f.cellWidth + seam - 1, y));
                    bool right = strong(f.glyphImage.Pixel(gb * f.cellWidth, y));
                    EXPECT_FALSE(left && right) << tool::MenuFontRoleName(i) << " " << a << b << " row " << y;
                }
            }
        // Most pairs of ordinary letters do join: the font keeps its own spacing.
        EXPECT_GT(joined, static_cast<int>(letters.size() * letters.size()) / 4) << tool::MenuFontRoleName(i);
    }
}

TEST_F(MenuFonts, PolishLettersAreNotTheirBaseLetters) {
    const char* pairs[][2] = {{"ą", "a"}, {"ć", "c"}, {"ę", "e"}, {"ł", "l"}, {"ń", "n"}, {"ó", "o"}, {"ś", "s"},
                              {"ź", "z"}, {"ż", "z"}, {"ź", "ż"}, {"Ą", "A"}, {"Ć", "C"}, {"Ę", "E"}, {"Ł", "L"},
                              {"Ń", "N"}, {"Ó", "O"}, {"Ś", "S"}, {"Ź", "Z"}, {"Ż", "Z"}};
    for (int i = 0; i < 11; ++i)
        for (auto& p : pairs) {
            const std::string a = Cp(p[0]), b = Cp(p[1]);
            ASSERT_EQ(a.size(), 1u);
            EXPECT_FALSE(Same(Render(i, a[0]), Render(i, b[0]))) << tool::MenuFontRoleName(i) << " " << p[0] << " " << p[1];
        }
}

TEST_F(MenuFonts, ColoursAreFinishedAndTheMaskIsBinary) {
    for (int i = 0; i < 11; ++i) {
        const Rgb bg = Background(i), ink = (*roles_)[i].ink;
        const CJXFontFile& f = fonts_[i];
        bool fullInk = false;
        // Letters only: every pixel lies between the background and the ink,
        // channel by channel, and the stems come close to the ink itself (a stem
        // at these sizes is not always a whole pixel wide).
        const std::string letters = Cp("IlHżŁ");
        for (char c : letters) {
            const int g = f.charMap[static_cast<uint8_t>(c)];
            for (int y = 0; y < f.cellHeight; ++y)
                for (int x = 0; x < f.glyphMetrics[g].width; ++x) {
                    Rgb p = f.glyphImage.Pixel(g * f.cellWidth + x, y);
                    auto between = [](int v, int a, int b) { return v >= std::min(a, b) && v <= std::max(a, b); };
                    EXPECT_TRUE(between(p.r, bg.r, ink.r) && between(p.g, bg.g, ink.g) && between(p.b, bg.b, ink.b))
                        << tool::MenuFontRoleName(i) << " " << x << "," << y;
                    fullInk = fullInk || (std::abs(p.r - ink.r) <= 16 && std::abs(p.g - ink.g) <= 16 && std::abs(p.b - ink.b) <= 16);
                }
        }
        EXPECT_TRUE(fullInk) << tool::MenuFontRoleName(i);
        for (int y = 0; y < f.maskImage.Height(); ++y)
            for (int x = 0; x < f.maskImage.Width(); x += 3) {
                Rgb m = f.maskImage.Pixel(x, y);
                ASSERT_TRUE(m == (Rgb{0, 0, 0}) || m == (Rgb{255, 255, 255})) << tool::MenuFontRoleName(i);
            }
    }
}

TEST_F(MenuFonts, SpacesAndControlCodes) {
    for (int i = 0; i < 11; ++i) {
        const CJXFontFile& f = fonts_[i];
        EXPECT_GT(f.glyphMetrics[f.charMap[' ']].width, 0) << tool::MenuFontRoleName(i);
        // The paragraph-end mark and the other control codes leave no trace.
        const Image blank = Render(i, ' ', 100);
        for (int c : {0, 1, 8, 9, 10, 13, 31, 127}) EXPECT_TRUE(Same(Render(i, static_cast<uint8_t>(c)), blank)) << c;
        EXPECT_EQ(f.glyphMetrics[f.charMap[8]].width, 0);
    }
}

TEST_F(MenuFonts, TreeLinesJoinFromRowToRowAndGroupsHaveTheirBox) {
    for (int i = 7; i < 11; ++i) {
        const std::string role = tool::MenuFontRoleName(i);
        const int h = fonts_[i].cellHeight, last = h - 1;
        // Program variants go 11 pixels into a list column, group variants 5.
        auto program = [&](int code) { return Render(i, static_cast<uint8_t>(code), 11); };
        auto group = [&](int code) { return Render(i, static_cast<uint8_t>(code), 5); };

        const Image pass = program(169);
        int line = -1;
        for (int x = 0; x < 60 && line < 0; ++x) {
            bool full = true;
            for (int y = 0; y < h; ++y) full = full && Ink(pass, i, x, y);
            if (full) line = x;
        }
        ASSERT_GE(line, 0) << role << ": the passing line must run the full row";

        struct Ends {
            int code;
            bool isGroup, up, down;
        };
        const Ends ends[] = {{170, false, true, true},  {171, false, true, false}, {172, false, false, true},
                             {161, true, false, true},  {162, true, false, true},  {164, true, true, true},
                             {166, true, true, true},   {167, true, true, false},  {168, true, true, false}};
        for (const Ends& e : ends) {
            const Image img = e.isGroup ? group(e.code) : program(e.code);
            EXPECT_EQ(Ink(img, i, line, 0), e.up) << role << " " << e.code;
            EXPECT_EQ(Ink(img, i, line, last), e.down) << role << " " << e.code;
            // A horizontal branch leads towards the text, which starts at 24.
            int right = -1;
            for (int x = 0; x < 60; ++x)
                for (int y = 0; y < h; ++y)
                    if (Ink(img, i, x, y)) right = std::max(right, x);
            EXPECT_GE(right, 18) << role << " " << e.code;
            EXPECT_LT(right, 24) << role << " " << e.code;
        }

        // The box: a closed frame inside the part of the column that takes clicks.
        for (int code : {161, 162, 164, 166, 167, 168}) {
            const Image img = group(code);
            bool found = false;
            for (int x0 = 0; x0 <= 10 && !found; ++x0)
                for (int x1 = x0 + 4; x1 <= 14 && !found; ++x1)
                    for (int y0 = 0; y0 + 4 < h && !found; ++y0)
                        for (int y1 = y0 + 4; y1 < h && !found; ++y1) {
                            bool frame = true;
                            for (int x = x0; x <= x1; ++x) frame = frame && Ink(img, i, x, y0) && Ink(img, i, x, y1);
                            for (int y = y0; y <= y1; ++y) frame = frame && Ink(img, i, x0, y) && Ink(img, i, x1, y);
                            // Centred on the tree line, so the lines above and below meet it.
                            found = frame && (x0 + x1) / 2 == line && (x0 + x1) % 2 == 0;
                        }
            EXPECT_TRUE(found) << role << " " << code;
        }
        // Open and closed differ (minus and plus), nothing else does.
        EXPECT_FALSE(Same(group(161), group(162))) << role;
        EXPECT_FALSE(Same(group(164), group(166))) << role;
        EXPECT_FALSE(Same(group(167), group(168))) << role;
    }
}

TEST_F(MenuFonts, TreeLinesReplaceOnlyTheirOwnCodes) {
    // Ł and Ą sit between the tree-line codes and must stay letters.
    tool::FontRecipe plainRole = (*roles_)[7];
    plainRole.treeLines = false;
    std::vector<uint8_t> bytes = tool::CompileFont(plainRole);
    MemoryStream s(bytes);
    CJXFontFile plain;
    ASSERT_EQ(plain.Load(s), 0);
    auto draw = [](CJXFontFile& f, int code, Rgb bg) {
        Image img(40, f.cellHeight);
        img.FillAll(bg);
        f.DrawChar(img, 0, 0, static_cast<uint8_t>(code));
        return img;
    };
    const Rgb bg = Background(7);
    for (int code = 0; code < 256; ++code) {
        bool tree = code >= 161 && code <= 172 && code != 163 && code != 165;
        EXPECT_EQ(Same(draw(fonts_[7], code, bg), draw(plain, code, bg)), !tree) << code;
    }
}

TEST(FontCompiler, VersionsDecideWhatTheRecordCarries) {
    ASSERT_TRUE(HaveDejaVu()) << "DejaVu fonts are missing (scripts/setup.sh installs them)";
    tool::FontRecipe want;
    want.ttfPath = kDejaVu + "/DejaVuSans.ttf";
    want.pixelSize = 9;
    want.background = {0, 0, 0x40};
    size_t sizes[3] = {};
    for (uint16_t v : {256, 257, 258}) {
        want.version = v;
        std::vector<uint8_t> r = tool::CompileFont(want);
        sizes[v - 256] = r.size();
        MemoryStream s(r);
        CJXFontFile f;
        ASSERT_EQ(f.Load(s), 0) << v;
        EXPECT_EQ(s.Position(), s.Size()) << v;
        EXPECT_EQ(f.version, v);
        EXPECT_EQ(f.maskImage.Empty(), v == 256);
        if (v == 256) {
            // The opaque font copies its cell: the glyph's background comes along.
            Image img(30, f.cellHeight);
            img.FillAll({255, 0, 0});
            f.DrawChar(img, 0, 0, 'o');
            EXPECT_EQ(img.Pixel(0, 0), want.background);
        }
    }
    const size_t tables = 64 + 256 + 1024;
    const size_t picture = sizes[0] - tables;
    EXPECT_EQ(sizes[1], tables + 2 * picture);
    EXPECT_EQ(sizes[2], tables + 1024 + 2 * picture);

    want.version = 255;
    EXPECT_THROW(tool::CompileFont(want), std::exception);
    want.version = 258;
    want.ttfPath = "/nonexistent/font.ttf";
    EXPECT_THROW(tool::CompileFont(want), std::runtime_error);
}

// ---- the vemi-disc commands ----

namespace {

std::string Tool(const std::string& args, int* status) {
    std::string out;
    *status = RunCommand(ToolPath() + " " + args + " 2>&1", &out);
    return out;
}

std::string ReadText(const std::string& path) {
    std::ifstream f(path);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

}  // namespace

TEST(FontTool, FontCommandWritesARecordWithTheAskedColours) {
    ASSERT_TRUE(HaveDejaVu()) << "DejaVu fonts are missing (scripts/setup.sh installs them)";
    TempDir dir;
    int st = -1;
    std::string out = Tool("font " + kDejaVu + "/DejaVuSans-Bold.ttf 14 " + (dir / "a.jxf") + " --ink FF0000 --background 000010 --version 257", &st);
    ASSERT_EQ(st, 0) << out;
    std::vector<uint8_t> bytes = testsupport::ReadFile(dir / "a.jxf");
    MemoryStream s(bytes);
    CJXFontFile f;
    ASSERT_EQ(f.Load(s), 0);
    EXPECT_EQ(s.Position(), s.Size());
    EXPECT_EQ(f.version, 257);
    EXPECT_EQ(f.glyphImage.Pixel(0, 0), (Rgb{0, 0, 0x10}));
    bool red = false;
    const int g = f.charMap['I'];
    for (int y = 0; y < f.cellHeight; ++y)
        for (int x = 0; x < f.glyphMetrics[g].width; ++x) red = red || f.glyphImage.Pixel(g * f.cellWidth + x, y) == Rgb{255, 0, 0};
    EXPECT_TRUE(red);

    ASSERT_EQ((Tool("font " + kDejaVu + "/DejaVuSans.ttf 11 " + (dir / "t.jxf") + " --tree-lines --cell-height 17", &st), st), 0);
    bytes = testsupport::ReadFile(dir / "t.jxf");
    MemoryStream ts(bytes);
    CJXFontFile t;
    ASSERT_EQ(t.Load(ts), 0);
    EXPECT_EQ(t.version, 258);
    EXPECT_EQ(t.cellHeight, 17);
    EXPECT_GT(t.glyphMetrics[169].width, 0);

    const std::string ttf = kDejaVu + "/DejaVuSans.ttf ";
    const std::string o = dir / "x.jxf";
    struct Case {
        std::string args;
        int status;
    };
    const Case cases[] = {
        {"font", 2},
        {"font " + ttf + "12", 2},
        {"font " + ttf + "12 " + o + " --bold", 2},
        {"font " + ttf + "12 " + o + " --ink", 2},
        {"font " + ttf + "huge " + o, 1},
        {"font " + ttf + "2 " + o, 1},
        {"font " + ttf + "12 " + o + " --ink 12345", 1},
        {"font " + ttf + "12 " + o + " --background GG0000", 1},
        {"font " + ttf + "12 " + o + " --version 255", 1},
        {"font /nonexistent.ttf 12 " + o, 1},
    };
    for (const Case& c : cases) {
        out = Tool(c.args, &st);
        EXPECT_EQ(st, c.status) << c.args << "\n" << out;
        EXPECT_FALSE(out.empty()) << c.args;
    }
    EXPECT_FALSE(fs::exists(o));
}

TEST(FontTool, UnpackAndPackGiveTheStreamBackByteForByte) {
    ASSERT_TRUE(HaveDejaVu()) << "DejaVu fonts are missing (scripts/setup.sh installs them)";
    TempDir dir;
    tool::FontRecipe want;
    want.ttfPath = kDejaVu + "/DejaVuSans.ttf";
    want.pixelSize = 8;
    std::vector<uint8_t> stream;
    for (uint16_t v : {256, 257, 258}) {
        want.version = v;
        want.treeLines = v == 258;
        auto r = tool::CompileFont(want);
        stream.insert(stream.end(), r.begin(), r.end());
    }
    // A fourth record with every kind of byte in its reserved fields, an odd map
    // and pair flags other than 0 and 1.
    want.version = 258;
    auto r = tool::CompileFont(want);
    for (int i = 0; i < 64; ++i)
        if (i < 14 || i == 16 || i == 17 || i >= 22) r[i] = static_cast<uint8_t>(i * 37 + 5);
    for (int c = 0; c < 256; ++c) r[64 + c] = static_cast<uint8_t>(255 - c);
    r[64 + 256 + 1024 + 4 * 65] = 7;
    stream.insert(stream.end(), r.begin(), r.end());
    testsupport::WriteFile(dir / "fdata.jxs", stream);

    int st = -1;
    std::string out = Tool("fonts " + (dir / "fdata.jxs") + " " + (dir / "un"), &st);
    ASSERT_EQ(st, 0) << out;
    EXPECT_NE(out.find("4 font records"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir / "un/01/mask.bmp"));
    EXPECT_TRUE(fs::exists(dir / "un/02/mask.bmp"));
    EXPECT_NE(ReadText(dir / "un/01/header.txt").find("version 256"), std::string::npos);
    EXPECT_NE(ReadText(dir / "un/04/header.txt").find("glyph 65 "), std::string::npos);

    out = Tool("fonts-pack " + (dir / "un") + " " + (dir / "again.jxs"), &st);
    ASSERT_EQ(st, 0) << out;
    EXPECT_TRUE(testsupport::ReadFile(dir / "again.jxs") == stream);

    // Edits come through: a width in header.txt and a pixel in glyph.bmp.
    std::string header = ReadText(dir / "un/03/header.txt");
    const size_t at = header.find("\nglyph 65 ");
    ASSERT_NE(at, std::string::npos);
    const size_t end = header.find('\n', at + 1);
    header.replace(at + 1, end - at - 1, "glyph 65 3 9 1 1");
    testsupport::WriteFile(dir / "un/03/header.txt", header);
    {
        std::vector<uint8_t> b = testsupport::ReadFile(dir / "un/03/glyph.bmp");
        MemoryStream bs(b);
        Image img;
        ASSERT_TRUE(platform::ReadBmp(bs, img));
        img.SetPixel(1, 1, {1, 2, 3});
        testsupport::WriteFile(dir / "un/03/glyph.bmp", platform::EncodeBmp24(img));
    }
    ASSERT_EQ((Tool("fonts-pack " + (dir / "un") + " " + (dir / "edited.jxs"), &st), st), 0);
    std::vector<uint8_t> edited = testsupport::ReadFile(dir / "edited.jxs");
    EXPECT_EQ(edited.size(), stream.size());
    MemoryStream es(edited);
    CJXFontFile fonts[4];
    for (CJXFontFile& f : fonts) ASSERT_EQ(f.Load(es), 0);
    EXPECT_EQ(fonts[2].glyphMetrics[65].width, 3);
    EXPECT_EQ(fonts[2].glyphMetrics[65].height, 9);
    EXPECT_EQ(fonts[2].glyphImage.Pixel(1, 1), (Rgb{1, 2, 3}));
    EXPECT_EQ(fonts[3].charMap[0], 255);
    EXPECT_EQ(fonts[3].pairFlags[65].joinLeft, 7);
    EXPECT_EQ(fonts[3].header[30], static_cast<uint8_t>(30 * 37 + 5));

    // A picture of another size is refused, and so is a header line it cannot read.
    testsupport::WriteFile(dir / "un/02/mask.bmp", platform::EncodeBmp24(Image(5, 5)));
    out = Tool("fonts-pack " + (dir / "un") + " " + (dir / "bad.jxs"), &st);
    EXPECT_EQ(st, 1);
    EXPECT_NE(out.find("mask.bmp"), std::string::npos) << out;
    fs::remove(dir / "un/02/mask.bmp");
    fs::copy_file(dir / "un/02/glyph.bmp", dir / "un/02/mask.bmp");
    testsupport::WriteFile(dir / "un/01/header.txt", std::string("version 256\ncell 4 x 4\nwidth 9\n"));
    out = Tool("fonts-pack " + (dir / "un") + " " + (dir / "bad.jxs"), &st);
    EXPECT_EQ(st, 1);
    EXPECT_NE(out.find("header.txt:3"), std::string::npos) << out;
    fs::create_directories(dir / "empty");
    out = Tool("fonts-pack " + (dir / "empty") + " " + (dir / "bad.jxs"), &st);
    EXPECT_EQ(st, 1);
    EXPECT_NE(out.find("no numbered record folders"), std::string::npos) << out;
}

TEST(FontTool, DamagedStreamsAreRefusedWithTheRecordNamed) {
    ASSERT_TRUE(HaveDejaVu()) << "DejaVu fonts are missing (scripts/setup.sh installs them)";
    TempDir dir;
    tool::FontRecipe want;
    want.ttfPath = kDejaVu + "/DejaVuSans.ttf";
    want.pixelSize = 8;
    std::vector<uint8_t> one = tool::CompileFont(want), stream;
    for (int i = 0; i < 3; ++i) stream.insert(stream.end(), one.begin(), one.end());

    int st = -1;
    // Cut inside the third record's glyph picture.
    testsupport::WriteFile(dir / "cut.jxs", std::vector<uint8_t>(stream.begin(), stream.end() - one.size() + 3000));
    std::string out = Tool("fonts " + (dir / "cut.jxs") + " " + (dir / "un"), &st);
    EXPECT_EQ(st, 1);
    EXPECT_NE(out.find("font record 3"), std::string::npos) << out;
    // Cut inside the second record's tables.
    testsupport::WriteFile(dir / "short.jxs", std::vector<uint8_t>(stream.begin(), stream.begin() + one.size() + 100));
    out = Tool("fonts " + (dir / "short.jxs") + " " + (dir / "un2"), &st);
    EXPECT_EQ(st, 1);
    EXPECT_NE(out.find("font record 2"), std::string::npos) << out;
    out = Tool("font-sample " + (dir / "short.jxs") + " " + (dir / "s.bmp"), &st);
    EXPECT_EQ(st, 1) << out;
    EXPECT_EQ((Tool("fonts " + (dir / "missing.jxs") + " " + (dir / "un3"), &st), st), 1);
    EXPECT_EQ((Tool("fonts " + (dir / "cut.jxs"), &st), st), 2);
}

TEST(FontTool, SampleSheetShowsEveryFont) {
    ASSERT_TRUE(HaveDejaVu()) << "DejaVu fonts are missing (scripts/setup.sh installs them)";
    TempDir dir;
    int st = -1;
    std::string out = Tool("fonts-build-default " + (dir / "f"), &st);
    ASSERT_EQ(st, 0) << out;
    std::vector<uint8_t> stream = testsupport::ReadFile(dir / "f/fdata.jxs");
    EXPECT_TRUE(stream == tool::CompileMenuFontStream(kDejaVu));
    out = Tool("font-sample " + (dir / "f/fdata.jxs") + " " + (dir / "s.bmp"), &st);
    ASSERT_EQ(st, 0) << out;
    std::vector<uint8_t> bmp = testsupport::ReadFile(dir / "s.bmp");
    EXPECT_TRUE(bmp == testsupport::ReadFile(dir / "f/sample.bmp"));
    MemoryStream bs(bmp);
    Image img;
    ASSERT_TRUE(platform::ReadBmp(bs, img));
    // Eleven text lines, each a band of ink with blank rows around it, then the
    // list, whose tree lines make one more band.
    int bands = 0;
    bool previous = false;
    for (int y = 0; y < img.Height(); ++y) {
        bool inked = false;
        for (int x = 0; x < img.Width() && !inked; ++x) inked = !(img.Pixel(x, y) == Rgb{0x10, 0x13, 0x22});
        if (inked && !previous) ++bands;
        previous = inked;
    }
    EXPECT_EQ(bands, 12);
}
