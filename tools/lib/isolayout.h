// Where a disc's files go in its image, and what the image is called. The menu
// starts from a spinning disc, where every jump of the head costs a tenth of a
// second: the files it reads while it starts lie first in the image, one after the
// other, in the order it reads them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/lib/discfiles.h"

namespace tool {

// The files the menu reads while it starts, as disc paths in the order it reads
// them: the menu program, which the system reads as it starts it; the font and
// picture archives, unpacked before the window is made (or the plain streams
// beside them when the archives are missing); both catalogues; the small
// screenshot of the first program in the list (the default picture when that
// program names none). Then the Windows program, which Windows starts the same
// way from its own disc. Files the disc lacks are left out. This is the order
// strace sees the menu open them in; the end-to-end case menu_image watches the
// menu start from an image and fails when the two part.
std::vector<std::string> StartupReads(const DiscFiles& disc);

// The volume label for the disc: the edition as the menu names it from the main
// catalogue's third title line ("12/2007" -> "VEMI-12-2007"), in the letters a
// volume label may hold ("VEMI_12_2007"). nullopt with why when the catalogue
// cannot be read.
std::optional<std::string> LabelFromCatalogue(const DiscFiles& disc, std::string& why);
// Why a label cannot be a disc's volume label ("" when it can): 1 to 16 of A-Z,
// 0-9 and "_" (Windows reads the label from the Joliet tree, which holds 16).
std::string LabelProblem(const std::string& label);

// The longest name a Joliet tree holds, in UTF-16 units.
inline constexpr int kLongestJolietName = 64;
// Why a name would not reach a Joliet tree (what Windows reads) as it is: longer
// than 64 units, a character Joliet does not allow (control characters and
// * / : ; ? \), not UTF-8. "" when it would.
std::string JolietNameProblem(const std::string& utf8Name);

// The media a disc is burned on, smallest first, with the bytes each holds (the
// smaller kind where two differ: DVD+R before DVD-R, DVD-R DL before DVD+R DL).
struct Medium {
    const char* name;  // "a CD"
    uint64_t bytes;
};
const std::vector<Medium>& Media();
// The smallest medium that holds so many bytes; nullptr when none does.
const Medium* SmallestMediumFor(uint64_t bytes);

// One file's place in an image: its first byte at offset (a multiple of the 2048
// bytes of a block); a file of several extents is listed once per extent.
struct Placement {
    uint64_t offset = 0;
    uint64_t bytes = 0;
    std::string path;  // disc path
    int startup = 0;   // its place in StartupReads, from 1; 0 for the others
};
// Every file of the image's Rock Ridge tree, by offset.
std::vector<Placement> ImageLayout(const ImageDiscFiles& image);
// The layout as text: a comment line naming the columns, then one line per extent:
// offset, bytes, start-up place ("-" for none) and the path, separated by tabs.
std::string FormatLayout(const std::vector<Placement>& layout);

}  // namespace tool
