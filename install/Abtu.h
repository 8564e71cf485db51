// The about box TABT_FRM of the installer wizard: who made the menu and its ZIP
// reader. Shown modally from the wizard's first page; it has no behaviour of its own.
#pragma once

#include <memory>

#include "platform/system.h"

class TABT_FRM : public platform::WindowHandler {
public:
    TABT_FRM();
    ~TABT_FRM() override;

    platform::Window& Window() { return *window_; }
    // Shows the box and returns when it has closed.
    void ShowModal();

    platform::Control *BAND = nullptr, *LB1 = nullptr, *LB2 = nullptr, *LB3 = nullptr, *PIC = nullptr;
    platform::Control* OK_BTN = nullptr;
    // kIdOk once the box was closed with its button.
    int ModalResult = 0;

private:
    std::unique_ptr<platform::Window> window_;
};

extern TABT_FRM* ABT_FRM;
