// Whether the menu program at a disc's root will start on other people's machines.
// The Linux program is read as an ELF file (the libraries it asks the host for, the
// C library versions it needs, leftover symbols); a Windows program is checked to
// be a PE executable. Nothing is run.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tool {

// What an ELF file says about itself.
struct ElfFacts {
    std::string problem;  // why it is not a readable ELF executable; "" when it is
    int bits = 0;         // 32 or 64
    uint16_t type = 0;    // 2 executable, 3 position-independent executable
    uint16_t machine = 0;
    bool dynamic = false;                                          // has a dynamic section
    std::string interpreter;                                       // the dynamic loader it names
    std::vector<std::string> needed;                               // libraries, in order
    std::vector<std::string> searchPaths;                          // its own library search paths
    std::vector<std::pair<std::string, std::string>> versionNeeds;  // (library, version)
    bool symbols = false;    // a symbol table section
    bool debugInfo = false;  // debugging sections
};

ElfFacts ReadElf(const std::vector<uint8_t>& bytes);

// What the menu program may ask of the host: the C library and its loader, zlib,
// the X11 libraries, fontconfig and FreeType. Everything else travels inside it.
bool IsHostLibrary(const std::string& soname);
// The newest C library version the program may need, and the size it should stay
// under.
inline constexpr int kNewestGlibcMajor = 2, kNewestGlibcMinor = 34;
inline constexpr uint64_t kProgramSizeLimit = 4u << 20;

struct ProgramVerdict {
    std::vector<std::string> errors;    // the program will not start somewhere
    std::vector<std::string> warnings;  // it starts, but something is off
};

// The rules for the Linux menu program; `size` is the file's size, `executable`
// whether it carries the execute permission.
ProgramVerdict JudgeLinuxProgram(const ElfFacts& elf, uint64_t size, bool executable);

// Why bytes are not a Windows executable ("" when they are one).
std::string PeProblem(const std::vector<uint8_t>& bytes);

}  // namespace tool
