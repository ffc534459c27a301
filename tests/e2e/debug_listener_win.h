// Collects what other processes send to the debugger output, the way a
// debug monitor does (the DBWIN_BUFFER section and its two events).
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/unique_handle_win.h"

namespace e2e {

class DebugListener {
 public:
  DebugListener();
  ~DebugListener();
  DebugListener(const DebugListener&) = delete;
  DebugListener& operator=(const DebugListener&) = delete;

  bool listening() const { return static_cast<bool>(view_); }
  // The texts process `pid` sent so far (in the ANSI code page).
  std::vector<std::string> textsOf(DWORD pid);

 private:
  void run();

  common::UniqueHandle bufferReady_;
  common::UniqueHandle dataReady_;
  common::UniqueHandle buffer_;
  common::UniqueView view_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::pair<DWORD, std::string>> texts_;
  std::thread thread_;
};

}  // namespace e2e
