// The picture viewer TIMG_FRM: a borderless, black, full-screen window above all
// others that shows a program's large screenshots one after another. A click shows
// the next picture; the click on the last one closes it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/system.h"

class TIMG_FRM : public platform::WindowHandler {
public:
    TIMG_FRM();
    ~TIMG_FRM() override;

    // Loads a JPEG (a Windows path) as the current picture; a failure keeps the
    // picture that was there.
    bool LoadPicture(const std::string& winPath);
    void SetPictures(const std::string& folder, const std::vector<std::string>& names);
    void ShowModal();
    bool Visible() const { return window_ && window_->Visible(); }
    platform::Window& Window() { return *window_; }

    void FormShow();
    void FormPaint();
    void FormMouseUp();
    void Next();
    void OnShow() override { FormShow(); }
    void OnPaint() override { FormPaint(); }
    void OnMouseUp(platform::Button, platform::ShiftState, int, int) override { FormMouseUp(); }
    void OnKeyDown(int key, platform::ShiftState) override;

    int count = 0;
    int current = 0;
    std::vector<std::string> names;
    std::string folder;
    platform::Image picture;
    // The size the decoder last reported; a failed load leaves it as it was.
    int jpegWidth = 0, jpegHeight = 0;

private:
    std::unique_ptr<platform::Window> window_;
};
