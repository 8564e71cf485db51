// Starts a program with VEMI_REPORT_FIRST_PAINT=1 and measures the time from just
// before the start to the first whole picture the program reports (see
// platform/fltk/Fltkfirstpaint.h), then ends it and reads its peak memory.
//
//   startup_probe [--timeout SECONDS] PROGRAM [ARGS...]
//
// Prints one line: "first_paint_ms=12.345 peak_kib=6789 faults=1234" (peak resident
// memory and minor page faults of the program's whole run). Exit code 1 when the
// program did not report in time (default 30 s) or could not be started.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

long long MonotonicNs() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Ends the child and collects it; its resource use (zero if unknown).
struct rusage EndChild(pid_t pid) {
    kill(pid, SIGTERM);
    struct rusage ru {};
    int status = 0;
    for (int i = 0; i < 300; ++i) {  // up to 3 s for a polite end
        pid_t r = wait4(pid, &status, WNOHANG, &ru);
        if (r == pid) return ru;
        if (r < 0 && errno != EINTR) return {};
        usleep(10000);
    }
    kill(pid, SIGKILL);
    while (wait4(pid, &status, 0, &ru) < 0 && errno == EINTR) {
    }
    return ru;
}

}  // namespace

int main(int argc, char** argv) {
    int arg = 1;
    double timeout = 30;
    if (arg + 1 < argc && std::strcmp(argv[arg], "--timeout") == 0) {
        timeout = std::atof(argv[arg + 1]);
        arg += 2;
    }
    if (arg >= argc) {
        std::fprintf(stderr, "usage: startup_probe [--timeout SECONDS] PROGRAM [ARGS...]\n");
        return 2;
    }
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        std::perror("startup_probe: pipe");
        return 1;
    }
    setenv("VEMI_REPORT_FIRST_PAINT", "1", 1);
    long long start = MonotonicNs();
    pid_t pid = fork();
    if (pid < 0) {
        std::perror("startup_probe: fork");
        return 1;
    }
    if (pid == 0) {
        dup2(fds[1], 2);
        int devnull = open("/dev/null", O_WRONLY);
        if (devnull >= 0) dup2(devnull, 1);
        execv(argv[arg], argv + arg);
        std::fprintf(stderr, "exec failed: %s\n", std::strerror(errno));
        _exit(127);
    }
    close(fds[1]);

    // Read the child's stderr line by line until the report comes.
    std::string text;
    long long paintNs = -1;
    long long deadline = start + static_cast<long long>(timeout * 1e9);
    while (paintNs < 0) {
        long long left = (deadline - MonotonicNs()) / 1000000;
        if (left <= 0) break;
        struct pollfd p {fds[0], POLLIN, 0};
        int r = poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        char buf[4096];
        ssize_t n = read(fds[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(buf, static_cast<size_t>(n));
        size_t at = text.find("first-paint:");
        if (at == std::string::npos) continue;
        size_t stamp = text.find("(monotonic ", at);
        size_t eol = text.find('\n', at);
        if (stamp == std::string::npos || eol == std::string::npos || stamp > eol) continue;
        paintNs = std::atoll(text.c_str() + stamp + 11);
    }
    struct rusage ru = EndChild(pid);
    close(fds[0]);
    if (paintNs < 0) {
        std::fprintf(stderr, "startup_probe: %s gave no first-paint report; its output:\n%s\n", argv[arg], text.c_str());
        return 1;
    }
    std::printf("first_paint_ms=%.3f peak_kib=%ld faults=%ld\n", (paintNs - start) / 1e6, ru.ru_maxrss, ru.ru_minflt);
    return 0;
}
