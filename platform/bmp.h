// Windows bitmap files. The reader takes exactly one BMP file image from a stream
// (file header, info header, colour table, pixel data) and leaves the stream right
// after it, because the program's resource streams hold pictures back to back with
// nothing marking where one ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/stream.h"

namespace platform {

// Reads one BMP file image at the stream's position into img (24-bit). On failure
// returns false with a short reason in *error; img is then left empty and the
// stream position is unspecified. Never allocates more than the stream can justify.
bool ReadBmp(MemoryStream& in, Image& img, std::string* error = nullptr);
// The same from size bytes at data, read where they lie; *used is the file image's
// length.
bool ReadBmp(const uint8_t* data, size_t size, Image& img, std::string* error = nullptr, size_t* used = nullptr);

// A complete 24-bit bottom-up BMP file of img (nothing for an empty image, which
// no BMP reader would take back).
std::vector<uint8_t> EncodeBmp24(const Image& img);

}  // namespace platform
