#include <FL/Fl_Group.H>
#include <FL/Fl_Window.H>
#include <gtest/gtest.h>

#include <string>

#include "platform/controls.h"
#include "platform/fltk/Fltkcontrols.h"

using namespace platform;
using namespace platform::fltk;

namespace {

// A window that is never shown: the widgets need no display until they are drawn.
struct Dialog {
    Fl_Window window{300, 200};
    ControlWidgets widgets{window, nullptr};
    Dialog() { window.end(); }
};

std::string LabelOf(const Fl_Widget* w) { return w->label() ? w->label() : ""; }

}  // namespace

TEST(FltkControls, WidgetsCatchUpWithEveryChangeWhenTheWindowIsFirstShown) {
    Dialog d;
    Control page(ControlKind::Panel, nullptr, "PAGE");
    page.SetBounds(10, 20, 200, 100);
    Control caption(ControlKind::Label, &page, "CAPTION");
    caption.SetAutoSize(false);
    caption.SetBounds(5, 6, 80, 16);
    caption.SetText("Tak");
    d.widgets.Attach(page);
    d.widgets.Attach(caption);
    caption.SetText("Dalej");
    page.SetVisible(false);

    // Made while the menu starts: nothing of the controls is in the widgets yet.
    ASSERT_EQ(d.window.children(), 1);
    auto* pageWidget = static_cast<Fl_Group*>(d.window.child(0));
    ASSERT_EQ(pageWidget->children(), 1);
    Fl_Widget* captionWidget = pageWidget->child(0);
    EXPECT_FALSE(d.widgets.Live());
    EXPECT_EQ(LabelOf(captionWidget), "");
    EXPECT_TRUE(pageWidget->visible());

    // About to be shown: the last state of every control, in window coordinates.
    d.widgets.GoLive();
    EXPECT_TRUE(d.widgets.Live());
    EXPECT_EQ(LabelOf(captionWidget), "Dalej");
    EXPECT_EQ(captionWidget->x(), 15);
    EXPECT_EQ(captionWidget->y(), 26);
    EXPECT_EQ(captionWidget->w(), 80);
    EXPECT_FALSE(pageWidget->visible());

    // From then on a change shows at once; a second GoLive changes nothing.
    caption.SetText("Anuluj");
    EXPECT_EQ(LabelOf(captionWidget), "Anuluj");
    page.SetVisible(true);
    d.widgets.GoLive();
    EXPECT_TRUE(pageWidget->visible());

    // A control made after the window went live has its widget in step right away.
    Control late(ControlKind::Label, &page, "LATE");
    late.SetAutoSize(false);
    late.SetBounds(1, 2, 30, 16);
    late.SetText("OK");
    d.widgets.Attach(late);
    ASSERT_EQ(pageWidget->children(), 2);
    EXPECT_EQ(LabelOf(pageWidget->child(1)), "OK");
    EXPECT_EQ(pageWidget->child(1)->x(), 11);
}
