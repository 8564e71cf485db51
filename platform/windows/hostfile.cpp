// Host files on Windows, through the wide API: positioned reads on one handle,
// new files that never open whatever already has the name, and the read-only
// attribute.
#include <algorithm>

#include "platform/hostfile.h"
#include "platform/windows/util.h"

namespace platform {
using win32::HostWide;

namespace {

// Seconds from 1601-01-01 (where file times start) to 1970-01-01.
constexpr int64_t kEpochGap = 11644473600LL;

HANDLE H(void* h) { return static_cast<HANDLE>(h); }

// Symbolic links and junctions; other reparse points (cloud files, deduplicated
// files) are files to the program.
bool IsLinkTag(DWORD tag) { return tag == IO_REPARSE_TAG_SYMLINK || tag == IO_REPARSE_TAG_MOUNT_POINT; }

// Keeps the system's last error across clean-up calls that may change it.
class KeepError {
public:
    KeepError() : code_(GetLastError()) {}
    ~KeepError() { SetLastError(code_); }

private:
    DWORD code_;
};

}  // namespace

HostKind HostPathKind(const std::string& p) {
    WIN32_FIND_DATAW fd;
    const std::wstring w = HostWide(p);
    if (w.find_first_of(L"*?") != std::wstring::npos) return HostKind::None;
    HANDLE find = FindFirstFileExW(w.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) {
        // A drive's root is no entry of any folder, but it is a folder.
        const DWORD a = GetFileAttributesW(w.c_str());
        if (a == INVALID_FILE_ATTRIBUTES) return HostKind::None;
        return (a & FILE_ATTRIBUTE_DIRECTORY) ? HostKind::Directory : HostKind::Other;
    }
    FindClose(find);
    if ((fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsLinkTag(fd.dwReserved0)) return HostKind::Link;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return HostKind::Directory;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) return HostKind::Other;
    return HostKind::File;
}

HostKind HostTargetKind(const std::string& p) {
    const std::wstring w = HostWide(p);
    if (win32::IsDeviceName(w)) return HostKind::Other;
    HANDLE h = CreateFileW(w.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return HostKind::None;
    BY_HANDLE_FILE_INFORMATION info;
    const bool ok = GetFileInformationByHandle(h, &info) != 0;
    const DWORD type = GetFileType(h);
    CloseHandle(h);
    if (!ok || type != FILE_TYPE_DISK) return HostKind::Other;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? HostKind::Directory : HostKind::File;
}

bool HostRemoveFile(const std::string& p) {
    const std::wstring w = HostWide(p);
    const DWORD a = GetFileAttributesW(w.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    // A link to a folder is taken away as a folder entry; its target stays.
    if ((a & FILE_ATTRIBUTE_DIRECTORY) && (a & FILE_ATTRIBUTE_REPARSE_POINT)) return RemoveDirectoryW(w.c_str()) != 0;
    // A real folder is refused by DeleteFileW itself, with the system's reason.
    if (a & FILE_ATTRIBUTE_DIRECTORY) return DeleteFileW(w.c_str()) != 0;
    // Windows will not delete a read-only file; removing a name here means what it
    // means elsewhere, where only the folder's permission counts.
    if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(w.c_str(), a & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (DeleteFileW(w.c_str())) return true;
    KeepError keep;
    if (a & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(w.c_str(), a);
    return false;
}

bool HostMakeDirectory(const std::string& p) {
    const std::wstring w = HostWide(p);
    if (win32::IsDeviceName(w)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    if (CreateDirectoryW(w.c_str(), nullptr)) return true;
    KeepError keep;
    return GetLastError() == ERROR_ALREADY_EXISTS && HostTargetKind(p) == HostKind::Directory;
}

std::vector<std::string> HostListNames(const std::string& folder) {
    std::vector<std::string> out;
    std::wstring pattern = HostWide(folder);
    if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring_view n = fd.cFileName;
        if (n != L"." && n != L"..") out.push_back(win32::Narrow(n));
    } while (FindNextFileW(find, &fd));
    FindClose(find);
    return out;
}

std::string HostLastError() { return win32::ErrorText(GetLastError()); }

bool HostLastErrorIsDiskFull() {
    // ERROR_DISK_QUOTA_EXCEEDED, which mingw's headers do not name.
    constexpr DWORD kDiskQuotaExceeded = 1295;
    const DWORD e = GetLastError();
    return e == ERROR_DISK_FULL || e == ERROR_HANDLE_DISK_FULL || e == kDiskQuotaExceeded;
}

HostFile::~HostFile() { Close(); }

bool HostFile::IsOpen() const { return handle_ != nullptr; }

HostFile::HostFile(HostFile&& o) noexcept : handle_(o.handle_), existed_(o.existed_) { o.handle_ = nullptr; }

HostFile& HostFile::operator=(HostFile&& o) noexcept {
    if (this != &o) {
        Close();
        handle_ = o.handle_;
        existed_ = o.existed_;
        o.handle_ = nullptr;
    }
    return *this;
}

bool HostFile::OpenRead(const std::string& p) {
    Close();
    const std::wstring w = HostWide(p);
    if (win32::IsDeviceName(w)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    HANDLE h = CreateFileW(w.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    handle_ = h;
    return true;
}

// Windows keeps no permission bits; the read-only attribute is SetReadOnly's.
bool HostFile::CreateNew(const std::string& p, uint32_t) {
    Close();
    existed_ = false;
    const std::wstring w = HostWide(p);
    // "CON" or "nul.txt" in an archive would open a device rather than make a file.
    if (win32::IsDeviceName(w)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // CREATE_NEW fails on any name that is taken, a link included (which is not
    // followed: the link itself is what is there).
    HANDLE h = CreateFileW(w.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        existed_ = e == ERROR_FILE_EXISTS || e == ERROR_ALREADY_EXISTS;
        return false;
    }
    handle_ = h;
    return true;
}

uint64_t HostFile::Size() const {
    LARGE_INTEGER size;
    if (!handle_ || !GetFileSizeEx(H(handle_), &size) || size.QuadPart < 0) return 0;
    return static_cast<uint64_t>(size.QuadPart);
}

bool HostFile::ReadAt(uint64_t offset, void* buf, size_t n) const {
    auto* p = static_cast<uint8_t*>(buf);
    while (n > 0) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
        if (!ReadFile(H(handle_), p, want, &got, &at)) return false;
        if (got == 0) {
            SetLastError(ERROR_HANDLE_EOF);  // the file is shorter than its directory said
            return false;
        }
        p += got;
        n -= got;
        offset += got;
    }
    return true;
}

bool HostFile::Write(const void* data, size_t n) {
    const auto* p = static_cast<const uint8_t*>(data);
    while (n > 0) {
        DWORD put = 0;
        const DWORD want = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
        if (!WriteFile(H(handle_), p, want, &put, nullptr)) return false;
        if (put == 0) {
            SetLastError(ERROR_WRITE_FAULT);
            return false;
        }
        p += put;
        n -= put;
    }
    return true;
}

bool HostFile::SetTimes(int64_t unixSeconds) {
    const int64_t ticks = (std::max<int64_t>(unixSeconds, -kEpochGap) + kEpochGap) * 10000000;
    FILETIME t;
    t.dwLowDateTime = static_cast<DWORD>(ticks);
    t.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return SetFileTime(H(handle_), nullptr, &t, &t) != 0;
}

bool HostFile::SetReadOnly(bool readOnly) {
    FILE_BASIC_INFO info{};
    if (!GetFileInformationByHandleEx(H(handle_), FileBasicInfo, &info, sizeof info)) return false;
    DWORD a = info.FileAttributes & ~DWORD(FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_NORMAL);
    if (readOnly) a |= FILE_ATTRIBUTE_READONLY;
    FILE_BASIC_INFO change{};  // times of zero are left as they are
    change.FileAttributes = a ? a : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(H(handle_), FileBasicInfo, &change, sizeof change) != 0;
}

bool HostFile::Close() {
    if (!handle_) return true;
    const bool ok = CloseHandle(H(handle_)) != 0;
    handle_ = nullptr;
    return ok;
}

int64_t HostUtcOffset(int64_t unixSeconds) {
    const int64_t ticks = (std::max<int64_t>(unixSeconds, 0) + kEpochGap) * 10000000;
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(ticks);
    ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) return 0;
    FILETIME back;
    if (!SystemTimeToFileTime(&local, &back)) return 0;
    const int64_t localTicks = (static_cast<int64_t>(back.dwHighDateTime) << 32) | back.dwLowDateTime;
    return (localTicks - ticks) / 10000000;
}

}  // namespace platform
