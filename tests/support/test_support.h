// Small helpers shared by the test programs.
#pragma once

#include <cstdint>
#include <filesystem>
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
std::string SharedDir();
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

}  // namespace testsupport
