// Windows programs as a disc may carry them, any bytes at all: the disc check's PE
// reader, and the opener's look at a program's header before it hands it to wine,
// which reads a real file. Neither may read outside the file, and a program that
// the check passes must be one the opener would start.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/opener.h"
#include "tests/fuzz/fuzz_temp.h"
#include "tools/lib/programcheck.h"

namespace {

const std::string& ProgramPath() {
    static fuzzsupport::ScratchFolder folder("fuzz_pe");
    static const std::string path = folder.path() + "/Setup.EXE";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<uint8_t> bytes(data, data + size);
    const std::string problem = tool::PeProblem(bytes);

    const std::string& path = ProgramPath();
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!f) std::abort();
    }
    const std::string ext = platform::HostExtension(path);
    if (ext != "exe" || !platform::IsWindowsProgramExtension(ext)) std::abort();
    const bool startable = platform::LooksLikeWindowsProgram(path, ext);
    if (problem.empty() && !startable) std::abort();
    (void)platform::LooksLikeWindowsProgram(path, "com");
    (void)platform::LooksLikeWindowsProgram(path, "msi");
    if (!platform::LooksLikeWindowsProgram(path, "bat")) std::abort();
    if (platform::ClassifyTarget(path) != platform::TargetKind::WindowsProgram) std::abort();
    return 0;
}
