#include "veneer/wnd/mouse_tracker.h"

#include <algorithm>

#include "veneer/wnd/vwindow.h"

namespace veneer {
namespace {

void add(MouseTracker::Changed& changed, VWindow* window) {
  if (window != nullptr && std::find(changed.begin(), changed.end(), window) == changed.end()) {
    changed.push_back(window);
  }
}

}  // namespace

MouseTracker::Changed MouseTracker::Move(VWindow* hit) {
  Changed changed;
  if (hit == hover_) return changed;
  if (hover_ != nullptr && hover_->SetHover(false)) add(changed, hover_);
  hover_ = hit;
  if (hover_ != nullptr && hover_->SetHover(true)) add(changed, hover_);
  return changed;
}

MouseTracker::Changed MouseTracker::Press(VWindow* hit) {
  Changed changed = Move(hit);
  pressed_ = hit;
  if (pressed_ != nullptr) {
    const int before = pressed_->StateIndex();
    pressed_->OnLButtonDown();
    if (pressed_->StateIndex() != before) add(changed, pressed_);
  }
  return changed;
}

MouseTracker::Changed MouseTracker::Release(VWindow* hit) {
  Changed changed = Move(hit);
  VWindow* pressed = pressed_;
  pressed_ = nullptr;
  if (pressed == nullptr) return changed;
  const int before = pressed->StateIndex();
  if (hit == pressed) {
    pressed->OnLButtonUp();
  } else {
    pressed->CancelPress();
  }
  if (pressed->StateIndex() != before) add(changed, pressed);
  return changed;
}

}  // namespace veneer
