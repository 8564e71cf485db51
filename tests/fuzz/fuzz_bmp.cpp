// Picture streams as they might come out of a damaged resource archive: the reader is
// run over the whole input picture after picture, as start-up does, until it fails or
// the stream ends. Every picture it accepts must survive a 24-bit round trip.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::MemoryStream in(std::vector<uint8_t>(data, data + size));
    while (!in.AtEnd()) {
        const size_t before = in.Position();
        platform::Image img;
        std::string error;
        if (!platform::ReadBmp(in, img, &error)) {
            if (error.empty() || !img.Empty()) std::abort();
            break;
        }
        // A picture takes at least its headers, and never reaches past the stream.
        if (in.Position() <= before + 14 || in.Position() > size || img.Empty()) std::abort();

        platform::MemoryStream again(platform::EncodeBmp24(img));
        platform::Image back;
        if (!platform::ReadBmp(again, back) || !again.AtEnd()) std::abort();
        if (back.Width() != img.Width() || back.Height() != img.Height()) std::abort();
        for (int y = 0; y < img.Height(); ++y)
            for (int x = 0; x < img.Width(); ++x)
                if (!(back.Pixel(x, y) == img.Pixel(x, y))) std::abort();
    }
    return 0;
}
