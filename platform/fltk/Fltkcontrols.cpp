#include "platform/fltk/Fltkcontrols.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
// fl_draw.H brings Xlib in, whose None macro would eat the program's enumerators.
#ifdef None
#undef None
#endif

#include <algorithm>
#include <cstring>
#include <exception>

#include "platform/fltk/Fltkdialogparts.h"
#include "platform/scaling.h"
#include "platform/system.h"
#include "platform/text.h"

namespace platform::fltk {

namespace {

constexpr Fl_Boxtype kRaisedBox = FL_FREE_BOXTYPE;
constexpr Fl_Boxtype kSunkenBox = static_cast<Fl_Boxtype>(FL_FREE_BOXTYPE + 1);
constexpr Fl_Boxtype kPressedBox = static_cast<Fl_Boxtype>(FL_FREE_BOXTYPE + 2);
// Labels drawn as written: FLTK's own label type reads '@' as the start of a symbol.
constexpr Fl_Labeltype kPlainLabel = FL_FREE_LABELTYPE;

Fl_Color ToFl(Rgb c) { return fl_rgb_color(c.r, c.g, c.b); }

// How many device pixels a pixel of the dialogs is: the window system's factor,
// the same for every window of the process. Their sizes, fonts, edges and glyphs
// are all drawn that much larger.
int g_scale = 1;

void FillPart(Rect part, Rect box) {
    const Rect d = ScaledPart(part, box, g_scale);
    if (!d.Empty()) fl_rectf(d.x, d.y, d.w, d.h);
}

// Lines given in a box's own pixels, drawn g_scale pixels wide into box.
void DrawLines(const std::vector<EdgeLine>& lines, Rect box) {
    for (const EdgeLine& l : lines) {
        fl_color(ToFl(l.color));
        if (l.y0 == l.y1)
            FillPart({l.x0, l.y0, l.x1 - l.x0 + 1, 1}, box);
        else
            FillPart({l.x0, l.y0, 1, l.y1 - l.y0 + 1}, box);
    }
}

// The size of a box in its own pixels.
Rect Units(Rect box) { return {0, 0, box.w / g_scale, box.h / g_scale}; }

void DrawEdgeBox(Edge e, int x, int y, int w, int h, Fl_Color fill) {
    const Rect box{x, y, w, h};
    Rect inside;
    std::vector<EdgeLine> lines = EdgeLines(Units(box), e, &inside);
    if (!inside.Empty()) {
        fl_color(Fl::draw_box_active() ? fill : fl_inactive(fill));
        FillPart(inside, box);
    }
    DrawLines(lines, box);
}

void RaisedBox(int x, int y, int w, int h, Fl_Color c) { DrawEdgeBox(Edge::Raised, x, y, w, h, c); }
void SunkenBox(int x, int y, int w, int h, Fl_Color c) { DrawEdgeBox(Edge::Sunken, x, y, w, h, c); }
void PressedBox(int x, int y, int w, int h, Fl_Color c) { DrawEdgeBox(Edge::Pressed, x, y, w, h, c); }

void DrawPlainLabel(const Fl_Label* l, int x, int y, int w, int h, Fl_Align align) {
    fl_font(l->font, l->size);
    fl_color(static_cast<Fl_Color>(l->color));
    fl_draw(l->value, x, y, w, h, align, l->image, 0);
}

void MeasurePlainLabel(const Fl_Label* l, int& w, int& h) {
    fl_font(l->font, l->size);
    fl_measure(l->value, w, h, 0);
}

// The dialogs' plain sans face. Their texts were laid out for a narrow face; asking
// fontconfig for Arial gives one of its metric twins (Liberation Sans, Nimbus Sans),
// or the desktop's sans when there is none.
const Fl_Font kDialogFont = FL_FREE_FONT, kDialogFontBold = FL_FREE_FONT + 1;
Fl_Font FaceOf(const Control& c) { return c.FontBold() ? kDialogFontBold : kDialogFont; }
Fl_Fontsize SizeOf(const Control& c) { return std::max(1, c.FontHeight()) * g_scale; }

bool SameRows(const std::vector<FolderRow>& a, const std::vector<FolderRow>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].name != b[i].name || a[i].path != b[i].path || a[i].level != b[i].level || a[i].open != b[i].open) return false;
    return true;
}

void Ignore(Fl_Widget*, void*) {}

}  // namespace

// ---------------------------------------------------------------------------
// The peer: what a control's widget shows, and what the user does on it.

class WidgetPeer : public ControlPeer {
public:
    WidgetPeer(ControlWidgets& owner, Control& c) : owner_(owner), control_(c) {}
    void Changed(Control&) override {
        if (owner_.Live()) Sync();
    }
    void Repaint(Control&) override {
        if (!owner_.Live()) return;
        Sync();
        if (!widget_) return;
        widget_->redraw();
        // The program goes on with a long job after this: what it changed must be
        // on the screen before it does.
        if (owner_.Window().shown()) Fl::flush();
    }

    Control& Ctl() const { return control_; }
    Fl_Widget* Widget() const { return widget_; }
    Fl_Group* Group() const { return group_; }
    void SetWidget(Fl_Widget* w, Fl_Group* g = nullptr) {
        widget_ = w;
        group_ = g;
    }
    void Sync();
    void Place();
    // The picture was drawn with its pixels of now; a later change draws it again.
    void PictureDrawn();
    void NoticePicture();

    // What the user did.
    void Press() {
        owner_.Guard([this] { control_.UserPress(); });
        Sync();
    }
    void Edited(const char* utf8) {
        std::string text = Utf8ToCp1250(utf8 ? utf8 : "");
        owner_.Guard([&] { control_.UserEdit(text); });
        Sync();
    }
    void Selected(int index) {
        owner_.Guard([&] { control_.UserSelect(index); });
        Sync();
    }
    void Opened(int row) {
        owner_.Guard([&] { control_.UserOpen(row); });
        Sync();
    }

private:
    void SyncLabel();
    void SyncButton();
    void SyncEdit();
    // A list's or memo's texts, face and colour.
    void SyncBrowserItems();
    void SyncList();
    void SyncFolders();
    void SyncDrives();
    void SyncMemo();
    void SyncPanel();

    ControlWidgets& owner_;
    Control& control_;
    Fl_Widget* widget_ = nullptr;
    Fl_Group* group_ = nullptr;
    Rect placed_{0, 0, -1, -1};
    std::string text_;
    std::vector<std::string> items_;
    std::vector<FolderRow> rows_;
    // The drive list's menu: texts, then the items that point at them.
    std::vector<std::string> menuTexts_;
    std::vector<Fl_Menu_Item> menu_;
    // The picture's pixels as last drawn.
    std::vector<uint8_t> shown_;
    int shownW_ = -1, shownH_ = -1;
};

namespace {

// ---------------------------------------------------------------------------
// The widgets

class LabelWidget : public Fl_Widget {
public:
    LabelWidget() : Fl_Widget(0, 0, 1, 1) { box(FL_FLAT_BOX); }
    void draw() override {
        fl_color(color());
        fl_rectf(x(), y(), w(), h());
        if (!label() || !*label()) return;
        fl_push_clip(x(), y(), w(), h());
        fl_font(labelfont(), labelsize());
        fl_color(active_r() ? labelcolor() : fl_inactive(labelcolor()));
        fl_draw(label(), x(), y(), w(), h(), Fl_Align(FL_ALIGN_TOP_LEFT | FL_ALIGN_INSIDE), nullptr, 0);
        fl_pop_clip();
    }
};

class ButtonWidget : public Fl_Button {
public:
    explicit ButtonWidget(WidgetPeer& p) : Fl_Button(0, 0, 1, 1) {
        box(kRaisedBox);
        down_box(kPressedBox);
        labeltype(kPlainLabel);
        callback([](Fl_Widget*, void* d) { static_cast<WidgetPeer*>(d)->Press(); }, &p);
    }
    bool isDefault = false;

    void draw() override {
        const int f = g_scale;
        int X = x(), Y = y(), W = w(), H = h();
        // The button that Enter presses wears a black frame.
        if (isDefault && W > 2 * f && H > 2 * f) {
            fl_color(FL_BLACK);
            fl_rectf(X, Y, W, f);
            fl_rectf(X, Y + H - f, W, f);
            fl_rectf(X, Y, f, H);
            fl_rectf(X + W - f, Y, f, H);
            X += f, Y += f, W -= 2 * f, H -= 2 * f;
        }
        draw_box(value() ? down_box() : box(), X, Y, W, H, color());
        int shift = value() ? f : 0;
        draw_label(X + 2 * f + shift, Y + 2 * f + shift, W - 4 * f, H - 4 * f);
        if (Fl::focus() == this) draw_focus(FL_NO_BOX, X + 3 * f, Y + 3 * f, W - 6 * f, H - 6 * f);
    }
};

class CheckWidget : public Fl_Check_Button {
public:
    explicit CheckWidget(WidgetPeer& p) : Fl_Check_Button(0, 0, 1, 1) {
        box(FL_FLAT_BOX);
        labeltype(kPlainLabel);
        align(Fl_Align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE));
        callback([](Fl_Widget*, void* d) { static_cast<WidgetPeer*>(d)->Press(); }, &p);
    }
    void draw() override {
        fl_color(color());
        fl_rectf(x(), y(), w(), h());
        // A sunken white square of 13 pixels with a tick, the caption after it.
        const int f = g_scale, side = 13 * f;
        int bx = x(), by = y() + (h() - side) / 2;
        draw_box(kSunkenBox, bx, by, side, side, active_r() ? ToFl(kFieldColor) : color());
        if (value()) {
            fl_color(active_r() ? FL_BLACK : fl_inactive(FL_BLACK));
            // Three strokes a pixel apart, each two pixels down and four up.
            for (int i = 0; i < 3; ++i) {
                if (f == 1) {
                    fl_line(bx + 3, by + 5 + i, bx + 5, by + 7 + i);
                    fl_line(bx + 5, by + 7 + i, bx + 9, by + 3 + i);
                    continue;
                }
                static const int kStroke[][2] = {{3, 5}, {4, 6}, {5, 7}, {6, 6}, {7, 5}, {8, 4}, {9, 3}};
                for (const auto& p : kStroke) fl_rectf(bx + p[0] * f, by + (p[1] + i) * f, f, f);
            }
        }
        int lx = bx + side + 4 * f;
        draw_label(lx, y(), std::max(0, w() - (lx - x())), h());
        if (Fl::focus() == this) {
            int lw = 0, lh = 0;
            measure_label(lw, lh);
            draw_focus(FL_NO_BOX, lx - 1, y() + (h() - lh) / 2 - 1, std::min(lw + 3, x() + w() - lx + 1), lh + 2);
        }
    }
};

class EditWidget : public Fl_Input {
public:
    explicit EditWidget(WidgetPeer& p) : Fl_Input(0, 0, 1, 1) {
        box(kSunkenBox);
        when(FL_WHEN_CHANGED);
        callback([](Fl_Widget* w, void* d) { static_cast<WidgetPeer*>(d)->Edited(static_cast<Fl_Input*>(w)->value()); }, &p);
    }
};

// A browser that reports the rows the user picks with the mouse or the keys.
class ListWidget : public Fl_Hold_Browser {
public:
    explicit ListWidget(WidgetPeer& p) : Fl_Hold_Browser(0, 0, 1, 1), peer_(p) {
        box(kSunkenBox);
        when(FL_WHEN_NEVER);
        callback(Ignore);
        scrollbar.color(ToFl(kButtonFace));
        hscrollbar.color(ToFl(kButtonFace));
    }
    int handle(int e) override {
        int before = value();
        bool onRow = e == FL_PUSH && PushOnRow();
        int r = Fl_Hold_Browser::handle(e);
        int now = value();
        if (now > 0 && (onRow || ((e == FL_DRAG || e == FL_KEYBOARD) && now != before))) peer_.Selected(now - 1);
        return r;
    }

protected:
    bool PushOnRow() {
        int X, Y, W, H;
        bbox(X, Y, W, H);
        return Fl::event_inside(X, Y, W, H) && find_item(Fl::event_y()) != nullptr;
    }
    WidgetPeer& peer_;
};

// The folder list: folders indented by level, drawn with a folder before each name;
// a double click or Enter opens a row.
class FolderWidget : public ListWidget {
public:
    explicit FolderWidget(WidgetPeer& p) : ListWidget(p) {}
    std::vector<FolderLine> lines;

    int handle(int e) override {
        if (e == FL_KEYBOARD && (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
            if (value() > 0) peer_.Opened(value() - 1);
            return 1;
        }
        bool onRow = e == FL_PUSH && PushOnRow();
        int r = Fl_Hold_Browser::handle(e);
        if (onRow && Fl::event_clicks() > 0 && value() > 0) {
            // A third click is a new first one, not another double click.
            Fl::event_clicks(0);
            peer_.Opened(value() - 1);
        }
        return r;
    }

protected:
    const FolderLine* LineOf(void* item) const {
        int n = lineno(item) - 1;
        return n >= 0 && n < static_cast<int>(lines.size()) ? &lines[static_cast<size_t>(n)] : nullptr;
    }
    int item_width(void* item) const override {
        const FolderLine* l = LineOf(item);
        if (!l) return Fl_Hold_Browser::item_width(item);
        fl_font(textfont(), textsize());
        return (4 + l->indent + 16 + 6) * g_scale + static_cast<int>(fl_width(l->text.c_str()));
    }
    void item_draw(void* item, int X, int Y, int W, int H) const override {
        const FolderLine* l = LineOf(item);
        if (!l) return;
        const int f = g_scale;
        int gx = X + (4 + l->indent) * f, gy = Y + (H - 10 * f) / 2;
        auto part = [&](int x, int y, int w, int h) { fl_rectf(gx + x * f, gy + y * f, w * f, h * f); };
        // A folder: a tab, then the body; an open one has its front drawn lighter.
        fl_color(fl_rgb_color(128, 128, 0));
        part(0, 1, 13, 1);
        part(0, 9, 13, 1);
        part(0, 1, 1, 9);
        part(12, 1, 1, 9);
        part(1, 0, 5, 1);
        fl_color(l->open ? fl_rgb_color(255, 255, 204) : fl_rgb_color(255, 255, 128));
        part(1, 2, 11, 7);
        if (l->open) {
            fl_color(fl_rgb_color(255, 255, 128));
            part(1, 5, 11, 4);
        }
        fl_font(textfont(), textsize());
        Fl_Color c = textcolor();
        if (item_selected(item)) c = fl_contrast(c, selection_color());
        fl_color(active_r() ? c : fl_inactive(c));
        const int tx = gx + 16 * f;
        fl_draw(l->text.c_str(), tx, Y, W - (tx - X), H, Fl_Align(FL_ALIGN_LEFT | FL_ALIGN_CLIP), nullptr, 0);
    }
};

class MemoWidget : public Fl_Browser {
public:
    MemoWidget() : Fl_Browser(0, 0, 1, 1) {
        box(kSunkenBox);
        has_scrollbar(BOTH_ALWAYS);
        scrollbar.color(ToFl(kButtonFace));
        hscrollbar.color(ToFl(kButtonFace));
        when(FL_WHEN_NEVER);
        callback(Ignore);
    }
};

class ProgressWidget : public Fl_Widget {
public:
    explicit ProgressWidget(const Control& c) : Fl_Widget(0, 0, 1, 1), control_(c) {}
    void draw() override {
        const Rect box{x(), y(), w(), h()};
        Rect inside;
        std::vector<EdgeLine> lines = BevelLines(Units(box), Bevel::Lowered, Bevel::None, &inside);
        fl_color(ToFl(kFieldColor));
        FillPart(inside, box);
        DrawLines(lines, box);
        // The bar keeps a pixel of white around it.
        Rect bar{inside.x + 1, inside.y + 1, std::max(0, inside.w - 2), std::max(0, inside.h - 2)};
        int fill = ProgressFill(bar.w, control_.Position());
        if (fill > 0 && bar.h > 0) {
            fl_color(active_r() ? ToFl(kProgressBlue) : fl_inactive(ToFl(kProgressBlue)));
            FillPart({bar.x, bar.y, fill, bar.h}, box);
        }
    }

private:
    const Control& control_;
};

class PanelWidget : public Fl_Group {
public:
    explicit PanelWidget(const Control& c) : Fl_Group(0, 0, 1, 1), control_(c) {
        end();
        // Hiding a child repaints from the nearest widget with a box: this one.
        box(FL_FLAT_BOX);
        resizable(nullptr);
    }
    void draw() override {
        if (damage() & ~FL_DAMAGE_CHILD) {
            const Rect box{x(), y(), w(), h()};
            Rect inside;
            std::vector<EdgeLine> lines = BevelLines(Units(box), control_.OuterBevel(), control_.InnerBevel(), &inside);
            if (!inside.Empty()) {
                fl_color(color());
                FillPart(inside, box);
            }
            DrawLines(lines, box);
        }
        draw_children();
    }

private:
    const Control& control_;
};

class PictureWidget : public Fl_Widget {
public:
    explicit PictureWidget(WidgetPeer& p) : Fl_Widget(0, 0, 1, 1), peer_(p) {}
    void draw() override {
        fl_color(color());
        fl_rectf(x(), y(), w(), h());
        const Image& pic = peer_.Ctl().Picture();
        const int f = g_scale;
        int W = std::min(w(), pic.Width() * f), H = std::min(h(), pic.Height() * f);
        if (W > 0 && H > 0) {
            if (f == 1) {
                fl_draw_image(pic.Row(0), x(), y(), W, H, 3, pic.Width() * 3);
            } else {
                const Image big = Enlarged(pic, {0, 0, (W + f - 1) / f, (H + f - 1) / f}, f);
                if (!big.Empty()) fl_draw_image(big.Row(0), x(), y(), W, H, 3, big.Width() * 3);
            }
        }
        peer_.PictureDrawn();
    }

private:
    WidgetPeer& peer_;
};

// The drive list: a field with the chosen drive and a button that opens the list.
class DriveWidget : public Fl_Choice {
public:
    explicit DriveWidget(WidgetPeer& p) : Fl_Choice(0, 0, 1, 1), peer_(p) {
        box(kSunkenBox);
        down_box(FL_FLAT_BOX);
        callback(
            [](Fl_Widget* w, void* d) {
                int v = static_cast<Fl_Choice*>(w)->value();
                if (v >= 0) static_cast<WidgetPeer*>(d)->Selected(v);
            },
            &p);
    }
    void draw() override {
        draw_box(box(), x(), y(), w(), h(), color());
        const int f = g_scale;
        int dx = Fl::box_dx(box()), dy = Fl::box_dy(box());
        int H = h() - 2 * dy, W = std::min(H, 17 * f);
        int bx = x() + w() - dx - W, by = y() + dy;
        draw_box(kRaisedBox, bx, by, W, H, ToFl(kButtonFace));
        // The arrow: a small black triangle pointing down.
        int cx = bx + W / 2, cy = by + H / 2;
        fl_color(active_r() ? FL_BLACK : fl_inactive(FL_BLACK));
        fl_polygon(cx - 4 * f, cy - 2 * f, cx + 4 * f, cy - 2 * f, cx, cy + 2 * f);
        int v = value();
        if (v >= 0 && v < static_cast<int>(peer_.Ctl().Count())) {
            std::string text = Cp1250ToUtf8(peer_.Ctl().Item(v));
            int tx = x() + dx + f, ty = y() + dy + f, tw = bx - tx - f, th = H - 2 * f;
            bool focused = Fl::focus() == this;
            if (focused) {
                fl_color(selection_color());
                fl_rectf(tx, ty, tw, th);
            }
            fl_font(textfont(), textsize());
            Fl_Color c = focused ? fl_contrast(textcolor(), selection_color()) : textcolor();
            fl_color(active_r() ? c : fl_inactive(c));
            fl_draw(text.c_str(), tx + 2 * f, ty, tw - 4 * f, th, Fl_Align(FL_ALIGN_LEFT | FL_ALIGN_CLIP), nullptr, 0);
        }
    }

private:
    WidgetPeer& peer_;
};

}  // namespace

// ---------------------------------------------------------------------------
// Keeping a widget in step with its control

void WidgetPeer::Sync() {
    if (!widget_) return;
    Fl_Widget& w = *widget_;
    const Control& c = control_;
    w.labelfont(FaceOf(c));
    w.labelsize(SizeOf(c));
    switch (c.Kind()) {
    case ControlKind::Label: SyncLabel(); break;
    case ControlKind::Button:
    case ControlKind::CheckBox: SyncButton(); break;
    case ControlKind::Edit: SyncEdit(); break;
    case ControlKind::List: SyncList(); break;
    case ControlKind::FolderList: SyncFolders(); break;
    case ControlKind::DriveList: SyncDrives(); break;
    case ControlKind::Memo: SyncMemo(); break;
    case ControlKind::ProgressBar: w.color(ToFl(kFieldColor)); break;
    case ControlKind::Picture: w.color(ToFl(BackgroundOf(c))); break;
    case ControlKind::Panel: SyncPanel(); break;
    }
    Place();
    if (c.Visible() != (w.visible() != 0)) {
        if (c.Visible()) {
            w.show();
            if (c.Kind() == ControlKind::Panel) owner_.PanelShown(c);
        } else {
            w.hide();
        }
    }
    if (c.Enabled() != (w.active() != 0)) {
        if (c.Enabled())
            w.activate();
        else
            w.deactivate();
    }
    w.redraw();
}

void WidgetPeer::SyncLabel() {
    std::string text = Cp1250ToUtf8(control_.Text());
    if (text != text_) {
        text_ = text;
        widget_->copy_label(text_.c_str());
    }
    widget_->color(ToFl(BackgroundOf(control_)));
}

void WidgetPeer::SyncButton() {
    std::string text = Cp1250ToUtf8(control_.Text());
    if (text != text_) {
        text_ = text;
        widget_->copy_label(text_.c_str());
    }
    auto* b = static_cast<Fl_Button*>(widget_);
    if (control_.Kind() == ControlKind::Button) {
        b->color(ToFl(control_.HasColor() ? control_.Color() : kButtonFace));
        static_cast<ButtonWidget*>(b)->isDefault = control_.Default();
    } else {
        b->color(ToFl(BackgroundOf(control_)));
        b->value(control_.Checked() ? 1 : 0);
    }
}

void WidgetPeer::SyncEdit() {
    auto* in = static_cast<Fl_Input*>(widget_);
    in->textfont(FaceOf(control_));
    in->textsize(SizeOf(control_));
    in->color(ToFl(control_.HasColor() ? control_.Color() : kFieldColor));
    std::string text = Cp1250ToUtf8(control_.Text());
    // While the user types, the field already shows the text: setting it again would
    // move the cursor. It differs when the program changed it, or could not keep a
    // character that Windows-1250 has not.
    if (text != (in->value() ? in->value() : "")) {
        int pos = in->position();
        in->value(text.c_str());
        if (pos < in->size()) in->position(pos);
    }
}

void WidgetPeer::SyncBrowserItems() {
    auto* b = static_cast<Fl_Browser*>(widget_);
    b->textfont(FaceOf(control_));
    b->textsize(SizeOf(control_));
    b->color(ToFl(control_.HasColor() ? control_.Color() : kFieldColor));
    if (control_.Items() != items_) {
        items_ = control_.Items();
        b->clear();
        for (const std::string& s : items_) b->add(LiteralBrowserLine(s).c_str());
    }
}

void WidgetPeer::SyncList() {
    SyncBrowserItems();
    auto* b = static_cast<Fl_Hold_Browser*>(widget_);
    int want = control_.ItemIndex() + 1;
    if (b->value() != want) {
        if (want > 0)
            b->select(want);
        else
            b->deselect();
    }
}

void WidgetPeer::SyncFolders() {
    auto* b = static_cast<FolderWidget*>(widget_);
    b->textfont(FaceOf(control_));
    b->textsize(SizeOf(control_));
    b->color(ToFl(control_.HasColor() ? control_.Color() : kFieldColor));
    if (!SameRows(control_.Rows(), rows_)) {
        rows_ = control_.Rows();
        b->lines = FolderLines(rows_);
        b->clear();
        // The browser's own lines only give the rows their height; the widget draws
        // them from its lines.
        for (const FolderRow& r : rows_) b->add(LiteralBrowserLine(r.name).c_str());
        int open = OpenFolderRow(rows_);
        if (open >= 0) {
            b->select(open + 1);
            b->middleline(open + 1);
        }
    }
}

void WidgetPeer::SyncDrives() {
    auto* ch = static_cast<DriveWidget*>(widget_);
    ch->textfont(FaceOf(control_));
    ch->textsize(SizeOf(control_));
    ch->color(ToFl(control_.HasColor() ? control_.Color() : kFieldColor));
    if (control_.Items() != items_) {
        items_ = control_.Items();
        menuTexts_.clear();
        for (const std::string& s : items_) menuTexts_.push_back(LiteralLabel(s));
        // A menu of our own items, ended by an empty one: FLTK's add() would read
        // '/' in a text as a submenu.
        menu_.assign(menuTexts_.size() + 1, Fl_Menu_Item{});
        for (size_t i = 0; i < menuTexts_.size(); ++i) {
            menu_[i].text = menuTexts_[i].c_str();
            menu_[i].labeltype_ = kPlainLabel;
        }
        ch->menu(menu_.data());
    }
    int want = control_.ItemIndex();
    if (ch->value() != want) ch->value(want);
}

void WidgetPeer::SyncMemo() { SyncBrowserItems(); }

void WidgetPeer::SyncPanel() { widget_->color(ToFl(BackgroundOf(control_))); }

void WidgetPeer::Place() {
    const Rect b = WindowBounds(control_);
    Rect r{b.x * g_scale, b.y * g_scale, b.w * g_scale, b.h * g_scale};
    if (control_.Kind() == ControlKind::Label && control_.AutoSize()) {
        // Sized to its text, as the program measures it.
        int w = 0, h = 0;
        fl_font(FaceOf(control_), SizeOf(control_));
        if (!text_.empty()) fl_measure(text_.c_str(), w, h, 0);
        r.w = w;
        r.h = std::max(h, fl_height());
    }
    r.w = std::max(0, r.w);
    r.h = std::max(0, r.h);
    if (r == placed_) return;
    Rect old = placed_;
    placed_ = r;
    if (group_) {
        // Its children are placed from their controls, not moved along by FLTK.
        group_->Fl_Widget::resize(r.x, r.y, r.w, r.h);
    } else {
        widget_->resize(r.x, r.y, r.w, r.h);
    }
    widget_->redraw();
    if (old.w >= 0) owner_.Moved(control_);
    Fl_Window& win = owner_.Window();
    if (old.w > 0 && old.h > 0) win.damage(FL_DAMAGE_ALL, old.x, old.y, old.w, old.h);
}

void WidgetPeer::PictureDrawn() {
    const Image& pic = control_.Picture();
    shownW_ = pic.Width();
    shownH_ = pic.Height();
    shown_.assign(pic.Row(0), pic.Row(0) + static_cast<size_t>(pic.Width()) * pic.Height() * 3);
}

void WidgetPeer::NoticePicture() {
    if (control_.Kind() != ControlKind::Picture || !widget_) return;
    const Image& pic = control_.Picture();
    size_t n = static_cast<size_t>(pic.Width()) * pic.Height() * 3;
    bool same = pic.Width() == shownW_ && pic.Height() == shownH_ && shown_.size() == n &&
                (n == 0 || std::memcmp(shown_.data(), pic.Row(0), n) == 0);
    if (!same) widget_->redraw();
}

// ---------------------------------------------------------------------------
// ControlWidgets

ControlWidgets::ControlWidgets(Fl_Window& window, std::function<void(const char*)> report)
    : window_(window), report_(std::move(report)) {}

// The widgets belong to the window and go with it; the window drops its controls
// before either.
ControlWidgets::~ControlWidgets() = default;

WidgetPeer* ControlWidgets::PeerOf(const Control* c) const {
    if (!c) return nullptr;
    for (auto& p : peers_)
        if (&p->Ctl() == c) return p.get();
    return nullptr;
}

void ControlWidgets::PanelShown(const Control& panel) {
    // FLTK hands the focus on by itself when the page that held it is hidden: to
    // the first widget that takes it, which on a wizard's page is its "back"
    // button. That choice, or none, is replaced; a focus the user put elsewhere
    // stays.
    WidgetPeer* shown = PeerOf(&panel);
    Fl_Widget* f = Fl::focus();
    if (f && f != &window_ && f->visible_r() && f->window() == &window_ && !(shown && shown->Widget()->contains(f))) return;
    auto inside = [&](const Control& c) {
        for (const Control* a = c.Parent(); a; a = a->Parent())
            if (a == &panel) return c.Showing() && c.Enabled();
        return false;
    };
    WidgetPeer* edit = nullptr;
    WidgetPeer* def = nullptr;
    WidgetPeer* button = nullptr;
    for (auto& p : peers_) {
        const Control& c = p->Ctl();
        if (!p->Widget() || !inside(c)) continue;
        if (c.Kind() == ControlKind::Edit && !edit) edit = p.get();
        if (c.Kind() == ControlKind::Button && c.Default() && !def) def = p.get();
        if (c.Kind() == ControlKind::Button && !button) button = p.get();
    }
    WidgetPeer* to = edit ? edit : def ? def : button;
    if (to && to->Widget()->visible_r()) to->Widget()->take_focus();
}

Fl_Group& ControlWidgets::GroupOf(const Control& c) const {
    WidgetPeer* parent = PeerOf(c.Parent());
    if (parent && parent->Group()) return *parent->Group();
    return window_;
}

void ControlWidgets::Attach(Control& c) {
    auto peer = std::make_unique<WidgetPeer>(*this, c);
    WidgetPeer& p = *peer;
    // FLTK puts a new widget into the group being built; these go where they belong.
    Fl_Group* saved = Fl_Group::current();
    Fl_Group::current(nullptr);
    Fl_Widget* w = nullptr;
    Fl_Group* g = nullptr;
    switch (c.Kind()) {
    case ControlKind::Label: w = new LabelWidget(); break;
    case ControlKind::Button: w = new ButtonWidget(p); break;
    case ControlKind::Edit: w = new EditWidget(p); break;
    case ControlKind::List: w = new ListWidget(p); break;
    case ControlKind::FolderList: w = new FolderWidget(p); break;
    case ControlKind::DriveList: w = new DriveWidget(p); break;
    case ControlKind::CheckBox: w = new CheckWidget(p); break;
    case ControlKind::Memo: w = new MemoWidget(); break;
    case ControlKind::ProgressBar: w = new ProgressWidget(c); break;
    case ControlKind::Picture: w = new PictureWidget(p); break;
    case ControlKind::Panel: w = g = new PanelWidget(c); break;
    }
    Fl_Group::current(saved);
    // A later control lies above the earlier ones: FLTK draws a group's children in
    // order and offers the mouse to the last one first.
    GroupOf(c).add(w);
    p.SetWidget(w, g);
    peers_.push_back(std::move(peer));
    c.SetPeer(&p);
    if (live_) p.Sync();
}

void ControlWidgets::GoLive() {
    if (live_) return;
    live_ = true;
    for (auto& p : peers_) p->Sync();
}

Control* ControlWidgets::Focused() const {
    for (Fl_Widget* f = Fl::focus(); f; f = f->parent())
        for (auto& p : peers_)
            if (p->Widget() == f) return &p->Ctl();
    return nullptr;
}

bool ControlWidgets::Enter(const std::vector<std::unique_ptr<Control>>& controls) {
    EnterRoute route = RouteEnter(controls, Focused());
    if (!route.press) return false;
    Control* b = route.press;
    Guard([b] { b->UserPress(); });
    return true;
}

void ControlWidgets::NoticePictures() {
    for (auto& p : peers_) p->NoticePicture();
}

void ControlWidgets::Moved(const Control& c) {
    if (c.Kind() != ControlKind::Panel) return;
    for (auto& p : peers_)
        for (const Control* a = p->Ctl().Parent(); a; a = a->Parent())
            if (a == &c) {
                p->Place();
                break;
            }
}

void ControlWidgets::Guard(const std::function<void()>& action) const {
    try {
        action();
    } catch (const std::exception& e) {
        if (report_) report_(e.what());
    } catch (...) {
        if (report_) report_("unknown error");
    }
}

void RegisterDialogLook(int scale) {
    static bool done = false;
    if (done) return;
    done = true;
    const int f = g_scale = std::clamp(scale, 1, kMaxScale);
    Fl::set_boxtype(kRaisedBox, RaisedBox, 2 * f, 2 * f, 4 * f, 4 * f);
    Fl::set_boxtype(kSunkenBox, SunkenBox, 2 * f, 2 * f, 4 * f, 4 * f);
    Fl::set_boxtype(kPressedBox, PressedBox, 2 * f, 2 * f, 4 * f, 4 * f);
    Fl::set_labeltype(kPlainLabel, DrawPlainLabel, MeasurePlainLabel);
    Fl::set_font(kDialogFont, " Arial");
    Fl::set_font(kDialogFontBold, "BArial");
    // The lists' scroll bars, and the menus' and FLTK's own parts sized by it.
    Fl::scrollbar_size(Fl::scrollbar_size() * f);
}

// ---------------------------------------------------------------------------
// Message boxes

int AskBox(const BoxQuestion& q, const std::function<Rect(int, int)>& place, const std::function<void(Fl_Window&)>& shown) {
    const int f = g_scale;
    const int margin = 10 * f, iconSize = 50 * f, buttonH = 25 * f;
    const int textX = q.icon ? margin + iconSize + 10 * f : margin;
    const Fl_Fontsize size = FL_NORMAL_SIZE * f;
    const size_t n = q.buttons.size();

    fl_font(FL_HELVETICA, size);
    std::vector<int> widths;
    for (const BoxButton& b : q.buttons) widths.push_back(static_cast<int>(fl_width(b.label.c_str())));
    std::vector<ButtonSlot> slots = LayOutButtons(widths, 90 * f, 20 * f, 10 * f);
    int rowW = slots.empty() ? 0 : slots.back().x + slots.back().w;
    // Long texts wrap rather than make the box wider than a small screen.
    int tw = 0, th = 0;
    fl_measure(q.text.c_str(), tw, th, 0);
    if (tw > 560 * f) {
        tw = 560 * f;
        th = 0;
        fl_measure(q.text.c_str(), tw, th, 0);
    }
    // The label keeps 3 pixels clear at either side.
    int W = std::max(textX + tw + 6 * f + margin, rowW + 2 * margin);
    int textH = std::max(q.icon ? iconSize : 0, th);
    int H = margin + textH + 15 * f + buttonH + margin;
    // The place is the program's business, in its own pixels.
    W = (W + f - 1) / f * f;
    H = (H + f - 1) / f * f;

    Fl_Group* saved = Fl_Group::current();
    Fl_Group::current(nullptr);
    Fl_Window win(W, H);
    win.copy_label(q.title.c_str());
    win.color(ToFl(kButtonFace));
    if (q.icon) {
        const char glyph[2] = {q.icon, 0};
        auto* icon = new Fl_Box(margin, margin, iconSize, iconSize);
        icon->copy_label(glyph);
        icon->box(f == 1 ? FL_THIN_UP_BOX : kRaisedBox);
        icon->color(FL_WHITE);
        icon->labelfont(FL_TIMES_BOLD);
        icon->labelsize(34 * f);
        icon->labelcolor(FL_BLUE);
    }
    auto* message = new Fl_Box(textX, margin, W - textX - margin, textH);
    message->copy_label(q.text.c_str());
    message->labeltype(kPlainLabel);
    message->labelsize(size);
    message->align(Fl_Align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_WRAP));
    int result = q.closeResult;
    struct Choice {
        int* result;
        int value;
        Fl_Window* win;
    };
    std::vector<Choice> choices(n);
    int x0 = W - margin - rowW, y0 = H - margin - buttonH;
    for (size_t i = 0; i < n; ++i) {
        // The first button answers Enter.
        const char* label = q.buttons[i].label.c_str();
        Fl_Button* b = i == 0 ? new Fl_Return_Button(x0 + slots[i].x, y0, slots[i].w, buttonH, label)
                              : new Fl_Button(x0 + slots[i].x, y0, slots[i].w, buttonH, label);
        b->box(kRaisedBox);
        b->down_box(kPressedBox);
        b->color(ToFl(kButtonFace));
        b->labelsize(size);
        choices[i] = {&result, q.buttons[i].result, &win};
        b->callback(
            [](Fl_Widget*, void* d) {
                auto* c = static_cast<Choice*>(d);
                *c->result = c->value;
                c->win->hide();
            },
            &choices[i]);
    }
    win.end();
    Fl_Group::current(saved);
    // The close box and Escape give closeResult.
    win.callback([](Fl_Widget* w, void*) { w->hide(); });
    const Rect at = place ? place(W / f, H / f) : Rect{(Fl::w() - W) / 2 / f, (Fl::h() - H) / 2 / f, W / f, H / f};
    win.position(at.x * f, at.y * f);
    win.set_modal();
    win.show();
    if (shown) shown(win);
    while (win.shown()) Fl::wait();
    return result;
}

}  // namespace platform::fltk
