#include "platform/text.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <cwctype>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace platform {
namespace {

// Converts through iconv; unconvertible input becomes '?' so that a strange name
// never stops the program.
std::string Convert(const char* to, const char* from, std::string_view s) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    std::string out;
    out.resize(s.size() * 4 + 16);
    char* in = const_cast<char*>(s.data());
    size_t inLeft = s.size();
    char* o = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            size_t used = o - out.data();
            out.resize(out.size() * 2);
            o = out.data() + used;
            outLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: skip one input byte (for UTF-8 input, the whole broken
        // sequence goes one byte at a time) and put a question mark.
        ++in;
        --inLeft;
        if (std::string_view(from) == "UTF-8")
            while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80) ++in, --inLeft;
        if (outLeft == 0) {
            size_t used = o - out.data();
            out.resize(out.size() * 2);
            o = out.data() + used;
            outLeft = out.size() - used;
        }
        *o++ = '?';
        --outLeft;
    }
    out.resize(o - out.data());
    iconv_close(cd);
    return out;
}

// The capital of a letter, by Unicode's simple case pairs, for the scripts that
// file names on the disc and in archives use.
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

struct CaseTables {
    std::array<char, 256> upper{}, lower{};
};

// Built once by taking every byte through iconv to UCS-4, changing the letter's case
// there and coming back; so the tables follow the code page itself.
const CaseTables& Tables() {
    static CaseTables t = [] {
        CaseTables ct;
        iconv_t to = iconv_open("UCS-4LE", "CP1250");
        iconv_t from = iconv_open("CP1250", "UCS-4LE");
        for (int i = 0; i < 256; ++i) {
            ct.upper[i] = ct.lower[i] = static_cast<char>(i);
            if (i < 128) {
                if (i >= 'a' && i <= 'z') ct.upper[i] = static_cast<char>(i - 32);
                if (i >= 'A' && i <= 'Z') ct.lower[i] = static_cast<char>(i + 32);
                continue;
            }
            char b = static_cast<char>(i);
            char* in = &b;
            size_t inLeft = 1;
            uint32_t u = 0;
            char* o = reinterpret_cast<char*>(&u);
            size_t outLeft = 4;
            if (iconv(to, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1)) continue;
            auto back = [&](uint32_t cp) -> int {
                char* pin = reinterpret_cast<char*>(&cp);
                size_t pl = 4;
                char r = 0;
                char* po = &r;
                size_t ol = 1;
                if (iconv(from, &pin, &pl, &po, &ol) == static_cast<size_t>(-1)) return -1;
                return static_cast<unsigned char>(r);
            };
            // Latin-1 supplement letters and Latin Extended-A pairs, which is where all
            // of Windows-1250's letters live; capitals as host names get them.
            uint32_t up = UpperCodePoint(u), lo = u;
            if ((u >= 0xC0 && u <= 0xDE && u != 0xD7)) lo = u + 0x20;
            if (u >= 0x100 && u <= 0x17F) {
                bool oddLower = (u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E);
                bool isLower = oddLower ? (u % 2 == 0) : (u % 2 == 1);
                if (!isLower && u != 0x138 && u != 0x149 && u != 0x17F) lo = u + 1;
            }
            int ub = back(up), lb = back(lo);
            if (ub >= 0) ct.upper[i] = static_cast<char>(ub);
            if (lb >= 0) ct.lower[i] = static_cast<char>(lb);
        }
        iconv_close(to);
        iconv_close(from);
        return ct;
    }();
    return t;
}

}  // namespace

std::string Cp1250ToUtf8(std::string_view s) { return Convert("UTF-8", "CP1250", s); }
std::string Utf8ToCp1250(std::string_view s) { return Convert("CP1250", "UTF-8", s); }
std::string Oem852ToCp1250(std::string_view s) { return Convert("CP1250", "CP852", s); }
std::string Cp1250ToOem852(std::string_view s) { return Convert("CP852", "CP1250", s); }
std::string Oem852ToUtf8(std::string_view s) { return Convert("UTF-8", "CP852", s); }

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

char UpperCp1250(char c) { return Tables().upper[static_cast<unsigned char>(c)]; }
char LowerCp1250(char c) { return Tables().lower[static_cast<unsigned char>(c)]; }

}  // namespace platform
