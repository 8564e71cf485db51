// JPEG decoding (and encoding, for the disc tool's artwork) through libjpeg-turbo.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"

namespace platform {

// Decodes a JPEG into a 24-bit image. False on any damage; img is then untouched.
bool DecodeJpeg(const uint8_t* data, size_t size, Image& img, std::string* error = nullptr);
// hostPath is a path of the host file system (already mapped from a disc path).
bool LoadJpegFile(const std::string& hostPath, Image& img, std::string* error = nullptr);
// Encodes img as a baseline JPEG of the given quality (1 to 100).
std::vector<uint8_t> EncodeJpeg(const Image& img, int quality = 90);

}  // namespace platform
