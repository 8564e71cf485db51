// The sample sheet: how the compiled fonts really look when the menu's own drawing
// code puts them on the panel colour.
#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>

#include "platform/stream.h"
#include "platform/text.h"
#include "tools/lib/fontcompiler.h"
#include "widgets/Cjxfontfileu.h"

namespace tool {
namespace {

using platform::Image;

constexpr platform::Rgb kNavy{0x10, 0x13, 0x22};
constexpr int kMargin = 10;
constexpr int kListRow = 17;

struct ListRow {
    int depth;
    bool group, open, selected;
    uint8_t codes[2];  // tree-line code per column, as the list keeps them
    const char* text;
};

// A few rows as the program list would show them: groups open and closed, first,
// middle and last, one selected program and one selected group.
const ListRow kRows[] = {
    {0, true, true, false, {4, 0}, "Grafika i zdjęcia"},
    {1, false, false, false, {1, 2}, "Edytor zdjęć"},
    {1, false, false, true, {1, 3}, "Przeglądarka obrazów"},
    {0, true, false, false, {2, 0}, "Internet"},
    {0, true, true, true, {2, 0}, "Narzędzia"},
    {1, false, false, false, {1, 2}, "Łatwy kalkulator"},
    {1, false, false, false, {1, 3}, "Ąbecadło"},
    {0, true, false, false, {3, 0}, "Gry"},
};

uint8_t TreeChar(int code, bool group, bool open) {
    switch (code) {
    case 1: return 169;
    case 2: return group ? (open ? 166 : 164) : 170;
    case 3: return group ? (open ? 168 : 167) : 171;
    case 4: return group ? (open ? 162 : 161) : 172;
    default: return 0;
    }
}

int DrawList(Image* img, CJXFontFile* const fonts[4], int top) {
    int width = 0;
    for (size_t i = 0; i < std::size(kRows); ++i) {
        const ListRow& r = kRows[i];
        const int y = top + static_cast<int>(i) * kListRow;
        CJXFontFile& lineFont = *fonts[r.selected ? 2 : 0];
        const std::string text = platform::Utf8ToCp1250(r.text);
        CJXFontFile& textFont = *fonts[r.group ? (r.selected ? 3 : 1) : (r.selected ? 2 : 0)];
        const int textX = kMargin + 24 + r.depth * 15;
        width = std::max(width, textX + textFont.TextWidthKerned(text));
        if (!img) continue;
        for (int c = 0; c <= r.depth; ++c) {
            uint8_t ch = TreeChar(r.codes[c], r.group, r.open);
            if (!ch) continue;
            int x = kMargin + c * 15 + ((r.group && r.codes[c] != 1) ? 5 : 11);
            lineFont.DrawText(*img, x, y, std::string(1, static_cast<char>(ch)));
        }
        textFont.DrawTextKerned(*img, textX, y, text);
    }
    return width;
}

}  // namespace

Image RenderFontSample(const std::vector<uint8_t>& stream) {
    platform::MemoryStream in(stream);
    std::vector<std::unique_ptr<CJXFontFile>> fonts;
    while (!in.AtEnd()) {
        auto f = std::make_unique<CJXFontFile>();
        if (f->Load(in) != 0) throw std::runtime_error("font record " + std::to_string(fonts.size() + 1) + " cannot be loaded");
        fonts.push_back(std::move(f));
    }
    const std::string pangram = platform::Utf8ToCp1250("Zażółć gęślą jaźń");
    auto label = [&](size_t i) {
        std::string name = fonts.size() == 11 ? MenuFontRoleName(static_cast<int>(i)) : "";
        return std::to_string(i + 1) + (name.empty() ? "" : " " + name) + ": " + pangram;
    };

    // Measure first, then draw into a picture of exactly the right size.
    int width = 2 * kMargin, height = kMargin;
    for (size_t i = 0; i < fonts.size(); ++i) {
        width = std::max(width, 2 * kMargin + fonts[i]->TextWidthKerned(label(i)));
        height += fonts[i]->cellHeight + 6;
    }
    // With the menu's eleven records, fonts 8 to 11 are the list's.
    const bool withList = fonts.size() >= 11;
    CJXFontFile* listFonts[4] = {};
    if (withList)
        for (int i = 0; i < 4; ++i) listFonts[i] = fonts[7 + i].get();
    const int listTop = height + kMargin;
    if (withList) {
        width = std::max(width, kMargin + DrawList(nullptr, listFonts, 0));
        height = listTop + static_cast<int>(std::size(kRows)) * kListRow;
    }
    height += kMargin;

    Image img(width, height);
    if (img.Empty()) throw std::runtime_error("the sample picture would be too large");
    img.FillAll(kNavy);
    int y = kMargin;
    for (size_t i = 0; i < fonts.size(); ++i) {
        fonts[i]->DrawTextKerned(img, kMargin, y, label(i));
        y += fonts[i]->cellHeight + 6;
    }
    if (withList) DrawList(&img, listFonts, listTop);
    return img;
}

}  // namespace tool
