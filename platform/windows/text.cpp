// The program's text conversions on Windows: the system's own code-page tables
// (1250 for the program's strings, 852 for the names in ZIP archives, UTF-8 for
// host names) instead of iconv.
#include "platform/text.h"

#include <array>
#include <climits>

#include "platform/windows/util.h"

namespace platform {
namespace {

constexpr UINT kAnsi = 1250;
constexpr UINT kOem = 852;

std::wstring ToWide(UINT codePage, std::string_view s) {
    if (s.empty() || s.size() > INT_MAX) return {};
    const int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    if (n > 0) MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// Characters the code page cannot hold become '?'; no "best fit" look-alikes, so
// a name never turns into a different name that happens to exist.
std::string FromWide(UINT codePage, std::wstring_view w) {
    if (w.empty() || w.size() > INT_MAX) return {};
    const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = codePage == CP_UTF8 ? nullptr : "?";
    const int n = WideCharToMultiByte(codePage, flags, w.data(), static_cast<int>(w.size()), nullptr, 0, fallback, nullptr);
    std::string s(static_cast<size_t>(n), '\0');
    if (n > 0) WideCharToMultiByte(codePage, flags, w.data(), static_cast<int>(w.size()), s.data(), n, fallback, nullptr);
    return s;
}

// A character that does not come back as itself (U+FFFD from broken UTF-8, or
// one the target has no byte for) has already been replaced by '?' above.
std::string Convert(UINT from, UINT to, std::string_view s) {
    std::wstring w = ToWide(from, s);
    for (wchar_t& c : w)
        if (c == 0xFFFD) c = L'?';
    return FromWide(to, w);
}

struct CaseTables {
    std::array<char, 256> upper{}, lower{};
};

// Every byte of the code page taken to UTF-16, its case changed by the system and
// brought back; a letter whose other case is not in the code page stays as it is.
const CaseTables& Tables() {
    static const CaseTables t = [] {
        CaseTables ct;
        for (int i = 0; i < 256; ++i) {
            const char b = static_cast<char>(i);
            ct.upper[i] = ct.lower[i] = b;
            wchar_t w = 0;
            if (MultiByteToWideChar(kAnsi, 0, &b, 1, &w, 1) != 1) continue;
            auto back = [&](wchar_t c) -> int {
                char r = 0;
                BOOL lost = FALSE;
                if (WideCharToMultiByte(kAnsi, WC_NO_BEST_FIT_CHARS, &c, 1, &r, 1, nullptr, &lost) != 1 || lost) return -1;
                return static_cast<unsigned char>(r);
            };
            wchar_t up = w, lo = w;
            CharUpperBuffW(&up, 1);
            CharLowerBuffW(&lo, 1);
            const int ub = back(up), lb = back(lo);
            if (ub >= 0) ct.upper[i] = static_cast<char>(ub);
            if (lb >= 0) ct.lower[i] = static_cast<char>(lb);
        }
        return ct;
    }();
    return t;
}

}  // namespace

std::string Cp1250ToUtf8(std::string_view s) { return Convert(kAnsi, CP_UTF8, s); }
std::string Utf8ToCp1250(std::string_view s) { return Convert(CP_UTF8, kAnsi, s); }
std::string Oem852ToCp1250(std::string_view s) { return Convert(kOem, kAnsi, s); }
std::string Cp1250ToOem852(std::string_view s) { return Convert(kAnsi, kOem, s); }
std::string Oem852ToUtf8(std::string_view s) { return Convert(kOem, CP_UTF8, s); }

char UpperCp1250(char c) { return Tables().upper[static_cast<unsigned char>(c)]; }
char LowerCp1250(char c) { return Tables().lower[static_cast<unsigned char>(c)]; }

}  // namespace platform
