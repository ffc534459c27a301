// The hidden top-level window that hears the end of the user's session, and
// the wait for the client that lets it hear: Windows announces sign-out and
// shutdown (WM_QUERYENDSESSION, then WM_ENDSESSION) to top-level windows
// only, and delivers them through the thread's message handling.
#pragma once

#include <windows.h>

#include <functional>

#include "common/channel.h"
#include "common/unique_handle_win.h"
#include "sentinel/sentinel.h"

namespace sentinel {

// Above the ordinary programs' 0x280, within the range left to programs
// (0x100-0x3FF): the session's end reaches this program before them.
inline constexpr DWORD kShutdownLevel = 0x3FF;

inline constexpr wchar_t kSessionWindowClass[] = L"TavaroSentinelSession";

// Created on the calling thread, never shown; destroyed with the object.
// `restore` runs inside the handling of WM_ENDSESSION (wParam TRUE), so the
// session goes on only once it has returned.
class SessionWindow final : public SessionEnd {
 public:
  explicit SessionWindow(HINSTANCE instance);
  ~SessionWindow() override;
  SessionWindow(const SessionWindow&) = delete;
  SessionWindow& operator=(const SessionWindow&) = delete;

  void onEnd(std::function<void()> restore) override { restore_ = std::move(restore); }

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  std::function<void()> restore_;
};

// Waits for a process while it handles the thread's messages (those sent by
// other threads and processes included), so that the session window hears
// the end of the session during the wait.
class MessagePumpingWatch final : public common::ProcessWatch {
 public:
  explicit MessagePumpingWatch(common::UniqueHandle process) : process_(std::move(process)) {}
  common::WaitResult waitForExit(int millis) override;

 private:
  common::UniqueHandle process_;
};

}  // namespace sentinel
