#include "platform/text.h"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <cwctype>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "platform/textparts.h"

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

char UpperCp1250(char c) { return Tables().upper[static_cast<unsigned char>(c)]; }
char LowerCp1250(char c) { return Tables().lower[static_cast<unsigned char>(c)]; }

}  // namespace platform
