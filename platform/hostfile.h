// Plain host files for code that streams a lot of data (the ZIP reader): an open
// descriptor with positioned reads and large writes, and the few name operations
// that must never follow a symbolic link. Paths here are host paths (UTF-8); the
// Windows-path helpers of paths.h sit on top of the same host calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

enum class HostKind { None, File, Directory, Link, Other };

// What the name itself is (a link is reported as a link, not as its target).
HostKind HostPathKind(const std::string& hostPath);
// What the name leads to, links followed (None for a dangling link).
HostKind HostTargetKind(const std::string& hostPath);
// Removes a file or a link; a link goes away itself and its target stays untouched.
bool HostRemoveFile(const std::string& hostPath);
// Creates one folder level; true when the folder exists afterwards.
bool HostMakeDirectory(const std::string& hostPath);
// The names in a folder, "." and ".." left out, in the host's order.
std::vector<std::string> HostListNames(const std::string& hostFolder);
// How far the host's local time was ahead of UTC at that moment, in seconds
// (daylight-saving time included); 0 when the host cannot tell.
int64_t HostUtcOffset(int64_t unixSeconds);
// The text of the last failed host call (errno, or the system's last error on
// Windows), for error messages.
std::string HostLastError();
// Whether the last failed host call failed for want of room on the disk (or of
// the user's quota there).
bool HostLastErrorIsDiskFull();

class HostFile {
public:
    HostFile() = default;
    ~HostFile();
    HostFile(const HostFile&) = delete;
    HostFile& operator=(const HostFile&) = delete;
    HostFile(HostFile&& other) noexcept;
    HostFile& operator=(HostFile&& other) noexcept;

    // Opens an existing regular file for reading.
    bool OpenRead(const std::string& hostPath);
    // Creates a new file for writing. Fails when the name exists in any form (file,
    // folder, link), so an existing link can never redirect the data elsewhere.
    // On a system with permission bits the file gets `permissions` (the nine bits
    // of read, write and run; nothing above them) less what the process's umask
    // takes away; the file is writable through this handle all the same.
    bool CreateNew(const std::string& hostPath, uint32_t permissions = 0666);
    bool IsOpen() const;
    // Whether the last CreateNew failed only because the name was taken.
    bool LastCreateFoundExisting() const { return existed_; }

    uint64_t Size() const;
    // Reads exactly n bytes at the offset; false on an error or a short file.
    bool ReadAt(uint64_t offset, void* buf, size_t n) const;
    // Writes all n bytes at the current position.
    bool Write(const void* data, size_t n);
    // Modification and access time, in seconds since 1970 (UTC).
    bool SetTimes(int64_t unixSeconds);
    // Read-only takes every write bit away; writable gives the owner's back. On
    // Windows it is the file's read-only attribute.
    bool SetReadOnly(bool readOnly);
    bool Close();

private:
#ifdef _WIN32
    void* handle_ = nullptr;  // the file's HANDLE; nullptr when none is open
#else
    int fd_ = -1;
#endif
    bool existed_ = false;
};

}  // namespace platform
