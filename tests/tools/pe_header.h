// The smallest file the disc check takes for a Windows program, for the tests that
// need one without a Windows build at hand.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/bytes.h"

namespace testsupport {

// DOS stub, PE signature, file header, the start of the optional header up to its
// subsystem. 0x014C is the 32-bit processor, 0x0102 a 32-bit executable image,
// 0x010B the 32-bit optional header, 2 a windowed program.
inline std::vector<uint8_t> PeHeader(uint16_t machine = 0x014C, uint16_t characteristics = 0x0102, uint16_t magic = 0x010B,
                                     uint16_t subsystem = 2) {
    std::vector<uint8_t> b(0x40 + 24 + 96, 0);
    b[0] = 'M';
    b[1] = 'Z';
    platform::StoreLE32(b, 0x3C, 0x40);
    platform::StoreLE32(b, 0x40, 0x00004550);
    platform::StoreLE16(b, 0x44, machine);
    platform::StoreLE16(b, 0x54, 96);
    platform::StoreLE16(b, 0x56, characteristics);
    platform::StoreLE16(b, 0x58, magic);
    platform::StoreLE16(b, 0x58 + 68, subsystem);
    return b;
}

}  // namespace testsupport
