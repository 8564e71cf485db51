#include "platform/fltk/Fltkaskbox.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#ifdef None
#undef None
#endif

#include <algorithm>
#include <memory>

namespace platform::fltk {
namespace {

struct Answer {
    Fl_Window* window = nullptr;
    int index = 0;
};

struct ButtonData {
    Answer* answer;
    int index;
};

void Pressed(Fl_Widget*, void* data) {
    auto* d = static_cast<ButtonData*>(data);
    d->answer->index = d->index;
    d->answer->window->hide();
}

}  // namespace

int AskWithButtons(const std::string& title, const std::string& text, const std::vector<std::string>& labels,
                   int cancelIndex) {
    const int margin = 12, gap = 8, iconSize = 44, buttonH = 26;
    fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
    int textW = 0, textH = 0;
    fl_measure(text.c_str(), textW, textH, 0);
    int buttonW = 80;
    for (const std::string& l : labels) buttonW = std::max(buttonW, static_cast<int>(fl_width(l.c_str())) + 24);
    const int n = static_cast<int>(labels.size());
    const int buttonsW = n * buttonW + (n - 1) * gap;
    const int w = std::max(margin + iconSize + margin + textW + margin, margin + buttonsW + margin);
    const int h = margin + std::max(iconSize, textH) + margin + buttonH + margin;

    Answer answer;
    answer.index = cancelIndex;
    Fl_Window window((Fl::w() - w) / 2, (Fl::h() - h) / 2, w, h);
    window.copy_label(title.c_str());
    answer.window = &window;

    Fl_Box icon(margin, margin, iconSize, iconSize, "?");
    icon.box(FL_THIN_UP_BOX);
    icon.color(FL_WHITE);
    icon.labelfont(FL_TIMES_BOLD);
    icon.labelsize(34);
    icon.labelcolor(FL_BLUE);

    Fl_Box message(margin + iconSize + margin, margin, textW, std::max(iconSize, textH));
    message.copy_label(text.c_str());
    message.align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);

    std::vector<std::unique_ptr<Fl_Button>> buttons;
    std::vector<ButtonData> data(labels.size());
    int x = (w - buttonsW) / 2;
    const int y = h - margin - buttonH;
    for (int i = 0; i < n; ++i, x += buttonW + gap) {
        if (i == 0)
            buttons.push_back(std::make_unique<Fl_Return_Button>(x, y, buttonW, buttonH));
        else
            buttons.push_back(std::make_unique<Fl_Button>(x, y, buttonW, buttonH));
        buttons.back()->copy_label(labels[i].c_str());
        data[i] = {&answer, i};
        buttons.back()->callback(Pressed, &data[i]);
    }
    window.end();
    // Escape and the close box reach the window's own callback: they cancel.
    ButtonData cancelData{&answer, cancelIndex};
    window.callback(Pressed, &cancelData);
    window.set_modal();
    window.show();
    while (window.shown()) Fl::wait();
    // The buttons belong to the window as its children; take them back first.
    for (auto& b : buttons) window.remove(b.get());
    window.remove(icon);
    window.remove(message);
    return answer.index;
}

}  // namespace platform::fltk
