// The yardstick of the start-up benchmark: the least an FLTK program can do to
// put a 1024 x 768 borderless window on the screen. Its first whole draw is
// reported by the same code as the menu's (VEMI_REPORT_FIRST_PAINT=1), so the two
// times are measured alike. Runs until it is killed or closed.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include "platform/fltk/Fltkfirstpaint.h"

namespace {
class EmptyWindow : public Fl_Window {
public:
    EmptyWindow() : Fl_Window(0, 0, 1024, 768, "empty") { end(); }
    void draw() override {
        Fl_Window::draw();
        if (platform::fltk::FirstPaintWatched()) platform::fltk::ReportFirstPaint(this);
    }
};
}  // namespace

int main(int argc, char** argv) {
    Fl::visual(FL_RGB);
    EmptyWindow w;
    w.border(0);
    w.color(FL_BLACK);
    w.show(argc, argv);
    return Fl::run();
}
