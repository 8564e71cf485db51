#include "platform/opener.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/paths.h"
#include "platform/system.h"
#include "platform/text.h"

extern char** environ;

namespace platform {
namespace {

bool IsFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// posix_spawn changes folder before it runs the program, so a relative name would
// be looked up in the wrong place.
std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    char buf[4096];
    if (!getcwd(buf, sizeof buf)) return path;
    return std::string(buf) + "/" + path;
}

std::string ParentOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A file the kernel can run by itself: the execute bit and an ELF or "#!" header.
// A disc mounted with every execute bit set must not turn its documents into
// programs, hence the look at the header.
bool IsNativeProgram(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (access(path.c_str(), X_OK) != 0) return false;
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    unsigned char head[4] = {};
    ssize_t n = read(fd, head, sizeof head);
    close(fd);
    if (n >= 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' && head[3] == 'F') return true;
    return n >= 2 && head[0] == '#' && head[1] == '!';
}

// What the go-between process tells us about the started program.
struct Outcome {
    int spawnError = 0;  // errno of posix_spawn, 0 when it started
    int exited = 0;      // 1 when it ended within the wait
    int status = 0;      // its wait status then
};

void SleepMs(int ms) {
    struct timespec ts{ms / 1000, (ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

int64_t NowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

// Starts argv (argv[0] a full path) in dir with stdin from /dev/null. The program
// is the grandchild of this process: a short-lived go-between starts it, waits up
// to waitMs for its exit status, reports and ends. The started program is then
// nobody's child here, so it can never linger as a zombie of the menu, and the
// menu needs no SIGCHLD handling.
Outcome Launch(const std::vector<std::string>& args, const std::string& dir, int waitMs) {
    Outcome out;
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    // Everything the go-between needs is prepared here: after fork it only calls
    // posix_spawn, waitpid, nanosleep, write and _exit.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    if (!dir.empty()) posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    sigset_t defaults, none;
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGCHLD, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGUSR1, SIGUSR2}) sigaddset(&defaults, sig);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    int pipeFd[2];
    if (pipe2(pipeFd, O_CLOEXEC) != 0) {
        out.spawnError = errno;
        posix_spawnattr_destroy(&attr);
        posix_spawn_file_actions_destroy(&actions);
        return out;
    }
    pid_t middle = fork();
    if (middle == 0) {
        close(pipeFd[0]);
        Outcome o;
        pid_t pid = 0;
        o.spawnError = posix_spawn(&pid, argv[0], &actions, &attr, argv.data(), environ);
        if (o.spawnError == 0 && waitMs > 0) {
            for (int waited = 0; waited < waitMs; waited += 10) {
                int st = 0;
                if (waitpid(pid, &st, WNOHANG) == pid) {
                    o.exited = 1;
                    o.status = st;
                    break;
                }
                SleepMs(10);
            }
        }
        ssize_t w = write(pipeFd[1], &o, sizeof o);
        (void)w;
        _exit(0);
    }
    close(pipeFd[1]);
    if (middle < 0) {
        out.spawnError = errno;
    } else {
        // The go-between answers within waitMs; allow generously more before
        // giving up on it, then collect it (it ends right after answering).
        size_t got = 0;
        auto* bytes = reinterpret_cast<char*>(&out);
        int64_t deadline = NowMs() + waitMs + 5000;
        while (got < sizeof out) {
            int left = static_cast<int>(deadline - NowMs());
            if (left <= 0) break;
            struct pollfd p{pipeFd[0], POLLIN, 0};
            int r = poll(&p, 1, left);
            if (r < 0 && errno == EINTR) continue;
            if (r <= 0) break;
            ssize_t n = read(pipeFd[0], bytes + got, sizeof out - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<size_t>(n);
        }
        if (got < sizeof out) {
            out = Outcome{};
            out.spawnError = ECHILD;
            kill(middle, SIGKILL);
        }
        while (waitpid(middle, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    close(pipeFd[0]);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    return out;
}

// The desktop's opener decides what to start; it normally hands the target over
// and ends at once, so its exit status is worth a short wait.
int OpenThroughDesktop(const std::string& target, const std::string& dir) {
    std::string opener = FindOnPath("xdg-open");
    if (opener.empty()) return kOpenNoOpener;
    Outcome o = Launch({opener, target}, dir, 1500);
    if (o.spawnError != 0) return kOpenNoOpener;
    if (o.exited && !(WIFEXITED(o.status) && WEXITSTATUS(o.status) == 0)) return kOpenNoOpener;
    return kOpenStarted;
}

int StartProgram(std::vector<std::string> argv, const std::string& params, const std::string& dir) {
    for (std::string& p : SplitParams(params)) argv.push_back(std::move(p));
    Outcome o = Launch(argv, dir, 0);
    if (o.spawnError == ENOENT) return kOpenFileNotFound;
    return o.spawnError == 0 ? kOpenStarted : kOpenNoOpener;
}

}  // namespace

std::string FindOnPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return {};
    const char* env = std::getenv("PATH");
    std::string path = env ? env : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    for (;;) {
        size_t colon = path.find(':', start);
        std::string folder = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        // An empty entry means the current folder.
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(candidate.c_str(), X_OK) == 0) return candidate;
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return {};
}

int OpenWithDesktop(const std::string& target, const std::string& params, const std::string& hostDir) {
    if (target.empty()) return kOpenFileNotFound;
    if (IsAddress(target)) return OpenThroughDesktop(target, IsFolder(hostDir) ? hostDir : std::string());
    const std::string hostFile = Absolute(target);

    struct stat st;
    if (stat(hostFile.c_str(), &st) != 0) return IsFolder(ParentOf(hostFile)) ? kOpenFileNotFound : kOpenPathNotFound;
    if (!hostDir.empty() && !IsFolder(hostDir)) return kOpenPathNotFound;
    if (S_ISDIR(st.st_mode)) return OpenThroughDesktop(hostFile, hostDir);

    TargetKind kind = ClassifyTarget(hostFile);
    if (kind == TargetKind::NativeProgram) return StartProgram({hostFile}, params, hostDir);
    if (kind == TargetKind::WindowsProgram || kind == TargetKind::WindowsInstaller) {
        // A file that is not what its name says would only make wine fail after the
        // menu counted it as started.
        if (!LooksLikeWindowsProgram(hostFile, HostExtension(hostFile))) return kOpenBadFormat;
        std::string wine = FindOnPath("wine");
        if (wine.empty()) return kOpenNoOpener;
        if (kind == TargetKind::WindowsInstaller) return StartProgram({wine, "msiexec", "/i", hostFile}, params, hostDir);
        return StartProgram({wine, hostFile}, params, hostDir);
    }
    return OpenThroughDesktop(hostFile, hostDir);
}

TargetKind ClassifyTarget(const std::string& hostPath) {
    if (IsFolder(hostPath)) return TargetKind::Folder;
    // The disc's own programs may be native even under a Windows name.
    if (IsNativeProgram(hostPath)) return TargetKind::NativeProgram;
    std::string ext = HostExtension(hostPath);
    if (ext == "msi") return TargetKind::WindowsInstaller;
    if (IsWindowsProgramExtension(ext)) return TargetKind::WindowsProgram;
    return TargetKind::Document;
}

}  // namespace platform
