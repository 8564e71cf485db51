#include "support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <stdexcept>

namespace testsupport {
namespace fs = std::filesystem;

fs::path U8Path(const std::string& hostPath) {
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(hostPath.data()), hostPath.size()));
}

TempDir::TempDir() {
    const char* base = std::getenv("VEMI_TEST_TMP");
    const fs::path root = base && *base ? U8Path(base) : fs::temp_directory_path();
    fs::create_directories(root);
    // A name nobody has taken: create_directory says whether this call made it.
    static std::mt19937 rng{std::random_device{}()};
    const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "vemi-";
        for (int i = 0; i < 8; ++i) name += letters[rng() % (sizeof letters - 1)];
        std::error_code ec;
        if (fs::create_directory(root / name, ec)) {
            const std::u8string made = (root / name).u8string();
            path_.assign(made.begin(), made.end());
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
    std::error_code ec;
    // Read-only files and folders must not keep the folder alive.
    const fs::path top = U8Path(path_);
    for (auto it = fs::recursive_directory_iterator(top, ec); !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(top, ec);
}

std::string SourceDir() { return VEMI_SOURCE_DIR; }
std::string SharedDir() { return VEMI_SHARED_DIR; }
std::string BinaryDir() { return VEMI_BINARY_DIR; }
std::string ToolPath() { return VEMI_TOOL; }

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(U8Path(path), std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
    fs::create_directories(U8Path(path).parent_path());
    std::ofstream f(U8Path(path), std::ios::binary);
    f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void WriteFile(const std::string& path, const std::string& data) { WriteFile(path, std::vector<uint8_t>(data.begin(), data.end())); }

bool UnderWine() {
#ifdef _WIN32
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
#else
    return false;
#endif
}

int RunCommand(const std::string& cmd, std::string* out) {
#ifdef _WIN32
    FILE* p = _popen(cmd.c_str(), "r");
#else
    FILE* p = popen(cmd.c_str(), "r");
#endif
    if (!p) return -1;
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) s.append(buf, n);
    if (out) *out = s;
#ifdef _WIN32
    return _pclose(p);
#else
    int st = pclose(p);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
}

}  // namespace testsupport
