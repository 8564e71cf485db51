#include "platform/hostfile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>

namespace platform {

namespace {
HostKind KindOf(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return HostKind::File;
    if (S_ISDIR(st.st_mode)) return HostKind::Directory;
    if (S_ISLNK(st.st_mode)) return HostKind::Link;
    return HostKind::Other;
}
}  // namespace

HostKind HostPathKind(const std::string& p) {
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0) return HostKind::None;
    return KindOf(st);
}

HostKind HostTargetKind(const std::string& p) {
    struct stat st;
    if (::stat(p.c_str(), &st) != 0) return HostKind::None;
    return KindOf(st);
}

bool HostRemoveFile(const std::string& p) { return ::unlink(p.c_str()) == 0; }

bool HostMakeDirectory(const std::string& p) {
    if (::mkdir(p.c_str(), 0777) == 0) return true;
    return errno == EEXIST && HostTargetKind(p) == HostKind::Directory;
}

std::vector<std::string> HostListNames(const std::string& folder) {
    std::vector<std::string> out;
    DIR* d = ::opendir(folder.c_str());
    if (!d) return out;
    while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        out.emplace_back(e->d_name);
    }
    ::closedir(d);
    return out;
}

int64_t HostUtcOffset(int64_t unixSeconds) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    return localtime_r(&t, &tm) ? tm.tm_gmtoff : 0;
}

std::string HostLastError() { return std::strerror(errno); }

bool HostLastErrorIsDiskFull() { return errno == ENOSPC || errno == EDQUOT; }

HostFile::~HostFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool HostFile::IsOpen() const { return fd_ >= 0; }

HostFile::HostFile(HostFile&& o) noexcept : fd_(o.fd_), existed_(o.existed_) { o.fd_ = -1; }

HostFile& HostFile::operator=(HostFile&& o) noexcept {
    if (this != &o) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = o.fd_;
        existed_ = o.existed_;
        o.fd_ = -1;
    }
    return *this;
}

bool HostFile::OpenRead(const std::string& p) {
    Close();
    int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        int e = errno;
        ::close(fd);
        errno = e;
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return false;
    }
    fd_ = fd;
    return true;
}

bool HostFile::CreateNew(const std::string& p, uint32_t permissions) {
    Close();
    existed_ = false;
    // The system applies the umask itself, at the moment of creation: no thread
    // has to read it (which means changing it for a moment).
    int fd = ::open(p.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(permissions & 0777));
    if (fd < 0) {
        existed_ = errno == EEXIST;
        return false;
    }
    fd_ = fd;
    return true;
}

uint64_t HostFile::Size() const {
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_size);
}

bool HostFile::ReadAt(uint64_t offset, void* buf, size_t n) const {
    auto* p = static_cast<char*>(buf);
    while (n > 0) {
        ssize_t r = ::pread(fd_, p, n, static_cast<off_t>(offset));
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (r == 0) {
            errno = EIO;  // the file is shorter than it was when its directory was read
            return false;
        }
        p += r;
        n -= static_cast<size_t>(r);
        offset += static_cast<uint64_t>(r);
    }
    return true;
}

bool HostFile::Write(const void* data, size_t n) {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t r = ::write(fd_, p, n);
        if (r < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += r;
        n -= static_cast<size_t>(r);
    }
    return true;
}

bool HostFile::SetTimes(int64_t unixSeconds) {
    struct timespec ts[2];
    ts[0].tv_sec = ts[1].tv_sec = static_cast<time_t>(unixSeconds);
    ts[0].tv_nsec = ts[1].tv_nsec = 0;
    return ::futimens(fd_, ts) == 0;
}

bool HostFile::SetReadOnly(bool readOnly) {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return false;
    mode_t m = st.st_mode & 07777;
    if (readOnly) m &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else m |= S_IWUSR;
    return ::fchmod(fd_, m) == 0;
}

bool HostFile::Close() {
    if (fd_ < 0) return true;
    int r = ::close(fd_);
    fd_ = -1;
    return r == 0;
}

}  // namespace platform
