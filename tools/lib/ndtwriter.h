// Writing catalogue files (".ndt") for discs the tool builds, and the readable text
// form that `vemi-disc dump` prints and `vemi-disc encode` reads back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/Discpaths.h"

namespace tool {

// The key every catalogue of the menu is enciphered with.
inline constexpr std::string_view kCatalogueKey = discpaths::kCatalogueKey;

// A whole catalogue file from its plain lines: lines 0 to 6 stored as they are,
// every later line enciphered with one fresh key state running across the lines;
// every line ended by CR LF. Throws std::invalid_argument when a line cannot be
// stored: a plain line with CR, LF or NUL, an enciphered line with NUL, or one whose
// stored form would be longer than the format allows.
std::string WriteCatalogue(const std::vector<std::string>& plainLines);

// The readable form of a catalogue: lines 0 to 6 as stored, then every line from 7
// deciphered in order with one state, each ended by LF. A NUL ends the file's text,
// and a deciphered NUL ends that line's text, as in the menu.
std::string DumpCatalogue(const std::vector<uint8_t>& fileBytes);

// The lines of a readable text: LF or CR LF ends a line, a final line end does not
// start another line, the last line needs no end. A CR anywhere else is data.
std::vector<std::string> SplitPlainText(std::string_view text);

}  // namespace tool
