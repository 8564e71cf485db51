// Pieces of text handling that every host's conversions share.
#pragma once

#include <cstdint>

namespace platform {

// The capital of a letter (a Unicode code point), by Unicode's simple case pairs,
// for the scripts that file names on the disc and in archives use: Latin, Greek
// and Cyrillic. Anything else comes back as it is.
uint32_t UpperCodePoint(uint32_t u);

}  // namespace platform
