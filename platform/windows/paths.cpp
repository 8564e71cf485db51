// Paths and drives on Windows. The drive table stays a table, so that a test can
// put any letter on any folder, but by default it holds the machine's own drives:
// C: is the real C: (or VEMI_DRIVE_C), D: is the disc, that is the folder of the
// running program (or VEMI_DISC_ROOT), and every other drive is itself. Letter
// case is ignored by the file system itself; a lookup only asks it for the name as
// it is really written, so that host paths come out the same however the
// catalogue spells them.
#include <algorithm>

#include "platform/pathparts.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "platform/windows/util.h"

namespace platform {
using win32::HostWide;
using win32::Narrow;

namespace {

template <class C>
bool Delim(C c) {
    return c == C('\\') || c == C('/');
}

// How much of a host path is its root, which keeps its separator: "C:\", "C:",
// "\\server\share\", "\" (the current drive's root); 0 for a relative path.
template <class S>
size_t RootLength(const S& p) {
    using C = typename S::value_type;
    if (p.size() >= 2 && p[1] == C(':')) return p.size() >= 3 && Delim(p[2]) ? 3 : 2;
    if (p.size() >= 2 && Delim(p[0]) && Delim(p[1])) {
        size_t server = 2;
        while (server < p.size() && !Delim(p[server])) ++server;
        size_t share = server + 1;
        while (share < p.size() && !Delim(p[share])) ++share;
        return std::min(share + 1, p.size());
    }
    return !p.empty() && Delim(p[0]) ? 1 : 0;
}

// A host path as the file system compares it: UTF-16, upper case, backslashes.
std::wstring Folded(const std::string& hostPath) {
    std::wstring w = HostWide(hostPath);
    if (!w.empty()) CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
    return w;
}

uint32_t AttrsOf(DWORD a) {
    uint32_t out = 0;
    if (a & FILE_ATTRIBUTE_READONLY) out |= kAttrReadOnly;
    if (a & FILE_ATTRIBUTE_HIDDEN) out |= kAttrHidden;
    if (a & FILE_ATTRIBUTE_DIRECTORY) out |= kAttrDirectory;
    if (a & FILE_ATTRIBUTE_ARCHIVE) out |= kAttrArchive;
    return out;
}

std::optional<std::string> Host(std::string_view win) { return Drives().ToHost(win); }

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool ok() const { return h_ != INVALID_HANDLE_VALUE; }
    bool Close() {
        const bool closed = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return closed;
    }

private:
    HANDLE h_;
};

}  // namespace

namespace host {

std::string TrimFolder(const std::string& hostFolder) {
    std::string f = hostFolder;
    while (f.size() > RootLength(f) && Delim(f.back())) f.pop_back();
    return f;
}

std::optional<std::string> PathBelow(const std::string& hostPath, const std::string& folder, size_t& matched) {
    const std::wstring path = Folded(hostPath);
    const std::wstring f = Folded(folder);
    if (f.empty()) return std::nullopt;
    const bool under = path == f || (path.size() > f.size() && path.compare(0, f.size(), f) == 0 &&
                                      (f.back() == L'\\' || path[f.size()] == L'\\'));
    if (!under) return std::nullopt;
    matched = f.size();
    // Upper-casing keeps every UTF-16 unit in its place, so the rest can be cut
    // from the path as written.
    return Narrow(HostWide(hostPath).substr(f.size()));
}

std::optional<std::string> ActualName(const std::string& folder, const std::string& name) {
    // Wildcards would match some other name, so a name with one is never looked up.
    if (name.find_first_of("*?") != std::string::npos) return std::nullopt;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileExW(HostWide(JoinName(folder, name)).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(h);
    return Narrow(fd.cFileName);
}

std::string JoinName(const std::string& folder, const std::string& name) {
    if (!folder.empty() && Delim(folder.back())) return folder + name;
    return folder + "/" + name;
}

}  // namespace host

void DriveTable::SetUpDefaults(const std::string& programFolder) {
    const std::string disc = win32::Environment(L"VEMI_DISC_ROOT");
    Map('D', disc.empty() ? programFolder : disc);
    const std::string c = win32::Environment(L"VEMI_DRIVE_C");
    Map('C', c.empty() ? std::string("C:\\") : c);
    const DWORD present = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        const char letter = static_cast<char>('A' + i);
        if ((present & (DWORD{1} << i)) && !HostFolder(letter)) Map(letter, std::string(1, letter) + ":\\");
    }
}

// "CON" or "nul.txt" in any folder is a device, never a file of the folder: a
// catalogue that names one must not have the program read the console.
bool HostFileExists(const std::string& p) {
    const std::wstring w = HostWide(p);
    if (win32::IsDeviceName(w)) return false;
    const DWORD a = GetFileAttributesW(w.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool HostDirectoryExists(const std::string& p) {
    const DWORD a = GetFileAttributesW(HostWide(p).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool HostReadFile(const std::string& p, std::vector<uint8_t>& out) {
    out.clear();
    const std::wstring w = HostWide(p);
    if (win32::IsDeviceName(w)) return false;
    Handle f(CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.ok() || GetFileType(f.get()) != FILE_TYPE_DISK) return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(f.get(), &size) || size.QuadPart < 0 || static_cast<uint64_t>(size.QuadPart) > SIZE_MAX / 2) return false;
    out.resize(static_cast<size_t>(size.QuadPart));
    size_t got = 0;
    while (got < out.size()) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(out.size() - got, 1u << 30));
        DWORD n = 0;
        if (!ReadFile(f.get(), out.data() + got, want, &n, nullptr)) {
            out.resize(got);
            return false;
        }
        if (n == 0) break;  // the file got shorter while it was read
        got += n;
    }
    out.resize(got);
    return true;
}

bool HostWriteFile(const std::string& p, const void* data, size_t size) {
    // Opened, then cut to nothing: CREATE_ALWAYS would refuse a hidden file.
    const std::wstring w = HostWide(p);
    if (win32::IsDeviceName(w)) return false;
    Handle f(CreateFileW(w.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!f.ok() || GetFileType(f.get()) != FILE_TYPE_DISK || !SetEndOfFile(f.get())) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD want = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
        DWORD n = 0;
        if (!WriteFile(f.get(), bytes, want, &n, nullptr) || n == 0) return false;
        bytes += n;
        size -= n;
    }
    return f.Close();
}

bool HostMakeDirectories(const std::string& p) {
    const std::wstring w = HostWide(p);
    // Every level below the root, top down; levels that are there already fail
    // harmlessly.
    for (size_t i = RootLength(w); i < w.size(); ++i)
        if (w[i] == L'\\' && i > 0 && w[i - 1] != L'\\') CreateDirectoryW(w.substr(0, i).c_str(), nullptr);
    CreateDirectoryW(w.c_str(), nullptr);
    return HostDirectoryExists(p);
}

std::string ExecutableFolder() {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0) return {};
        if (n < buf.size()) {
            buf.resize(n);
            break;
        }
        buf.resize(buf.size() * 2);
    }
    const size_t slash = buf.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    // "C:\" keeps its backslash: "C:" alone would mean the drive's current folder.
    return Narrow(buf.substr(0, slash == 2 && buf[1] == L':' ? 3 : slash));
}

bool DeleteFileAt(std::string_view w) {
    auto h = Host(w);
    return h && DeleteFileW(HostWide(*h).c_str()) != 0;
}

std::optional<uint32_t> GetAttributes(std::string_view w) {
    auto h = Host(w);
    if (!h) return std::nullopt;
    const DWORD a = GetFileAttributesW(HostWide(*h).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return AttrsOf(a);
}

bool SetHostAttributes(const std::string& h, uint32_t attrs) {
    const std::wstring path = HostWide(h);
    const DWORD now = GetFileAttributesW(path.c_str());
    if (now == INVALID_FILE_ATTRIBUTES) return false;
    // Only the bits the program knows change; system, compressed and the like stay.
    DWORD a = now & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_DIRECTORY);
    if (attrs & kAttrReadOnly) a |= FILE_ATTRIBUTE_READONLY;
    if (attrs & kAttrHidden) a |= FILE_ATTRIBUTE_HIDDEN;
    if (attrs & kAttrArchive) a |= FILE_ATTRIBUTE_ARCHIVE;
    if (a == 0) a = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesW(path.c_str(), a) != 0;
}

std::vector<DirEntry> ListHostDirectory(const std::string& h) {
    std::vector<DirEntry> out;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW(HostWide(host::JoinName(h, "*")).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring_view n = fd.cFileName;
        if (n == L"." || n == L"..") continue;
        // Symbolic links and junctions lead elsewhere; other reparse points (files
        // kept in the cloud, deduplicated files) are files like any other.
        uint32_t link = 0;
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(fd.dwReserved0)) link = kAttrLink;
        const std::string name = Narrow(n);
        out.push_back({Utf8ToCp1250(name), AttrsOf(fd.dwFileAttributes) | link, FitsCp1250(name), name});
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return out;
}

}  // namespace platform
