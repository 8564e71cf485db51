// Programs at a disc's root as the disc check reads them: any bytes, as ELF and as
// PE. Nothing may be read outside the input, and whatever is reported must hold
// together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "tools/lib/programcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const tool::ElfFacts elf = tool::ReadElf(bytes);
    if (elf.problem.empty() && elf.bits != 32 && elf.bits != 64) std::abort();
    const tool::ProgramVerdict v = tool::JudgeLinuxProgram(elf, size, true);
    // A file that is not a readable program is always an error.
    if (!elf.problem.empty() && v.errors.size() != 1) std::abort();
    tool::PeProblem(bytes);
    return 0;
}
