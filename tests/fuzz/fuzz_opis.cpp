// The description panel over any text a catalogue can give it: paragraphs with and
// without the bold mark, control characters, the paragraph-end code itself, with the
// menu's own description fonts or with fonts whose glyph widths come from the input
// (zero-width glyphs included), any line width and page size. Wrapping, paging and
// drawing must never crash, and no visible character may get lost on the way.
//
// Input: flags, line width, page size, sixteen glyph widths, then the text; each
// '\n' starts a paragraph.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/image.h"
#include "platform/stream.h"
#include "tests/widgets/widget_test_fonts.h"
#include "tools/lib/fontcompiler.h"
#include "tools/lib/fontpack.h"
#include "widgets/Cjxopiswinu.h"

namespace {

constexpr size_t kHead = 3 + 16;

// Two panels kept for the whole run, since reading fonts costs far more than a run
// of the panel itself: one with the description's regular and bold records of the
// menu's font stream (the fonts a built disc carries), one with made-up fonts whose
// widths each input sets.
CJXOpisWin& MenuFontPanel() {
    static CJXOpisWin* win = [] {
        const std::vector<tool::FontRecordParts> parts = tool::SplitFontStream(tool::CompileMenuFontStream());
        std::vector<uint8_t> both = parts.at(3).Bytes();
        const std::vector<uint8_t> bold = parts.at(4).Bytes();
        both.insert(both.end(), bold.begin(), bold.end());
        platform::MemoryStream stream(both);
        auto* w = new CJXOpisWin;
        w->LoadFonts(stream);
        return w;
    }();
    return *win;
}

CJXOpisWin& MadeUpFontPanel() {
    static CJXOpisWin* win = [] {
        auto* w = new CJXOpisWin;
        for (int f = 0; f < 2; ++f) wtest::MakeFont(w->fonts[f], 60 + f, 5, 15);
        return w;
    }();
    return *win;
}

// Characters that can be seen: everything the panel's trimming keeps.
size_t Visible(std::string_view s) {
    size_t n = 0;
    for (char c : s) n += static_cast<unsigned char>(c) > 32;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < kHead) return 0;
    const bool menuFonts = data[0] & 1;
    const bool skin = data[0] & 2;
    const int maxLineWidth = data[1] * 2;
    const int linesPerPage = data[2] % 40 - 2;
    const std::string_view text(reinterpret_cast<const char*>(data + kHead), size - kHead);

    platform::Image surface(300, 300);
    surface.FillAll({0x10, 0x13, 0x22});
    CJXOpisWin& win = menuFonts ? MenuFontPanel() : MadeUpFontPanel();
    if (!menuFonts) {
        for (int f = 0; f < 2; ++f)
            for (int c = 0; c < 256; ++c) {
                win.fonts[f].glyphMetrics[c].width = data[3 + (c + f) % 16];
                // Some glyphs join their neighbours, as the pair table allows.
                win.fonts[f].pairFlags[c] = {static_cast<uint16_t>(c % 3 == 0), static_cast<uint16_t>(c % 5 == 0)};
            }
    }
    win.Clear();
    win.Init(20, 30, 237, 250, linesPerPage, &surface, maxLineWidth, skin ? &surface : nullptr);

    std::vector<std::string> paragraphs;
    for (size_t pos = 0; pos <= text.size();) {
        size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        paragraphs.emplace_back(text.substr(pos, end - pos));
        pos = end + 1;
    }

    // One paragraph at a time, so that each one's lines can be told apart.
    for (const std::string& p : paragraphs) {
        const size_t before = win.Lines().size();
        win.AddParagraphs({p});
        const bool bold = std::string_view(p).substr(0, 3) == CJXOpisWin::kBoldMark;
        size_t seen = 0;
        for (size_t i = before; i < win.Lines().size(); ++i) {
            std::string_view line = win.Lines()[i];
            if (bold) {
                if (line.substr(0, 3) != CJXOpisWin::kBoldMark) std::abort();
                line.remove_prefix(3);
            }
            seen += Visible(line);
        }
        if (seen != Visible(bold ? std::string_view(p).substr(3) : std::string_view(p))) std::abort();
    }
    if (win.LineCount() != static_cast<int>(win.Lines().size())) std::abort();

    // Paging as the description's scroll bar and wheel do it.
    win.SetTop(0, false);
    win.Paint();
    for (int i = 0; i < 3; ++i) win.ScrollDown(1);
    win.ScrollDown(win.LinesPerPage());
    win.SetTop(win.LineCount() / 2, true);
    win.ScrollUp(2);
    win.SetTop(-7, true);
    win.SetTop(1 << 30, true);
    if (win.TopLine() < 0 || (win.TopLine() > 0 && win.TopLine() > win.LineCount() - win.LinesPerPage())) std::abort();
    win.ScrollUp(1 << 30);
    if (win.TopLine() != 0) std::abort();

    // The next selection reuses the panel.
    win.Clear();
    win.AddParagraphs({std::string(text.substr(0, 64))});
    win.Paint();
    return 0;
}
