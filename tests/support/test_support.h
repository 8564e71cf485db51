// Small helpers shared by the test programs.
#pragma once

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

std::string SourceDir();
// tests/data of the source tree: inputs the tests read, made by others or by hand.
std::string DataDir();
std::string BinaryDir();
std::string ToolPath();

std::vector<uint8_t> ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::vector<uint8_t>& data);
void WriteFile(const std::string& path, const std::string& data);

// Runs a command line through the shell; returns its exit status, output in *out.
int RunCommand(const std::string& cmd, std::string* out = nullptr);

}  // namespace testsupport
