// A scratch folder for the fuzz targets that need real files: made once per process
// under the system's temporary folder and removed when the process ends normally
// (a crashing run leaves it behind for a look).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace fuzzsupport {

class ScratchFolder {
public:
    explicit ScratchFolder(const char* name) {
        std::string pattern = (std::filesystem::temp_directory_path() / (std::string(name) + "-XXXXXX")).string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch folder in " + pattern);
        path_ = pattern;
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace fuzzsupport
