// The controls of a dialog window on the desktop: one FLTK widget per control, kept
// in step with the control's state by its peer, and the user's actions on the
// widgets passed to the control's User... calls. Texts are Windows-1250 in the
// controls and UTF-8 in the widgets.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/controls.h"

class Fl_Group;
class Fl_Window;

namespace platform::fltk {

class WidgetPeer;

class ControlWidgets {
public:
    // The widgets go into window; an error that escapes one of the program's
    // handlers, called from a widget, goes to report.
    ControlWidgets(Fl_Window& window, std::function<void(const char*)> report);
    ~ControlWidgets();
    ControlWidgets(const ControlWidgets&) = delete;
    ControlWidgets& operator=(const ControlWidgets&) = delete;

    // Makes the widget of a new control and gives the control its peer.
    void Attach(Control& c);
    // Widgets follow their controls only from the first time the window is about
    // to be shown: a dialog made at start-up and shown much later (or never) then
    // costs no font lookups and text measuring while the menu comes up. Brings
    // every widget in step, in the order the controls were made; idempotent.
    void GoLive();
    bool Live() const { return live_; }
    // The control whose widget has the keyboard focus, or nullptr.
    Control* Focused() const;
    // Enter in the window: presses the focused or the default button. False when the
    // key is left to the focused widget.
    bool Enter(const std::vector<std::unique_ptr<Control>>& controls);
    // Pictures whose pixels the program changed since they were drawn are drawn again.
    void NoticePictures();

    // --- for the peers ---
    Fl_Window& Window() const { return window_; }
    Fl_Group& GroupOf(const Control& c) const;
    // A control moved, grew or shrank: the window shows again what lay under it,
    // and the controls inside a panel follow it.
    void Moved(const Control& c);
    // A panel came into view (a wizard's next page): when the focus went with the
    // page that was hidden, it moves to this one's first edit field, else its
    // default button, else its first button, as a dialog of the window system does.
    // Enter then goes on through the pages instead of pressing a "back" button.
    void PanelShown(const Control& panel);
    void Guard(const std::function<void()>& action) const;

private:
    WidgetPeer* PeerOf(const Control* c) const;

    Fl_Window& window_;
    std::function<void(const char*)> report_;
    std::vector<std::unique_ptr<WidgetPeer>> peers_;
    bool live_ = false;
};

// Box and label types of the classic dialog look, registered with FLTK once, for
// dialogs drawn scale times larger than their controls' bounds say.
void RegisterDialogLook(int scale);

// A message box of the dialog look: an icon with a letter ('i', '!', '?'; none for
// 0), the text, and a row of buttons at the bottom right, left to right as given.
// Enter presses the first; the close box and Escape answer closeResult. Texts in
// UTF-8.
struct BoxButton {
    std::string label;
    int result = 0;
};
struct BoxQuestion {
    std::string text, title;
    char icon = 0;
    std::vector<BoxButton> buttons;
    int closeResult = 0;
};
// Shows the box modally and returns the answer. place gives the box its place from
// its size, both in the program's pixels (the middle of the screen without it);
// shown runs once the box is on the screen.
int AskBox(const BoxQuestion& q, const std::function<Rect(int, int)>& place, const std::function<void(Fl_Window&)>& shown);

}  // namespace platform::fltk
