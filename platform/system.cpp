#include "platform/system.h"

#include <algorithm>
#include <stdexcept>

namespace platform {
namespace {
System* g_system = nullptr;
}

System& Sys() {
    if (!g_system) throw std::logic_error("no window system installed");
    return *g_system;
}

void SetSystem(System* s) { g_system = s; }
bool HasSystem() { return g_system != nullptr; }

bool WindowBase::KeepBounds(int left, int top, int width, int height) {
    left_ = left;
    top_ = top;
    if (width == width_ && height == height_) return false;
    width_ = width;
    height_ = height;
    canvas_.Create(std::max(0, width), std::max(0, height));
    canvas_.TrackDamage(true);
    paintPending_ = true;
    return true;
}

void WindowBase::Close() {
    if (handler_ && !handler_->OnCloseQuery()) return;
    Hide();
    Closing();
    if (handler_) handler_->OnClose();
}

bool WindowBase::Deliver(const InputEvent& ev, int x, int y) {
    if (!handler_ || !visible_) return true;
    switch (ev.type) {
    case EventType::MouseDown: handler_->OnMouseDown(ev.button, ev.shift, x, y); break;
    case EventType::MouseUp: handler_->OnMouseUp(ev.button, ev.shift, x, y); break;
    case EventType::MouseMove: handler_->OnMouseMove(ev.shift, x, y); break;
    case EventType::Wheel: return handler_->OnMouseWheel(ev.wheel, ev.shift, ev.screenX, ev.screenY);
    case EventType::KeyDown: handler_->OnKeyDown(ev.key, ev.shift); break;
    case EventType::KeyUp: handler_->OnKeyUp(ev.key, ev.shift); break;
    }
    return true;
}

}  // namespace platform
