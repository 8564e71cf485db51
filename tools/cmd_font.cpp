// Bitmap fonts: compiling records from TrueType, taking font streams apart and
// putting them together again, and the sample sheet.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/bmp.h"
#include "tools/command.h"
#include "tools/lib/fontcompiler.h"
#include "tools/lib/fontpack.h"

namespace tool {
namespace {

int Usage(const char* line) {
    std::fprintf(stderr, "usage: vemi-disc %s\n", line);
    return 2;
}

bool ParseColour(const std::string& s, platform::Rgb& out) {
    if (s.empty()) return false;
    std::string h = s[0] == '#' ? s.substr(1) : s;
    if (h.size() != 6 || h.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) return false;
    unsigned long v = std::stoul(h, nullptr, 16);
    out = {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
    return true;
}

bool ParseInt(const std::string& s, int lo, int hi, int& out) {
    if (s.empty() || s.size() > 6 || s.find_first_not_of("0123456789") != std::string::npos) return false;
    int v = std::stoi(s);
    if (v < lo || v > hi) return false;
    out = v;
    return true;
}

const char kFontUsage[] = "font TTF SIZE OUT.jxf [--ink RRGGBB] [--background RRGGBB] [--version N] [--tree-lines] [--cell-height N]";

int RunFont(const std::vector<std::string>& a) {
    if (a.size() < 3) return Usage(kFontUsage);
    FontRecipe want;
    want.ttfPath = a[0];
    if (!ParseInt(a[1], 4, 200, want.pixelSize)) return Fail("SIZE must be a pixel size from 4 to 200, not '" + a[1] + "'");
    for (size_t i = 3; i < a.size(); ++i) {
        const std::string& o = a[i];
        bool hasValue = i + 1 < a.size();
        if (o == "--tree-lines") {
            want.treeLines = true;
        } else if ((o == "--ink" || o == "--background") && hasValue) {
            if (!ParseColour(a[++i], o == "--ink" ? want.ink : want.background)) return Fail(o + " wants a colour RRGGBB, not '" + a[i] + "'");
        } else if (o == "--version" && hasValue) {
            int v = 0;
            if (!ParseInt(a[++i], 256, 65535, v)) return Fail("--version wants 256 to 65535, not '" + a[i] + "'");
            want.version = static_cast<uint16_t>(v);
        } else if (o == "--cell-height" && hasValue) {
            if (!ParseInt(a[++i], 1, 400, want.cellHeight)) return Fail("--cell-height wants 1 to 400, not '" + a[i] + "'");
        } else {
            return Usage(kFontUsage);
        }
    }
    WriteHostFile(a[2], CompileFont(want));
    return 0;
}

int RunFonts(const std::vector<std::string>& a) {
    if (a.size() != 2) return Usage("fonts STREAM DIR");
    int n = UnpackFontStream(ReadHostFile(a[0]), a[1]);
    std::printf("%d font record%s unpacked into %s\n", n, n == 1 ? "" : "s", a[1].c_str());
    return 0;
}

int RunFontsPack(const std::vector<std::string>& a) {
    if (a.size() != 2) return Usage("fonts-pack DIR STREAM");
    WriteHostFile(a[1], PackFontStream(a[0]));
    return 0;
}

int RunFontSample(const std::vector<std::string>& a) {
    if (a.size() != 2) return Usage("font-sample STREAM OUT.bmp");
    WriteHostFile(a[1], platform::EncodeBmp24(RenderFontSample(ReadHostFile(a[0]))));
    return 0;
}

int RunFontsBuildDefault(const std::vector<std::string>& a) {
    if (a.empty() || a.size() > 2) return Usage("fonts-build-default DIR [TTF-DIR]");
    const std::string dir = a[0];
    std::filesystem::create_directories(dir);
    std::vector<uint8_t> stream = a.size() == 2 ? CompileMenuFontStream(a[1]) : CompileMenuFontStream();
    WriteHostFile(dir + "/fdata.jxs", stream);
    WriteHostFile(dir + "/sample.bmp", platform::EncodeBmp24(RenderFontSample(stream)));
    return 0;
}

}  // namespace

VEMI_REGISTER_COMMAND("font", kFontUsage,
                      "compile one bitmap-font record from a TrueType font (colours as RRGGBB; version 256 opaque, 257 masked, "
                      "258 masked with pair table, the default)",
                      RunFont);
VEMI_REGISTER_COMMAND("fonts", "fonts STREAM DIR",
                      "unpack the font records of a font stream into DIR/01, DIR/02, ... (header.txt, glyph.bmp, mask.bmp)", RunFonts);
VEMI_REGISTER_COMMAND("fonts-pack", "fonts-pack DIR STREAM", "pack the record folders of DIR back into a font stream", RunFontsPack);
VEMI_REGISTER_COMMAND("font-sample", "font-sample STREAM OUT.bmp", "draw a sample line in every font of a font stream", RunFontSample);
VEMI_REGISTER_COMMAND("fonts-build-default", "fonts-build-default DIR [TTF-DIR]",
                      "compile the menu's eleven fonts into DIR/fdata.jxs and draw DIR/sample.bmp", RunFontsBuildDefault);

}  // namespace tool
