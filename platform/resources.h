// The program's own resources (skins, banner pictures, the hand cursor), compiled
// into the executable and found by type and name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

class Image;
// Decodes a picture resource: type "JPEG" as a JPEG, any other type as a BMP file.
// False when it is missing or damaged.
bool LoadResourceImage(std::string_view type, std::string_view name, Image& img);

}  // namespace platform
