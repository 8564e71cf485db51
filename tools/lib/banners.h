// The banners of the disc's edition, drawn by code: the left column (a header, the
// two documents that only the digital edition carries, a footer) and the top row
// (two advertisers around the publisher's subscription offer). Each picture has
// exactly the size of its place in the banner modules.
#pragma once

#include <string>
#include <vector>

#include "platform/image.h"
#include "tools/lib/artwork.h"

namespace art {

struct BannerSlot {
    const char* name;  // resource name; banner6 is stored as the JPEG "S_banner6"
    platform::Rect place;        // in main-window coordinates
};

// The seven banners in the order the modules add them: banner1 to banner4 down the
// left column from (7, 136), banner5 to banner7 along the top row from (7, 7).
const std::vector<BannerSlot>& BannerSlots();

// The subscription banner is a JPEG picture (it stands in for a movie); its text is
// small and its colours bright, so it is kept at a quality that leaves no halos.
inline constexpr int kBannerJpegQuality = 92;

// Banner number 1 to 7 at its slot's size; an empty image for any other number.
platform::Image DrawBanner(int number, const SkinPalette& pal);

// The banner pictures laid over a whole-window image at their places, the way the
// modules show them. movie is the picture to use for banner6 (the menu shows it
// after a round trip through JPEG); when empty, banner6 is drawn afresh.
void PlaceBanners(platform::Image& window, const SkinPalette& pal, const platform::Image* movie = nullptr);

}  // namespace art
