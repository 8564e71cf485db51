// Companion of zip_bench.sh.
//
//   zip_inflate_bench make-data DIR     writes the benchmark's file set (deterministic)
//   zip_inflate_bench inflate ZIP [N]   raw zlib speed over the archive's members: the
//                                       ceiling any unpacker built on zlib can reach
//
// The inflate run reads the whole archive into memory first and walks the central
// directory itself, so that neither file reading nor writing nor the reader's own
// checks are in the figure; it prints the best of N runs, inflate alone and with
// CRC-32, in MB/s of unpacked data.
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t Get32(const uint8_t* p) { return Get16(p) | static_cast<uint32_t>(Get16(p + 2)) << 16; }

// Text that packs about as well as documentation and source code do: words from a
// small vocabulary with a skewed choice, lines of varying length.
class TextMaker {
public:
    explicit TextMaker(uint32_t seed) : rng_(seed) {
        const char* syllables[] = {"ka", "to", "wie", "ro", "pro", "gram", "dysk", "in", "sta", "la", "cja",
                                   "plik", "nie", "do", "ze", "my", "sz", "ko", "pie", "wa", "ni", "e"};
        for (int i = 0; i < 600; ++i) {
            std::string w;
            int n = 1 + static_cast<int>(rng_() % 4);
            for (int k = 0; k < n; ++k) w += syllables[rng_() % std::size(syllables)];
            words_.push_back(w);
        }
    }
    std::string Make(size_t bytes) {
        std::string s;
        s.reserve(bytes + 64);
        std::geometric_distribution<int> pick(0.02);
        int column = 0;
        while (s.size() < bytes) {
            const std::string& w = words_[std::min<size_t>(pick(rng_), words_.size() - 1)];
            s += w;
            column += static_cast<int>(w.size()) + 1;
            if (column > 60 + static_cast<int>(rng_() % 30)) {
                s += '\n';
                column = 0;
            } else {
                s += ' ';
            }
        }
        s.resize(bytes);
        return s;
    }
    std::mt19937& rng() { return rng_; }

private:
    std::mt19937 rng_;
    std::vector<std::string> words_;
};

void Write(const fs::path& p, const std::string& data) {
    fs::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f.write(data.data(), static_cast<std::streamsize>(data.size()));
}

std::string Random(std::mt19937& rng, size_t n) {
    std::string s(n, '\0');
    for (size_t i = 0; i + 4 <= n; i += 4) {
        uint32_t v = rng();
        std::memcpy(&s[i], &v, 4);
    }
    return s;
}

// Like program files: runs of structure and tables mixed with noise.
std::string Binaryish(std::mt19937& rng, size_t n) {
    std::string s;
    s.reserve(n);
    while (s.size() < n) {
        size_t run = 256 + rng() % 4096;
        switch (rng() % 3) {
            case 0: s += Random(rng, run); break;
            case 1: s.append(run, static_cast<char>(rng() % 4)); break;
            default:
                for (size_t i = 0; i < run; ++i) s += static_cast<char>((i * 7 + (i >> 5)) & 0xFF);
        }
    }
    s.resize(n);
    return s;
}

int MakeData(const fs::path& dir) {
    TextMaker text(20240501);
    auto& rng = text.rng();
    // About 300 MB in all: documents, packed media, thousands of small files, and a
    // few big ones.
    for (int i = 0; i < 100; ++i) Write(dir / "docs" / ("doc" + std::to_string(i) + ".txt"), text.Make(900000 + rng() % 600000));
    for (int i = 0; i < 8; ++i) Write(dir / "media" / ("clip" + std::to_string(i) + ".mpg"), Random(rng, 8 << 20));
    for (int i = 0; i < 5000; ++i)
        Write(dir / "small" / ("d" + std::to_string(i / 250)) / ("f" + std::to_string(i) + ".ini"), text.Make(500 + rng() % 8000));
    Write(dir / "big" / "install.log", text.Make(50u << 20));
    Write(dir / "big" / "program.exe", Binaryish(rng, 50u << 20));
    return 0;
}

struct Member {
    uint16_t method;
    uint32_t crc, csize, usize;
    size_t data;
};

int Inflate(const std::string& path, int runs) {
    std::ifstream f(path, std::ios::binary);
    std::vector<uint8_t> a((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (a.size() < 22) return std::fprintf(stderr, "not an archive\n"), 1;
    size_t end = a.size() - 22;
    while (end > 0 && Get32(&a[end]) != 0x06054b50) --end;
    if (Get32(&a[end]) != 0x06054b50) return std::fprintf(stderr, "no end record\n"), 1;
    size_t pos = Get32(&a[end + 16]);
    const unsigned count = Get16(&a[end + 10]);
    std::vector<Member> members;
    for (unsigned i = 0; i < count && pos + 46 <= a.size(); ++i) {
        const uint8_t* c = &a[pos];
        Member m{Get16(c + 10), Get32(c + 16), Get32(c + 20), Get32(c + 24), 0};
        size_t local = Get32(c + 42);
        m.data = local + 30 + Get16(&a[local + 26]) + Get16(&a[local + 28]);
        if (m.data + m.csize <= a.size() && (m.method == 0 || m.method == 8)) members.push_back(m);
        pos += 46 + Get16(c + 28) + Get16(c + 30) + Get16(c + 32);
    }
    uint64_t total = 0;
    for (auto& m : members) total += m.usize;

    std::vector<uint8_t> out(1 << 20);
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    double best[2] = {1e9, 1e9};
    unsigned bad = 0;
    for (int r = 0; r < runs; ++r)
        for (int withCrc = 0; withCrc < 2; ++withCrc) {
            auto t0 = std::chrono::steady_clock::now();
            for (auto& m : members) {
                uint32_t crc = 0;
                if (m.method == 0) {
                    if (withCrc) crc = static_cast<uint32_t>(crc32_z(0, &a[m.data], m.usize));
                } else {
                    inflateReset(&z);
                    z.next_in = &a[m.data];
                    z.avail_in = m.csize;
                    int st;
                    do {
                        z.next_out = out.data();
                        z.avail_out = static_cast<uInt>(out.size());
                        st = inflate(&z, Z_NO_FLUSH);
                        if (withCrc) crc = static_cast<uint32_t>(crc32_z(crc, out.data(), out.size() - z.avail_out));
                    } while (st == Z_OK);
                }
                if (withCrc && crc != m.crc) ++bad;
            }
            double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
            best[withCrc] = std::min(best[withCrc], s);
        }
    inflateEnd(&z);
    if (bad) std::fprintf(stderr, "warning: %u CRC mismatches\n", bad);
    std::printf("members %zu, unpacked %.1f MB\n", members.size(), total / 1e6);
    std::printf("zlib inflate          %8.1f MB/s\n", total / 1e6 / best[0]);
    std::printf("zlib inflate + crc32  %8.1f MB/s\n", total / 1e6 / best[1]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string cmd = argc > 1 ? argv[1] : "";
    if (cmd == "make-data" && argc == 3) return MakeData(argv[2]);
    if (cmd == "inflate" && (argc == 3 || argc == 4)) return Inflate(argv[2], argc == 4 ? std::max(1, std::atoi(argv[3])) : 3);
    std::fprintf(stderr, "usage: zip_inflate_bench make-data DIR | inflate ZIP [RUNS]\n");
    return 2;
}
