#include "catalogue/Cjxkoderu.h"

#include <cstring>
#include <stdexcept>

namespace {

uint16_t SignedByte(char c) {
    // Sign-extended into 16 bits: 0xFF counts as -1.
    return static_cast<uint16_t>(static_cast<int16_t>(static_cast<int8_t>(static_cast<uint8_t>(c))));
}

// The stored character after a backslash -> the enciphered byte it stands for.
uint8_t Unescape(uint8_t ch) {
    switch (ch) {
        case '1': return 10;
        case '2': return 13;
        case '3': return 92;
        case '4': return 26;
        case '5': return 0;
        default: return ch;
    }
}

// The enciphered byte -> its escape digit, or 0 when it is stored as it is.
char EscapeFor(uint8_t b) {
    switch (b) {
        case 10: return '1';
        case 13: return '2';
        case 92: return '3';
        case 26: return '4';
        case 0: return '5';
        default: return 0;
    }
}

}  // namespace

void CJXKoder::SetKey(std::string_view key) {
    if (key.size() != 6) throw std::invalid_argument("a cipher key has exactly six characters");
    xorByte = static_cast<uint8_t>(key[0]);
    wordA = static_cast<uint16_t>(256u * SignedByte(key[2]) + SignedByte(key[1]));
    period = static_cast<uint8_t>(key[3]);
    wordB = static_cast<uint16_t>(256u * SignedByte(key[5]) + SignedByte(key[4]));
    rangeHigh = 250;
    rangeLow = 5;
    counter = 0;
}

uint8_t CJXKoder::Step() {
    bool periodEnds = counter == period;
    if (periodEnds) {
        spare = wordA;
        wordA = wordB;
        wordB = spare;
    }
    wordA = static_cast<uint16_t>(wordA + 0x4924);
    wordA = static_cast<uint16_t>((wordA >> 3) | (wordA << 13));
    uint32_t span = static_cast<uint16_t>(rangeHigh - rangeLow);
    offset = static_cast<uint16_t>(rangeLow + ((span * wordA) >> 16));
    if (periodEnds) {
        period = static_cast<uint8_t>(offset);
        counter = 0;
    }
    ++counter;
    return static_cast<uint8_t>(offset);
}

uint8_t CJXKoder::DecodeByte(uint8_t v) {
    uint8_t shift = Step();
    return static_cast<uint8_t>(static_cast<uint8_t>(v - shift) ^ xorByte);
}

uint8_t CJXKoder::EncodeByte(uint8_t plain) {
    uint8_t shift = Step();
    return static_cast<uint8_t>((plain ^ xorByte) + shift);
}

int CJXKoder::DecodeBuffer(const uint8_t* source, int length, uint8_t* target) {
    int i = 0, n = 0;
    while (i < length) {
        uint8_t ch = source[i];
        if (ch == '\\') {
            ++i;
            // A backslash at the very end escapes the terminating 0.
            ch = i < length ? Unescape(source[i]) : 0;
        }
        target[n++] = DecodeByte(ch);
        ++i;
    }
    target[n] = 0;
    return n;
}

std::string DecodeLine(CJXKoder& koder, std::string_view stored) {
    uint8_t source[kMaxStoredLine + 1];
    uint8_t target[kMaxStoredLine + 1];
    int length = stored.size() > static_cast<size_t>(kMaxStoredLine) ? kMaxStoredLine : static_cast<int>(stored.size());
    if (length) std::memcpy(source, stored.data(), static_cast<size_t>(length));
    source[length] = 0;
    koder.DecodeBuffer(source, length, target);
    return std::string(reinterpret_cast<const char*>(target));
}

std::string EncodeLine(CJXKoder& koder, std::string_view plain) {
    if (plain.find('\0') != std::string_view::npos)
        throw std::invalid_argument("a catalogue line cannot hold a NUL byte");
    std::string out;
    out.reserve(plain.size() + plain.size() / 16 + 8);
    for (char c : plain) {
        uint8_t b = koder.EncodeByte(static_cast<uint8_t>(c));
        if (char e = EscapeFor(b)) {
            out += '\\';
            out += e;
        } else {
            out += static_cast<char>(b);
        }
    }
    if (out.size() > static_cast<size_t>(kMaxStoredLine))
        throw std::invalid_argument("an enciphered catalogue line would exceed " + std::to_string(kMaxStoredLine) +
                                    " characters");
    return out;
}
