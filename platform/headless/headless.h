// The test back end: no display. The screen size is chosen by the test, input is
// injected and passes through the same message hook as on a desktop, timers run on
// a virtual clock that the test advances, message boxes are answered from a script
// and recorded, shell requests are recorded instead of run.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/scaling.h"
#include "platform/system.h"

namespace platform {

class HeadlessSystem;

class HeadlessWindow : public WindowBase {
public:
    HeadlessWindow(HeadlessSystem& sys, const WindowStyle& style);
    ~HeadlessWindow() override;
    void SetBounds(int left, int top, int width, int height) override;
    void SetStayOnTop(bool on) override { stayOnTop_ = on; }
    bool SetShape(ShapeKind kind, int l, int t, int r, int b, int ew, int eh) override;
    void SetTitle(const std::string& t) override { title_ = t; }
    void SetBackground(Rgb c) override { background_ = c; }
    void Show() override;
    void Hide() override { visible_ = false; }
    void ShowModal() override;
    void BeginModal() override;
    void EndModal() override;
    void SetCursor(int n) override { cursor_ = n; }
    void SetOverlay(const OverlayPanel& p) override { overlay_ = p; }
    bool Dialog() const { return style_.dialog; }
    // How often a control was changed and drawn at once since the window was made.
    int Changes(const Control& c) const;
    int Repaints(const Control& c) const;

    // Test-side view.
    const std::string& Title() const { return title_; }
    const Image& Picture() const { return canvas_; }
    Rgb Background() const { return background_; }
    void PaintNow();
    bool Borderless() const { return style_.borderless; }
    struct Shape {
        ShapeKind kind = ShapeKind::None;
        int left = 0, top = 0, right = 0, bottom = 0, ew = 0, eh = 0;
    };
    const Shape& CurrentShape() const { return shape_; }
    bool InShape(int clientX, int clientY) const;
    int ModalRuns() const { return modalRuns_; }
    bool Closed() const { return closed_; }

protected:
    void AttachControl(Control& c) override;
    void Closing() override { closed_ = true; }

private:
    struct Peer : ControlPeer {
        int changes = 0, repaints = 0;
        void Changed(Control&) override { ++changes; }
        void Repaint(Control&) override { ++repaints; }
    };
    const Peer* PeerOf(const Control& c) const;

    HeadlessSystem& sys_;
    WindowStyle style_;
    std::vector<std::unique_ptr<Peer>> peers_;
    Shape shape_;
    std::string title_;
    Rgb background_;
    bool closed_ = false;
    bool inModal_ = false;
    int modalRuns_ = 0;
};

struct RecordedMessage {
    std::string text, caption;  // Windows-1250
    MsgKind kind;
    MsgButtons buttons;
};

struct RecordedShell {
    std::string file, params, dir;
};

class HeadlessSystem : public System {
public:
    HeadlessSystem(int screenW = 1024, int screenH = 768);
    ~HeadlessSystem() override;

    void SetAppTitle(const std::string& t) override { appTitle_ = t; }
    void SetAppIcon(const std::vector<IconPicture>& pictures) override { appIcon_ = pictures; }
    void Run(Window& mainWindow) override;
    void ProcessMessages() override;
    void Terminate() override { terminated_ = true; }
    bool Terminated() const override { return terminated_; }
    void MinimizeApp() override;
    void RestoreApp() override;
    bool AppMinimized() const override { return minimized_; }
    int ScreenWidth() const override { return screenW_; }
    int ScreenHeight() const override { return screenH_; }
    uint32_t TickCount() const override { return static_cast<uint32_t>(now_); }
    Date Today() const override { return today_; }
    uint32_t Random(uint32_t range) override;
    unsigned SetTimer(unsigned ms, std::function<void()> proc) override;
    void KillTimer(unsigned id) override;
    int MessageBox(const std::string& text, const std::string& caption, MsgKind kind, MsgButtons buttons) override;
    std::unique_ptr<Window> CreateWindow(const WindowStyle& style) override;
    bool RegisterCursor(int number, const Image& picture, const Image& mask, int hx, int hy) override;
    int ShellExecute(const std::string& file, const std::string& params, const std::string& dir) override;
    int ScaleFactor() const override { return scale_; }
    bool IsFlashInstalled() const override { return flashVersion_ != 0; }
    uint32_t FlashVersion() const override { return flashVersion_; }

    // --- what a test sets ---
    void SetScreen(int w, int h) { screenW_ = w, screenH_ = h; }
    // A dense screen that shows every pixel of the program as f x f: the screen
    // size given stays the program's, the device's is f times larger.
    void SetScale(int f) { scale_ = std::max(1, f); }
    void SetToday(Date d) { today_ = d; }
    void SetFlashVersion(uint32_t v) { flashVersion_ = v; }
    // Answers for the next message boxes, in order; kIdOk (or kIdYes for a question)
    // when the script is empty.
    void ScriptAnswers(std::vector<int> answers) { answers_.assign(answers.begin(), answers.end()); }
    // Result for the next shell requests (default 42, success).
    void SetShellResult(std::function<int(const RecordedShell&)> f) { shellResult_ = std::move(f); }
    // Runs while a window is shown modally; the window stays open until the script
    // closes it (or, without a script, returns at once as if closed).
    std::function<void(HeadlessWindow&)> onModal;
    // Runs whenever the program hands the loop its pending messages in the middle
    // of a long job (ProcessMessages): where a test clicks while the job runs.
    std::function<void()> onProcessMessages;

    // --- what a test drives ---
    // Moves the virtual clock forward, firing due timers in order.
    void Advance(uint32_t ms);
    // Delivers pending paints. Every injected event pumps before and after.
    void Pump();
    // Input in client coordinates of w (converted to screen positions, then routed
    // through the message hook and on to the window under it).
    void MouseDown(HeadlessWindow& w, int x, int y, Button b = Button::Left, ShiftState s = {});
    void MouseUp(HeadlessWindow& w, int x, int y, Button b = Button::Left, ShiftState s = {});
    void MouseMove(HeadlessWindow& w, int x, int y, ShiftState s = {});
    void Click(HeadlessWindow& w, int x, int y, Button b = Button::Left);
    void Wheel(HeadlessWindow& w, int x, int y, int delta);
    void KeyDown(HeadlessWindow& w, int key, ShiftState s = {});
    void KeyUp(HeadlessWindow& w, int key, ShiftState s = {});
    // The user on a dialog's controls. Each is refused (false) when the control is
    // hidden or disabled, or its window is not the one taking input.
    bool Press(Control& c);
    bool Type(Control& c, const std::string& text);
    bool Select(Control& c, int index);
    bool OpenFolder(Control& c, int row);
    // The close box of a window's title bar.
    void CloseBox(HeadlessWindow& w);
    // A click on the device screen, at a pixel of the window's frame (FrameOf):
    // it reaches the program at the client pixel that the device pixel shows.
    void DeviceClick(HeadlessWindow& w, int x, int y, Button b = Button::Left);
    // The window that takes input now: the innermost modal one, or any when none.
    bool TakesInput(const HeadlessWindow& w) const;

    // --- what a test reads ---
    const std::vector<RecordedMessage>& Messages() const { return messages_; }
    const std::vector<RecordedShell>& ShellRequests() const { return shell_; }
    void ClearRecords() { messages_.clear(), shell_.clear(); }
    const std::string& AppTitle() const { return appTitle_; }
    const std::vector<IconPicture>& AppIcon() const { return appIcon_; }
    int MinimizeCount() const { return minimizeCount_; }
    bool CursorRegistered(int n) const { return cursors_.count(n) != 0; }
    size_t ActiveTimers() const { return timers_.size(); }
    std::vector<HeadlessWindow*> Windows() const { return windows_; }
    // Where a back end that enlarges puts the window on the device screen, and what
    // the window shows there: its canvas enlarged, black where the canvas does not
    // reach.
    DeviceFrame FrameOf(const HeadlessWindow& w) const;
    Image DevicePicture(const HeadlessWindow& w) const;

    void Forget(HeadlessWindow* w);
    void PushModal(HeadlessWindow* w) { modal_.push_back(w); }
    void PopModal(HeadlessWindow* w);
    HeadlessWindow* OwnerOf(const Control& c) const;

private:
    void Dispatch(InputEvent ev, HeadlessWindow& w, int cx, int cy);
    // What the user does on a control reaches it only when its window takes input.
    bool UserAction(Control& c, const std::function<bool()>& act);

    int screenW_, screenH_;
    int scale_ = 1;
    uint64_t now_ = 1000;
    Date today_{2008, 1, 15};
    uint32_t seed_ = 12345;
    uint32_t flashVersion_ = 0;
    bool terminated_ = false;
    bool minimized_ = false;
    int minimizeCount_ = 0;
    std::string appTitle_;
    std::vector<IconPicture> appIcon_;
    struct Timer {
        unsigned interval;
        uint64_t due;
        std::function<void()> proc;
    };
    std::map<unsigned, Timer> timers_;
    unsigned nextTimer_ = 1;
    std::deque<int> answers_;
    std::vector<RecordedMessage> messages_;
    std::vector<RecordedShell> shell_;
    std::function<int(const RecordedShell&)> shellResult_;
    std::map<int, bool> cursors_;
    std::vector<HeadlessWindow*> windows_;
    std::vector<HeadlessWindow*> modal_;
    ShiftState held_;
    bool inProcessMessages_ = false;
};

}  // namespace platform
