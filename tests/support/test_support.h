// Small helpers shared by the test programs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A fresh, empty folder for one test (removed again when the object dies).
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A host path (UTF-8, as the platform layer takes them) as a path of the standard
// library; a plain std::string would be taken in the ANSI code page on Windows.
std::filesystem::path U8Path(const std::string& hostPath);

std::string SourceDir();
// tests/data of the source tree: inputs the tests read, made by others or by hand.
std::string DataDir();
std::string BinaryDir();
std::string ToolPath();

std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& data);
void WriteFile(const std::string& path, const std::string& data);

// Whether the tests run under wine rather than on Windows itself (or elsewhere),
// for the few things wine does not do as Windows does.
bool UnderWine();

// Runs a command line through the shell; returns its exit status, output in *out.
int RunCommand(const std::string& cmd, std::string* out = nullptr);

// Sets (or, with nullptr, removes) an environment variable for the life of the
// object; the old value comes back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const std::string& name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// A freedesktop desktop entry read back the way a desktop reads it: the keys of
// its [Desktop Entry] group with the value escapes (\s \n \t \r \\) undone.
std::map<std::string, std::string> ReadDesktopEntry(const std::string& path);

// desktop-file-validate's verdict on a desktop entry: empty when it is accepted
// without errors, its complaints otherwise.
std::string DesktopFileErrors(const std::string& path);

// The arguments of an Exec value (escapes already undone): split at blanks,
// double-quoted arguments unquoted with their four backslash escapes, "%%" made
// one percent sign. nullopt for anything the rules do not allow (an unquoted
// reserved character, a field code, an open quote, a stray backslash).
std::optional<std::vector<std::string>> SplitExec(const std::string& exec);

// Points the desktop's menu folders (the user's and the all-users' applications and
// menu files) into root, so that tests that make shortcuts never touch the real ones.
// On Windows the "Programs" folders come from the registry: the process then reads
// the two registry roots from scratch keys of its own that name folders in root.
class DesktopSandbox {
public:
    explicit DesktopSandbox(const std::string& root);
    ~DesktopSandbox();
    DesktopSandbox(const DesktopSandbox&) = delete;
    DesktopSandbox& operator=(const DesktopSandbox&) = delete;
#ifdef _WIN32
    std::string UserApplications() const { return root_ + "/user/Programs"; }
    std::string CommonApplications() const { return root_ + "/common/Programs"; }
#else
    std::string UserApplications() const { return root_ + "/data/applications"; }
    std::string CommonApplications() const { return root_ + "/common/applications"; }
#endif
    std::string UserMenus() const { return root_ + "/config/menus"; }

private:
    std::string root_;
    ScopedEnv data_, config_, common_, commonMenus_;
#ifdef _WIN32
    std::wstring scratch_;  // below the real HKEY_CURRENT_USER
#endif
};

// What a shortcut file's name ends in: a desktop entry on Linux, a shell link on
// Windows.
#ifdef _WIN32
inline constexpr const char* kShortcutExtension = ".lnk";
#else
inline constexpr const char* kShortcutExtension = ".desktop";
#endif

}  // namespace testsupport
