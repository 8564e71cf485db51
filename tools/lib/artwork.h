// The menu's artwork, drawn by code: the two 1024 x 768 skins, the update notice,
// the hand cursor, the thirty button pictures and the two sets of scroll-bar
// pictures. Everything that sits on top of a skin (buttons, bars) is drawn by the
// same routines as the skin beneath it, so the pieces match to the pixel.
#pragma once

#include <vector>

#include "platform/image.h"

namespace tool {
struct FontRecipe;
}

namespace art {

// Colours of the look. The "well" colours are where the program draws text with its
// bitmap fonts; they must be the very colours those fonts were smoothed against, or
// every letter would get a fringe.
struct SkinPalette {
    platform::Rgb panel{0x10, 0x13, 0x22};     // banner areas and panels
    platform::Rgb frame{0x86, 0x89, 0x95};     // frame lines
    platform::Rgb link{0x49, 0x67, 0xA3};      // link blue
    platform::Rgb linkDark{0x3B, 0x4D, 0x74};  // its shadow
    platform::Rgb bodyTop{0x23, 0x2A, 0x45};   // window body, top of the ramp
    platform::Rgb bodyBottom{0x16, 0x1A, 0x2C};
    platform::Rgb text{0xE4, 0xE8, 0xF2};      // captions
    platform::Rgb textDim{0x9A, 0x9F, 0xB0};
    platform::Rgb titleWell{0x10, 0x13, 0x22};   // catalogue title (font record 1)
    platform::Rgb statusWell{0x10, 0x13, 0x22};  // count and hints (font record 2)
    platform::Rgb linkWell{0x10, 0x13, 0x22};    // link caption (font record 3)
    platform::Rgb descWell{0x10, 0x13, 0x22};    // description (font records 4, 5)
    platform::Rgb listWell{0x10, 0x13, 0x22};    // program list (font records 8 to 11)
};

SkinPalette DefaultPalette();
// The design palette with its wells taken from the backgrounds of the menu's font
// roles (title, count, link, description, list), in stream order.
SkinPalette PaletteFromFonts(const std::vector<tool::FontRecipe>& roles);

// The hit rectangles of the main window: ids 1 to 10 (buttons), 21 to 24 (bottom
// links), 31 (screenshot) and 32 (link line); an empty rectangle for other ids.
platform::Rect LayoutRect(int id);

inline constexpr int kSkinWidth = 1024, kSkinHeight = 768;
inline constexpr platform::Rect kRightPanel{748, 133, 273, 538};
inline constexpr platform::Rect kListArea{280, 143, 439, 544};
inline constexpr platform::Rect kStatusStrip{275, 720, 550, 16};
inline constexpr platform::Rect kLinkStrip{753, 650, 262, 20};
inline constexpr platform::Rect kDescriptionArea{758, 402, 237, 250};
inline constexpr platform::Rect kScreenshotFrame{756, 141, 256, 192};
inline constexpr platform::Rect kNoticeRect{748, 305, 271, 34};
inline constexpr platform::Rect kTitleArea{270, 113, 475, 16};
inline constexpr platform::Rect kTopBanners{7, 7, 1010, 100};
inline constexpr platform::Rect kLeftBanners{7, 136, 255, 600};
inline constexpr int kListBarX = 726, kListBarY = 144, kListBarHeight = 542;
inline constexpr int kTextBarX = 999, kTextBarY = 402, kTextBarHeight = 244;

platform::Image DrawCoverSkin(const SkinPalette& pal);    // TLO_IM1
platform::Image DrawProgramSkin(const SkinPalette& pal);  // TLO_IM2
platform::Image DrawUpdateNotice(const SkinPalette& pal); // NWFTPIM, 271 x 34
// The installer's page-header picture (30 x 30), also in its about box.
platform::Image DrawInstallerPicture();

struct HandCursor {
    platform::Image picture, mask;  // 32 x 32; mask white where the cursor is opaque
    int hotX = 0, hotY = 0;
};
HandCursor DrawHandCursor();

// The thirty button pictures in stream order: state 1 (inactive) for buttons 1 to
// 10, then state 2 (normal), then state 3 (under the pointer); each the size of
// the button's layout rectangle.
std::vector<platform::Image> DrawButtonPictures(const SkinPalette& pal);

// The seven pictures of one scroll bar in stream order: background, up arrow
// pressed, up arrow lit, down arrow pressed, down arrow lit, thumb, thumb lit.
// height 542 for the list bar, 244 for the description's.
std::vector<platform::Image> DrawScrollBarPictures(const SkinPalette& pal, int height);

}  // namespace art
