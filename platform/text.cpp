// The string helpers over the Windows-1250 case tables and the host's conversions,
// and UTF-8 taken apart by hand; the same on every host, whatever supplies the
// tables and the conversions.
#include "platform/text.h"

#include "platform/textparts.h"

namespace platform {

namespace {

// The code point of the UTF-8 sequence at s[i] and its length; length 0 for a
// broken sequence.
uint32_t DecodeUtf8(std::string_view s, size_t i, size_t& len) {
    const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    len = 0;
    uint32_t u;
    size_t n;
    if (c < 0x80) {
        len = 1;
        return c;
    } else if (c >= 0xC2 && c <= 0xDF) {
        u = c & 0x1F, n = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        u = c & 0x0F, n = 3;
    } else if (c >= 0xF0 && c <= 0xF4) {
        u = c & 0x07, n = 4;
    } else {
        return 0;
    }
    if (s.size() - i < n) return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) return 0;
        u = (u << 6) | (b(i + k) & 0x3F);
    }
    if ((n == 3 && u < 0x800) || (n == 4 && (u < 0x10000 || u > 0x10FFFF)) || (u >= 0xD800 && u <= 0xDFFF)) return 0;
    len = n;
    return u;
}

void AppendUtf8(std::string& out, uint32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else if (u < 0x10000) {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (u >> 18));
        out += static_cast<char>(0x80 | ((u >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

}  // namespace

uint32_t UpperCodePoint(uint32_t u) {
    if (u < 0x80) return (u >= 'a' && u <= 'z') ? u - 32 : u;
    if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return u - 0x20;
    if (u == 0xFF) return 0x178;
    if (u >= 0x100 && u <= 0x17F) {
        // Pairs of capital and small letter; dotted and dotless i have no pair here.
        if (u == 0x130 || u == 0x131 || u == 0x138 || u == 0x149 || u == 0x17F) return u;
        bool oddLower = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
        bool isLower = oddLower ? (u % 2 == 0) : (u % 2 == 1);
        return isLower ? u - 1 : u;
    }
    // Greek.
    if (u == 0x3AC) return 0x386;
    if (u >= 0x3AD && u <= 0x3AF) return u - 0x25;
    if (u == 0x3C2) return 0x3A3;
    if (u >= 0x3B1 && u <= 0x3CB) return u - 0x20;
    if (u == 0x3CC) return 0x38C;
    if (u >= 0x3CD && u <= 0x3CE) return u - 0x3F;
    // Cyrillic.
    if (u >= 0x430 && u <= 0x44F) return u - 0x20;
    if (u >= 0x450 && u <= 0x45F) return u - 0x50;
    if ((u >= 0x460 && u <= 0x481) || (u >= 0x48A && u <= 0x4BF) || (u >= 0x4D0 && u <= 0x52F))
        return u % 2 == 1 ? u - 1 : u;
    if (u >= 0x4C1 && u <= 0x4CE) return u % 2 == 0 ? u - 1 : u;
    if (u == 0x4CF) return 0x4C0;
    return u;
}

bool IsValidUtf8(std::string_view s) {
    for (size_t i = 0; i < s.size();) {
        size_t len;
        DecodeUtf8(s, i, len);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

std::string UpperUtf8(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        size_t len;
        uint32_t u = DecodeUtf8(s, i, len);
        if (len == 0) {
            out += s[i++];
            continue;
        }
        AppendUtf8(out, UpperCodePoint(u));
        i += len;
    }
    return out;
}

bool FitsCp1250(std::string_view utf8) { return Cp1250ToUtf8(Utf8ToCp1250(utf8)) == utf8; }

std::string UpperCp1250(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = UpperCp1250(c);
    return r;
}

std::string LowerCp1250(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = LowerCp1250(c);
    return r;
}

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperCp1250(a[i]) != UpperCp1250(b[i])) return false;
    return true;
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

}  // namespace platform
