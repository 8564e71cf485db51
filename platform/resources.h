// The program's own resources (skins, banner pictures, the hand cursor), compiled
// into the executable and found by type and name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace platform {

struct ResourceEntry {
    const char* type;
    const char* name;
    const uint8_t* data;
    size_t size;
};

// Adds a table of resources; later tables are searched first, so a test can put
// its own pictures in place of the program's.
void RegisterResources(const ResourceEntry* entries, size_t count);
void ClearResources();
// Looks up by type and name, both ignoring letter case. nullptr when missing.
const ResourceEntry* FindResource(std::string_view type, std::string_view name);

// One picture of the program's icon: size x size pixels, rows top-down, R, G, B, A
// (A 0 clear, 255 opaque).
struct IconPicture {
    int size = 0;
    std::vector<uint8_t> rgba;
};

// An icon resource holds its pictures back to back, each a 16-bit little-endian
// size followed by its pixels. Decoding stops at the first picture that does not
// fit, keeping those before it.
std::vector<uint8_t> EncodeIconResource(const std::vector<IconPicture>& pictures);
std::vector<IconPicture> DecodeIconResource(const uint8_t* data, size_t size);
// The pictures of resource "ICON" name; empty when it is missing.
std::vector<IconPicture> LoadResourceIcon(std::string_view name);

class Image;
// Decodes a picture resource: type "JPEG" as a JPEG, any other type as a BMP file.
// False when it is missing or damaged.
bool LoadResourceImage(std::string_view type, std::string_view name, Image& img);

}  // namespace platform
