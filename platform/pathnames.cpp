// The parts of paths.h that do not touch the host: taking Windows paths apart, the
// drive table's bookkeeping, and the Windows-path file helpers over the host calls.
#include "platform/pathparts.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace platform {

namespace {
size_t LastDelim(std::string_view p) {
    for (size_t i = p.size(); i > 0; --i)
        if (IsPathDelimiter(p[i - 1]) || p[i - 1] == ':') return i;
    return 0;
}

std::optional<std::string> Host(std::string_view win) { return Drives().ToHost(win); }
}  // namespace

std::string ExtractFilePath(std::string_view path) { return std::string(path.substr(0, LastDelim(path))); }

std::string ExtractFileName(std::string_view path) { return std::string(path.substr(LastDelim(path))); }

std::string ExtractFileExt(std::string_view path) {
    size_t start = LastDelim(path);
    size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || dot < start) return {};
    return std::string(path.substr(dot));
}

std::string ExcludeTrailingBackslash(std::string_view path) {
    if (!path.empty() && path.back() == '\\') path.remove_suffix(1);
    return std::string(path);
}

std::string IncludeTrailingBackslash(std::string_view path) {
    std::string s(path);
    if (s.empty() || s.back() != '\\') s += '\\';
    return s;
}

void DriveTable::Unmap(char letter) { drives_.erase(UpperCp1250(letter)); }

std::optional<std::string> DriveTable::HostFolder(char letter) const {
    auto it = drives_.find(UpperCp1250(letter));
    if (it == drives_.end()) return std::nullopt;
    return it->second;
}

std::vector<char> DriveTable::Letters() const {
    std::vector<char> out;
    for (auto& [letter, folder] : drives_) out.push_back(letter);
    return out;
}

DriveTable& Drives() {
    static DriveTable t;
    return t;
}

bool FileExists(std::string_view w) {
    auto h = Host(w);
    return h && HostFileExists(*h);
}

bool DirectoryExists(std::string_view w) {
    auto h = Host(w);
    return h && HostDirectoryExists(*h);
}

bool ReadWholeFile(std::string_view w, std::vector<uint8_t>& out) {
    auto h = Host(w);
    if (!h) return false;
    return HostReadFile(*h, out);
}

bool WriteWholeFile(std::string_view w, const std::vector<uint8_t>& data) {
    auto h = Host(w);
    return h && HostWriteFile(*h, data.data(), data.size());
}

bool ForceDirectories(std::string_view w) {
    auto h = Host(w);
    return h && HostMakeDirectories(*h);
}

}  // namespace platform
