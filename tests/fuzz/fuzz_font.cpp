// Font streams as a damaged resource archive might hand them over: the menu's own
// loader reads up to eleven records and draws and measures with every one of them,
// and the disc tool splits the same bytes into records. Neither may crash, hang or
// allocate more than the bytes can justify.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/stream.h"
#include "tools/lib/fontpack.h"
#include "widgets/Cjxfontfileu.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    platform::MemoryStream stream(bytes);
    std::string text;
    for (int c = 0; c < 256; ++c) text += static_cast<char>(c);
    platform::Image surface(64, 24);
    for (int i = 0; i < 11; ++i) {
        CJXFontFile font;
        font.Load(stream);  // the menu ignores the result and uses what was read
        font.DrawText(surface, -3, -2, text);
        font.DrawTextKerned(surface, 5, 7, text);
        volatile int w = font.TextWidth(text) + font.TextWidthKerned(text);
        (void)w;
        font.Unload();
    }
    try {
        tool::SplitFontStream(bytes);
    } catch (const std::runtime_error&) {
    }
    return 0;
}
