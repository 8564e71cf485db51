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

// The readable form of a catalogue is UTF-8, which is what terminals and editors
// show, or on request the catalogue's own Windows-1250 bytes.
enum class TextForm { Utf8, Raw };

// The readable form of a catalogue: lines 0 to 6 as stored, then every line from 7
// deciphered in order with one state, each ended by LF. A NUL ends the file's text,
// and a deciphered NUL ends that line's text, as in the menu.
std::string DumpCatalogue(const std::vector<uint8_t>& fileBytes, TextForm form = TextForm::Utf8);

// The lines of a readable text: LF or CR LF ends a line, a final line end does not
// start another line, the last line needs no end. A CR anywhere else is data.
std::vector<std::string> SplitPlainText(std::string_view text);

// The catalogue lines (Windows-1250) of a readable text: split as above and, for
// UTF-8, converted back; a UTF-8 byte-order mark at the start is left out. Throws
// std::invalid_argument naming the line for text that is not UTF-8 or holds a
// character Windows-1250 does not have: nothing is ever replaced by a guess.
std::vector<std::string> ReadableLines(std::string_view text, TextForm form);

// Windows-1250 and UTF-8 both ways without losing a byte: the five bytes the code
// page leaves unassigned (0x81, 0x83, 0x88, 0x90, 0x98) stand for the control
// characters of the same number, so that any catalogue comes back byte for byte.
std::string Cp1250ToUtf8Exact(std::string_view cp1250);
// False when the text is not UTF-8 or holds a character without a byte; *badAt is
// then the offset of the first such character.
bool Utf8ToCp1250Exact(std::string_view utf8, std::string& out, size_t* badAt = nullptr);

}  // namespace tool
