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
  // Only a window whose state index changed is drawn again: a pushed or a
  // disabled one looks the same with the pointer on it or off it.
  const auto setHover = [&changed](VWindow* window, bool hover) {
    if (window == nullptr) return;
    const int before = window->StateIndex();
    if (window->SetHover(hover) && window->StateIndex() != before) add(changed, window);
  };
  setHover(hover_, false);
  hover_ = hit;
  setHover(hover_, true);
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
