#include "platform/bmp.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

#include "platform/bytes.h"

namespace platform {
namespace {

constexpr size_t kFileHeaderSize = 14;

// Compression codes of the info header.
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kAlphaBitFields = 6;

bool Fail(Image& img, std::string* error, std::string why) {
    img.Reset();
    if (error) *error = std::move(why);
    return false;
}

// One colour channel of a 16- or 32-bit pixel, as a mask. Channels narrower than
// 8 bits are stretched so that their top value is 255; wider ones keep their top 8.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    bool Set(uint32_t m) {
        mask = m;
        if (!m) {
            shift = bits = 0;
            return true;
        }
        shift = std::countr_zero(m);
        uint32_t v = m >> shift;
        if (v & (v + 1)) return false;  // holes in a mask make no colour
        bits = std::popcount(v);
        return true;
    }
    uint8_t Get(uint32_t px) const {
        if (!bits) return 0;
        uint32_t v = (px & mask) >> shift;
        if (bits >= 8) return static_cast<uint8_t>(v >> (bits - 8));
        uint32_t top = (1u << bits) - 1;
        return static_cast<uint8_t>((v * 255 + top / 2) / top);
    }
};

struct Layout {
    int width = 0, height = 0;
    bool topDown = false;
    int bits = 0;
    uint32_t compression = kRgb;
    std::array<Rgb, 256> palette{};  // entries the file does not give stay black
    Channel red, green, blue;
};

inline void Store(uint8_t* row, int x, Rgb c) {
    row[x * 3] = c.r;
    row[x * 3 + 1] = c.g;
    row[x * 3 + 2] = c.b;
}

// A row of 24-bit pixels, B, G, R in the file, into R, G, B.
void SwapRow24(const uint8_t* s, uint8_t* d, int w) {
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        // Four bytes from a pixel on (its B, G, R and the next one's B), turned
        // around and shifted, are R, G, B and a zero; the zero lands on the next
        // pixel's first byte, which its own turn writes. The last pixel has no next
        // one, so it goes the plain way below.
        for (; x + 1 < w; ++x) {
            uint32_t v;
            std::memcpy(&v, s + 3 * static_cast<size_t>(x), 4);
            const uint32_t rgb = __builtin_bswap32(v) >> 8;
            std::memcpy(d + 3 * static_cast<size_t>(x), &rgb, 4);
        }
    }
    for (; x < w; ++x) Store(d, x, {s[3 * x + 2], s[3 * x + 1], s[3 * x]});
}

void DecodeRows(const uint8_t* data, size_t rowSize, const Layout& L, Image& img) {
    const int w = L.width;
    for (int r = 0; r < L.height; ++r) {
        const uint8_t* s = data + static_cast<size_t>(r) * rowSize;
        uint8_t* d = img.Row(L.topDown ? r : L.height - 1 - r);
        switch (L.bits) {
        case 1:
        case 2:
        case 4: {
            const int perByte = 8 / L.bits;
            const unsigned lowMask = (1u << L.bits) - 1;
            for (int x = 0; x < w; ++x) {
                int shift = 8 - L.bits * (x % perByte + 1);
                Store(d, x, L.palette[(s[x / perByte] >> shift) & lowMask]);
            }
            break;
        }
        case 8:
            for (int x = 0; x < w; ++x) Store(d, x, L.palette[s[x]]);
            break;
        case 16:
            for (int x = 0; x < w; ++x) {
                uint32_t px = LoadLE16(s + 2 * x);
                Store(d, x, {L.red.Get(px), L.green.Get(px), L.blue.Get(px)});
            }
            break;
        case 24:
            SwapRow24(s, d, w);
            break;
        case 32:
            for (int x = 0; x < w; ++x) {
                uint32_t px = LoadLE32(s + 4 * x);
                Store(d, x, {L.red.Get(px), L.green.Get(px), L.blue.Get(px)});
            }
            break;
        }
    }
}

// Run-length data, rows from the bottom. Pixels the data skips (deltas, early line
// ends) stay black. A run that leaves the picture is damage, not something to clip:
// it means the counts no longer describe this picture. Returns the number of bytes
// up to and including the end-of-bitmap escape in *used, or 0 when the data ran out
// before one.
bool DecodeRle(const uint8_t* d, size_t len, const Layout& L, Image& img, size_t* used, std::string* why) {
    const int w = L.width, h = L.height;
    const bool four = L.compression == kRle4;
    int x = 0, y = 0;
    size_t p = 0;
    *used = 0;
    auto put = [&](unsigned idx) {
        if (x >= w || y >= h) return false;
        Store(img.Row(h - 1 - y), x, L.palette[idx]);
        ++x;
        return true;
    };
    while (p + 2 <= len) {
        const uint8_t count = d[p], value = d[p + 1];
        p += 2;
        if (count) {
            for (int i = 0; i < count; ++i) {
                unsigned idx = four ? (i & 1 ? value & 0x0F : value >> 4) : value;
                if (!put(idx)) {
                    *why = "RLE run outside the picture";
                    return false;
                }
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            y = std::min(y + 1, h);
        } else if (value == 1) {  // end of bitmap
            *used = p;
            return true;
        } else if (value == 2) {  // delta: right and up
            if (p + 2 > len) break;
            x = std::min(x + d[p], w);
            y = std::min(y + d[p + 1], h);
            p += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const size_t bytes = four ? (value + 1u) / 2 : value;
            if (p + bytes > len) {
                *why = "RLE data ends inside an absolute run";
                return false;
            }
            for (int i = 0; i < value; ++i) {
                unsigned idx = four ? (i & 1 ? d[p + i / 2] & 0x0F : d[p + i / 2] >> 4) : d[p + i];
                if (!put(idx)) {
                    *why = "RLE run outside the picture";
                    return false;
                }
            }
            p += (bytes + 1) & ~size_t{1};
        }
    }
    return true;
}

}  // namespace

bool ReadBmp(MemoryStream& in, Image& img, std::string* error) {
    const size_t start = in.Position();
    size_t used = 0;
    if (!ReadBmp(in.Current(), in.Remaining(), img, error, &used)) return false;
    in.Seek(start + used);
    return true;
}

bool ReadBmp(const uint8_t* base, size_t avail, Image& img, std::string* error, size_t* used) {
    img.Reset();

    if (avail < kFileHeaderSize + 4) return Fail(img, error, "stream ends inside the file header");
    if (base[0] != 'B' || base[1] != 'M') return Fail(img, error, "not a BMP file (no \"BM\" signature)");
    const uint32_t offBits = LoadLE32(base + 10);
    const uint32_t headerSize = LoadLE32(base + 14);
    switch (headerSize) {
    case 12: case 40: case 52: case 56: case 108: case 124: break;
    default: return Fail(img, error, "unsupported info header size " + std::to_string(headerSize));
    }
    if (avail < kFileHeaderSize + headerSize) return Fail(img, error, "stream ends inside the info header");

    const uint8_t* h = base + kFileHeaderSize;
    Layout L;
    int64_t width, height;
    unsigned planes;
    uint32_t sizeImage = 0, clrUsed = 0;
    if (headerSize == 12) {  // the old core header: 16-bit sizes, no compression
        width = LoadLE16(h + 4);
        height = LoadLE16(h + 6);
        planes = LoadLE16(h + 8);
        L.bits = LoadLE16(h + 10);
    } else {
        width = LoadLE32Signed(h + 4);
        height = LoadLE32Signed(h + 8);
        planes = LoadLE16(h + 12);
        L.bits = LoadLE16(h + 14);
        L.compression = LoadLE32(h + 16);
        sizeImage = LoadLE32(h + 20);
        clrUsed = LoadLE32(h + 32);
    }
    if (planes != 1) return Fail(img, error, "colour planes " + std::to_string(planes) + ", not 1");
    if (height < 0) {
        L.topDown = true;
        height = -height;
    }
    if (width <= 0 || height <= 0)
        return Fail(img, error, "picture size " + std::to_string(width) + " x " + std::to_string(height));
    if (width > Image::kMaxSide || height > Image::kMaxSide || width * height > Image::kMaxPixels)
        return Fail(img, error, "picture too large: " + std::to_string(width) + " x " + std::to_string(height));
    L.width = static_cast<int>(width);
    L.height = static_cast<int>(height);

    const bool rle = L.compression == kRle8 || L.compression == kRle4;
    const bool masked = L.compression == kBitFields || L.compression == kAlphaBitFields;
    // Embedded JPEG or PNG data (compression 4 and 5) is not a bitmap this reader draws.
    if (!rle && !masked && L.compression != kRgb)
        return Fail(img, error, "unsupported compression " + std::to_string(L.compression));
    switch (L.bits) {
    case 1: case 2: case 4: case 8: case 16: case 24: case 32: break;
    default: return Fail(img, error, "unsupported bit depth " + std::to_string(L.bits));
    }
    if (L.compression == kRle8 && L.bits != 8) return Fail(img, error, "RLE8 needs 8 bits per pixel");
    if (L.compression == kRle4 && L.bits != 4) return Fail(img, error, "RLE4 needs 4 bits per pixel");
    if (masked && L.bits != 16 && L.bits != 32) return Fail(img, error, "bit fields need 16 or 32 bits per pixel");
    if (rle && L.topDown) return Fail(img, error, "RLE data cannot be stored top-down");

    // Everything below counts from the start of the file header.
    size_t pos = kFileHeaderSize + headerSize;
    uint32_t masks[3];
    if (masked) {
        if (headerSize >= 52) {
            for (int i = 0; i < 3; ++i) masks[i] = LoadLE32(h + 40 + 4 * i);
        } else {
            // A plain 40-byte header is followed by the masks (a fourth, for alpha,
            // with the alpha variant, which this 24-bit reader skips over).
            const size_t n = L.compression == kAlphaBitFields ? 4 : 3;
            if (avail < pos + 4 * n) return Fail(img, error, "stream ends inside the colour masks");
            for (int i = 0; i < 3; ++i) masks[i] = LoadLE32(base + pos + 4 * i);
            pos += 4 * n;
        }
    } else if (L.bits == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
        masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
    }
    if (L.bits >= 16 && (!L.red.Set(masks[0]) || !L.green.Set(masks[1]) || !L.blue.Set(masks[2])))
        return Fail(img, error, "colour mask with gaps");

    // The colour table: biClrUsed entries, or all that the depth can index. A file
    // that leaves biClrUsed at 0 may still store a shorter table and say so only
    // through bfOffBits (old core-header files do); a count it states outright must fit.
    const size_t entrySize = headerSize == 12 ? 3 : 4;
    uint64_t entries = clrUsed ? clrUsed : (L.bits <= 8 ? 1u << L.bits : 0);
    size_t pixelStart;
    if (offBits == 0) {
        pixelStart = 0;  // decided below, right after the table
    } else if (offBits < pos) {
        return Fail(img, error, "pixel data offset " + std::to_string(offBits) + " lies inside the headers");
    } else {
        if (pos + entries * entrySize > offBits) {
            if (clrUsed) return Fail(img, error, "colour table of " + std::to_string(clrUsed) + " entries runs into the pixel data");
            entries = (offBits - pos) / entrySize;
        }
        pixelStart = offBits;
    }
    const uint64_t tableEnd = pos + entries * entrySize;
    if (tableEnd > avail) return Fail(img, error, "stream ends inside the colour table");
    if (offBits == 0) pixelStart = static_cast<size_t>(tableEnd);
    if (pixelStart > avail) return Fail(img, error, "pixel data offset past the end of the stream");
    if (L.bits <= 8) {
        const size_t used = static_cast<size_t>(std::min<uint64_t>(entries, 256));
        for (size_t i = 0; i < used; ++i) {
            const uint8_t* e = base + pos + i * entrySize;
            L.palette[i] = {e[2], e[1], e[0]};
        }
    }

    const uint8_t* data = base + pixelStart;
    const size_t dataAvail = avail - pixelStart;
    size_t consumed;
    if (rle) {
        if (sizeImage > dataAvail) return Fail(img, error, "stream ends inside the pixel data");
        // Without a size the data runs to its end-of-bitmap escape.
        const size_t len = sizeImage ? sizeImage : dataAvail;
        // Run-length data can describe a large empty picture in a few bytes; a
        // picture far larger than its data is a damaged header far more often.
        const int64_t pixels = int64_t(L.width) * L.height;
        if (pixels > std::max<int64_t>(int64_t{1} << 20, int64_t(len) * 4096))
            return Fail(img, error, "picture too large for its RLE data");
        if (!img.Create(L.width, L.height)) return Fail(img, error, "cannot create the picture");
        size_t used = 0;
        std::string why;
        if (!DecodeRle(data, len, L, img, &used, &why)) return Fail(img, error, why);
        if (!sizeImage && !used) return Fail(img, error, "RLE data without an end-of-bitmap mark");
        consumed = sizeImage ? sizeImage : used;
    } else {
        const uint64_t rowSize = (uint64_t(L.width) * L.bits + 31) / 32 * 4;
        const uint64_t need = rowSize * L.height;
        // A size field smaller than the rows would leave them reaching into the
        // next record of the stream (or past its end); neither is a picture.
        if (sizeImage && sizeImage < need) return Fail(img, error, "image size field smaller than the pixel rows");
        consumed = sizeImage ? sizeImage : static_cast<size_t>(need);
        if (need > dataAvail || consumed > dataAvail) return Fail(img, error, "stream ends inside the pixel data");
        if (!img.CreateUncleared(L.width, L.height)) return Fail(img, error, "cannot create the picture");
        DecodeRows(data, static_cast<size_t>(rowSize), L, img);
    }
    if (used) *used = pixelStart + consumed;
    return true;
}

std::vector<uint8_t> EncodeBmp24(const Image& img) {
    if (img.Empty()) return {};
    const int w = img.Width(), h = img.Height();
    const size_t rowSize = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    const size_t pixelBytes = rowSize * h;
    const size_t headers = kFileHeaderSize + 40;
    std::vector<uint8_t> out(headers + pixelBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    StoreLE32(out, 2, static_cast<uint32_t>(out.size()));
    StoreLE32(out, 10, static_cast<uint32_t>(headers));
    StoreLE32(out, 14, 40);
    StoreLE32(out, 18, static_cast<uint32_t>(w));
    StoreLE32(out, 22, static_cast<uint32_t>(h));
    StoreLE16(out, 26, 1);
    StoreLE16(out, 28, 24);
    StoreLE32(out, 34, static_cast<uint32_t>(pixelBytes));
    StoreLE32(out, 38, 2835);  // 72 dots per inch
    StoreLE32(out, 42, 2835);
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = img.Row(h - 1 - y);
        uint8_t* d = out.data() + headers + static_cast<size_t>(y) * rowSize;
        for (int x = 0; x < w; ++x) {
            d[3 * x] = s[3 * x + 2];
            d[3 * x + 1] = s[3 * x + 1];
            d[3 * x + 2] = s[3 * x];
        }
    }
    return out;
}

}  // namespace platform
