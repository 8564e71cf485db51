#include "widgets/Showimagesu.h"

#include "platform/jpeg.h"
#include "platform/paths.h"

using platform::Sys;

TIMG_FRM::TIMG_FRM() {
    platform::WindowStyle style;
    style.borderless = true;
    style.stayOnTop = true;
    style.title = "IMG_FRM";
    style.width = 344;
    style.height = 375;
    window_ = Sys().CreateWindow(style);
    window_->SetBackground({0, 0, 0});
    window_->SetStayOnTop(true);
    // It is shown the size of the screen: asked for as the whole screen, it stays at
    // the screen's corner where desktops place windows themselves.
    window_->SetFullScreen(true);
    window_->SetHandler(this);
}

TIMG_FRM::~TIMG_FRM() {
    if (window_) window_->SetHandler(nullptr);
}

bool TIMG_FRM::LoadPicture(const std::string& winPath) {
    try {
        auto host = platform::Drives().ToHost(winPath);
        platform::Image img;
        if (!host || !platform::LoadJpegFile(*host, img)) return false;
        picture = std::move(img);
        jpegWidth = picture.Width();
        jpegHeight = picture.Height();
        return true;
    } catch (...) {
        // A picture that cannot be read is reported by the result: the viewer
        // then does not open.
        return false;
    }
}

void TIMG_FRM::SetPictures(const std::string& f, const std::vector<std::string>& n) {
    folder = f;
    names = n;
    count = static_cast<int>(n.size());
    current = 0;
}

void TIMG_FRM::ShowModal() {
    // Height 0 first: FormShow sizes the window to the screen when it appears.
    window_->SetBounds(window_->Left(), window_->Top(), window_->Width(), 0);
    window_->ShowModal();
}

void TIMG_FRM::FormShow() {
    window_->SetBounds(0, 0, Sys().ScreenWidth(), Sys().ScreenHeight());
    window_->Invalidate();
}

void TIMG_FRM::FormPaint() {
    platform::Image& c = window_->Canvas();
    const int w = window_->Width(), h = window_->Height();
    c.Fill({0, 0, w, h}, {0, 0, 0});
    int x = (w - jpegWidth) / 2, y = (h - jpegHeight) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    c.DrawImage(x, y, picture);
}

void TIMG_FRM::FormMouseUp() {
    if (current + 1 >= count) {
        window_->Close();
        return;
    }
    ++current;
    LoadPicture(folder + names[current]);
    FormPaint();
}

void TIMG_FRM::Next() { FormMouseUp(); }

void TIMG_FRM::OnKeyDown(int key, platform::ShiftState) {
    // A full-screen window that only a mouse can leave traps keyboard users: Escape
    // closes it, Space and the right arrow move on like a click.
    if (key == platform::kVkEscape)
        window_->Close();
    else if (key == platform::kVkSpace || key == platform::kVkRight)
        FormMouseUp();
}
