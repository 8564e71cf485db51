#include "tools/lib/programcheck.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string_view>

#include "platform/bytes.h"

namespace tool {

namespace {

constexpr uint32_t kPtLoad = 1, kPtDynamic = 2, kPtInterp = 3;
constexpr int64_t kDtNull = 0, kDtNeeded = 1, kDtStrtab = 5, kDtStrsz = 10, kDtRpath = 15, kDtRunpath = 29;
constexpr int64_t kDtVerneed = 0x6ffffffe, kDtVerneednum = 0x6fffffff;
constexpr uint32_t kShtSymtab = 2;
constexpr uint16_t kMachineX86 = 3, kMachineX8664 = 62, kMachineArm = 40, kMachineAarch64 = 183;
// A hostile file could claim millions of entries; real programs have a few dozen.
constexpr size_t kMostEntries = 1 << 16;

// Bounds-checked little-endian reads of the file's bytes; a read outside the file
// throws Outside, which fails the whole inspection.
class Bytes {
public:
    struct Outside {};
    explicit Bytes(const std::vector<uint8_t>& b) : b_(b) {}
    bool Has(uint64_t at, uint64_t n) const { return at <= b_.size() && n <= b_.size() - at; }
    uint16_t U16(uint64_t at) const { return platform::LoadLE16(At(at, 2)); }
    uint32_t U32(uint64_t at) const { return platform::LoadLE32(At(at, 4)); }
    uint64_t U64(uint64_t at) const { return U32(at) | uint64_t{U32(at + 4)} << 32; }
    // A word of the file's class: 4 bytes in a 32-bit file, 8 in a 64-bit one.
    uint64_t Word(uint64_t at, int bits) const { return bits == 64 ? U64(at) : U32(at); }
    // A NUL-terminated string starting at `at` and ending before `end`.
    std::string Str(uint64_t at, uint64_t end) const {
        end = std::min<uint64_t>(end, b_.size());
        if (at >= end) throw Outside{};
        auto first = b_.begin() + static_cast<std::ptrdiff_t>(at), last = b_.begin() + static_cast<std::ptrdiff_t>(end);
        auto nul = std::find(first, last, uint8_t{0});
        if (nul == last) throw Outside{};
        return std::string(first, nul);
    }

private:
    const uint8_t* At(uint64_t at, uint64_t n) const {
        if (!Has(at, n)) throw Outside{};
        return b_.data() + at;
    }
    const std::vector<uint8_t>& b_;
};

struct Segment {
    uint32_t type;
    uint64_t offset, vaddr, filesz;
};

const char* MachineName(uint16_t m) {
    switch (m) {
    case kMachineX86: return "32-bit x86";
    case kMachineX8664: return "x86-64";
    case kMachineArm: return "32-bit ARM";
    case kMachineAarch64: return "64-bit ARM";
    default: return "another processor";
    }
}

void ReadSections(const Bytes& f, ElfFacts& out, uint64_t shoff, uint16_t shentsize, uint32_t shnum, uint32_t shstrndx) {
    const int bits = out.bits;
    const uint64_t entry = bits == 64 ? 64 : 40;
    if (shoff == 0) return;
    if (shentsize < entry) throw Bytes::Outside{};
    // Extended numbering: the real counts sit in the first section header.
    if (shnum == 0) shnum = static_cast<uint32_t>(std::min<uint64_t>(f.Word(shoff + (bits == 64 ? 32 : 20), bits), kMostEntries));
    if (shstrndx == 0xFFFF) shstrndx = f.U32(shoff + (bits == 64 ? 40 : 24));
    if (shnum > kMostEntries || shstrndx >= shnum) return;
    auto header = [&](uint32_t i) { return shoff + uint64_t{i} * shentsize; };
    const uint64_t namesAt = f.Word(header(shstrndx) + (bits == 64 ? 24 : 16), bits);
    const uint64_t namesSize = f.Word(header(shstrndx) + (bits == 64 ? 32 : 20), bits);
    for (uint32_t i = 0; i < shnum; ++i) {
        const uint32_t type = f.U32(header(i) + 4);
        if (type == kShtSymtab) out.symbols = true;
        const uint32_t name = f.U32(header(i));
        if (name >= namesSize) continue;
        const std::string n = f.Str(namesAt + name, namesAt + namesSize);
        if (n.rfind(".debug", 0) == 0 || n.rfind(".zdebug", 0) == 0) out.debugInfo = true;
    }
}

void ReadDynamic(const Bytes& f, ElfFacts& out, const std::vector<Segment>& segments, const Segment& dyn) {
    const int bits = out.bits;
    // Addresses in the dynamic section are where the loader maps things; the file
    // offset is found through the loadable segment that holds the address.
    auto offsetOf = [&](uint64_t vaddr) -> uint64_t {
        for (const Segment& s : segments)
            if (s.type == kPtLoad && vaddr >= s.vaddr && vaddr - s.vaddr < s.filesz) return s.offset + (vaddr - s.vaddr);
        throw Bytes::Outside{};
    };
    const uint64_t entry = bits == 64 ? 16 : 8;
    std::vector<uint64_t> needed, paths;
    uint64_t strtab = 0, strsz = 0, verneed = 0, verneednum = 0;
    bool haveStrtab = false;
    for (uint64_t at = dyn.offset, n = 0; at + entry <= dyn.offset + dyn.filesz && n < kMostEntries; at += entry, ++n) {
        const int64_t tag = bits == 64 ? static_cast<int64_t>(f.U64(at)) : static_cast<int32_t>(f.U32(at));
        const uint64_t value = f.Word(at + entry / 2, bits);
        if (tag == kDtNull) break;
        if (tag == kDtNeeded) needed.push_back(value);
        else if (tag == kDtRpath || tag == kDtRunpath) paths.push_back(value);
        else if (tag == kDtStrtab) strtab = value, haveStrtab = true;
        else if (tag == kDtStrsz) strsz = value;
        else if (tag == kDtVerneed) verneed = value;
        else if (tag == kDtVerneednum) verneednum = value;
    }
    if (!haveStrtab) {
        if (!needed.empty()) throw Bytes::Outside{};
        return;
    }
    const uint64_t strings = offsetOf(strtab);
    auto str = [&](uint64_t off) {
        if (off >= strsz) throw Bytes::Outside{};
        return f.Str(strings + off, strings + strsz);
    };
    for (uint64_t n : needed) out.needed.push_back(str(n));
    for (uint64_t p : paths) out.searchPaths.push_back(str(p));
    if (verneednum == 0) return;
    uint64_t at = offsetOf(verneed);
    for (uint64_t k = 0; k < std::min<uint64_t>(verneednum, kMostEntries); ++k) {
        // Verneed: version, count, file, aux, next; Vernaux: hash, flags, other, name, next.
        const uint16_t count = f.U16(at + 2);
        const std::string file = str(f.U32(at + 4));
        uint64_t aux = at + f.U32(at + 8);
        for (uint16_t a = 0; a < count; ++a) {
            out.versionNeeds.emplace_back(file, str(f.U32(aux + 8)));
            const uint32_t next = f.U32(aux + 12);
            if (next == 0) break;
            aux += next;
        }
        const uint32_t next = f.U32(at + 12);
        if (next == 0) break;
        at += next;
    }
}

// "GLIBC_2.34" -> (2, 34); false for anything else ("GLIBC_PRIVATE").
bool GlibcVersion(const std::string& v, int& major, int& minor) {
    major = minor = 0;
    int patch = 0;
    char tail = 0;
    const int n = std::sscanf(v.c_str(), "GLIBC_%d.%d.%d%c", &major, &minor, &patch, &tail);
    return v.rfind("GLIBC_", 0) == 0 && (n == 2 || n == 3);
}

std::string Mib(uint64_t bytes) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f MiB", static_cast<double>(bytes) / (1 << 20));
    return buf;
}

}  // namespace

ElfFacts ReadElf(const std::vector<uint8_t>& bytes) {
    ElfFacts out;
    const Bytes f(bytes);
    if (bytes.size() < 16 || bytes[0] != 0x7F || bytes[1] != 'E' || bytes[2] != 'L' || bytes[3] != 'F') {
        out.problem = "is not an ELF program";
        return out;
    }
    if (bytes[4] != 1 && bytes[4] != 2) {
        out.problem = "is an ELF file of an unknown class";
        return out;
    }
    if (bytes[5] != 1) {
        out.problem = "is a big-endian ELF file, for a processor the disc's users do not have";
        return out;
    }
    out.bits = bytes[4] == 2 ? 64 : 32;
    try {
        const bool wide = out.bits == 64;
        out.type = f.U16(16);
        out.machine = f.U16(18);
        const uint64_t phoff = f.Word(wide ? 32 : 28, out.bits);
        const uint64_t shoff = f.Word(wide ? 40 : 32, out.bits);
        const uint16_t phentsize = f.U16(wide ? 54 : 42), phnum = f.U16(wide ? 56 : 44);
        const uint16_t shentsize = f.U16(wide ? 58 : 46), shnum = f.U16(wide ? 60 : 48), shstrndx = f.U16(wide ? 62 : 50);
        if (out.type != 2 && out.type != 3) {
            out.problem = "is an ELF file but not a program";
            return out;
        }
        if (phentsize < (wide ? 56 : 32)) throw Bytes::Outside{};
        std::vector<Segment> segments;
        for (uint16_t i = 0; i < phnum; ++i) {
            const uint64_t p = phoff + uint64_t{i} * phentsize;
            Segment s;
            s.type = f.U32(p);
            s.offset = f.Word(p + (wide ? 8 : 4), out.bits);
            s.vaddr = f.Word(p + (wide ? 16 : 8), out.bits);
            s.filesz = f.Word(p + (wide ? 32 : 16), out.bits);
            if (!f.Has(s.offset, s.filesz)) throw Bytes::Outside{};
            segments.push_back(s);
        }
        for (const Segment& s : segments) {
            if (s.type == kPtInterp) out.interpreter = f.Str(s.offset, s.offset + s.filesz);
            if (s.type == kPtDynamic) {
                out.dynamic = true;
                ReadDynamic(f, out, segments, s);
            }
        }
        ReadSections(f, out, shoff, shentsize, shnum, shstrndx);
    } catch (const Bytes::Outside&) {
        out.problem = "is a damaged ELF file (its tables point outside it)";
    }
    return out;
}

bool IsHostLibrary(const std::string& soname) {
    static const std::array<std::string_view, 18> kHost = {
        // the C library and its loader
        "libc.so.6", "libm.so.6", "libpthread.so.0", "libdl.so.2", "librt.so.1", "ld-linux-x86-64.so.2",
        "ld-linux.so.2", "ld-linux-aarch64.so.1",
        // zlib, X11, fontconfig, FreeType
        "libz.so.1", "libX11.so.6", "libXext.so.6", "libXft.so.2", "libXrender.so.1", "libXfixes.so.3",
        "libXcursor.so.1", "libXinerama.so.1", "libfontconfig.so.1", "libfreetype.so.6"};
    return std::find(kHost.begin(), kHost.end(), soname) != kHost.end();
}

ProgramVerdict JudgeLinuxProgram(const ElfFacts& elf, uint64_t size, bool executable) {
    ProgramVerdict v;
    if (!elf.problem.empty()) {
        v.errors.push_back(elf.problem);
        return v;
    }
    if (elf.machine != kMachineX8664)
        v.warnings.push_back(std::string("is built for ") + MachineName(elf.machine) + ": it starts only on such machines");
    if (!executable) v.errors.push_back("is not executable (its execute permission is missing)");
    // The loaders a program may name, as every distribution installs them.
    static const std::array<std::string_view, 4> kLoaders = {"/lib64/ld-linux-x86-64.so.2", "/lib/ld-linux.so.2",
                                                             "/lib/ld-linux-aarch64.so.1", "/lib/ld-linux-armhf.so.3"};
    if (!elf.interpreter.empty() && std::find(kLoaders.begin(), kLoaders.end(), elf.interpreter) == kLoaders.end())
        v.errors.push_back("names the loader " + elf.interpreter + ", which other machines do not have");
    for (const std::string& lib : elf.needed)
        if (!IsHostLibrary(lib))
            v.errors.push_back("needs " + lib + " from the host; only the C library, zlib, X11, fontconfig and FreeType "
                               "may come from there, the rest must be linked in");
    std::string newest;
    int newestMajor = 0, newestMinor = 0;
    for (const auto& [lib, version] : elf.versionNeeds) {
        if (version.rfind("GLIBC_", 0) != 0) continue;
        int major, minor;
        if (!GlibcVersion(version, major, minor)) {
            v.errors.push_back("needs " + version + " of " + lib + ", which only the C library it was built with has");
            continue;
        }
        if (std::make_pair(major, minor) > std::make_pair(newestMajor, newestMinor)) {
            newestMajor = major;
            newestMinor = minor;
            newest = version;
        }
    }
    if (std::make_pair(newestMajor, newestMinor) > std::make_pair(kNewestGlibcMajor, kNewestGlibcMinor))
        v.errors.push_back("needs " + newest + "; machines with a C library older than that cannot start it (at most GLIBC_" +
                           std::to_string(kNewestGlibcMajor) + "." + std::to_string(kNewestGlibcMinor) + ")");
    for (const std::string& p : elf.searchPaths)
        v.warnings.push_back("carries the library search path " + p + " of the machine it was built on");
    if (elf.symbols || elf.debugInfo)
        v.warnings.push_back(std::string("is not stripped (it carries ") + (elf.debugInfo ? "debugging information" : "a symbol table") +
                             ")");
    if (size > kProgramSizeLimit)
        v.warnings.push_back("is " + Mib(size) + ", more than the " + Mib(kProgramSizeLimit) + " it should stay under");
    return v;
}

std::string PeProblem(const std::vector<uint8_t>& bytes) {
    const Bytes f(bytes);
    try {
        if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z') return "is not a Windows program";
        const uint32_t pe = f.U32(0x3C);
        if (!f.Has(pe, 24) || f.U32(pe) != 0x00004550) return "is an MS-DOS program, not a Windows one";
        const uint16_t machine = f.U16(pe + 4);
        const uint16_t optionalSize = f.U16(pe + 20), characteristics = f.U16(pe + 22);
        if (machine != 0x014C && machine != 0x8664) return "is a Windows program for a processor the disc's users do not have";
        if (!(characteristics & 0x0002) || (characteristics & 0x2000)) return "is a Windows library, not a program";
        if (optionalSize < 70) return "is a damaged Windows program";
        const uint16_t magic = f.U16(pe + 24);
        if (magic != 0x010B && magic != 0x020B) return "is a damaged Windows program";
        const uint16_t subsystem = f.U16(pe + 24 + 68);
        if (subsystem != 2 && subsystem != 3) return "is a Windows program of another kind (a driver or a boot program)";
        // The loader maps every section from the file, so a copy that broke off after
        // the headers does not start; the opener refuses such a program the same way.
        const uint32_t sections = f.U16(pe + 6);
        if (sections > 96) return "is a damaged Windows program";
        const uint64_t table = uint64_t{pe} + 24 + optionalSize;
        // The optional header and the section table are read whole, however few
        // sections there are.
        if (!f.Has(table, uint64_t{sections} * 40)) return "is a damaged Windows program";
        for (uint32_t i = 0; i < sections; ++i) {
            const uint64_t at = table + uint64_t{i} * 40;
            const uint32_t rawSize = f.U32(at + 16), rawAt = f.U32(at + 20);
            if (rawSize > 0 && !f.Has(rawAt, rawSize)) return "is a damaged Windows program";
        }
    } catch (const Bytes::Outside&) {
        return "is a damaged Windows program";
    }
    return {};
}

}  // namespace tool
