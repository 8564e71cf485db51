// Fuzzing the ZIP reader: the directory, every member into memory, and a whole
// extraction into a scratch folder several levels deep, after which nothing may
// have appeared beside the target folder on any level.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "install/Zipreaderu.h"
#include "platform/paths.h"
#include "platform/stream.h"

namespace {
namespace fs = std::filesystem;

const std::string& Scratch() {
    static const std::string dir = [] {
        std::string tmpl = (fs::temp_directory_path() / "fuzz-zip-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) abort();
        fs::create_directories(tmpl + "/a/b/c");
        platform::Drives().Map('F', tmpl + "/a/b/c");
        return tmpl;
    }();
    static const bool cleanUp = [] {
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(Scratch(), ec);
        });
        return true;
    }();
    (void)cleanUp;
    return dir;
}

// Only "a/b/c/out" may exist below the scratch folder once the target is gone.
void CheckNothingEscaped(const std::string& root) {
    std::error_code ec;
    fs::path p = root;
    for (const char* level : {"a", "b", "c"}) {
        for (auto& e : fs::directory_iterator(p, ec))
            if (e.path().filename() != level) abort();
        p /= level;
    }
    for (auto& e : fs::directory_iterator(p, ec))
        if (e.path().filename() != "out") abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& root = Scratch();
    TJXZipReader zip;
    zip.SetSizeLimit(1 << 20);  // a small input may still claim gigabytes
    try {
        zip.OpenArchiveFromMemory(std::vector<uint8_t>(data, data + size));
    } catch (const EJXZipError&) {
        return 0;
    }
    for (const TJXZipEntry& e : zip.Entries()) {
        platform::MemoryStream s;
        try {
            zip.ExtractToStream(e.name, s);
            // Names can repeat; the first member of the name is the one taken.
            if (s.Size() != zip.Entries()[zip.FindMember(e.name)].uncompressedSize) abort();
        } catch (const EJXZipError&) {
        }
    }
    zip.SetBaseDir("F:\\out");
    try {
        zip.ExtractFiles("*.*");
    } catch (const EJXZipError&) {
    }
    CheckNothingEscaped(root);
    std::error_code ec;
    fs::remove_all(root + "/a/b/c/out", ec);
    return 0;
}
