#include "widgets/Cjxopiswinu.h"

#include <algorithm>

using platform::Image;
using platform::RasterOp;

namespace {
// Strips control characters and spaces from both ends of a wrapped line.
std::string_view Trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
    return s.substr(b, e - b);
}
}  // namespace

void CJXOpisWin::LoadFonts(platform::MemoryStream& stream) {
    // A font that fails leaves the text blank; the panel itself still works.
    fonts[kFontNormal].Load(stream);
    fonts[kFontBold].Load(stream);
}

void CJXOpisWin::Init(int left, int top, int width, int height, int linesPerPage, Image* surface, int maxLineWidth,
                      const Image* background) {
    surface_ = surface;
    maxLineWidth_ = maxLineWidth;
    left_ = left;
    top_ = top;
    width_ = std::max(width, 0);
    height_ = std::max(height, 0);
    offscreen_.Create(width_, height_);
    background_.Create(width_, height_);
    if (background)
        background_.CopyRect(0, 0, width_, height_, *background, left, top, RasterOp::Copy);
    else
        background_.FillAll({0, 0, 0});
    // A page of no lines would divide by zero below; one line is the least that
    // makes a panel.
    linesPerPage_ = std::max(linesPerPage, 1);
    lineHeight_ = height_ / linesPerPage_;
    topLine_ = 0;
    lineCount_ = 0;
}

void CJXOpisWin::Clear() {
    lines_.clear();
    lineCount_ = 0;
}

void CJXOpisWin::Wrap(std::string_view p) {
    std::string prefix;
    const CJXFontFile* font = &fonts[kFontNormal];
    if (p.substr(0, kBoldMark.size()) == kBoldMark) {
        p.remove_prefix(kBoldMark.size());
        prefix = kBoldMark;
        font = &fonts[kFontBold];
    }

    std::string cur;
    for (char ch : p) {
        cur += ch;
        if (font->TextWidthKerned(cur) <= maxLineWidth_) continue;
        // Break at the last space, but a space in the first position does not count:
        // a line never consists of nothing but the carried-over part.
        size_t n = 0;  // 1-based position of that space, 0 for none
        for (size_t i = cur.size(); i >= 2; --i) {
            if (cur[i - 1] == ' ') {
                n = i;
                break;
            }
        }
        std::string line;
        if (n > 0) {
            line = cur.substr(0, n - 1);
            cur.erase(0, n);
        } else {
            // No space to break at: the character that overflowed starts the next line.
            line = cur.substr(0, cur.size() - 1);
            cur.erase(0, cur.size() - 1);
        }
        lines_.push_back(prefix + std::string(Trim(line)));
    }
    if (!cur.empty()) lines_.push_back(prefix + std::string(Trim(cur)) + kParagraphEnd);
}

int CJXOpisWin::AddParagraphs(const std::vector<std::string>& paragraphs) {
    for (const std::string& p : paragraphs) Wrap(p);
    lineCount_ = static_cast<int>(lines_.size());
    return lineCount_;
}

void CJXOpisWin::Paint() {
    offscreen_.DrawImage(0, 0, background_);
    for (int i = 0; i < linesPerPage_ && i < lineCount_; ++i) {
        const int index = topLine_ + i;
        std::string_view text = (index >= 0 && index < lineCount_) ? std::string_view(lines_[index]) : kEndOfFile;
        CJXFontFile* font = &fonts[kFontNormal];
        if (text.substr(0, kBoldMark.size()) == kBoldMark) {
            text.remove_prefix(kBoldMark.size());
            font = &fonts[kFontBold];
        }
        font->DrawTextKerned(offscreen_, 0, i * lineHeight_, text);
    }
    if (surface_) surface_->DrawImage(left_, top_, offscreen_);
}

void CJXOpisWin::SetTop(int line, bool paint) {
    if (lineCount_ < linesPerPage_)
        topLine_ = 0;
    else
        topLine_ = std::clamp(line, 0, lineCount_ - linesPerPage_);
    if (paint) Paint();
}

void CJXOpisWin::ScrollUp(int n) {
    topLine_ = n > topLine_ ? 0 : topLine_ - n;
    Paint();
}

void CJXOpisWin::ScrollDown(int n) {
    if (lineCount_ - (topLine_ + n) > linesPerPage_)
        topLine_ += n;
    else
        topLine_ = std::max(lineCount_ - linesPerPage_, 0);
    Paint();
}

void CJXOpisWin::Free() {
    fonts[kFontNormal].Unload();
    fonts[kFontBold].Unload();
    offscreen_.Reset();
    background_.Reset();
}
