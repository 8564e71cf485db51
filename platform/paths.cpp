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

void DriveTable::Map(char letter, const std::string& hostFolder) { drives_[UpperCp1250(letter)] = host::TrimFolder(hostFolder); }

std::optional<std::string> DriveTable::ToWindows(const std::string& hostPath) const {
    // The longest matching drive folder wins, so the disc's folder on C: (or below
    // Z:) is D:.
    char bestLetter = 0;
    size_t bestLength = 0;
    std::string rest;
    for (const auto& [letter, folder] : drives_) {
        size_t matched = 0;
        auto below = host::PathBelow(hostPath, folder, matched);
        if (below && (!bestLetter || matched > bestLength)) {
            bestLetter = letter;
            bestLength = matched;
            rest = std::move(*below);
        }
    }
    if (!bestLetter) return std::nullopt;
    std::string conv = Utf8ToCp1250(rest);
    for (char& c : conv)
        if (c == '/') c = '\\';
    std::string win{bestLetter, ':'};
    if (conv.empty() || conv[0] != '\\') win += '\\';
    return win + conv;
}

std::optional<std::string> DriveTable::ToHost(std::string_view winPath) const {
    std::string full(winPath);
    if (!(full.size() >= 2 && full[1] == ':')) {
        if (current_.empty()) return std::nullopt;
        full = IncludeTrailingBackslash(current_) + full;
    }
    auto root = HostFolder(full[0]);
    if (!root) return std::nullopt;
    std::string hostPath = *root;
    // Once a level is missing, the rest is taken as written: there is nothing to
    // match it against.
    bool exists = true;
    for (const auto& part : ResolvedPathComponents(std::string_view(full).substr(2))) {
        std::string name = Cp1250ToUtf8(part);
        if (exists) {
            if (auto actual = host::ActualName(hostPath, name)) name = std::move(*actual);
            else exists = false;
        }
        hostPath = host::JoinName(hostPath, name);
    }
    return hostPath;
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

// The Windows-path forms of the host walks; each host half answers for host paths.
bool SetAttributes(std::string_view w, uint32_t attrs) {
    auto h = Host(w);
    return h && SetHostAttributes(*h, attrs);
}

std::vector<DirEntry> ListDirectory(std::string_view w) {
    auto h = Host(w);
    return h ? ListHostDirectory(*h) : std::vector<DirEntry>{};
}

std::string HostChild(const std::string& hostFolder, const std::string& hostName) { return host::JoinName(hostFolder, hostName); }

}  // namespace platform
