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
std::string DataDir() { return std::string(VEMI_SOURCE_DIR) + "/tests/data"; }
std::string BinaryDir() { return VEMI_BINARY_DIR; }
std::string ToolPath() { return VEMI_TOOL; }

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(U8Path(path), std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    // In blocks: a character at a time, unoptimised as the tests are under the
    // sanitizers, a disc image takes seconds.
    std::vector<uint8_t> data;
    char chunk[1 << 16];
    while (f.read(chunk, sizeof chunk) || f.gcount() > 0) data.insert(data.end(), chunk, chunk + f.gcount());
    return data;
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

namespace {
// Windows' C runtime sets and removes through one call (an empty value removes) and
// passes the change on to the process's own environment.
void SetEnv(const std::string& name, const char* value) {
#ifdef _WIN32
    _putenv_s(name.c_str(), value ? value : "");
#else
    if (value)
        setenv(name.c_str(), value, 1);
    else
        unsetenv(name.c_str());
#endif
}
}  // namespace

ScopedEnv::ScopedEnv(const std::string& name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name.c_str())) old_ = old;
    SetEnv(name, value);
}

ScopedEnv::~ScopedEnv() { SetEnv(name_, old_ ? old_->c_str() : nullptr); }

std::map<std::string, std::string> ReadDesktopEntry(const std::string& path) {
    std::map<std::string, std::string> out;
    std::ifstream f(path, std::ios::binary);
    std::string line;
    bool inGroup = false;
    while (std::getline(f, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inGroup = line == "[Desktop Entry]";
            continue;
        }
        size_t eq = line.find('=');
        if (!inGroup || eq == std::string::npos) continue;
        std::string key = line.substr(0, eq), raw = line.substr(eq + 1), value;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\' || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            char c = raw[++i];
            value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        }
        out[key] = value;
    }
    return out;
}

std::string DesktopFileErrors(const std::string& path) {
    std::string quoted = "'";
    for (char c : path) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    quoted += "'";
    std::string out;
    int rc = RunCommand("desktop-file-validate " + quoted + " 2>&1", &out);
    if (rc == 127) return "desktop-file-validate is missing (scripts/setup.sh installs it)";
    if (rc != 0 || out.find("error") != std::string::npos) return out.empty() ? "exit " + std::to_string(rc) : out;
    return {};
}

std::optional<std::vector<std::string>> SplitExec(const std::string& exec) {
    const std::string reserved = "\t\n\"'\\><~|&;$*?#()`";
    std::vector<std::string> args;
    std::string cur;
    bool inArg = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        char c = exec[i];
        if (c == ' ') {
            if (inArg) args.push_back(cur);
            cur.clear();
            inArg = false;
        } else if (c == '"') {
            if (inArg) return std::nullopt;  // quotes open an argument, never sit inside one
            inArg = true;
            for (++i;; ++i) {
                if (i >= exec.size()) return std::nullopt;
                if (exec[i] == '"') break;
                if (exec[i] == '\\') {
                    if (i + 1 >= exec.size() || std::string("\"`$\\").find(exec[i + 1]) == std::string::npos)
                        return std::nullopt;
                    ++i;
                }
                cur += exec[i];
            }
        } else {
            if (reserved.find(c) != std::string::npos) return std::nullopt;
            cur += c;
            inArg = true;
        }
    }
    if (inArg) args.push_back(cur);
    for (std::string& a : args) {
        std::string plain;
        for (size_t i = 0; i < a.size(); ++i) {
            if (a[i] != '%') {
                plain += a[i];
                continue;
            }
            if (i + 1 >= a.size() || a[i + 1] != '%') return std::nullopt;
            plain += '%';
            ++i;
        }
        a = plain;
    }
    return args;
}

DesktopSandbox::DesktopSandbox(const std::string& root)
    : root_(root),
      data_("XDG_DATA_HOME", (root + "/data").c_str()),
      config_("XDG_CONFIG_HOME", (root + "/config").c_str()),
      common_("VEMI_COMMON_PROGRAMS", (root + "/common/applications").c_str()),
      commonMenus_("VEMI_COMMON_MENUS", (root + "/common/menus").c_str()) {
#ifdef _WIN32
    static int made = 0;
    scratch_ = L"Software\\VEMI tests\\" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++made);
    auto wide = [](const std::string& utf8) {
        std::wstring w(utf8.size() + 1, L'\0');
        const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), w.data(), static_cast<int>(w.size()));
        w.resize(static_cast<size_t>(n > 0 ? n : 0));
        for (wchar_t& c : w)
            if (c == L'/') c = L'\\';
        return w;
    };
    // The shell names the folders in "Shell Folders" of each root; the sandbox's own
    // roots hold nothing else.
    auto root_key = [&](const wchar_t* which, const wchar_t* value, const std::string& folder, HKEY predefined) {
        HKEY top = nullptr, folders = nullptr;
        const std::wstring path = scratch_ + L"\\" + which;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &top, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot make the registry sandbox");
        if (RegCreateKeyExW(top, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &folders, nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot make the registry sandbox");
        const std::wstring data = wide(folder);
        RegSetValueExW(folders, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(folders);
        const LSTATUS overridden = RegOverridePredefKey(predefined, top);
        RegCloseKey(top);
        if (overridden != ERROR_SUCCESS) throw std::runtime_error("cannot redirect a registry root");
    };
    root_key(L"machine", L"Common Programs", CommonApplications(), HKEY_LOCAL_MACHINE);
    root_key(L"user", L"Programs", UserApplications(), HKEY_CURRENT_USER);
#endif
}

DesktopSandbox::~DesktopSandbox() {
#ifdef _WIN32
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VEMI tests");  // only once it is empty
#endif
}

}  // namespace testsupport
