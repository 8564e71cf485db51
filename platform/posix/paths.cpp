#include "platform/paths.h"

#include "platform/posix/folderlistings.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/pathparts.h"
#include "platform/text.h"

namespace platform {
namespace fs = std::filesystem;


namespace host {

std::string TrimFolder(const std::string& hostFolder) {
    std::string f = hostFolder;
    while (f.size() > 1 && f.back() == '/') f.pop_back();
    return f;
}

std::optional<std::string> PathBelow(const std::string& hostPath, const std::string& folder, size_t& matched) {
    const bool under = hostPath == folder || (hostPath.size() > folder.size() && hostPath.compare(0, folder.size(), folder) == 0 &&
                                               (folder == "/" || hostPath[folder.size()] == '/'));
    if (!under) return std::nullopt;
    matched = folder.size();
    return hostPath.substr(folder == "/" ? 1 : folder.size());
}

namespace {

// Whether the host's name n is the name the program asked for, given in Windows-1250.
bool SameNameIgnoringCase(const std::string& n, const std::string& wanted) {
    // A name with letters Windows-1250 lacks would match the "?" they become; the
    // program cannot name such a file at all.
    const std::string shown = Utf8ToCp1250(n);
    return EqualsIgnoreCase(shown, wanted) && Cp1250ToUtf8(shown) == n;
}

std::vector<std::string> ReadFolderNames(const std::string& folder) {
    std::vector<std::string> names;
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(std::move(n));
        }
        ::closedir(d);
    }
    return names;
}

// Another file system mounted below a disc's folder could be written: each folder
// kept is asked for itself, once, when it is first listed.
bool OnReadOnlyFileSystem(const std::string& folder) {
    struct statvfs fsInfo;
    return ::statvfs(folder.c_str(), &fsInfo) == 0 && (fsInfo.f_flag & ST_RDONLY);
}

// The folders kept by KeepFolderListings and the listings read below them so far.
// The skins' decoder looks files up on its own thread, hence the lock.
struct KeptListings {
    std::mutex lock;
    struct Root {
        std::string folder;
        bool evenIfWritable = false;
    };
    std::vector<Root> roots;
    std::unordered_map<std::string, std::vector<std::string>> names;
};

KeptListings& Kept() {
    static KeptListings kept;
    return kept;
}

// With the folder kept, found is the entry's name from the folder's listing (or
// nothing) and the answer true; false when the host has to be asked.
bool LookUpKept(const std::string& folder, const std::string& name, std::optional<std::string>& found) {
    KeptListings& kept = Kept();
    std::lock_guard<std::mutex> hold(kept.lock);
    if (kept.roots.empty()) return false;
    auto it = kept.names.find(folder);
    if (it == kept.names.end()) {
        size_t matched = 0;
        auto root = std::find_if(kept.roots.begin(), kept.roots.end(),
                                 [&](const KeptListings::Root& r) { return PathBelow(folder, r.folder, matched).has_value(); });
        if (root == kept.roots.end() || (!root->evenIfWritable && !OnReadOnlyFileSystem(folder))) return false;
        it = kept.names.emplace(folder, ReadFolderNames(folder)).first;
    }
    const std::vector<std::string>& names = it->second;
    found.reset();
    if (std::find(names.begin(), names.end(), name) != names.end()) {
        found = name;
        return true;
    }
    const std::string wanted = Utf8ToCp1250(name);
    for (const std::string& n : names)
        if (SameNameIgnoringCase(n, wanted)) {
            found = n;
            break;
        }
    return true;
}

}  // namespace

std::optional<std::string> ActualName(const std::string& folder, const std::string& name) {
    std::optional<std::string> found;
    if (LookUpKept(folder, name, found)) return found;
    found.reset();
    // Exact name first; only when it is missing scan the folder for one that
    // differs by letter case.
    struct stat st;
    if (::lstat(JoinName(folder, name).c_str(), &st) == 0) return name;
    const std::string wanted = Utf8ToCp1250(name);
    if (DIR* d = ::opendir(folder.c_str())) {
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n == "." || n == "..") continue;
            if (SameNameIgnoringCase(n, wanted)) {
                found = std::move(n);
                break;
            }
        }
        ::closedir(d);
    }
    return found;
}

std::string JoinName(const std::string& folder, const std::string& name) { return folder == "/" ? "/" + name : folder + "/" + name; }

}  // namespace host

bool KeepFolderListings(const std::string& hostFolder, bool evenIfWritable) {
    const std::string root = host::TrimFolder(hostFolder);
    if (!evenIfWritable && !host::OnReadOnlyFileSystem(root)) return false;
    host::KeptListings& kept = host::Kept();
    std::lock_guard<std::mutex> hold(kept.lock);
    kept.roots.push_back({root, evenIfWritable});
    return true;
}

void ForgetFolderListings() {
    host::KeptListings& kept = host::Kept();
    std::lock_guard<std::mutex> hold(kept.lock);
    kept.roots.clear();
    kept.names.clear();
}

void DriveTable::SetUpDefaults(const std::string& programFolder) {
    const char* disc = std::getenv("VEMI_DISC_ROOT");
    Map('D', disc && *disc ? std::string(disc) : programFolder);
    // A pressed disc never changes: its folders are listed once.
    KeepFolderListings(*HostFolder('D'));
    const char* c = std::getenv("VEMI_DRIVE_C");
    const char* home = std::getenv("HOME");
    Map('C', c && *c ? std::string(c) : (home && *home ? std::string(home) : std::string("/tmp")));
    Map('Z', "/");
}

bool HostFileExists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool HostDirectoryExists(const std::string& p) {
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool HostReadFile(const std::string& p, std::vector<uint8_t>& out) {
    out.clear();
    FILE* f = std::fopen(p.c_str(), "rb");
    if (!f) return false;
    struct stat st;
    if (::fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return false;
    }
    out.resize(static_cast<size_t>(st.st_size));
    size_t got = out.empty() ? 0 : std::fread(out.data(), 1, out.size(), f);
    bool ok = !std::ferror(f);
    std::fclose(f);
    out.resize(got);
    return ok;
}

bool HostWriteFile(const std::string& p, const void* data, size_t size) {
    FILE* f = std::fopen(p.c_str(), "wb");
    if (!f) return false;
    bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
    ok = (std::fclose(f) == 0) && ok;
    return ok;
}

bool HostMakeDirectories(const std::string& p) {
    std::error_code ec;
    fs::create_directories(fs::path(p), ec);
    return HostDirectoryExists(p);
}

std::string ExecutableFolder() {
    std::error_code ec;
    auto exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return fs::current_path(ec).string();
    return exe.parent_path().string();
}

namespace {
std::optional<std::string> Host(std::string_view win) { return Drives().ToHost(win); }
}  // namespace

bool DeleteFileAt(std::string_view w) {
    auto h = Host(w);
    return h && ::unlink(h->c_str()) == 0;
}

namespace {
uint32_t AttrsOf(const std::string& host, const struct stat& st) {
    uint32_t a = 0;
    if (S_ISDIR(st.st_mode)) a |= kAttrDirectory;
    else a |= kAttrArchive;
    if (!(st.st_mode & S_IWUSR)) a |= kAttrReadOnly;
    std::string name = fs::path(host).filename().string();
    if (!name.empty() && name[0] == '.') a |= kAttrHidden;
    return a;
}
}  // namespace

std::optional<uint32_t> GetAttributes(std::string_view w) {
    auto h = Host(w);
    struct stat st;
    if (!h || ::stat(h->c_str(), &st) != 0) return std::nullopt;
    return AttrsOf(*h, st);
}

bool SetHostAttributes(const std::string& h, uint32_t attrs) {
    struct stat st;
    // chmod would change what a link leads to, which may lie anywhere.
    if (::lstat(h.c_str(), &st) != 0 || S_ISLNK(st.st_mode)) return false;
    mode_t m = st.st_mode & 07777;
    if (attrs & kAttrReadOnly) m &= ~(S_IWUSR | S_IWGRP | S_IWOTH);
    else m |= S_IWUSR;
    // Hidden is a leading dot on the host; renaming a file behind the caller's back
    // would lose it, so the hidden bit is not applied here.
    return ::chmod(h.c_str(), m) == 0;
}

std::vector<DirEntry> ListHostDirectory(const std::string& h) {
    std::vector<DirEntry> out;
    DIR* d = ::opendir(h.c_str());
    if (!d) return out;
    while (dirent* e = ::readdir(d)) {
        std::string n = e->d_name;
        if (n == "." || n == "..") continue;
        std::string full = host::JoinName(h, n);
        struct stat st;
        if (::lstat(full.c_str(), &st) != 0) continue;
        uint32_t link = 0;
        if (S_ISLNK(st.st_mode)) {
            link = kAttrLink;
            // A dangling link still shows, as a file that leads nowhere.
            if (::stat(full.c_str(), &st) != 0) st.st_mode = S_IFREG | 0666;
        }
        out.push_back({Utf8ToCp1250(n), AttrsOf(full, st) | link, FitsCp1250(n), n});
    }
    ::closedir(d);
    return out;
}

}  // namespace platform
