#include "tools/lib/fontpack.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

#include "platform/bmp.h"
#include "platform/bytes.h"
#include "platform/image.h"
#include "platform/stream.h"
#include "platform/text.h"

namespace tool {
namespace fs = std::filesystem;

namespace {

constexpr size_t kHeader = 64, kMap = 256, kTable = 1024;

// The parts of the header that carry no named field; kept as hex so that packing
// reproduces them.
struct ReservedRange {
    const char* key;
    size_t from, to;  // inclusive
};
constexpr ReservedRange kReserved[] = {{"reserved-0", 0, 13}, {"reserved-16", 16, 17}, {"reserved-22", 22, 63}};


std::string Hex(const uint8_t* p, size_t n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

// Takes one BMP file image off the stream and returns its bytes exactly as they lie.
std::vector<uint8_t> TakeBmp(platform::MemoryStream& in, const std::string& what, platform::Image* img = nullptr) {
    size_t start = in.Position();
    platform::Image tmp;
    std::string why;
    if (!platform::ReadBmp(in, img ? *img : tmp, &why)) throw std::runtime_error(what + ": " + (why.empty() ? "not a BMP" : why));
    const auto& b = in.Bytes();
    return std::vector<uint8_t>(b.begin() + static_cast<ptrdiff_t>(start), b.begin() + static_cast<ptrdiff_t>(in.Position()));
}

// What a character code looks like, for the comments of header.txt.
std::string Shown(int code) {
    if (code < 0x20 || code == 0x7F) return "";
    std::string u = platform::Cp1250ToUtf8(std::string(1, static_cast<char>(code)));
    return u == "?" && code != '?' ? "" : u;
}

std::string HeaderText(const FontRecordParts& r, int number, int w, int h, int mw, int mh) {
    std::ostringstream o;
    const uint16_t version = r.Version();
    o << "# font record " << number << ": the readable part; glyph.bmp and mask.bmp hold the pictures.\n"
      << "# Edit numbers freely; pictures may be edited if they keep their size.\n"
      << "version " << version << "\n"
      << "cell " << platform::LoadLE16(r.header + 18) << " x " << platform::LoadLE16(r.header + 20) << "\n";
    for (const auto& rr : kReserved) o << rr.key << " " << Hex(r.header + rr.from, rr.to - rr.from + 1) << "\n";
    o << "glyph-image " << w << " x " << h << "\n";
    if (version >= 257) o << "mask-image " << mw << " x " << mh << "\n";
    o << "# char map: 'map' row, then the glyph index of the 16 codes of that row (hex)\n";
    for (int row = 0; row < 16; ++row) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "%02X", row * 16);
        o << "map " << buf << ":";
        for (int i = 0; i < 16; ++i) {
            std::snprintf(buf, sizeof buf, " %02X", r.charMap[row * 16 + i]);
            o << buf;
        }
        o << "\n";
    }
    o << "# glyph INDEX WIDTH HEIGHT" << (version >= 258 ? " JOIN-LEFT JOIN-RIGHT" : "") << "   # the character of that code\n";
    for (int g = 0; g < 256; ++g) {
        o << "glyph " << g << " " << platform::LoadLE16(r.metrics + g * 4) << " " << platform::LoadLE16(r.metrics + g * 4 + 2);
        if (version >= 258) o << " " << platform::LoadLE16(r.pairs + g * 4) << " " << platform::LoadLE16(r.pairs + g * 4 + 2);
        std::string shown = Shown(g);
        if (!shown.empty()) o << "   # " << shown;
        o << "\n";
    }
    return o.str();
}

[[noreturn]] void Bad(const std::string& file, int line, const std::string& why) {
    throw std::runtime_error(file + ":" + std::to_string(line) + ": " + why);
}

long Number(const std::string& tok, const std::string& file, int line, long lo, long hi, int base = 10) {
    size_t used = 0;
    long v = 0;
    try {
        v = std::stol(tok, &used, base);
    } catch (const std::exception&) {
        Bad(file, line, "'" + tok + "' is not a number");
    }
    if (used != tok.size()) Bad(file, line, "'" + tok + "' is not a number");
    if (v < lo || v > hi) Bad(file, line, "'" + tok + "' is out of range " + std::to_string(lo) + ".." + std::to_string(hi));
    return v;
}

struct Size2 {
    int w = -1, h = -1;
};

// Reads "W x H" from the tokens after the key.
Size2 ReadSize(const std::vector<std::string>& t, const std::string& file, int line) {
    if (t.size() != 4 || t[2] != "x") Bad(file, line, "expected '" + t[0] + " WIDTH x HEIGHT'");
    return {static_cast<int>(Number(t[1], file, line, 0, 65535)), static_cast<int>(Number(t[3], file, line, 0, 65535))};
}

// A picture from the folder: the file's own bytes when it is exactly one BMP file
// image (so nothing changes for an untouched file), else re-encoded as 24-bit.
std::vector<uint8_t> PictureFromFile(const std::string& path, Size2 want) {
    std::vector<uint8_t> bytes = ReadHostFile(path);
    platform::MemoryStream in(bytes);
    platform::Image img;
    std::string why;
    if (!platform::ReadBmp(in, img, &why)) throw std::runtime_error(path + ": " + (why.empty() ? "not a BMP" : why));
    if (want.w >= 0 && (img.Width() != want.w || img.Height() != want.h))
        throw std::runtime_error(path + " is " + std::to_string(img.Width()) + " x " + std::to_string(img.Height()) + ", the record needs " +
                                 std::to_string(want.w) + " x " + std::to_string(want.h));
    if (in.Position() == bytes.size()) return bytes;
    return platform::EncodeBmp24(img);
}

FontRecordParts PackRecord(const fs::path& folder) {
    FontRecordParts r;
    const std::string file = (folder / "header.txt").string();
    std::ifstream f(file);
    if (!f) throw std::runtime_error("cannot read " + file);
    for (int c = 0; c < 256; ++c) r.charMap[c] = static_cast<uint8_t>(c);
    bool haveVersion = false, haveCell = false;
    Size2 glyphSize, maskSize;
    std::string text;
    int line = 0;
    while (std::getline(f, text)) {
        ++line;
        if (auto hash = text.find('#'); hash != std::string::npos) text.resize(hash);
        std::istringstream ls(text);
        std::vector<std::string> t;
        for (std::string w; ls >> w;) t.push_back(w);
        if (t.empty()) continue;
        const std::string& key = t[0];
        if (key == "version") {
            if (t.size() != 2) Bad(file, line, "expected 'version N'");
            platform::StoreLE16(r.header + 14, static_cast<unsigned>(Number(t[1], file, line, 0, 65535)));
            haveVersion = true;
        } else if (key == "cell") {
            Size2 s = ReadSize(t, file, line);
            platform::StoreLE16(r.header + 18, static_cast<unsigned>(s.w));
            platform::StoreLE16(r.header + 20, static_cast<unsigned>(s.h));
            haveCell = true;
        } else if (key == "glyph-image") {
            glyphSize = ReadSize(t, file, line);
        } else if (key == "mask-image") {
            maskSize = ReadSize(t, file, line);
        } else if (key == "map") {
            if (t.size() != 18 || t[1].size() != 3 || t[1][2] != ':') Bad(file, line, "expected 'map RR: ' and 16 hex numbers");
            int row = static_cast<int>(Number(t[1].substr(0, 2), file, line, 0, 255, 16));
            if (row % 16) Bad(file, line, "a map row starts at a multiple of 16");
            for (int i = 0; i < 16; ++i) r.charMap[row + i] = static_cast<uint8_t>(Number(t[2 + i], file, line, 0, 255, 16));
        } else if (key == "glyph") {
            if (t.size() != 4 && t.size() != 6) Bad(file, line, "expected 'glyph INDEX WIDTH HEIGHT [JOIN-LEFT JOIN-RIGHT]'");
            int g = static_cast<int>(Number(t[1], file, line, 0, 255));
            platform::StoreLE16(r.metrics + g * 4, static_cast<unsigned>(Number(t[2], file, line, 0, 65535)));
            platform::StoreLE16(r.metrics + g * 4 + 2, static_cast<unsigned>(Number(t[3], file, line, 0, 65535)));
            if (t.size() == 6) {
                platform::StoreLE16(r.pairs + g * 4, static_cast<unsigned>(Number(t[4], file, line, 0, 65535)));
                platform::StoreLE16(r.pairs + g * 4 + 2, static_cast<unsigned>(Number(t[5], file, line, 0, 65535)));
            }
        } else {
            bool known = false;
            for (const auto& rr : kReserved) {
                if (key != rr.key) continue;
                known = true;
                const size_t n = rr.to - rr.from + 1;
                if (t.size() != 2 || t[1].size() != 2 * n) Bad(file, line, "expected " + std::to_string(n) + " bytes in hex");
                for (size_t i = 0; i < n; ++i)
                    r.header[rr.from + i] = static_cast<uint8_t>(Number(t[1].substr(2 * i, 2), file, line, 0, 255, 16));
            }
            if (!known) Bad(file, line, "unknown entry '" + key + "'");
        }
    }
    if (!haveVersion) throw std::runtime_error(file + ": no 'version' line");
    if (!haveCell) throw std::runtime_error(file + ": no 'cell' line");
    r.glyphBmp = PictureFromFile((folder / "glyph.bmp").string(), glyphSize);
    if (r.Version() >= 257) r.maskBmp = PictureFromFile((folder / "mask.bmp").string(), maskSize);
    return r;
}

}  // namespace

std::vector<uint8_t> FontRecordParts::Bytes() const {
    std::vector<uint8_t> out(header, header + kHeader);
    out.insert(out.end(), charMap, charMap + kMap);
    out.insert(out.end(), metrics, metrics + kTable);
    if (Version() >= 258) out.insert(out.end(), pairs, pairs + kTable);
    out.insert(out.end(), glyphBmp.begin(), glyphBmp.end());
    if (Version() >= 257) out.insert(out.end(), maskBmp.begin(), maskBmp.end());
    return out;
}

std::vector<FontRecordParts> SplitFontStream(const std::vector<uint8_t>& stream) {
    std::vector<FontRecordParts> records;
    platform::MemoryStream in(stream);
    while (!in.AtEnd()) {
        const std::string name = "font record " + std::to_string(records.size() + 1);
        FontRecordParts r;
        auto take = [&](uint8_t* dst, size_t n, const char* what) {
            if (in.Read(dst, n) != n) throw std::runtime_error(name + " is cut short in its " + what);
        };
        take(r.header, kHeader, "header");
        take(r.charMap, kMap, "char map");
        take(r.metrics, kTable, "glyph metrics");
        if (r.Version() >= 258) take(r.pairs, kTable, "pair flags");
        r.glyphBmp = TakeBmp(in, name + ", glyph image");
        if (r.Version() >= 257) r.maskBmp = TakeBmp(in, name + ", mask image");
        records.push_back(std::move(r));
    }
    return records;
}

int UnpackFontStream(const std::vector<uint8_t>& stream, const std::string& dir) {
    std::vector<FontRecordParts> records = SplitFontStream(stream);
    for (size_t i = 0; i < records.size(); ++i) {
        const FontRecordParts& r = records[i];
        char name[24];
        std::snprintf(name, sizeof name, "%02zu", i + 1);
        const fs::path folder = fs::path(dir) / name;
        fs::create_directories(folder);
        platform::Image glyph, mask;
        platform::MemoryStream gs(r.glyphBmp), ms(r.maskBmp);
        platform::ReadBmp(gs, glyph);
        if (r.Version() >= 257) platform::ReadBmp(ms, mask);
        std::string text = HeaderText(r, static_cast<int>(i + 1), glyph.Width(), glyph.Height(), mask.Width(), mask.Height());
        WriteHostFile((folder / "header.txt").string(), std::vector<uint8_t>(text.begin(), text.end()));
        WriteHostFile((folder / "glyph.bmp").string(), r.glyphBmp);
        if (r.Version() >= 257) WriteHostFile((folder / "mask.bmp").string(), r.maskBmp);
    }
    return static_cast<int>(records.size());
}

std::vector<uint8_t> PackFontStream(const std::string& dir) {
    // The record folders are the ones named by a number, taken in numeric order.
    std::map<long, fs::path> folders;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec)) {
        const std::string n = e.path().filename().string();
        if (!e.is_directory() || n.empty() || n.size() > 6 || !std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        if (!folders.emplace(std::stol(n), e.path()).second) throw std::runtime_error("two record folders with the number " + n + " in " + dir);
    }
    if (ec) throw std::runtime_error("cannot read the folder " + dir);
    if (folders.empty()) throw std::runtime_error("no numbered record folders in " + dir);
    std::vector<uint8_t> out;
    for (const auto& [n, folder] : folders) {
        std::vector<uint8_t> r = PackRecord(folder).Bytes();
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

std::vector<uint8_t> ReadHostFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void WriteHostFile(const std::string& path, const std::vector<uint8_t>& data) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) throw std::runtime_error("cannot write " + path);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

}  // namespace tool
