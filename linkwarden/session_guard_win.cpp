// The hidden window: it exists so that the tool hears when the Windows
// session is about to end, and holds that end back until the clean-up is done.
#include <atomic>
#include <memory>

#include "common/unique_handle_win.h"
#include "linkwarden/resource.h"
#include "linkwarden/tool_system_win.h"

namespace linkwarden {
namespace {

constexpr DWORD kCleanPollMillis = 10;
constexpr DWORD kWindowStartMillis = 5000;

class HiddenWindow final : public SessionGuard {
 public:
  HiddenWindow(HINSTANCE instance, const std::atomic<bool>& clean) : instance_(instance), clean_(clean) {}

  // The window thread is never joined: its message loop runs until the process ends.
  bool start(logq::SourceLog& log) {
    ready_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, &HiddenWindow::threadMain, this, 0, nullptr));
    if (!ready_ || !thread_) {
      log.write(logq::LOG_ERROR, __LINE__, "linkwarden: cannot start the window thread (error %lu)", GetLastError());
      return false;
    }
    // Waiting here means the exit sequence always has a window to close.
    WaitForSingleObject(ready_.get(), kWindowStartMillis);
    if (window_.load() == nullptr) {
      log.write(logq::LOG_ERROR, __LINE__, "linkwarden: the hidden window was not created (error %lu)",
                createError_.load());
    }
    return true;
  }

  void close() override {
    if (HWND window = window_.load()) SendMessageW(window, WM_CLOSE, 0, 0);
  }

 private:
  static DWORD WINAPI threadMain(void* self) {
    static_cast<HiddenWindow*>(self)->runThread();
    return 0;
  }

  void runThread() {
    HWND window = CreateDialogParamW(instance_, MAKEINTRESOURCEW(IDD_SESSION_GUARD), nullptr, &HiddenWindow::dialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (window == nullptr) createError_ = GetLastError();
    window_.store(window);
    SetEvent(ready_.get());
    if (window != nullptr) ShowWindow(window, SW_HIDE);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }

  static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
      case WM_INITDIALOG:
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        return TRUE;
      case WM_CLOSE:
        DestroyWindow(window);
        return FALSE;
      case WM_QUERYENDSESSION: {
        auto* self = reinterpret_cast<HiddenWindow*>(GetWindowLongPtrW(window, DWLP_USER));
        while (self != nullptr && !self->clean_.load()) Sleep(kCleanPollMillis);
        PostMessageW(window, WM_CLOSE, 0, 0);
        // A dialog procedure answers through DWLP_MSGRESULT; returning TRUE
        // alone would tell the session "no, do not end".
        SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      default:
        return FALSE;
    }
  }

  HINSTANCE instance_;
  const std::atomic<bool>& clean_;
  std::atomic<HWND> window_{nullptr};
  std::atomic<DWORD> createError_{0};
  common::UniqueHandle ready_;
  common::UniqueHandle thread_;
};

}  // namespace

std::unique_ptr<SessionGuard> startHiddenWindow(HINSTANCE instance, const std::atomic<bool>& environmentClean,
                                                logq::SourceLog& log) {
  auto window = std::make_unique<HiddenWindow>(instance, environmentClean);
  window->start(log);
  return window;
}

}  // namespace linkwarden
