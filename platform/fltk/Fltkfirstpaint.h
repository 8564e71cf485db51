// A measuring aid for the start-up benchmark (bench/startup_bench.sh), off unless
// the environment holds VEMI_REPORT_FIRST_PAINT=1. Then, the first time a window
// has drawn its whole picture while it is on the screen, the back end waits until
// the X server has taken every drawing request and writes one line to stderr:
//
//   first-paint: 84.0 ms after process start (monotonic 1234567890123 ns)
//
// The milliseconds count from the process's start time as the kernel keeps it
// (in steps of 10 ms); the time stamp of CLOCK_MONOTONIC lets a launcher that read
// the same clock just before starting the process measure to the microsecond.
// Without the variable a draw pays one test of a flag.
#pragma once

class Fl_Window;

namespace platform::fltk {

// True while the report is wanted and has not been given yet.
bool FirstPaintWatched();

// Called right after w drew its whole picture. When w is viewable (drawing into a
// window that is not mapped yet is lost), waits for the server, reports and stops
// watching; otherwise keeps watching for the next whole picture.
void ReportFirstPaint(Fl_Window* w);

}  // namespace platform::fltk
