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

std::vector<uint8_t> EncodeIconResource(const std::vector<IconPicture>& pictures) {
    std::vector<uint8_t> out;
    for (const IconPicture& p : pictures) {
        if (p.size <= 0 || p.size > 0xFFFF || p.rgba.size() != static_cast<size_t>(p.size) * p.size * 4) continue;
        out.push_back(static_cast<uint8_t>(p.size));
        out.push_back(static_cast<uint8_t>(p.size >> 8));
        out.insert(out.end(), p.rgba.begin(), p.rgba.end());
    }
    return out;
}

std::vector<IconPicture> DecodeIconResource(const uint8_t* data, size_t size) {
    std::vector<IconPicture> out;
    size_t at = 0;
    while (data && size - at >= 2) {
        const int s = data[at] | data[at + 1] << 8;
        const size_t bytes = static_cast<size_t>(s) * s * 4;
        if (s == 0 || size - at - 2 < bytes) break;
        IconPicture p;
        p.size = s;
        p.rgba.assign(data + at + 2, data + at + 2 + bytes);
        out.push_back(std::move(p));
        at += 2 + bytes;
    }
    return out;
}

std::vector<IconPicture> LoadResourceIcon(std::string_view name) {
    const ResourceEntry* r = FindResource("ICON", name);
    return r ? DecodeIconResource(r->data, r->size) : std::vector<IconPicture>{};
}

bool LoadResourceImage(std::string_view type, std::string_view name, Image& img) {
    const ResourceEntry* r = FindResource(type, name);
    if (!r) return false;
    if (EqualsIgnoreCase(type, "JPEG")) return DecodeJpeg(r->data, r->size, img);
    return ReadBmp(r->data, r->size, img);
}

}  // namespace platform
