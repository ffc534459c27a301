// The updater's single-instance rule on Windows: a mutex in the session's
// namespace named after the replace path, and a window property that the
// second instance looks for.
#pragma once

#include <windows.h>

#include <string>

#include "common/unique_handle_win.h"

namespace update {

class UpdaterInstance {
 public:
  // Claims the replace path `rppath` for this process.
  explicit UpdaterInstance(std::u16string_view rppath);

  // False when another updater holds the same replace path.
  bool first() const { return first_; }
  // Marks this instance's window, for a second one to find.
  void markWindow(HWND window) const;
  // Brings the first instance's window to the front; false when none is found.
  bool bringFirstForward() const;

 private:
  std::u16string fullPath_;
  common::UniqueHandle mutex_;
  bool first_ = true;
};

}  // namespace update
