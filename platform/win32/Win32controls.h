// platform/win32/Win32controls.h
#pragma once
#include <windows.h>
#include <functional>
#include <memory>
#include <string>
#include <vector>
#include "platform/controls.h"

namespace platform::win32 {

// The Win32 controls of one dialog window: one child window per Control, kept in step
// with the control's state by its peer; what the user does goes to the control's
// User... calls. Texts are Windows-1250 in the controls and UTF-16 in the windows.
class DialogControls {
public:
    // dialog: the dialog window's HWND (its client area is the controls' coordinate
    // space); report: shows an error that escaped one of the program's handlers.
    DialogControls(HWND dialog, std::function<void(const char*)> report);
    ~DialogControls();                 // destroys the child windows
    DialogControls(const DialogControls&) = delete;
    DialogControls& operator=(const DialogControls&) = delete;
    void Attach(Control& c);           // makes the child window and the peer
    // The dialog window's procedure offers every message here first (WM_COMMAND,
    // WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_CTLCOLOR*, WM_ERASEBKGND, ...).
    // True when handled; result is then what the window procedure returns.
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    // Enter pressed in the dialog (the window system's loop sees VK_RETURN before
    // dispatching it): presses the focused button or the showing default button;
    // false when the key belongs to the focused control.
    bool PressEnter(const std::vector<std::unique_ptr<Control>>& controls);
    // The control window that should get the focus when the dialog is activated.
    HWND InitialFocus() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// "Tak", "Tak na wszystkie", "Nie", "Anuluj" -> kIdYes, kIdYesAll, kIdNo, kIdCancel;
// closing it (or Escape) is kIdCancel. Texts in UTF-16. owner may be nullptr.
int AskYesAllNoCancel(HWND owner, const std::wstring& text, const std::wstring& title, bool topmost);

}  // namespace platform::win32
