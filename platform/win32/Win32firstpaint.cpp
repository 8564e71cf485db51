#include "platform/win32/Win32firstpaint.h"

#include <windows.h>

#include <cstdio>

namespace platform::win32 {
namespace {

// -1 not looked at yet, 0 not wanted or already given, 1 wanted.
int g_state = -1;

double MsSinceProcessStart() {
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    GetSystemTimeAsFileTime(&now);
    auto ticks = [](const FILETIME& f) { return (static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(ticks(now) - ticks(created)) / 10000.0;  // 100 ns steps
}

}  // namespace

bool FirstPaintWatched() {
    if (g_state < 0) {
        wchar_t v[4];
        const DWORD n = GetEnvironmentVariableW(L"VEMI_REPORT_FIRST_PAINT", v, 4);
        g_state = n == 1 && v[0] == L'1' ? 1 : 0;
    }
    return g_state == 1;
}

void ReportFirstPaint() {
    if (!FirstPaintWatched()) return;
    GdiFlush();
    g_state = 0;
    std::fprintf(stderr, "first-paint: %.1f ms after process start\n", MsSinceProcessStart());
    std::fflush(stderr);
}

}  // namespace platform::win32
