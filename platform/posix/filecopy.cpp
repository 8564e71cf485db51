#include "platform/filecopy.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <vector>

#include "platform/controls.h"
#include "platform/hostfile.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "platform/text.h"

namespace platform {
namespace {

constexpr size_t kChunk = 256 * 1024;
// The loop gets its messages at most this often: often enough for the window to
// stay alive and "Anuluj" to answer at once, seldom enough not to cost the copy.
constexpr uint32_t kPumpEveryMs = 50;
// Each folder level being copied holds two descriptors open.
constexpr int kMaxDepth = 200;

std::string W(const char* utf8) { return Utf8ToCp1250(utf8); }

class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { Reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            Reset();
            fd_ = o.fd_;
            o.fd_ = -1;
        }
        return *this;
    }
    int Get() const { return fd_; }
    bool Ok() const { return fd_ >= 0; }
    bool Close() {
        int r = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = -1;
        return r == 0;
    }

private:
    void Reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }
    int fd_ = -1;
};

std::string Join(const std::string& folder, const std::string& name) { return folder == "/" ? "/" + name : folder + "/" + name; }

std::string RealPath(const std::string& path) {
    char* r = ::realpath(path.c_str(), nullptr);
    if (!r) return {};
    std::string s = r;
    std::free(r);
    return s;
}

// The real path a folder will have once made: its deepest existing level resolved,
// with the missing levels below it as written (they cannot be links yet).
std::string WhereItWouldBe(const std::string& hostPath) {
    std::string existing = hostPath, rest;
    while (HostPathKind(existing) == HostKind::None) {
        const size_t slash = existing.find_last_of('/');
        if (slash == std::string::npos || slash == 0) return {};
        rest = existing.substr(slash) + rest;
        existing.erase(slash);
    }
    const std::string real = RealPath(existing);
    return real.empty() ? real : (real == "/" ? rest : real + rest);
}

bool Inside(const std::string& path, const std::string& folder) {
    if (folder == "/") return path.size() > 1;
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '/';
}

// "12 345 bajtów, zmodyfikowany 15.01.2008 12:34"
std::string Describe(const struct stat& st) {
    std::string digits = std::to_string(static_cast<unsigned long long>(st.st_size));
    std::string size;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) size += ' ';
        size += digits[i];
    }
    unsigned long long n = static_cast<unsigned long long>(st.st_size);
    const char* unit = n == 1 ? "bajt" : (n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14)) ? "bajty" : "bajtów";
    char when[32] = "";
    struct tm t;
    time_t secs = st.st_mtim.tv_sec;
    if (::localtime_r(&secs, &t)) std::strftime(when, sizeof when, "%d.%m.%Y %H:%M", &t);
    return size + " " + W(unit) + W(", zmodyfikowany ") + when;
}

struct Entry {
    std::string name;  // the host's name in its folder
    bool folder = false;
    struct stat st {};   // of what is copied: for a link, of the file it leads to
    std::string viaLink;  // a link to a file inside the source: that file's real path
};

class TreeCopy : public WindowHandler {
public:
    explicit TreeCopy(const std::string& title) : title_(title), buffer_(kChunk) {}
    ~TreeCopy() override { CloseWindow(); }

    int Run(const std::string& winSource, const std::string& winDest) {
        auto src = Drives().ToHost(winSource);
        if (src) root_ = RealPath(*src);
        if (root_.empty() || HostTargetKind(root_) != HostKind::Directory)
            return Finish(Fail(W("Nie można odczytać folderu:\n\n") + winSource));
        auto dst = Drives().ToHost(winDest);
        // The copy would meet itself on the way down. Asked before any folder is
        // made, so that a refused copy leaves nothing behind in the source.
        const auto insideSource = [&](const std::string& real) { return real.empty() || real == root_ || Inside(real, root_); };
        if (dst && insideSource(WhereItWouldBe(*dst)))
            return Finish(Fail(W("Folder docelowy leży wewnątrz folderu kopiowanego:\n\n") + winDest));
        if (!dst || !HostMakeDirectories(*dst)) return Finish(Fail(W("Nie można utworzyć folderu:\n\n") + winDest));
        std::string realDest = RealPath(*dst);
        if (insideSource(realDest)) return Finish(Fail(W("Folder docelowy leży wewnątrz folderu kopiowanego:\n\n") + winDest));
        Fd srcFd(::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!srcFd.Ok()) return Finish(Fail(W("Nie można odczytać folderu:\n\n") + winSource));
        Fd dstFd(::open(realDest.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!dstFd.Ok()) return Finish(Fail(W("Nie można utworzyć folderu:\n\n") + winDest));

        // A read-only destination takes the files as a read-only folder does on the
        // disc's system, and is read-only again afterwards.
        struct stat destState;
        bool reopened = ::fstat(dstFd.Get(), &destState) == 0 && !(destState.st_mode & S_IWUSR);
        if (reopened && ::fchmod(dstFd.Get(), (destState.st_mode & 07777) | S_IWUSR) != 0)
            return Finish(Fail(W("Nie można utworzyć folderu:\n\n") + winDest));

        OpenWindow();
        Pump(true);
        bool ok = Count(srcFd.Get(), root_, 0) &&
                  CopyFolder(srcFd.Get(), root_, ExcludeTrailingBackslash(winSource), dstFd.Get(),
                             ExcludeTrailingBackslash(winDest), 0);
        if (reopened) ::fchmod(dstFd.Get(), destState.st_mode & 07777);
        if (ok && bar_) bar_->SetPosition(100);
        return Finish(ok);
    }

    bool OnCloseQuery() override {
        // The close box stops the copy; the window goes when the copy has let go.
        cancelled_ = true;
        return false;
    }

private:
    int Finish(bool ok) {
        CloseWindow();
        if (cancelled_) return kCopyCancelled;
        return ok ? kCopyDone : kCopyFailed;
    }

    bool Fail(const std::string& text) {
        if (!cancelled_) Sys().MessageBox(text, W("Błąd podczas kopiowania"), MsgKind::Error, MsgButtons::Ok);
        return false;
    }

    void OpenWindow() {
        WindowStyle style;
        style.borderless = false;
        style.dialog = true;
        style.centred = true;
        style.stayOnTop = true;
        style.title = title_;
        style.width = 420;
        style.height = 128;
        window_ = Sys().CreateWindow(style);
        window_->SetHandler(this);
        label_ = &window_->AddControl(ControlKind::Label, nullptr, "FILE_LAB");
        label_->SetAutoSize(false);
        label_->SetBounds(16, 16, 388, 16);
        bar_ = &window_->AddControl(ControlKind::ProgressBar, nullptr, "PB");
        bar_->SetBounds(16, 44, 388, 16);
        Control& cancel = window_->AddControl(ControlKind::Button, nullptr, "CANCEL_BTN");
        cancel.SetText(W("Anuluj"));
        cancel.SetBounds(172, 86, 75, 25);
        cancel.onClick = [this] { cancelled_ = true; };
        window_->BeginModal();
    }

    void CloseWindow() {
        if (!window_) return;
        window_->EndModal();
        window_->SetHandler(nullptr);
        label_ = bar_ = nullptr;
        window_.reset();
    }

    // Hands the loop its messages when kPumpEveryMs have passed since the last time
    // (or now, when forced). False once the user has stopped the copy.
    bool Pump(bool force) {
        uint32_t now = Sys().TickCount();
        if (force || now - lastPump_ >= kPumpEveryMs) {
            lastPump_ = now;
            if (bar_) bar_->SetPosition(total_ ? static_cast<int>(std::min<uint64_t>(done_, total_) * 100 / total_) : 0);
            Sys().ProcessMessages();
        }
        return !cancelled_;
    }

    // The entries of a folder in name order. Links are judged here: only a link to
    // a file inside the source becomes an entry, carrying the file it leads to.
    bool ReadFolder(int dirFd, const std::string& hostDir, std::vector<Entry>& out) {
        out.clear();
        int own = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (own < 0) return false;
        DIR* d = ::fdopendir(own);
        if (!d) {
            ::close(own);
            return false;
        }
        // readdir tells its end from an error only through errno.
        for (;;) {
            errno = 0;
            dirent* de = ::readdir(d);
            if (!de) break;
            std::string name = de->d_name;
            if (name == "." || name == "..") continue;
            Entry e;
            e.name = name;
            if (::fstatat(dirFd, name.c_str(), &e.st, AT_SYMLINK_NOFOLLOW) != 0) continue;
            if (S_ISDIR(e.st.st_mode)) {
                e.folder = true;
            } else if (S_ISLNK(e.st.st_mode)) {
                std::string target = RealPath(Join(hostDir, name));
                if (target.empty() || !Inside(target, root_) || ::stat(target.c_str(), &e.st) != 0 || !S_ISREG(e.st.st_mode))
                    continue;
                e.viaLink = target;
            } else if (!S_ISREG(e.st.st_mode)) {
                continue;  // devices, pipes and sockets are no files to copy
            }
            out.push_back(std::move(e));
        }
        bool ok = errno == 0;
        ::closedir(d);
        std::sort(out.begin(), out.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
        return ok;
    }

    // How many bytes there are to copy, for the progress bar. What cannot be read
    // here is reported when the copy reaches it.
    bool Count(int dirFd, const std::string& hostDir, int depth) {
        std::vector<Entry> entries;
        if (!ReadFolder(dirFd, hostDir, entries)) return true;
        for (const Entry& e : entries) {
            if (!Pump(false)) return false;
            if (!e.folder) {
                total_ += static_cast<uint64_t>(e.st.st_size);
                continue;
            }
            if (depth + 1 > kMaxDepth) continue;
            Fd sub(::openat(dirFd, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (sub.Ok() && !Count(sub.Get(), Join(hostDir, e.name), depth + 1)) return false;
        }
        return true;
    }

    bool CopyFolder(int srcFd, const std::string& hostSrc, const std::string& winSrc, int dstFd, const std::string& winDst,
                    int depth) {
        std::vector<Entry> entries;
        if (!ReadFolder(srcFd, hostSrc, entries)) return Fail(W("Nie można odczytać folderu:\n\n") + winSrc);
        for (const Entry& e : entries) {
            if (!Pump(false)) return false;
            const std::string name = Utf8ToCp1250(e.name);
            const std::string ws = winSrc + "\\" + name, wd = winDst + "\\" + name;
            bool ok = e.folder ? CopySubfolder(srcFd, hostSrc, e, ws, dstFd, wd, depth) : CopyFile(srcFd, e, ws, dstFd, wd);
            if (!ok) return false;
        }
        return true;
    }

    bool CopySubfolder(int srcFd, const std::string& hostSrc, const Entry& e, const std::string& ws, int dstFd,
                       const std::string& wd, int depth) {
        if (depth + 1 > kMaxDepth) return Fail(W("Nie można skopiować folderu:\n\n") + ws);
        Fd src(::openat(srcFd, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!src.Ok()) return Fail(W("Nie można odczytać folderu:\n\n") + ws);
        const std::string cannotCreate = W("Nie można utworzyć folderu:\n\n") + wd;
        struct stat existing;
        bool created = false;
        if (::fstatat(dstFd, e.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT || ::mkdirat(dstFd, e.name.c_str(), (e.st.st_mode & 0777) | S_IRWXU) != 0)
                return Fail(cannotCreate);
            created = true;
        } else if (!S_ISDIR(existing.st_mode)) {
            return Fail(cannotCreate);  // a file, or a link that would lead the copy elsewhere
        }
        Fd dst(::openat(dstFd, e.name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!dst.Ok()) return Fail(cannotCreate);
        // The same for a read-only folder already at the destination.
        bool reopened = !created && !(existing.st_mode & S_IWUSR);
        if (reopened && ::fchmod(dst.Get(), (existing.st_mode & 07777) | S_IWUSR) != 0) return Fail(cannotCreate);

        bool ok = CopyFolder(src.Get(), Join(hostSrc, e.name), ws, dst.Get(), wd, depth + 1);
        if (reopened) ::fchmod(dst.Get(), existing.st_mode & 07777);
        if (ok && created) {
            // After the contents, which change the folder's time as they arrive.
            struct timespec times[2] = {e.st.st_atim, e.st.st_mtim};
            struct stat now;
            bool done = ::futimens(dst.Get(), times) == 0 && ::fstat(dst.Get(), &now) == 0;
            if (done && !(e.st.st_mode & S_IWUSR)) done = ::fchmod(dst.Get(), now.st_mode & 07777 & ~0222) == 0;
            if (!done) return Fail(W("Nie można skopiować folderu:\n\n") + ws);
        }
        return ok;
    }

    // Whether the file in the way may be replaced; false when the file is kept or
    // the user stopped (cancelled_ tells which).
    bool MayReplace(const Entry& e, const struct stat& existing) {
        if (replaceAll_) return true;
        std::string text = W("Ten folder zawiera już plik o nazwie \"") + Utf8ToCp1250(e.name) +
                           W("\".\n\nCzy chcesz zastąpić istniejący plik\n    ") + Describe(existing) +
                           W("\nplikiem kopiowanym?\n    ") + Describe(e.st);
        int answer = Sys().MessageBox(text, W("Potwierdzanie zamiany pliku"), MsgKind::Question, MsgButtons::YesAllNoCancel);
        if (answer == kIdYesAll) replaceAll_ = true;
        if (answer == kIdYes || answer == kIdYesAll) return true;
        if (answer != kIdNo) cancelled_ = true;
        return false;
    }

    bool CopyFile(int srcFd, const Entry& e, const std::string& ws, int dstFd, const std::string& wd) {
        if (label_) label_->SetText(Utf8ToCp1250(e.name));
        const std::string cannotCopy = W("Nie można skopiować pliku:\n\n") + ws;
        struct stat existing;
        if (::fstatat(dstFd, e.name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            if (S_ISDIR(existing.st_mode)) return Fail(cannotCopy + W("\n\nW folderze docelowym jest folder o tej nazwie:\n\n") + wd);
            if (!MayReplace(e, existing)) {
                done_ += static_cast<uint64_t>(e.st.st_size);
                return !cancelled_;
            }
        } else if (errno != ENOENT) {
            return Fail(cannotCopy);
        }

        const int flags = O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
        Fd in(e.viaLink.empty() ? ::openat(srcFd, e.name.c_str(), flags) : ::open(e.viaLink.c_str(), flags));
        struct stat st;
        if (!in.Ok() || ::fstat(in.Get(), &st) != 0 || !S_ISREG(st.st_mode)) return Fail(cannotCopy);

        // Written under a name of its own beside its place and renamed into it when
        // complete: the name never holds half a file, and a read-only file (or a
        // link) in the way is replaced, never written into or through.
        std::string temp;
        Fd out;
        for (int attempt = 0; attempt < 100 && !out.Ok(); ++attempt) {
            temp = ".vemi-copy-" + std::to_string(::getpid()) + "-" + std::to_string(++tempCounter_);
            out = Fd(::openat(dstFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                              (st.st_mode & 0777) | S_IRUSR | S_IWUSR));
            if (!out.Ok() && errno != EEXIST) break;
        }
        if (!out.Ok()) return Fail(cannotCopy);
        auto discard = [&] {
            out.Close();
            ::unlinkat(dstFd, temp.c_str(), 0);
        };

        for (;;) {
            ssize_t n = ::read(in.Get(), buffer_.data(), buffer_.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) {
                discard();
                return Fail(cannotCopy);
            }
            if (n == 0) break;
            for (ssize_t put = 0; put < n;) {
                ssize_t w = ::write(out.Get(), buffer_.data() + put, static_cast<size_t>(n - put));
                if (w < 0 && errno == EINTR) continue;
                if (w <= 0) {
                    discard();
                    return Fail(cannotCopy);
                }
                put += w;
            }
            done_ += static_cast<uint64_t>(n);
            if (!Pump(false)) {
                discard();
                return false;
            }
        }

        struct timespec times[2] = {st.st_atim, st.st_mtim};
        struct stat now;
        bool ok = ::futimens(out.Get(), times) == 0 && ::fstat(out.Get(), &now) == 0;
        if (ok && !(st.st_mode & S_IWUSR)) ok = ::fchmod(out.Get(), now.st_mode & 07777 & ~0222) == 0;
        ok = out.Close() && ok;
        if (!ok || ::renameat(dstFd, temp.c_str(), dstFd, e.name.c_str()) != 0) {
            discard();
            return Fail(cannotCopy);
        }
        return true;
    }

    std::string title_;
    std::vector<char> buffer_;
    std::string root_;  // the source folder, every link resolved
    std::unique_ptr<Window> window_;
    Control* label_ = nullptr;
    Control* bar_ = nullptr;
    uint32_t lastPump_ = 0;
    uint64_t total_ = 0, done_ = 0;
    bool cancelled_ = false;
    bool replaceAll_ = false;
    unsigned tempCounter_ = 0;
};

}  // namespace

int CopyFolderTree(Window* owner, const std::string& sourceFolder, const std::string& destFolder, const std::string& title) {
    // The progress window takes all input while it is open, which keeps it above the
    // owner; nothing else about the owner matters here.
    (void)owner;
    TreeCopy copy(title);
    return copy.Run(sourceFolder, destFolder);
}

}  // namespace platform
