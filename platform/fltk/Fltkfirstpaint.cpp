#include "platform/fltk/Fltkfirstpaint.h"

#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::fltk {
namespace {

// -1 not looked at yet, 0 not wanted or already given, 1 wanted.
int g_state = -1;

long long Nanoseconds(clockid_t clock) {
    struct timespec ts;
    clock_gettime(clock, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

// Milliseconds since the kernel started this process, or -1 when /proc cannot say.
// The start time is field 22 of /proc/self/stat, in clock ticks after boot; the
// command name in field 2 may hold blanks and parentheses, so the count starts
// after its last ')'.
double MsSinceProcessStart() {
    FILE* f = std::fopen("/proc/self/stat", "r");
    if (!f) return -1;
    char buf[1024];
    size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    const char* p = std::strrchr(buf, ')');
    if (!p) return -1;
    // Field 3 follows ") "; field 22 is 19 fields further on.
    p += 2;
    for (int field = 3; field < 22 && p; ++field) {
        p = std::strchr(p, ' ');
        if (p) ++p;
    }
    if (!p) return -1;
    double startTicks = std::strtod(p, nullptr);
    long hz = sysconf(_SC_CLK_TCK);
    if (hz <= 0) return -1;
    double nowMs = Nanoseconds(CLOCK_BOOTTIME) / 1e6;
    return nowMs - startTicks * 1000.0 / hz;
}

}  // namespace

bool FirstPaintWatched() {
    if (g_state < 0) {
        const char* v = std::getenv("VEMI_REPORT_FIRST_PAINT");
        g_state = (v && std::strcmp(v, "1") == 0) ? 1 : 0;
    }
    return g_state == 1;
}

void ReportFirstPaint(Fl_Window* w) {
    if (!FirstPaintWatched() || !w || !w->shown() || !fl_display) return;
    XWindowAttributes a;
    if (!XGetWindowAttributes(fl_display, fl_xid(w), &a) || a.map_state != IsViewable) return;
    XSync(fl_display, False);
    long long stamp = Nanoseconds(CLOCK_MONOTONIC);
    g_state = 0;
    std::fprintf(stderr, "first-paint: %.1f ms after process start (monotonic %lld ns)\n", MsSinceProcessStart(), stamp);
    std::fflush(stderr);
}

}  // namespace platform::fltk
