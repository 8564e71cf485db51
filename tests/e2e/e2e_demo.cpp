// A small program on the desktop back end for the end-to-end tests: one borderless
// window placed and shaped from the command line, painted with a pattern from
// which every client pixel can be told (red = x mod 256, green = y mod 256, blue
// 0x80), a green "close" rectangle, and a line on stdout for every event it gets.
//
//   e2e_demo [--pos X Y] [--size W H] [--top] [--full] [--title T]
//            [--shape rect L T R B | --shape round L T R B EW EH]
//            [--close X Y W H] [--swallow X Y W H] [--timer MS COUNT]
//            [--message TEXT CAPTION yesno|ok|error|replace]...
//            [--dialog CDIR DDIR]
//
// --full asks for the whole screen, as the menu does when its window covers it.
// After the first paint it prints "ready LEFT TOP W H screen SW SH", then "scale F"
// (the back end's factor on a dense screen).
//
// Keys: M minimises the application; V opens a small modal window (a click in it
// closes it); Ctrl+Shift+Alt+D shows the overlay panel until a key is released.
//
// --dialog opens, once the window is up, a modal dialog (502 x 354, centred, on top)
// with a control of every kind, drives C: and D: mapped to the two folders. It
// prints what reaches the controls: "edit HEX" (the field's Windows-1250 bytes),
// "click NAME", "check 0|1", "select INDEX HEX", "open PATH", "drive INDEX NAME",
// "closequery 0|1" (the close is allowed while the check box is ticked) and
// "answer N" for the replace question that "Pytanie" asks; "Dalej >" (the default
// button) moves the progress bar, the step label and the picture on.
// Texts on the command line are UTF-8. Exit code 0 after a click in the close
// rectangle; 2 on a bad command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/fltk/Fltksystem.h"
#include "platform/paths.h"
#include "platform/system.h"
#include "platform/text.h"

using namespace platform;

namespace {

void Say(const char* fmt, auto... args) {
    std::printf(fmt, args...);
    std::putchar('\n');
    std::fflush(stdout);
}

const char* ButtonName(Button b) {
    switch (b) {
    case Button::Left: return "left";
    case Button::Right: return "right";
    case Button::Middle: return "middle";
    default: return "none";
    }
}

std::string Shift(const ShiftState& s) {
    std::string r;
    if (s.shift) r += "S";
    if (s.ctrl) r += "C";
    if (s.alt) r += "A";
    if (s.left) r += "l";
    if (s.right) r += "r";
    if (s.middle) r += "m";
    return r.empty() ? "-" : r;
}

bool Inside(const Rect& r, int x, int y) { return x >= r.x && y >= r.y && x < r.x + r.w && y < r.y + r.h; }

struct Message {
    std::string text, caption;
    MsgKind kind = MsgKind::Information;
    MsgButtons buttons = MsgButtons::Ok;
};

struct Options {
    int x = 0, y = 0, w = 1024, h = 768;
    bool top = false;
    bool full = false;
    std::string title = "e2e_demo";
    ShapeKind shape = ShapeKind::None;
    int sl = 0, st = 0, sr = 0, sb = 0, ew = 0, eh = 0;
    Rect close{20, 20, 40, 40};
    Rect swallow{0, 0, 0, 0};
    int timerMs = 0, timerCount = 0;
    std::vector<Message> messages;
    bool dialog = false;
    std::string driveC, driveD;
};

std::string Hex(const std::string& s) {
    std::string r;
    char b[4];
    for (unsigned char c : s) {
        std::snprintf(b, sizeof b, "%02X", c);
        r += b;
    }
    return r.empty() ? "-" : r;
}

// A dialog with one control of every kind, laid out as the installer's pages are.
class DialogDemo : public WindowHandler {
public:
    explicit DialogDemo(System& sys) : sys_(sys) {}

    void Run() {
        WindowStyle st;
        st.borderless = false;
        st.stayOnTop = true;
        st.title = Utf8ToCp1250("VEMI Dialog – Łódź");
        st.width = 502;
        st.height = 354;
        st.dialog = true;
        st.centred = true;
        win_ = sys_.CreateWindow(st);
        win_->SetHandler(this);
        Build();
        Say("dialog open");
        win_->ShowModal();
        Say("dialog done");
        win_.reset();
    }

    void OnShow() override { Say("dialog shown %d %d %d %d", win_->Left(), win_->Top(), win_->Width(), win_->Height()); }
    bool OnCloseQuery() override {
        bool ok = check_->Checked();
        Say("closequery %d", ok ? 1 : 0);
        return ok;
    }
    void OnClose() override { Say("dialog closed"); }

private:
    Control& Add(ControlKind k, Control* parent, const char* name, int x, int y, int w, int h, const char* utf8 = nullptr) {
        Control& c = win_->AddControl(k, parent, name);
        c.SetBounds(x, y, w, h);
        c.SetFont(13);
        if (utf8) c.SetText(Utf8ToCp1250(utf8));
        return c;
    }
    Control& AddButton(const char* name, int x, const char* utf8) {
        Control& b = Add(ControlKind::Button, nullptr, name, x, 320, name[0] == 'A' ? 73 : 75, 25, utf8);
        b.SetFont(11);
        b.onClick = [name] { Say("click %s", name); };
        return b;
    }
    void DrawPicture() {
        Image& p = picture_->Picture();
        // Stripes that move with every step, so a new picture is told from the old.
        for (int y = 0; y < p.Height(); ++y)
            for (int x = 0; x < p.Width(); ++x)
                p.SetPixel(x, y, ((x + y + step_ * 5) / 5) % 2 ? Rgb{200, 30, 30} : Rgb{30, 30, 200});
    }
    void Build() {
        Control& header = Add(ControlKind::Panel, nullptr, "HDR", 0, 0, 505, 49);
        header.SetColor({255, 255, 255});
        header.SetBevels(Bevel::Lowered, Bevel::Raised);
        Control& title = Add(ControlKind::Label, &header, "LBT1", 24, 16, 0, 0, "Wybierz folder docelowy – ŻÓŁTY");
        title.SetFont(11, true);
        picture_ = &Add(ControlKind::Picture, &header, "PIC", 465, 10, 30, 30);
        picture_->Picture().Create(30, 30);
        DrawPicture();
        Add(ControlKind::Label, nullptr, "LAB_PL", 40, 58, 0, 0, "ąćęłńóśźż ĄĆĘŁŃÓŚŹŻ");
        Add(ControlKind::Label, nullptr, "LAB_AS", 260, 58, 0, 0, "acelnoszz ACELNOSZZ");
        Control& edit = Add(ControlKind::Edit, nullptr, "DED", 40, 78, 417, 24);
        edit.onChange = [&edit] { Say("edit %s", Hex(edit.Text()).c_str()); };
        Control& folders = Add(ControlKind::FolderList, nullptr, "DLB", 40, 106, 200, 120);
        folders.SetDirectory("C:\\");
        folders.onChange = [&folders] { Say("open %s", Cp1250ToUtf8(folders.Directory()).c_str()); };
        Control& drives = Add(ControlKind::DriveList, nullptr, "DCB", 40, 230, 200, 22);
        drives.BindFolderList(&folders);
        drives.onClick = [&drives] { Say("drive %d %s", drives.ItemIndex(), drives.Item(drives.ItemIndex()).c_str()); };
        Control& list = Add(ControlKind::List, nullptr, "FLB", 250, 106, 207, 70);
        list.SetSorted(true);
        for (const char* g : {"Narzędzia", "Gry", "Łamigłówki", "Edukacja"}) list.AddItem(Utf8ToCp1250(g));
        list.onClick = [&list] { Say("select %d %s", list.ItemIndex(), Hex(list.Item(list.ItemIndex())).c_str()); };
        check_ = &Add(ControlKind::CheckBox, nullptr, "ALL_CB", 250, 180, 207, 18, "Zamknięcie dozwolone");
        check_->onClick = [this] { Say("check %d", check_->Checked() ? 1 : 0); };
        Control& memo = Add(ControlKind::Memo, nullptr, "INFO_MO", 250, 200, 207, 56);
        memo.SetColor(kButtonFace);
        for (const char* l : {"@b Folder docelowy & skrót:", "   C:\\Gry\\Żółw", "", "Skrót będzie dostępny dla wszystkich użytkowników."})
            memo.AddItem(Utf8ToCp1250(l));
        progress_ = &Add(ControlKind::ProgressBar, nullptr, "PB", 40, 262, 417, 16);
        progress_->SetPosition(25);
        step_label_ = &Add(ControlKind::Label, nullptr, "FN_LAB", 40, 280, 200, 16, "Krok 0 – gęś");
        step_label_->SetAutoSize(false);
        Control& rule = Add(ControlKind::Panel, nullptr, "RULE", 0, 296, 505, 2);
        rule.SetBevels(Bevel::Lowered, Bevel::None);
        Control& ask = AddButton("ASK", 16, "Pytanie");
        ask.onClick = [this] {
            int r = sys_.MessageBox(Utf8ToCp1250("Zastąpić plik „Żółw.txt”?"), Utf8ToCp1250("Potwierdzenie"), MsgKind::Question,
                                    MsgButtons::YesAllNoCancel);
            Say("answer %d", r);
        };
        AddButton("BACK", 248, "< Wcześniej");
        Control& next = AddButton("NEXT", 328, "Dalej >");
        next.SetDefault(true);
        next.onClick = [this] {
            ++step_;
            Say("click NEXT %d", step_);
            progress_->SetPosition(25 * (step_ + 1));
            step_label_->SetText(Utf8ToCp1250("Krok " + std::to_string(step_) + " – gęś, a ten napis jest za długi na swoje pole"));
            step_label_->Repaint();
            DrawPicture();
            picture_->Repaint();
        };
        Control& exit = AddButton("EXIT", 416, "Anuluj");
        exit.onClick = [this] {
            Say("click EXIT");
            win_->Close();
        };
    }

    System& sys_;
    std::unique_ptr<Window> win_;
    Control* check_ = nullptr;
    Control* picture_ = nullptr;
    Control* progress_ = nullptr;
    Control* step_label_ = nullptr;
    int step_ = 0;
};

void PaintPattern(Image& c, const Rect& close) {
    for (int y = 0; y < c.Height(); ++y) {
        uint8_t* row = c.Row(y);
        for (int x = 0; x < c.Width(); ++x) {
            row[x * 3] = static_cast<uint8_t>(x);
            row[x * 3 + 1] = static_cast<uint8_t>(y);
            row[x * 3 + 2] = 0x80;
        }
    }
    c.MarkDamaged({0, 0, c.Width(), c.Height()});
    c.Fill(close, {0, 255, 0});
}

class ModalHandler : public WindowHandler {
public:
    explicit ModalHandler(Window& w) : w_(w) {}
    void OnPaint() override { w_.Canvas().FillAll({255, 255, 255}); }
    void OnMouseUp(Button b, ShiftState, int x, int y) override {
        Say("modal up %s %d %d", ButtonName(b), x, y);
        w_.Close();
    }

private:
    Window& w_;
};

class DemoHandler : public WindowHandler {
public:
    DemoHandler(System& sys, Window& w, const Options& o) : sys_(sys), w_(w), o_(o) {}

    void OnPaint() override {
        PaintPattern(w_.Canvas(), o_.close);
        if (!painted_) {
            painted_ = true;
            Say("ready %d %d %d %d screen %d %d", w_.Left(), w_.Top(), w_.Width(), w_.Height(), sys_.ScreenWidth(),
                sys_.ScreenHeight());
            Say("scale %d", sys_.ScaleFactor());
            // The boxes come from the loop, as they would from any handler.
            if (!o_.messages.empty()) msgTimer_ = sys_.SetTimer(50, [this] { ShowMessages(); });
            if (o_.dialog) dialogTimer_ = sys_.SetTimer(50, [this] { ShowDialog(); });
            if (o_.timerMs > 0) tickTimer_ = sys_.SetTimer(o_.timerMs, [this] { Tick(); });
        } else {
            Say("paint");
        }
    }
    void OnMouseDown(Button b, ShiftState s, int x, int y) override {
        Say("down %s %d %d %s", ButtonName(b), x, y, Shift(s).c_str());
        w_.SetCursor(Inside(o_.close, x, y) ? kCursorHand : kCursorDefault);
    }
    void OnMouseUp(Button b, ShiftState s, int x, int y) override {
        Say("up %s %d %d %s", ButtonName(b), x, y, Shift(s).c_str());
        if (b == Button::Left && Inside(o_.close, x, y)) {
            Say("close");
            w_.Close();
        }
    }
    void OnMouseMove(ShiftState s, int x, int y) override {
        if (s.left || s.right || s.middle) Say("drag %d %d %s", x, y, Shift(s).c_str());
    }
    bool OnMouseWheel(int delta, ShiftState, int sx, int sy) override {
        Say("wheel %d %d %d", delta, sx, sy);
        return true;
    }
    void OnKeyDown(int key, ShiftState s) override {
        Say("keydown %d %s", key, Shift(s).c_str());
        if (key == 'D' && s.ctrl && s.shift && s.alt) {
            w_.SetOverlay({true, 280, 143, 441, 33, "FlashVersion = not installed \xa3\xf3\x9f"});  // "Łóź"
            Say("overlay on");
        } else if (key == 'M' && !s.ctrl) {
            sys_.MinimizeApp();
        } else if (key == 'V' && !s.ctrl) {
            OpenModal();
        }
    }
    void OnKeyUp(int key, ShiftState s) override {
        Say("keyup %d %s", key, Shift(s).c_str());
        if (w_.Overlay().visible) {
            w_.SetOverlay({});
            Say("overlay off");
        }
    }
    void OnClose() override { sys_.Terminate(); }

    void Minimized() { Say("minimized"); }
    void Restored() { Say("restored"); }

private:
    void ShowMessages() {
        sys_.KillTimer(msgTimer_);
        for (const Message& m : o_.messages) {
            int r = sys_.MessageBox(m.text, m.caption, m.kind, m.buttons);
            Say("message %d", r);
        }
    }
    void ShowDialog() {
        sys_.KillTimer(dialogTimer_);
        DialogDemo d(sys_);
        d.Run();
    }
    void Tick() {
        Say("tick %d", ++ticks_);
        if (ticks_ >= o_.timerCount) sys_.KillTimer(tickTimer_);
    }
    void OpenModal() {
        auto m = sys_.CreateWindow({true, true, "e2e_modal", 200, 100});
        ModalHandler h(*m);
        m->SetHandler(&h);
        m->SetBounds(600, 500, 200, 100);
        Say("modal open");
        m->ShowModal();
        Say("modal done");
    }

    System& sys_;
    Window& w_;
    const Options& o_;
    bool painted_ = false;
    unsigned msgTimer_ = 0, tickTimer_ = 0, dialogTimer_ = 0;
    int ticks_ = 0;
};

bool ParseInts(int argc, char** argv, int& i, std::initializer_list<int*> out) {
    for (int* p : out) {
        if (i + 1 >= argc) return false;
        char* end = nullptr;
        long v = std::strtol(argv[++i], &end, 10);
        if (!end || *end) return false;
        *p = static_cast<int>(v);
    }
    return true;
}

bool Parse(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--pos") {
            if (!ParseInts(argc, argv, i, {&o.x, &o.y})) return false;
        } else if (a == "--size") {
            if (!ParseInts(argc, argv, i, {&o.w, &o.h})) return false;
        } else if (a == "--top") {
            o.top = true;
        } else if (a == "--full") {
            o.full = true;
        } else if (a == "--title" && i + 1 < argc) {
            o.title = argv[++i];
        } else if (a == "--shape" && i + 1 < argc) {
            std::string k = argv[++i];
            if (k == "rect") {
                o.shape = ShapeKind::Rectangle;
                if (!ParseInts(argc, argv, i, {&o.sl, &o.st, &o.sr, &o.sb})) return false;
            } else if (k == "round") {
                o.shape = ShapeKind::RoundRectangle;
                if (!ParseInts(argc, argv, i, {&o.sl, &o.st, &o.sr, &o.sb, &o.ew, &o.eh})) return false;
            } else {
                return false;
            }
        } else if (a == "--close") {
            if (!ParseInts(argc, argv, i, {&o.close.x, &o.close.y, &o.close.w, &o.close.h})) return false;
        } else if (a == "--swallow") {
            if (!ParseInts(argc, argv, i, {&o.swallow.x, &o.swallow.y, &o.swallow.w, &o.swallow.h})) return false;
        } else if (a == "--timer") {
            if (!ParseInts(argc, argv, i, {&o.timerMs, &o.timerCount})) return false;
        } else if (a == "--message" && i + 3 < argc) {
            Message m;
            m.text = Utf8ToCp1250(argv[++i]);
            m.caption = Utf8ToCp1250(argv[++i]);
            std::string k = argv[++i];
            if (k == "yesno") {
                m.kind = MsgKind::Question;
                m.buttons = MsgButtons::YesNo;
            } else if (k == "replace") {
                m.kind = MsgKind::Question;
                m.buttons = MsgButtons::YesAllNoCancel;
            } else if (k == "error") {
                m.kind = MsgKind::Error;
            } else if (k != "ok") {
                return false;
            }
            o.messages.push_back(m);
        } else if (a == "--dialog" && i + 2 < argc) {
            o.dialog = true;
            o.driveC = argv[++i];
            o.driveD = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        std::fprintf(stderr, "e2e_demo: bad command line\n");
        return 2;
    }
    if (o.dialog) {
        Drives().Map('C', o.driveC);
        Drives().Map('D', o.driveD);
    }
    auto sys = CreateFltkSystem(argc, argv);
    SetSystem(sys.get());
    sys->SetAppTitle("e2e_demo");
    auto win = sys->CreateWindow({true, o.top, Utf8ToCp1250(o.title), o.w, o.h});
    DemoHandler handler(*sys, *win, o);
    win->SetHandler(&handler);
    win->SetBounds(o.x, o.y, o.w, o.h);
    win->SetFullScreen(o.full);
    if (o.shape != ShapeKind::None) win->SetShape(o.shape, o.sl, o.st, o.sr, o.sb, o.ew, o.eh);
    win->SetBackground({0, 0, 0});

    // A hand cursor of our own: a filled square with a transparent border.
    Image pic(16, 16), mask(16, 16);
    pic.FillAll({255, 255, 255});
    mask.Fill({2, 2, 12, 12}, {255, 255, 255});
    sys->RegisterCursor(kCursorHand, pic, mask, 8, 8);

    Rect swallow = o.swallow;
    Window* main = win.get();
    sys->messageHook = [main, swallow](const InputEvent& ev) {
        static const char* names[] = {"down", "up", "move", "wheel", "keydown", "keyup"};
        int cx = ev.screenX, cy = ev.screenY;
        main->ScreenToClient(cx, cy);
        bool eat = ev.type != EventType::KeyDown && ev.type != EventType::KeyUp && Inside(swallow, cx, cy);
        if (ev.type != EventType::MouseMove || eat)
            Say("hook %s %s %d %d key %d%s%s", names[static_cast<int>(ev.type)], ButtonName(ev.button), ev.screenX, ev.screenY,
                ev.key, ev.target == main ? "" : " other", eat ? " swallowed" : "");
        return eat;
    };
    sys->onMinimize = [&handler] { handler.Minimized(); };
    sys->onRestore = [&handler] { handler.Restored(); };

    win->Show();
    sys->Run(*win);
    Say("exit");
    win.reset();
    SetSystem(nullptr);
    return 0;
}
