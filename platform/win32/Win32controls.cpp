// The dialog controls on Windows: every Control is a child window of the system's own
// classes (STATIC, BUTTON, EDIT, LISTBOX, COMBOBOX, the common controls' progress
// bar), a panel is a window of a class of ours that draws its colour and bevels and
// hands its children's notifications on to the dialog. Texts are Windows-1250 in the
// controls and UTF-16 in the windows, so they show right whatever the reader's ANSI
// code page is.
//
// platform/system.h comes before windows.h, whose macros would rename the window
// system's CreateWindow, MessageBox and ShellExecute in it.
#include "platform/system.h"

#include "platform/win32/Win32controls.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <exception>
#include <map>
#include <string_view>
#include <unordered_map>
#include <utility>

namespace platform::win32 {

namespace {

// The classic dialog look.
constexpr Rgb kHighlight{255, 255, 255};
constexpr Rgb kShadow{128, 128, 128};
constexpr Rgb kFieldColor{255, 255, 255};
constexpr Rgb kFolderEdge{128, 128, 0}, kFolderBody{255, 255, 128}, kFolderOpenBack{255, 255, 204};
constexpr int kFolderIndent = 12;
constexpr int kFirstId = 1000;
// The dialogs' plain sans face; their texts were laid out for a narrow face, and
// Arial is on every Windows (wine maps it onto a metric twin).
constexpr wchar_t kFaceName[] = L"Arial";
constexpr wchar_t kPanelClass[] = L"VemiDialogPanel";

std::wstring Wide1250(std::string_view s) {
    if (s.empty() || s.size() > INT_MAX) return {};
    const int n = MultiByteToWideChar(1250, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(std::max(n, 0)), L'\0');
    if (n > 0) MultiByteToWideChar(1250, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
    return w;
}

// What the code page has no byte for becomes '?', never a look-alike letter.
std::string Narrow1250(std::wstring_view w) {
    if (w.empty() || w.size() > INT_MAX) return {};
    const int n = WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), nullptr, 0, "?", nullptr);
    std::string s(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0) WideCharToMultiByte(1250, WC_NO_BEST_FIT_CHARS, w.data(), static_cast<int>(w.size()), s.data(), n, "?", nullptr);
    return s;
}

std::wstring WindowText(HWND h) {
    const int n = GetWindowTextLengthW(h);
    if (n <= 0) return {};
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(h, w.data(), n + 1);
    w.resize(static_cast<size_t>(std::max(got, 0)));
    return w;
}

COLORREF Ref(Rgb c) { return RGB(c.r, c.g, c.b); }

// The colour a control stands on: its own, else that of the nearest panel with one,
// else the button face.
Rgb BackgroundOf(const Control& c) {
    for (const Control* p = &c; p; p = p->Parent())
        if (p->HasColor()) return p->Color();
    return kButtonFace;
}

// Fields, lists and the memo are white unless the program gave them a colour.
Rgb FieldBackground(const Control& c) { return c.HasColor() ? c.Color() : kFieldColor; }

bool Within(const Control& c, const Control* panel) {
    for (const Control* a = c.Parent(); a; a = a->Parent())
        if (a == panel) return true;
    return false;
}

bool SameRows(const std::vector<FolderRow>& a, const std::vector<FolderRow>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].path != b[i].path || a[i].level != b[i].level || a[i].open != b[i].open) return false;
    return true;
}

int OpenFolderRow(const std::vector<FolderRow>& rows) {
    int open = -1;
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].open) open = static_cast<int>(i);
    return open;
}

void FillRgb(HDC dc, const RECT& r, Rgb c) {
    SetBkColor(dc, Ref(c));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
}

void FillRgb(HDC dc, int x, int y, int w, int h, Rgb c) {
    if (w <= 0 || h <= 0) return;
    RECT r{x, y, x + w, y + h};
    FillRgb(dc, r, c);
}

// One 1-pixel frame along the edge of r, which then shrinks by that pixel. The top
// and left lines stop short of the far corners, which the bottom and right ones own.
void DrawFrame(HDC dc, RECT& r, Rgb topLeft, Rgb bottomRight) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w > 0 && h > 0) {
        FillRgb(dc, r.left, r.top, 1, h - 1, topLeft);
        FillRgb(dc, r.left, r.top, w - 1, 1, topLeft);
        FillRgb(dc, r.right - 1, r.top, 1, h, bottomRight);
        FillRgb(dc, r.left, r.bottom - 1, w, 1, bottomRight);
    }
    r.left += 1, r.top += 1, r.right -= 1, r.bottom -= 1;
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
}

void DrawBevel(HDC dc, RECT& r, Bevel b) {
    if (b == Bevel::Raised) DrawFrame(dc, r, kHighlight, kShadow);
    if (b == Bevel::Lowered) DrawFrame(dc, r, kShadow, kHighlight);
}

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK FolderListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref);

// The common controls and our panel class, once per process.
void RegisterClasses() {
    static const bool done = [] {
        INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&icc);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = PanelProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kPanelClass;
        RegisterClassExW(&wc);
        return true;
    }();
    (void)done;
}

class Impl;

// ---------------------------------------------------------------------------
// The peer: keeps one control's window in step with the control, and passes on
// what the user does there.

class Peer : public ControlPeer {
public:
    Peer(Impl& owner, Control& c) : owner_(owner), control_(c) {}
    void Changed(Control&) override { Sync(); }
    void Repaint(Control&) override;

    Control& Ctl() const { return control_; }
    ControlKind Kind() const { return control_.Kind(); }
    HWND Hwnd() const { return hwnd_; }
    void SetHwnd(HWND h) { hwnd_ = h; }
    // Where the control shows, in its parent's coordinates (empty while it has no size).
    Rect Area() const { return area_; }
    void Sync();
    // The height of a folder list's row with the control's face.
    int RowHeight() const;

    // Drawing for the owner-drawn kinds and the panel.
    void DrawFolderRow(const DRAWITEMSTRUCT& di);
    void DrawPicture(HDC dc, const RECT& client);
    void PaintPanel(HDC dc);

    // What the user did.
    void Press();
    void Edited();
    void Selected(int index);
    void Opened(int row);

private:
    void SyncText(const std::string& text);
    void SyncEdit();
    void SyncList();
    void SyncFolders();
    void SyncDrives();
    void SyncMemo();
    void Place();

    Impl& owner_;
    Control& control_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    Rect area_{0, 0, 0, 0};
    bool placed_ = false;
    std::wstring text_;
    bool textSet_ = false;
    std::vector<std::string> items_;
    bool itemsSet_ = false;
    std::vector<FolderRow> rows_;
    bool rowsSet_ = false;
    int defaultStyle_ = -1;
    // The picture as BGR rows for the system, reused from one paint to the next.
    std::vector<uint8_t> bits_;
};

// ---------------------------------------------------------------------------
// The controls of one dialog

class Impl {
public:
    Impl(HWND dialog, std::function<void(const char*)> report) : dialog_(dialog), report_(std::move(report)) {
        RegisterClasses();
    }
    ~Impl() {
        dying_ = true;
        // Destroying the outermost windows takes the ones inside panels with them.
        for (auto& p : peers_) {
            HWND h = p->Hwnd();
            if (h && !p->Ctl().Parent() && IsWindow(h) && GetParent(h) == dialog_) DestroyWindow(h);
        }
        for (auto& [key, f] : fonts_) DeleteObject(f);
        for (auto& [key, b] : brushes_) DeleteObject(b);
    }

    bool Quiet() const { return quiet_ > 0 || dying_; }
    // Notifications the windows send while a peer changes them are not the user's.
    struct Hush {
        explicit Hush(Impl& d) : d_(d) { ++d_.quiet_; }
        ~Hush() { --d_.quiet_; }
        Impl& d_;
    };

    void Attach(Control& c);
    bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
    bool PressEnter(const std::vector<std::unique_ptr<Control>>& controls);
    HWND InitialFocus() const {
        Peer* p = FocusTarget(nullptr);
        return p ? p->Hwnd() : nullptr;
    }

    Peer* PeerOf(const Control* c) const {
        if (!c) return nullptr;
        for (auto& p : peers_)
            if (&p->Ctl() == c) return p.get();
        return nullptr;
    }
    Peer* PeerOf(HWND h) const {
        auto it = byHwnd_.find(h);
        return it == byHwnd_.end() ? nullptr : it->second;
    }
    Peer* PeerOfId(int id) const {
        const int i = id - kFirstId;
        return i >= 0 && i < static_cast<int>(peers_.size()) ? peers_[static_cast<size_t>(i)].get() : nullptr;
    }

    HFONT Font(int height, bool bold) {
        height = std::max(1, height);
        auto key = std::make_pair(height, bold);
        auto it = fonts_.find(key);
        if (it != fonts_.end()) return it->second;
        HFONT f = CreateFontW(-height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, kFaceName);
        if (!f) f = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        fonts_[key] = f;
        return f;
    }
    HBRUSH Brush(Rgb c) {
        const COLORREF key = Ref(c);
        auto it = brushes_.find(key);
        if (it != brushes_.end()) return it->second;
        HBRUSH b = CreateSolidBrush(key);
        brushes_[key] = b;
        return b;
    }

    // Runs one of the program's handlers; what escapes it is reported, and the
    // dialog goes on.
    template <class F>
    bool Guard(F&& action) {
        try {
            return action();
        } catch (const std::exception& e) {
            if (report_) report_(e.what());
        } catch (...) {
            if (report_) report_("unknown error");
        }
        return false;
    }

    // A panel came into view (a wizard's next page): when the focus went with the
    // page that was hidden, it moves to this one's first edit field, else its
    // default button, else its first button, so Enter goes on through the pages.
    void PanelShown(const Peer& panel) {
        // A dialog not on the screen yet gets its focus when it is shown (InitialFocus).
        if (!IsWindowVisible(dialog_)) return;
        HWND f = GetFocus();
        const bool inPanel = f && (f == panel.Hwnd() || IsChild(panel.Hwnd(), f));
        if (f && f != dialog_ && IsChild(dialog_, f) && IsWindowVisible(f) && !inPanel) return;
        if (Peer* to = FocusTarget(&panel.Ctl())) SetFocus(to->Hwnd());
    }

    // The z-order of the windows beside a control's: a later control lies above an
    // earlier one it overlaps; controls that do not overlap keep the order they were
    // made in, top first, which is also the order the Tab key goes through them.
    void Restack(const Control* parent);

    void WindowGone() {
        for (auto& p : peers_) p->SetHwnd(nullptr);
        byHwnd_.clear();
    }

private:
    Peer* FocusTarget(const Control* panel) const {
        Peer *edit = nullptr, *def = nullptr, *button = nullptr;
        for (auto& p : peers_) {
            const Control& c = p->Ctl();
            if (!p->Hwnd() || !c.Showing() || !c.Enabled() || (panel && !Within(c, panel))) continue;
            if (c.Kind() == ControlKind::Edit && !edit) edit = p.get();
            if (c.Kind() == ControlKind::Button && c.Default() && !def) def = p.get();
            if (c.Kind() == ControlKind::Button && !button) button = p.get();
        }
        return edit ? edit : def ? def : button;
    }
    Peer* Focused() const {
        for (HWND h = GetFocus(); h && h != dialog_; h = GetParent(h))
            if (Peer* p = PeerOf(h)) return p;
        return nullptr;
    }
    HWND ParentWindow(const Control& c) const {
        Peer* p = PeerOf(c.Parent());
        return p && p->Hwnd() ? p->Hwnd() : dialog_;
    }
    static void Colors(const Peer& p, HDC dc, Rgb bg) {
        SetBkColor(dc, Ref(bg));
        SetTextColor(dc, GetSysColor(p.Ctl().Enabled() ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    }

    HWND dialog_;
    std::function<void(const char*)> report_;
    std::vector<std::unique_ptr<Peer>> peers_;
    std::unordered_map<HWND, Peer*> byHwnd_;
    std::map<std::pair<int, bool>, HFONT> fonts_;
    std::map<COLORREF, HBRUSH> brushes_;
    int quiet_ = 0;
    bool dying_ = false;
};

// What a panel's window knows: the dialog its children report to, and its peer.
struct PanelLink {
    HWND dialog;
    Peer* peer;
};

void Impl::Attach(Control& c) {
    const int id = kFirstId + static_cast<int>(peers_.size());
    peers_.push_back(std::make_unique<Peer>(*this, c));
    Peer& p = *peers_.back();
    const wchar_t* cls = L"STATIC";
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS, ex = 0;
    switch (c.Kind()) {
    case ControlKind::Label: style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX; break;
    case ControlKind::Button:
        cls = L"BUTTON";
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
    case ControlKind::Edit:
        cls = L"EDIT";
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        ex = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::List:
        cls = L"LISTBOX";
        style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
        ex = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::FolderList:
        cls = L"LISTBOX";
        style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
        ex = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::DriveList:
        cls = L"COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        break;
    case ControlKind::CheckBox:
        cls = L"BUTTON";
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
    case ControlKind::Memo:
        cls = L"EDIT";
        style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL;
        ex = WS_EX_CLIENTEDGE;
        break;
    case ControlKind::ProgressBar: cls = PROGRESS_CLASSW; break;
    case ControlKind::Picture: style |= SS_OWNERDRAW; break;
    case ControlKind::Panel:
        cls = kPanelClass;
        style |= WS_CLIPCHILDREN;
        ex = WS_EX_CONTROLPARENT;
        break;
    }
    PanelLink link{dialog_, &p};
    HWND h = CreateWindowExW(ex, cls, L"", style, 0, 0, 0, 0, ParentWindow(c), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), c.Kind() == ControlKind::Panel ? &link : nullptr);
    p.SetHwnd(h);
    if (h) {
        byHwnd_[h] = &p;
        if (c.Kind() == ControlKind::ProgressBar) SendMessageW(h, PBM_SETRANGE32, 0, 100);
        // Enter opens a folder list's row: the key stays with the list.
        if (c.Kind() == ControlKind::FolderList) SetWindowSubclass(h, FolderListProc, 1, reinterpret_cast<DWORD_PTR>(&p));
    }
    c.SetPeer(&p);
    p.Sync();
    Restack(c.Parent());
}

void Impl::Restack(const Control* parent) {
    std::vector<Peer*> sibs;
    for (auto& p : peers_)
        if (p->Hwnd() && p->Ctl().Parent() == parent) sibs.push_back(p.get());
    if (sibs.size() < 2) return;
    auto overlap = [](const Rect& a, const Rect& b) { return !Intersect(a, b).Empty(); };
    // Top first: the earliest-made control that no later one overlapping it must cover.
    std::vector<Peer*> order, rest = sibs;
    while (!rest.empty()) {
        size_t pick = rest.size() - 1;
        for (size_t i = 0; i < rest.size(); ++i) {
            bool covered = false;
            for (size_t k = i + 1; k < rest.size() && !covered; ++k) covered = overlap(rest[i]->Area(), rest[k]->Area());
            if (!covered) {
                pick = i;
                break;
            }
        }
        order.push_back(rest[pick]);
        rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(pick));
    }
    Peer* holder = PeerOf(parent);
    HWND parentWindow = holder && holder->Hwnd() ? holder->Hwnd() : dialog_;
    std::vector<HWND> now;
    for (HWND h = GetWindow(parentWindow, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (Peer* p = PeerOf(h); p && p->Ctl().Parent() == parent) now.push_back(h);
    std::vector<HWND> want;
    for (Peer* p : order) want.push_back(p->Hwnd());
    if (now == want) return;
    HWND after = HWND_TOP;
    for (HWND h : want) {
        SetWindowPos(h, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = h;
    }
}

bool Impl::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_NCDESTROY:
        // The dialog's window went, and our windows with it.
        WindowGone();
        return false;
    case WM_COMMAND: {
        Peer* p = lp ? PeerOf(reinterpret_cast<HWND>(lp)) : nullptr;
        if (!p) return false;
        result = 0;
        if (Quiet()) return true;
        const UINT code = HIWORD(wp);
        switch (p->Kind()) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
            if (code == BN_CLICKED) p->Press();
            break;
        case ControlKind::Edit:
            if (code == EN_CHANGE) p->Edited();
            break;
        case ControlKind::List:
            if (code == LBN_SELCHANGE) p->Selected(static_cast<int>(SendMessageW(p->Hwnd(), LB_GETCURSEL, 0, 0)));
            break;
        case ControlKind::FolderList:
            if (code == LBN_DBLCLK) p->Opened(static_cast<int>(SendMessageW(p->Hwnd(), LB_GETCURSEL, 0, 0)));
            break;
        case ControlKind::DriveList:
            if (code == CBN_SELCHANGE) p->Selected(static_cast<int>(SendMessageW(p->Hwnd(), CB_GETCURSEL, 0, 0)));
            break;
        default: break;
        }
        return true;
    }
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        Peer* p = mi ? PeerOfId(static_cast<int>(mi->CtlID)) : nullptr;
        if (!p || p->Kind() != ControlKind::FolderList) return false;
        mi->itemHeight = static_cast<UINT>(p->RowHeight());
        result = TRUE;
        return true;
    }
    case WM_DRAWITEM: {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        Peer* p = di ? PeerOf(di->hwndItem) : nullptr;
        if (!p || dying_) return false;
        if (p->Kind() == ControlKind::FolderList)
            p->DrawFolderRow(*di);
        else if (p->Kind() == ControlKind::Picture)
            p->DrawPicture(di->hDC, di->rcItem);
        else
            return false;
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN: {
        Peer* p = PeerOf(reinterpret_cast<HWND>(lp));
        if (!p || dying_) return false;
        const Control& c = p->Ctl();
        Rgb bg;
        switch (c.Kind()) {
        case ControlKind::Edit:
        case ControlKind::List:
        case ControlKind::FolderList:
        case ControlKind::DriveList:
        case ControlKind::Memo: bg = FieldBackground(c); break;
        default: bg = BackgroundOf(c); break;
        }
        Colors(*p, reinterpret_cast<HDC>(wp), bg);
        result = reinterpret_cast<LRESULT>(Brush(bg));
        return true;
    }
    default: return false;
    }
}

bool Impl::PressEnter(const std::vector<std::unique_ptr<Control>>& controls) {
    Peer* focused = Focused();
    Control* press = nullptr;
    // A folder list opens its row itself; an open drive list takes the drive.
    if (focused && focused->Kind() == ControlKind::FolderList) return false;
    if (focused && focused->Kind() == ControlKind::DriveList && SendMessageW(focused->Hwnd(), CB_GETDROPPEDSTATE, 0, 0)) return false;
    const Control* f = focused ? &focused->Ctl() : nullptr;
    if (f && f->Kind() == ControlKind::Button && f->Showing() && f->Enabled())
        press = &focused->Ctl();
    else
        press = FindDefaultButton(controls);
    if (!press) return false;
    Guard([press] { return press->UserPress(); });
    return true;
}

// ---------------------------------------------------------------------------
// Keeping a window in step with its control

void Peer::Sync() {
    if (!hwnd_) return;
    Impl::Hush hush(owner_);
    const Control& c = control_;
    HFONT f = owner_.Font(c.FontHeight(), c.FontBold());
    if (f != font_) {
        font_ = f;
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(f), FALSE);
        if (c.Kind() == ControlKind::FolderList) SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, RowHeight());
        placed_ = false;  // an auto-sized label measures its text again
    }
    switch (c.Kind()) {
    case ControlKind::Label: SyncText(c.Text()); break;
    case ControlKind::Button: {
        SyncText(c.Text());
        const int style = c.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if (style != defaultStyle_) {
            defaultStyle_ = style;
            SendMessageW(hwnd_, BM_SETSTYLE, static_cast<WPARAM>(style), TRUE);
        }
        break;
    }
    case ControlKind::CheckBox: {
        SyncText(c.Text());
        const WPARAM want = c.Checked() ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(SendMessageW(hwnd_, BM_GETCHECK, 0, 0)) != want) SendMessageW(hwnd_, BM_SETCHECK, want, 0);
        break;
    }
    case ControlKind::Edit: SyncEdit(); break;
    case ControlKind::List: SyncList(); break;
    case ControlKind::FolderList: SyncFolders(); break;
    case ControlKind::DriveList: SyncDrives(); break;
    case ControlKind::Memo: SyncMemo(); break;
    case ControlKind::ProgressBar:
        if (SendMessageW(hwnd_, PBM_GETPOS, 0, 0) != c.Position()) SendMessageW(hwnd_, PBM_SETPOS, static_cast<WPARAM>(c.Position()), 0);
        break;
    case ControlKind::Picture:
        // Its pixels may have changed: drawn again from the control.
        InvalidateRect(hwnd_, nullptr, FALSE);
        break;
    case ControlKind::Panel:
        // Its colour or bevels may have changed, and with the colour that of the
        // controls standing on it.
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
        break;
    }
    Place();
    const bool visible = (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
    if (c.Visible() != visible) {
        ShowWindow(hwnd_, c.Visible() ? SW_SHOWNA : SW_HIDE);
        if (c.Visible() && c.Kind() == ControlKind::Panel) owner_.PanelShown(*this);
    }
    if (c.Enabled() != (IsWindowEnabled(hwnd_) != FALSE)) EnableWindow(hwnd_, c.Enabled());
    // A label or check box on a panel whose colour changed draws itself again.
    if (c.Kind() == ControlKind::Label || c.Kind() == ControlKind::CheckBox) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Peer::Repaint(Control&) {
    Sync();
    if (!hwnd_) return;
    // The program goes on with a long job after this: what it changed must be on
    // the screen before it does, the parent's uncovered part included.
    RedrawWindow(GetParent(hwnd_), nullptr, nullptr, RDW_UPDATENOW);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Peer::SyncText(const std::string& text) {
    std::wstring w = Wide1250(text);
    if (textSet_ && w == text_) return;
    text_ = std::move(w);
    textSet_ = true;
    SetWindowTextW(hwnd_, text_.c_str());
    placed_ = false;
}

void Peer::SyncEdit() {
    const std::wstring want = Wide1250(control_.Text());
    // While the user types the field already shows the text; setting it again would
    // move the caret. It differs when the program changed it, or could not keep a
    // character that Windows-1250 has not.
    if (WindowText(hwnd_) == want) return;
    DWORD from = 0, to = 0;
    SendMessageW(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    SetWindowTextW(hwnd_, want.c_str());
    const DWORD n = static_cast<DWORD>(want.size());
    SendMessageW(hwnd_, EM_SETSEL, std::min(from, n), std::min(to, n));
}

void Peer::SyncList() {
    if (!itemsSet_ || control_.Items() != items_) {
        items_ = control_.Items();
        itemsSet_ = true;
        SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
        for (const std::string& s : items_) SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide1250(s).c_str()));
    }
    const int want = control_.ItemIndex();
    if (static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0)) != want) SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(want), 0);
}

void Peer::SyncFolders() {
    if (rowsSet_ && SameRows(control_.Rows(), rows_)) return;
    rows_ = control_.Rows();
    rowsSet_ = true;
    SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    int widest = 0;
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, font_);
    for (const FolderRow& r : rows_) {
        const std::wstring name = Wide1250(r.name);
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
        SIZE sz{};
        GetTextExtentPoint32W(dc, name.c_str(), static_cast<int>(name.size()), &sz);
        widest = std::max(widest, 4 + std::max(0, r.level) * kFolderIndent + 16 + static_cast<int>(sz.cx) + 6);
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
    // A deep folder scrolls sideways rather than losing its name.
    SendMessageW(hwnd_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
    const int open = OpenFolderRow(rows_);
    if (open >= 0) SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(open), 0);
}

void Peer::SyncDrives() {
    if (!itemsSet_ || control_.Items() != items_) {
        items_ = control_.Items();
        itemsSet_ = true;
        SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
        for (const std::string& s : items_) SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide1250(s).c_str()));
    }
    const int want = control_.ItemIndex();
    if (static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0)) != want) SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(want), 0);
}

void Peer::SyncMemo() {
    std::string joined;
    for (size_t i = 0; i < control_.Items().size(); ++i) {
        if (i) joined += "\r\n";
        joined += control_.Items()[i];
    }
    SyncText(joined);
}

int Peer::RowHeight() const {
    int h = control_.FontHeight() + 4;
    if (HDC dc = GetDC(hwnd_)) {
        HGDIOBJ old = SelectObject(dc, owner_.Font(control_.FontHeight(), control_.FontBold()));
        TEXTMETRICW tm{};
        if (GetTextMetricsW(dc, &tm)) h = tm.tmHeight + 2;
        SelectObject(dc, old);
        ReleaseDC(hwnd_, dc);
    }
    // Room for the folder glyph, whatever the face.
    return std::max(h, 14);
}

void Peer::Place() {
    Rect r = control_.Bounds();
    if (control_.Kind() == ControlKind::Label && control_.AutoSize()) {
        // Sized to its text in its face.
        HDC dc = GetDC(hwnd_);
        HGDIOBJ old = SelectObject(dc, font_);
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SIZE sz{};
        if (!text_.empty()) GetTextExtentPoint32W(dc, text_.c_str(), static_cast<int>(text_.size()), &sz);
        SelectObject(dc, old);
        ReleaseDC(hwnd_, dc);
        r.w = sz.cx;
        r.h = tm.tmHeight;
    }
    r.w = std::max(0, r.w);
    r.h = std::max(0, r.h);
    if (placed_ && r == area_) return;
    const bool reshaped = r != area_;
    area_ = r;
    placed_ = true;
    const bool combo = control_.Kind() == ControlKind::DriveList;
    // A combo box's window holds its drop-down list too.
    SetWindowPos(hwnd_, nullptr, r.x, r.y, r.w, combo ? r.h + 8 * RowHeight() + 2 : r.h, SWP_NOZORDER | SWP_NOACTIVATE);
    if (combo) {
        // Its field keeps the control's height. The field's frame is not as thick on
        // every system: measured, and the height corrected by what is over or under.
        SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(1, r.h - 6));
        RECT wr{};
        GetWindowRect(hwnd_, &wr);
        const int over = (wr.bottom - wr.top) - r.h;
        if (over != 0) SendMessageW(hwnd_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(1, r.h - 6 - over));
    }
    if (reshaped) owner_.Restack(control_.Parent());
}

// ---------------------------------------------------------------------------
// Drawing

void Peer::DrawFolderRow(const DRAWITEMSTRUCT& di) {
    HDC dc = di.hDC;
    const RECT& rc = di.rcItem;
    const bool selected = (di.itemState & ODS_SELECTED) != 0;
    const Rgb back = FieldBackground(control_);
    if (selected) {
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rc, nullptr, 0, nullptr);
    } else {
        FillRgb(dc, rc, back);
    }
    if (di.itemID == static_cast<UINT>(-1) || di.itemID >= rows_.size()) {
        if (di.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
        return;
    }
    const FolderRow& row = rows_[di.itemID];
    const int gx = rc.left + 4 + std::max(0, row.level) * kFolderIndent;
    const int gy = rc.top + (rc.bottom - rc.top - 10) / 2;
    // A folder: its tab, its outline, then the body; an open one shows its lighter
    // inside above the front.
    FillRgb(dc, gx + 1, gy, 5, 1, kFolderEdge);
    RECT outline{gx, gy + 1, gx + 13, gy + 10};
    HBRUSH edge = owner_.Brush(kFolderEdge);
    FrameRect(dc, &outline, edge);
    FillRgb(dc, gx + 1, gy + 2, 11, 7, row.open ? kFolderOpenBack : kFolderBody);
    if (row.open) FillRgb(dc, gx + 1, gy + 5, 11, 4, kFolderBody);
    const std::wstring name = Wide1250(row.name);
    RECT tr{gx + 16, rc.top, rc.right, rc.bottom};
    SetBkMode(dc, TRANSPARENT);
    COLORREF fg = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    if (!control_.Enabled()) fg = GetSysColor(COLOR_GRAYTEXT);
    SetTextColor(dc, fg);
    HGDIOBJ old = SelectObject(dc, font_);
    DrawTextW(dc, name.c_str(), static_cast<int>(name.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT);
    SelectObject(dc, old);
    if (di.itemState & ODS_FOCUS) DrawFocusRect(dc, &rc);
}

void Peer::DrawPicture(HDC dc, const RECT& client) {
    FillRgb(dc, client, BackgroundOf(control_));
    const Image& pic = control_.Picture();
    const int w = std::min<int>(client.right - client.left, pic.Width());
    const int h = std::min<int>(client.bottom - client.top, pic.Height());
    if (w <= 0 || h <= 0) return;
    // 24-bit rows, top-down, in the system's blue-green-red order, each padded to
    // four bytes.
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~static_cast<size_t>(3);
    bits_.assign(stride * static_cast<size_t>(h), 0);
    for (int y = 0; y < h; ++y) {
        const uint8_t* src = pic.Row(y);
        uint8_t* dst = bits_.data() + stride * static_cast<size_t>(y);
        for (int x = 0; x < w; ++x) {
            dst[3 * x] = src[3 * x + 2];
            dst[3 * x + 1] = src[3 * x + 1];
            dst[3 * x + 2] = src[3 * x];
        }
    }
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(bmi.bmiHeader);
    bmi.bmiHeader.biWidth = w;
    bmi.bmiHeader.biHeight = -h;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, client.left, client.top, static_cast<DWORD>(w), static_cast<DWORD>(h), 0, 0, 0, static_cast<UINT>(h),
                      bits_.data(), &bmi, DIB_RGB_COLORS);
}

void Peer::PaintPanel(HDC dc) {
    RECT r{};
    GetClientRect(hwnd_, &r);
    DrawBevel(dc, r, control_.OuterBevel());
    DrawBevel(dc, r, control_.InnerBevel());
    if (r.right > r.left && r.bottom > r.top) FillRgb(dc, r, BackgroundOf(control_));
}

// ---------------------------------------------------------------------------
// What the user does

void Peer::Press() {
    Control& c = control_;
    if (!owner_.Guard([&c] { return c.UserPress(); })) Sync();  // a refused click takes back the tick
}

void Peer::Edited() {
    const std::string text = Narrow1250(WindowText(hwnd_));
    Control& c = control_;
    if (!owner_.Guard([&] { return c.UserEdit(text); })) Sync();
}

void Peer::Selected(int index) {
    Control& c = control_;
    if (!owner_.Guard([&] { return c.UserSelect(index); })) Sync();
}

void Peer::Opened(int row) {
    Control& c = control_;
    if (!owner_.Guard([&] { return c.UserOpen(row); })) Sync();
}

// ---------------------------------------------------------------------------
// Window procedures

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        if (cs && cs->lpCreateParams) {
            auto* link = new PanelLink(*static_cast<PanelLink*>(cs->lpCreateParams));
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(link));
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    auto* link = reinterpret_cast<PanelLink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        delete link;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (!link) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    // The children's reports go to the dialog, where the controls are handled.
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_COMPAREITEM:
    case WM_DELETEITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
        return SendMessageW(link->dialog, msg, wp, lp);
    case WM_ERASEBKGND: return 1;  // the paint covers every pixel
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        link->peer->PaintPanel(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT:
        link->peer->PaintPanel(reinterpret_cast<HDC>(wp));
        return 0;
    default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

LRESULT CALLBACK FolderListProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR ref) {
    auto* peer = reinterpret_cast<Peer*>(ref);
    switch (msg) {
    case WM_GETDLGCODE: {
        // A dialog's keyboard handling leaves Enter to the list.
        auto* m = reinterpret_cast<const MSG*>(lp);
        LRESULT code = DefSubclassProc(hwnd, msg, wp, lp);
        if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_KEYDOWN:
        if (wp == VK_RETURN) {
            const int row = static_cast<int>(SendMessageW(hwnd, LB_GETCURSEL, 0, 0));
            if (row >= 0) peer->Opened(row);
            return 0;
        }
        break;
    case WM_CHAR:
        if (wp == L'\r') return 0;
        break;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, FolderListProc, id); break;
    default: break;
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

// ---------------------------------------------------------------------------
// DialogControls

// The controls' state lives in the back end's own class, out of the header's sight.
struct DialogControls::State {
    State(HWND dialog, std::function<void(const char*)> report) : impl(dialog, std::move(report)) {}
    Impl impl;
};

DialogControls::DialogControls(HWND dialog, std::function<void(const char*)> report)
    : state_(std::make_unique<State>(dialog, std::move(report))) {}

DialogControls::~DialogControls() = default;

void DialogControls::Attach(Control& c) { state_->impl.Attach(c); }

bool DialogControls::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    return state_->impl.HandleMessage(msg, wp, lp, result);
}

bool DialogControls::PressEnter(const std::vector<std::unique_ptr<Control>>& controls) {
    return state_->impl.PressEnter(controls);
}

HWND DialogControls::InitialFocus() const { return state_->impl.InitialFocus(); }

// ---------------------------------------------------------------------------
// The four-button question

namespace {

constexpr int kTextId = 10, kIconId = 11;
struct Answer {
    int id;
    const wchar_t* label;
};
constexpr Answer kAnswers[] = {{kIdYes, L"Tak"}, {kIdYesAll, L"Tak na wszystkie"}, {kIdNo, L"Nie"}, {kIdCancel, L"Anuluj"}};

struct Question {
    const std::wstring* text;
    const std::wstring* title;
    bool topmost;
};

// A dialog template in memory: the header, then each item, every one on a
// four-byte boundary.
class Template {
public:
    void Align() {
        while (words_.size() % 2) words_.push_back(0);
    }
    void Dword(DWORD v) {
        words_.push_back(LOWORD(v));
        words_.push_back(HIWORD(v));
    }
    void Word(WORD v) { words_.push_back(v); }
    void Text(const std::wstring& s) {
        for (wchar_t c : s) words_.push_back(static_cast<WORD>(c));
        words_.push_back(0);
    }
    void Item(DWORD style, WORD atom, int id, const std::wstring& text) {
        Align();
        Dword(style | WS_CHILD | WS_VISIBLE);
        Dword(0);
        for (int i = 0; i < 4; ++i) Word(0);  // placed when the box is laid out
        Word(static_cast<WORD>(id));
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE* Data() {
        Align();
        return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
    }

private:
    std::vector<WORD> words_;
};

constexpr WORD kButtonAtom = 0x0080, kStaticAtom = 0x0082;

void LayOut(HWND dlg, const Question& q) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dlg, WM_GETFONT, 0, 0));
    HDC dc = GetDC(dlg);
    HGDIOBJ old = SelectObject(dc, font);
    const int margin = 11, gap = 6, buttonH = 23, minButtonW = 75;
    const int icon = GetSystemMetrics(SM_CXICON);
    // Long questions wrap rather than make the box wider than a small screen.
    RECT tr{0, 0, 480, 0};
    DrawTextW(dc, q.text->c_str(), static_cast<int>(q.text->size()), &tr, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    std::vector<int> widths;
    int rowW = 0;
    for (const Answer& a : kAnswers) {
        SIZE sz{};
        GetTextExtentPoint32W(dc, a.label, static_cast<int>(wcslen(a.label)), &sz);
        widths.push_back(std::max(minButtonW, static_cast<int>(sz.cx) + 20));
        rowW += widths.back();
    }
    rowW += gap * 3;
    SelectObject(dc, old);
    ReleaseDC(dlg, dc);

    const int textX = margin + icon + 12;
    const int textW = tr.right - tr.left, textH = std::max<int>(tr.bottom - tr.top, icon);
    const int W = std::max(textX + textW + margin, rowW + 2 * margin);
    const int H = margin + textH + 15 + buttonH + margin;
    MoveWindow(GetDlgItem(dlg, kIconId), margin, margin, icon, icon, FALSE);
    MoveWindow(GetDlgItem(dlg, kTextId), textX, margin + (textH - (tr.bottom - tr.top)) / 2, textW + 1, tr.bottom - tr.top, FALSE);
    int x = (W - rowW) / 2;
    for (size_t i = 0; i < std::size(kAnswers); ++i) {
        MoveWindow(GetDlgItem(dlg, kAnswers[i].id), x, H - margin - buttonH, widths[i], buttonH, FALSE);
        x += widths[i] + gap;
    }
    RECT wr{0, 0, W, H};
    AdjustWindowRectEx(&wr, static_cast<DWORD>(GetWindowLongW(dlg, GWL_STYLE)), FALSE, static_cast<DWORD>(GetWindowLongW(dlg, GWL_EXSTYLE)));
    const int ww = wr.right - wr.left, wh = wr.bottom - wr.top;
    // Centred on the screen, as the menu's own boxes are.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + std::max<int>(0, (work.right - work.left - ww) / 2);
    const int top = work.top + std::max<int>(0, (work.bottom - work.top - wh) / 2);
    SetWindowPos(dlg, q.topmost ? HWND_TOPMOST : nullptr, left, top, ww, wh, q.topmost ? SWP_NOACTIVATE : SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK QuestionProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        const Question& q = *reinterpret_cast<const Question*>(lp);
        SetWindowTextW(dlg, q.title->c_str());
        SetDlgItemTextW(dlg, kTextId, q.text->c_str());
        SendDlgItemMessageW(dlg, kIconId, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_QUESTION)), 0);
        LayOut(dlg, q);
        MessageBeep(MB_ICONQUESTION);
        // "Tak" answers Enter, as the other questions do.
        SetFocus(GetDlgItem(dlg, kIdYes));
        return FALSE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        for (const Answer& a : kAnswers)
            if (a.id == id && (HIWORD(wp) == BN_CLICKED || id == IDCANCEL)) {
                EndDialog(dlg, id);
                return TRUE;
            }
        return FALSE;
    }
    case WM_CLOSE:
        EndDialog(dlg, kIdCancel);
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

int AskYesAllNoCancel(HWND owner, const std::wstring& text, const std::wstring& title, bool topmost) {
    RegisterClasses();
    static_assert(kIdCancel == IDCANCEL, "Escape and the close box answer through IDCANCEL");
    Template t;
    t.Dword(DS_MODALFRAME | DS_SETFONT | DS_3DLOOK | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    t.Dword(topmost ? WS_EX_TOPMOST : 0);
    t.Word(2 + static_cast<WORD>(std::size(kAnswers)));
    for (int i = 0; i < 4; ++i) t.Word(0);  // laid out in WM_INITDIALOG
    t.Word(0);                               // no menu
    t.Word(0);                               // the standard dialog class
    t.Text(L"");                             // the title, set in WM_INITDIALOG
    t.Word(8);
    t.Text(L"MS Shell Dlg");
    t.Item(SS_ICON, kStaticAtom, kIconId, L"");
    t.Item(SS_LEFT | SS_NOPREFIX, kStaticAtom, kTextId, L"");
    for (const Answer& a : kAnswers)
        t.Item(WS_TABSTOP | (a.id == kIdYes ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), kButtonAtom, a.id, a.label);
    Question q{&text, &title, topmost};
    const INT_PTR r = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), t.Data(), owner, QuestionProc, reinterpret_cast<LPARAM>(&q));
    for (const Answer& a : kAnswers)
        if (r == a.id) return a.id;
    return kIdCancel;
}

}  // namespace platform::win32
