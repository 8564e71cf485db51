// Times a full repaint of the main window and a change of selection, on the sample
// disc, with the headless back end (the drawing is the program's own; the back end
// only keeps the frame buffer).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "app/Mainu.h"
#include "assets/program_resources.h"
#include "platform/headless/headless.h"
#include "platform/paths.h"

namespace {
double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: view_bench DISC_FOLDER [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::stoi(argv[2]) : 200;
    platform::HeadlessSystem sys(1024, 768);
    platform::SetSystem(&sys);
    platform::Drives().Map('D', argv[1]);
    platform::Drives().Map('C', "/tmp");
    RegisterProgramResources();
    using Clock = std::chrono::steady_clock;
    auto t0 = Clock::now();
    double startMs = 0;
    {
        Program program({});
        if (!program.Start()) {
            std::fprintf(stderr, "view_bench: the menu did not start on %s\n", argv[1]);
            return 1;
        }
        sys.Pump();
        startMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        TMN_FRM& w = *program.MainWindow();
        std::vector<double> paint, select;
        for (int i = 0; i < rounds; ++i) {
            auto a = Clock::now();
            w.PaintWindow();
            paint.push_back(std::chrono::duration<double, std::milli>(Clock::now() - a).count());
        }
        // Alternate between two programs so that every change loads a screenshot and
        // wraps a description.
        const int first = w.FirstProgram();
        int other = first + 1;
        for (int i = 0; i < rounds; ++i) {
            int r = (i % 2) ? first : other;
            auto a = Clock::now();
            w.programList.Select(r);
            w.programList.Repaint();
            select.push_back(std::chrono::duration<double, std::milli>(Clock::now() - a).count());
        }
        std::printf("start-up to first full paint (headless, in process): %.2f ms\n", startMs);
        std::printf("full repaint: median %.3f ms, worst %.3f ms over %d rounds\n", Median(paint),
                    *std::max_element(paint.begin(), paint.end()), rounds);
        std::printf("selection change: median %.3f ms, worst %.3f ms over %d rounds\n", Median(select),
                    *std::max_element(select.begin(), select.end()), rounds);
    }
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("peak resident memory: %.1f MiB\n", ru.ru_maxrss / 1024.0);
    platform::SetSystem(nullptr);
    return 0;
}
