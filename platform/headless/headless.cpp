#include "platform/headless/headless.h"

#include "platform/shape.h"

#include <algorithm>

namespace platform {

HeadlessWindow::HeadlessWindow(HeadlessSystem& sys, const WindowStyle& style)
    : WindowBase(style.stayOnTop), sys_(sys), style_(style) {
    title_ = style.title;
    SetBounds(0, 0, style.width, style.height);
}

HeadlessWindow::~HeadlessWindow() {
    DropControls();
    sys_.PopModal(this);
    sys_.Forget(this);
}

void HeadlessWindow::AttachControl(Control& c) {
    peers_.push_back(std::make_unique<Peer>());
    c.SetPeer(peers_.back().get());
}

const HeadlessWindow::Peer* HeadlessWindow::PeerOf(const Control& c) const {
    for (auto& p : peers_)
        if (p.get() == c.Peer()) return p.get();
    return nullptr;
}

int HeadlessWindow::Changes(const Control& c) const {
    const Peer* p = PeerOf(c);
    return p ? p->changes : 0;
}

int HeadlessWindow::Repaints(const Control& c) const {
    const Peer* p = PeerOf(c);
    return p ? p->repaints : 0;
}

void HeadlessWindow::SetBounds(int left, int top, int width, int height) { KeepBounds(left, top, width, height); }

bool HeadlessWindow::SetShape(ShapeKind kind, int l, int t, int r, int b, int ew, int eh) {
    shape_ = {kind, l, t, r, b, ew, eh};
    return true;
}

bool HeadlessWindow::InShape(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return false;
    return platform::InShape(shape_.kind, shape_.left, shape_.top, shape_.right, shape_.bottom, shape_.ew, shape_.eh, x, y);
}

void HeadlessWindow::Show() {
    bool was = visible_;
    if (!was && style_.centred)
        SetBounds((sys_.ScreenWidth() - width_) / 2, (sys_.ScreenHeight() - height_) / 2, width_, height_);
    visible_ = true;
    closed_ = false;
    if (!was) {
        if (handler_) handler_->OnShow();
        paintPending_ = true;
    }
}

void HeadlessWindow::PaintNow() {
    paintPending_ = false;
    if (visible_ && handler_) handler_->OnPaint();
}

void HeadlessWindow::ShowModal() {
    ++modalRuns_;
    Show();
    sys_.Pump();
    inModal_ = true;
    sys_.PushModal(this);
    if (sys_.onModal) sys_.onModal(*this);
    sys_.PopModal(this);
    inModal_ = false;
    if (visible_) {
        // Nobody drove the modal loop: treat it as closed so the caller goes on.
        visible_ = false;
    }
}

void HeadlessWindow::BeginModal() {
    Show();
    sys_.PushModal(this);
    sys_.Pump();
}

void HeadlessWindow::EndModal() {
    sys_.PopModal(this);
    Hide();
}

HeadlessSystem::HeadlessSystem(int w, int h) : screenW_(w), screenH_(h) {}

HeadlessSystem::~HeadlessSystem() = default;

void HeadlessSystem::Forget(HeadlessWindow* w) { windows_.erase(std::remove(windows_.begin(), windows_.end(), w), windows_.end()); }

void HeadlessSystem::PopModal(HeadlessWindow* w) { modal_.erase(std::remove(modal_.begin(), modal_.end(), w), modal_.end()); }

bool HeadlessSystem::TakesInput(const HeadlessWindow& w) const {
    return w.Visible() && (modal_.empty() || modal_.back() == &w);
}

HeadlessWindow* HeadlessSystem::OwnerOf(const Control& c) const {
    for (HeadlessWindow* w : windows_)
        for (auto& own : w->Controls())
            if (own.get() == &c) return w;
    return nullptr;
}

void HeadlessSystem::ProcessMessages() {
    Pump();
    // A click the test makes here may itself reach code that hands over messages.
    if (onProcessMessages && !inProcessMessages_) {
        inProcessMessages_ = true;
        auto hook = onProcessMessages;
        hook();
        inProcessMessages_ = false;
        Pump();
    }
}

bool HeadlessSystem::UserAction(Control& c, const std::function<bool()>& act) {
    HeadlessWindow* w = OwnerOf(c);
    if (!w || !TakesInput(*w)) return false;
    bool done = act();
    Pump();
    return done;
}

bool HeadlessSystem::Press(Control& c) {
    return UserAction(c, [&] { return c.UserPress(); });
}

bool HeadlessSystem::Type(Control& c, const std::string& text) {
    return UserAction(c, [&] { return c.UserEdit(text); });
}

bool HeadlessSystem::Select(Control& c, int index) {
    return UserAction(c, [&] { return c.UserSelect(index); });
}

bool HeadlessSystem::OpenFolder(Control& c, int row) {
    return UserAction(c, [&] { return c.UserOpen(row); });
}

void HeadlessSystem::CloseBox(HeadlessWindow& w) {
    if (!TakesInput(w)) return;
    w.Close();
    Pump();
}

DeviceFrame HeadlessSystem::FrameOf(const HeadlessWindow& w) const {
    const Rect bounds{w.Left(), w.Top(), w.Width(), w.Height()};
    return platform::FrameOf(bounds, w.FullScreen() && !w.Dialog(), screenW_ * scale_, screenH_ * scale_, scale_);
}

Image HeadlessSystem::DevicePicture(const HeadlessWindow& w) const {
    const DeviceFrame f = FrameOf(w);
    Image out(f.window.w, f.window.h);
    const Image& canvas = w.Picture();
    const Image big = Enlarged(canvas, {0, 0, canvas.Width(), canvas.Height()}, scale_);
    out.CopyRect(f.originX, f.originY, big.Width(), big.Height(), big, 0, 0, RasterOp::Copy);
    return out;
}

void HeadlessSystem::DeviceClick(HeadlessWindow& w, int x, int y, Button b) {
    const DeviceFrame f = FrameOf(w);
    Click(w, ToProgram(x - f.originX, scale_), ToProgram(y - f.originY, scale_), b);
}

void HeadlessSystem::Run(Window&) { Pump(); }

void HeadlessSystem::MinimizeApp() {
    if (minimized_) return;
    minimized_ = true;
    ++minimizeCount_;
    if (onMinimize) onMinimize();
}

void HeadlessSystem::RestoreApp() {
    if (!minimized_) return;
    minimized_ = false;
    if (onRestore) onRestore();
    for (auto* w : windows_)
        if (w->Visible()) w->Invalidate();
    Pump();
}

uint32_t HeadlessSystem::Random(uint32_t range) {
    seed_ = seed_ * 1103515245u + 12345u;
    return range ? (seed_ >> 8) % range : 0;
}

unsigned HeadlessSystem::SetTimer(unsigned ms, std::function<void()> proc) {
    unsigned id = nextTimer_++;
    timers_[id] = {std::max(1u, ms), now_ + std::max(1u, ms), std::move(proc)};
    return id;
}

void HeadlessSystem::KillTimer(unsigned id) { timers_.erase(id); }

void HeadlessSystem::Advance(uint32_t ms) {
    uint64_t end = now_ + ms;
    for (;;) {
        // The earliest due timer at or before the end, ties by identifier.
        unsigned best = 0;
        uint64_t due = 0;
        for (auto& [id, t] : timers_)
            if (t.due <= end && (best == 0 || t.due < due)) best = id, due = t.due;
        if (!best) break;
        now_ = std::max(now_, due);
        Timer& t = timers_[best];
        t.due += t.interval;
        auto proc = t.proc;  // the procedure may kill its own timer
        proc();
        Pump();
    }
    now_ = end;
}

void HeadlessSystem::Pump() {
    for (int round = 0; round < 4; ++round) {
        bool any = false;
        for (auto* w : std::vector<HeadlessWindow*>(windows_))
            if (w->PaintPending() && w->Visible() && !minimized_) {
                w->PaintNow();
                any = true;
            }
        if (!any) break;
    }
}

int HeadlessSystem::MessageBox(const std::string& text, const std::string& caption, MsgKind kind, MsgButtons buttons) {
    messages_.push_back({text, caption, kind, buttons});
    if (!answers_.empty()) {
        int a = answers_.front();
        answers_.pop_front();
        return a;
    }
    return buttons == MsgButtons::Ok ? kIdOk : kIdYes;
}

std::unique_ptr<Window> HeadlessSystem::CreateWindow(const WindowStyle& style) {
    auto w = std::make_unique<HeadlessWindow>(*this, style);
    windows_.push_back(w.get());
    return w;
}

bool HeadlessSystem::RegisterCursor(int number, const Image&, const Image&, int, int) {
    cursors_[number] = true;
    return true;
}

int HeadlessSystem::ShellExecute(const std::string& file, const std::string& params, const std::string& dir) {
    RecordedShell r{file, params, dir};
    shell_.push_back(r);
    return shellResult_ ? shellResult_(r) : 42;
}

void HeadlessSystem::Dispatch(InputEvent ev, HeadlessWindow& w, int cx, int cy) {
    Pump();
    ev.target = &w;
    ev.screenX = w.Left() + cx;
    ev.screenY = w.Top() + cy;
    if (Hooked(ev)) {
        Pump();
        return;
    }
    // A modal window takes all input; the others see only the hook.
    if (!TakesInput(w)) {
        Pump();
        return;
    }
    // In a dialog, Enter presses the default button that is showing.
    if (w.Dialog() && ev.type == EventType::KeyDown && ev.key == kVkReturn) {
        if (Control* b = FindDefaultButton(w.Controls())) {
            b->UserPress();
            Pump();
            return;
        }
    }
    // Outside the window's shape the window gets no mouse input.
    bool mouse = ev.type != EventType::KeyDown && ev.type != EventType::KeyUp;
    // While a button is held the window has the pointer grabbed, as on a desktop:
    // moves and the release reach it wherever the pointer is.
    bool grabbed = ev.type == EventType::MouseUp || (ev.type == EventType::MouseMove && (held_.left || held_.right || held_.middle));
    if (!mouse || ev.type == EventType::Wheel || grabbed || w.InShape(cx, cy)) w.Deliver(ev, cx, cy);
    Pump();
}

void HeadlessSystem::MouseDown(HeadlessWindow& w, int x, int y, Button b, ShiftState s) {
    if (b == Button::Left) held_.left = true;
    if (b == Button::Right) held_.right = true;
    if (b == Button::Middle) held_.middle = true;
    s.left = held_.left, s.right = held_.right, s.middle = held_.middle;
    InputEvent ev;
    ev.type = EventType::MouseDown;
    ev.button = b;
    ev.shift = s;
    Dispatch(ev, w, x, y);
}

void HeadlessSystem::MouseUp(HeadlessWindow& w, int x, int y, Button b, ShiftState s) {
    if (b == Button::Left) held_.left = false;
    if (b == Button::Right) held_.right = false;
    if (b == Button::Middle) held_.middle = false;
    s.left = held_.left, s.right = held_.right, s.middle = held_.middle;
    InputEvent ev;
    ev.type = EventType::MouseUp;
    ev.button = b;
    ev.shift = s;
    Dispatch(ev, w, x, y);
}

void HeadlessSystem::MouseMove(HeadlessWindow& w, int x, int y, ShiftState s) {
    s.left = held_.left, s.right = held_.right, s.middle = held_.middle;
    InputEvent ev;
    ev.type = EventType::MouseMove;
    ev.shift = s;
    Dispatch(ev, w, x, y);
}

void HeadlessSystem::Click(HeadlessWindow& w, int x, int y, Button b) {
    MouseDown(w, x, y, b);
    MouseUp(w, x, y, b);
}

void HeadlessSystem::Wheel(HeadlessWindow& w, int x, int y, int delta) {
    InputEvent ev;
    ev.type = EventType::Wheel;
    ev.wheel = delta;
    Dispatch(ev, w, x, y);
}

void HeadlessSystem::KeyDown(HeadlessWindow& w, int key, ShiftState s) {
    InputEvent ev;
    ev.type = EventType::KeyDown;
    ev.key = key;
    ev.shift = s;
    Dispatch(ev, w, 0, 0);
}

void HeadlessSystem::KeyUp(HeadlessWindow& w, int key, ShiftState s) {
    InputEvent ev;
    ev.type = EventType::KeyUp;
    ev.key = key;
    ev.shift = s;
    Dispatch(ev, w, 0, 0);
}

}  // namespace platform
