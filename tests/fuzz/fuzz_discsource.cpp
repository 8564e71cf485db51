// The readable sources `vemi-disc build` starts from: catalogue.txt and
// screenshots.txt as a person might have typed (or mangled) them. Reading either
// ends in its parts or in an error naming the line; a catalogue the reader accepts
// must also make both catalogue files, and they must read back line for line.
//
// Input: catalogue.txt, then optionally a line "%%" and screenshots.txt. Only
// memory is used: nothing is read from or written to disc.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tools/lib/discbuilder.h"
#include "tools/lib/discsource.h"
#include "tools/lib/ndtwriter.h"

namespace {

// The catalogue file made from lines, deciphered again.
void RoundTrip(const std::vector<std::string>& lines) {
    const std::string file = tool::WriteCatalogue(lines);
    const std::string dumped = tool::DumpCatalogue(std::vector<uint8_t>(file.begin(), file.end()), tool::TextForm::Raw);
    if (tool::SplitPlainText(dumped) != lines) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view catalogue = input, pictures;
    const size_t split = input.find("\n%%\n");
    if (split != std::string_view::npos) {
        catalogue = input.substr(0, split + 1);
        pictures = input.substr(split + 4);
    }

    try {
        const tool::CatalogueSource src = tool::ParseCatalogueSource(catalogue);
        RoundTrip(tool::MainCatalogueLines(src));
        RoundTrip(tool::AlphabeticalCatalogueLines(src));
    } catch (const tool::SourceError&) {
    }

    try {
        const auto list = tool::ParsePictureList(pictures);
        for (const auto& [name, p] : list)
            if (name.empty() || p.smallW < 16 || p.smallH < 16 || p.largeW > 4096 || p.largeH > 4096) std::abort();
    } catch (const std::runtime_error&) {
    }
    return 0;
}
