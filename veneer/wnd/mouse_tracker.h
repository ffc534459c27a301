// Which window the mouse is over and which one it pressed, and what a mouse
// event changes: the hover and pushed states of the windows of one host.
// Portable; the host window feeds it its mouse messages and repaints the
// windows whose state changed.
#pragma once

#include <vector>

namespace veneer {

class VWindow;

class MouseTracker {
 public:
  // The windows whose state changed (each once), to be repainted.
  using Changed = std::vector<VWindow*>;

  // The mouse is over `hit` now (null: over no window of the tree).
  Changed Move(VWindow* hit);
  // The mouse left the host.
  Changed Leave() { return Move(nullptr); }
  // A left press over `hit`: it shows pushed while the mouse stays on it.
  Changed Press(VWindow* hit);
  // The release over `hit`: EventCmd when it is the pressed window, and the
  // pressed window shows normal again wherever the release happened.
  Changed Release(VWindow* hit);

  VWindow* Hovered() const { return hover_; }
  VWindow* Pressed() const { return pressed_; }

 private:
  VWindow* hover_ = nullptr;
  VWindow* pressed_ = nullptr;
};

}  // namespace veneer
