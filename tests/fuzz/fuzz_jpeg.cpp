// JPEG screenshots and skins from a damaged disc: decoding must end in a picture or a
// refusal, never in a crash, an exit or a message. Small pictures that decode are
// encoded again and must decode to the same size.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    platform::Image img(1, 1);
    std::string error;
    if (!platform::DecodeJpeg(data, size, img, &error)) {
        if (error.empty() || img.Width() != 1 || img.Height() != 1) std::abort();
        return 0;
    }
    if (img.Empty()) std::abort();
    if (int64_t(img.Width()) * img.Height() <= 256 * 256) {
        auto again = platform::EncodeJpeg(img, 50);
        platform::Image back;
        if (!platform::DecodeJpeg(again.data(), again.size(), back)) std::abort();
        if (back.Width() != img.Width() || back.Height() != img.Height()) std::abort();
    }
    return 0;
}
