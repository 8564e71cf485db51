#include "install/Abtu.h"

#include "platform/resources.h"
#include "platform/text.h"

using platform::Control;
using platform::ControlKind;
using platform::Sys;
using platform::W;

TABT_FRM* ABT_FRM = nullptr;

TABT_FRM::TABT_FRM() {
    ABT_FRM = this;
    platform::WindowStyle style;
    style.borderless = false;
    style.dialog = true;
    style.centred = true;
    style.stayOnTop = true;
    style.title = "VEMI CD/DVD Instalator";
    style.width = 472;
    style.height = 148;
    window_ = Sys().CreateWindow(style);
    window_->SetHandler(this);

    BAND = &window_->AddControl(ControlKind::Panel, nullptr, "BAND");
    BAND->SetBounds(0, 0, 473, 97);
    BAND->SetColor({255, 255, 255});
    BAND->SetBevels(platform::Bevel::Lowered, platform::Bevel::Raised);
    auto label = [&](const char* name, int y, const std::string& text) {
        Control& c = window_->AddControl(ControlKind::Label, BAND, name);
        c.SetBounds(16, y, 0, 16);
        c.SetText(text);
        return &c;
    };
    LB1 = label("LB1", 16, "VEMI CD/DVD Instalator 1.0.");
    LB2 = label("LB2", 40, W("Menu i instalator: Zespół programistów miesięcznika VEMI."));
    LB3 = label("LB3", 64, W("Czytnik archiwów ZIP: zespół VEMI, dekompresja zlib (J. Gailly, M. Adler)."));
    Control& frame = window_->AddControl(ControlKind::Panel, BAND, "PICFRAME");
    frame.SetBounds(433, 9, 32, 32);
    frame.SetBevels(platform::Bevel::Lowered, platform::Bevel::None);
    PIC = &window_->AddControl(ControlKind::Picture, &frame, "PIC");
    PIC->SetBounds(1, 1, 30, 30);
    platform::LoadResourceImage("BMP", "INSTHDR", PIC->Picture());
    OK_BTN = &window_->AddControl(ControlKind::Button, nullptr, "OK_BTN");
    OK_BTN->SetBounds(200, 112, 75, 25);
    OK_BTN->SetText("&OK");
    OK_BTN->SetDefault(true);
    OK_BTN->onClick = [this] {
        ModalResult = platform::kIdOk;
        window_->Close();
    };
}

TABT_FRM::~TABT_FRM() {
    window_->SetHandler(nullptr);
    if (ABT_FRM == this) ABT_FRM = nullptr;
}

void TABT_FRM::ShowModal() {
    ModalResult = 0;
    window_->ShowModal();
}
