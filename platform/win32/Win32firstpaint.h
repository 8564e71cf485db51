// A measuring aid for the end-to-end tests and the start-up benchmark, off unless
// the environment holds VEMI_REPORT_FIRST_PAINT=1: the first time a window has
// painted its whole picture, one line goes to stderr,
//
//   first-paint: 84.0 ms after process start
//
// so that a test knows the window is complete before it looks at it.
#pragma once

namespace platform::win32 {

// True while the report is wanted and has not been given yet.
bool FirstPaintWatched();
// Called right after a window painted its whole picture: hands the drawing to the
// display, reports and stops watching.
void ReportFirstPaint();

}  // namespace platform::win32
