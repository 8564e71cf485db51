// Little-endian numbers in byte buffers: every file format the program reads or the
// tool writes (BMP, ZIP, font records) stores them this way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

inline uint16_t LoadLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
inline uint32_t LoadLE32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[3]) << 24;
}
inline int32_t LoadLE32Signed(const uint8_t* p) { return static_cast<int32_t>(LoadLE32(p)); }

inline void StoreLE16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLE32(uint8_t* p, uint32_t v) {
    StoreLE16(p, static_cast<uint16_t>(v));
    StoreLE16(p + 2, static_cast<uint16_t>(v >> 16));
}
inline void StoreLE16(std::vector<uint8_t>& v, size_t at, uint16_t x) { StoreLE16(v.data() + at, x); }
inline void StoreLE32(std::vector<uint8_t>& v, size_t at, uint32_t x) { StoreLE32(v.data() + at, x); }

inline void AppendLE16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
inline void AppendLE32(std::vector<uint8_t>& v, uint32_t x) {
    AppendLE16(v, static_cast<uint16_t>(x));
    AppendLE16(v, static_cast<uint16_t>(x >> 16));
}

}  // namespace platform
