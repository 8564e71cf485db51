// The catalogue's line cipher: a keyed byte stream whose state runs on from one line
// to the next, so a catalogue is deciphered in order with one state object, from
// line 7 to the end. The menu only deciphers; the encoder is here so that the disc
// tool writes catalogues with exactly the same state sequence.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class CJXKoder {
public:
    uint16_t spare = 0;  // holds a register while the two are exchanged
    uint16_t wordA = 0;  // advanced on every step
    uint16_t wordB = 0;  // exchanged with wordA at the end of every period
    uint16_t rangeHigh = 250;
    uint16_t rangeLow = 5;
    uint16_t offset = 0;  // value of the last step; its low byte shifts the data
    uint8_t xorByte = 0;
    uint8_t period = 0;   // steps between two exchanges
    uint8_t counter = 0;  // steps since the last exchange

    // Seeds the state from exactly six key characters, each a signed byte (a
    // character of 128 to 255 counts as -128 to -1). Another length throws
    // std::invalid_argument: a short key would otherwise seed from whatever
    // happens to follow it.
    void SetKey(std::string_view key);

    // One step: deciphers v and advances the state.
    uint8_t DecodeByte(uint8_t v);
    // The inverse of DecodeByte over the same state sequence.
    uint8_t EncodeByte(uint8_t plain);

    // Resolves the escapes of `length` stored characters, deciphers each resulting
    // byte into target and puts a 0 after them; returns the number of bytes
    // deciphered. target must hold length + 1 bytes.
    int DecodeBuffer(const uint8_t* source, int length, uint8_t* target);

private:
    // Advances the state and returns the low byte of the new offset; the data
    // never influences it.
    uint8_t Step();
};

// The longest stored line the format allows (the working buffers are 4096 bytes).
constexpr int kMaxStoredLine = 4095;

// Deciphers one stored line with the given state. The text ends at the first
// deciphered 0 byte, but the state still advances over the whole line. Lines
// beyond kMaxStoredLine characters are outside the format: only their first
// kMaxStoredLine characters are deciphered (and advance the state), the rest is
// ignored, so nothing ever runs past the fixed buffers.
std::string DecodeLine(CJXKoder& koder, std::string_view stored);

// Enciphers one line of plain text with the given state and writes the enciphered
// bytes 10, 13, 92, 26 and 0 as their escapes. Throws std::invalid_argument for a
// text holding a NUL (deciphering would stop there) and for a result longer than
// kMaxStoredLine characters (deciphering would cut it).
std::string EncodeLine(CJXKoder& koder, std::string_view plain);
