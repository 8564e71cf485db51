// The description panel: the selected program's paragraphs, word-wrapped to the
// panel's width with the bitmap fonts and drawn a page at a time over a snapshot of
// the skin. A paragraph that starts with "#B#" is set in the bold font.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/image.h"
#include "platform/stream.h"
#include "widgets/Cjxfontfileu.h"

class CJXOpisWin {
public:
    enum FontIndex { kFontNormal = 0, kFontBold = 1 };
    // A stored line of a bold paragraph starts with this; Paint strips it again.
    static constexpr std::string_view kBoldMark = "#B#";
    // Ends the last line of every paragraph; drawn through the font like any character.
    static constexpr char kParagraphEnd = '\x08';
    // Shown for a line the panel does not have (the owner left the first line past
    // the end of a shorter text).
    static constexpr std::string_view kEndOfFile = "//END-OF-FILE";

    void LoadFonts(platform::MemoryStream& stream);
    // background: the surface whose rectangle (left, top, width, height) is the
    // panel's empty look, or null for black.
    void Init(int left, int top, int width, int height, int linesPerPage, platform::Image* surface,
              int maxLineWidth, const platform::Image* background);
    void Clear();
    int AddParagraphs(const std::vector<std::string>& paragraphs);
    void Paint();
    void SetTop(int line, bool paint);
    void ScrollUp(int n);
    void ScrollDown(int n);
    void Free();

    const std::vector<std::string>& Lines() const { return lines_; }
    int LineCount() const { return lineCount_; }
    int TopLine() const { return topLine_; }
    int LineHeight() const { return lineHeight_; }
    int LinesPerPage() const { return linesPerPage_; }
    const platform::Image& Offscreen() const { return offscreen_; }
    const platform::Image& Background() const { return background_; }

    CJXFontFile fonts[2];

private:
    void Wrap(std::string_view paragraph);

    std::vector<std::string> lines_;
    platform::Image* surface_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    int maxLineWidth_ = 0;
    int linesPerPage_ = 1;
    int lineHeight_ = 0;
    int topLine_ = 0;
    int lineCount_ = 0;
    platform::Image offscreen_;
    platform::Image background_;
};
