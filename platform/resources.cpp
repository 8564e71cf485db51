#include "platform/resources.h"

#include <utility>
#include <vector>

#include "platform/bmp.h"
#include "platform/image.h"
#include "platform/jpeg.h"
#include "platform/text.h"

namespace platform {
namespace {
std::vector<std::pair<const ResourceEntry*, size_t>>& Tables() {
    static std::vector<std::pair<const ResourceEntry*, size_t>> t;
    return t;
}
}  // namespace

void RegisterResources(const ResourceEntry* entries, size_t count) { Tables().emplace_back(entries, count); }

void ClearResources() { Tables().clear(); }

const ResourceEntry* FindResource(std::string_view type, std::string_view name) {
    auto& t = Tables();
    for (auto it = t.rbegin(); it != t.rend(); ++it)
        for (size_t i = 0; i < it->second; ++i) {
            const ResourceEntry& e = it->first[i];
            if (EqualsIgnoreCase(e.type, type) && EqualsIgnoreCase(e.name, name)) return &e;
        }
    return nullptr;
}

bool LoadResourceImage(std::string_view type, std::string_view name, Image& img) {
    const ResourceEntry* r = FindResource(type, name);
    if (!r) return false;
    if (EqualsIgnoreCase(type, "JPEG")) return DecodeJpeg(r->data, r->size, img);
    return ReadBmp(r->data, r->size, img);
}

}  // namespace platform
