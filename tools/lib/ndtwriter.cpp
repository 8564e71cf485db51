#include "tools/lib/ndtwriter.h"

#include <stdexcept>

#include "catalogue/Cjxkoderu.h"
#include "catalogue/Cjxndt4fileu.h"

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

std::string DumpCatalogue(const std::vector<uint8_t>& fileBytes) {
    std::vector<std::string> lines = SplitCatalogueText(fileBytes.data(), fileBytes.size());
    std::string out;
    CJXKoder koder;
    koder.SetKey(kCatalogueKey);
    for (size_t i = 0; i < lines.size(); ++i) {
        out += i < kPlainLines ? lines[i] : DecodeLine(koder, lines[i]);
        out += '\n';
    }
    return out;
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
