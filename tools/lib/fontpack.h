// Taking a font stream apart into folders people can read and edit, and putting it
// back together: one folder per record with a readable header.txt, glyph.bmp and
// mask.bmp. Unpacking and packing again gives the stream back byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

// One record of a font stream, split into its parts as they lie in the stream.
struct FontRecordParts {
    uint8_t header[64] = {};
    uint8_t charMap[256] = {};
    uint8_t metrics[1024] = {};
    uint8_t pairs[1024] = {};  // only meaningful when the version is 258 or more
    std::vector<uint8_t> glyphBmp, maskBmp;
    uint16_t Version() const { return static_cast<uint16_t>(header[14] | (header[15] << 8)); }
    std::vector<uint8_t> Bytes() const;
};

// Splits a font stream into its records; throws std::runtime_error naming the
// record and the reason when the stream is damaged or cut short.
std::vector<FontRecordParts> SplitFontStream(const std::vector<uint8_t>& stream);

// Writes DIR/01, DIR/02, ...; returns the number of records.
int UnpackFontStream(const std::vector<uint8_t>& stream, const std::string& dir);

// Reads the numbered folders of DIR in order and returns the stream; throws
// std::runtime_error with the file and line at fault.
std::vector<uint8_t> PackFontStream(const std::string& dir);

// Host files, whole.
std::vector<uint8_t> ReadHostFile(const std::string& path);
void WriteHostFile(const std::string& path, const std::vector<uint8_t>& data);

}  // namespace tool
