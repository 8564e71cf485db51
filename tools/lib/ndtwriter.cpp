#include "tools/lib/ndtwriter.h"

#include <array>
#include <stdexcept>
#include <unordered_map>

#include "catalogue/Cjxkoderu.h"
#include "catalogue/Cjxndt4fileu.h"
#include "platform/text.h"

namespace tool {

namespace {
// Lines 0 to 6 are stored plain.
constexpr size_t kPlainLines = 7;
}  // namespace

std::string WriteCatalogue(const std::vector<std::string>& plainLines) {
    std::string out;
    CJXKoder koder;
    koder.SetKey(kCatalogueKey);
    for (size_t i = 0; i < plainLines.size(); ++i) {
        const std::string& line = plainLines[i];
        if (i < kPlainLines) {
            // A plain line cannot hold what would end it when the file is read back.
            if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos)
                throw std::invalid_argument("catalogue line " + std::to_string(i) +
                                            " is stored plain and cannot hold CR, LF or NUL");
            out += line;
        } else {
            try {
                out += EncodeLine(koder, line);
            } catch (const std::invalid_argument& e) {
                throw std::invalid_argument("catalogue line " + std::to_string(i) + ": " + e.what());
            }
        }
        out += "\r\n";
    }
    return out;
}

std::string DumpCatalogue(const std::vector<uint8_t>& fileBytes, TextForm form) {
    std::vector<std::string> lines = SplitCatalogueText(fileBytes.data(), fileBytes.size());
    std::string out;
    CJXKoder koder;
    koder.SetKey(kCatalogueKey);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string line = i < kPlainLines ? lines[i] : DecodeLine(koder, lines[i]);
        out += form == TextForm::Utf8 ? Cp1250ToUtf8Exact(line) : line;
        out += '\n';
    }
    return out;
}

std::vector<std::string> ReadableLines(std::string_view text, TextForm form) {
    if (form == TextForm::Raw) return SplitPlainText(text);
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
    std::vector<std::string> lines = SplitPlainText(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string cp;
        size_t bad = 0;
        if (!Utf8ToCp1250Exact(lines[i], cp, &bad))
            throw std::invalid_argument("line " + std::to_string(i + 1) + " of the text, byte " + std::to_string(bad + 1) +
                                        ": not UTF-8, or a character Windows-1250 does not have (--raw reads "
                                        "Windows-1250 text)");
        lines[i] = std::move(cp);
    }
    return lines;
}

namespace {

void AppendUtf8(std::string& out, uint32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The character of every byte, and the byte of every character, worked out once
// from the system's own code page table.
struct CodePage {
    std::array<uint32_t, 256> character{};
    std::unordered_map<uint32_t, uint8_t> byte;
};

const CodePage& Table() {
    static const CodePage table = [] {
        CodePage t;
        for (int b = 0; b < 256; ++b) {
            const std::string u = platform::Cp1250ToUtf8(std::string(1, static_cast<char>(b)));
            uint32_t c = static_cast<uint32_t>(b);  // unassigned: the control character of that number
            const auto* p = reinterpret_cast<const unsigned char*>(u.data());
            if (u.size() == 1 && (b == '?' || u != "?")) c = p[0];
            else if (u.size() == 2) c = (p[0] & 0x1Fu) << 6 | (p[1] & 0x3Fu);
            else if (u.size() == 3) c = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
            t.character[b] = c;
            t.byte.emplace(c, static_cast<uint8_t>(b));
        }
        return t;
    }();
    return table;
}

}  // namespace

std::string Cp1250ToUtf8Exact(std::string_view cp1250) {
    const CodePage& t = Table();
    std::string out;
    out.reserve(cp1250.size() + cp1250.size() / 4);
    for (unsigned char b : cp1250) AppendUtf8(out, t.character[b]);
    return out;
}

bool Utf8ToCp1250Exact(std::string_view utf8, std::string& out, size_t* badAt) {
    const CodePage& t = Table();
    out.clear();
    out.reserve(utf8.size());
    const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
    for (size_t i = 0; i < utf8.size();) {
        uint32_t c = s[i];
        size_t n = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 0;
        bool ok = n > 0 && i + n <= utf8.size();
        if (ok && n > 1) {
            c &= n == 2 ? 0x1F : 0x0F;
            for (size_t k = 1; k < n; ++k) {
                ok = ok && (s[i + k] & 0xC0) == 0x80;
                c = c << 6 | (s[i + k] & 0x3F);
            }
            // An over-long form is not the character's UTF-8.
            ok = ok && c >= (n == 2 ? 0x80u : 0x800u);
        }
        auto it = ok ? t.byte.find(c) : t.byte.end();
        if (it == t.byte.end()) {
            if (badAt) *badAt = i;
            return false;
        }
        out += static_cast<char>(it->second);
        i += n;
    }
    return true;
}

std::vector<std::string> SplitPlainText(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t lf = text.find('\n', start);
        if (lf == std::string_view::npos) {
            lines.emplace_back(text.substr(start));
            break;
        }
        size_t end = lf;
        if (end > start && text[end - 1] == '\r') --end;
        lines.emplace_back(text.substr(start, end - start));
        start = lf + 1;
    }
    return lines;
}

}  // namespace tool
