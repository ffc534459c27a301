#include "sentinel/session_window_win.h"

namespace sentinel {

SessionWindow::SessionWindow(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = &SessionWindow::procedure;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kSessionWindowClass;
  RegisterClassExW(&windowClass);
  // Top-level (no parent, not message-only): message-only windows hear no end of the session.
  window_ = CreateWindowExW(WS_EX_TOOLWINDOW, kSessionWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                            instance, this);
}

SessionWindow::~SessionWindow() {
  if (window_ != nullptr) DestroyWindow(window_);
}

LRESULT CALLBACK SessionWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrW(window, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  auto* self = reinterpret_cast<SessionWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_QUERYENDSESSION:
      return TRUE;  // never holds the session up: the work is done at its end
    case WM_ENDSESSION:
      if (wParam != FALSE && self != nullptr && self->restore_) self->restore_();
      return 0;
    case WM_CLOSE:
      // The installer asks every window of its folder's programs to close;
      // this one follows the client instead, and must stay to hear the session.
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

common::WaitResult MessagePumpingWatch::waitForExit(int millis) {
  const ULONGLONG until = millis < 0 ? 0 : GetTickCount64() + static_cast<ULONGLONG>(millis);
  HANDLE process = process_.get();
  for (;;) {
    DWORD timeout = INFINITE;
    if (millis >= 0) {
      const ULONGLONG now = GetTickCount64();
      timeout = now >= until ? 0 : static_cast<DWORD>(until - now);
    }
    const DWORD result = MsgWaitForMultipleObjectsEx(1, &process, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (result == WAIT_OBJECT_0) return common::WaitResult::kEnded;
    if (result == WAIT_TIMEOUT) return common::WaitResult::kTimedOut;
    if (result != WAIT_OBJECT_0 + 1) return common::WaitResult::kFailed;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      // WM_QUIT is nobody's to send here; the wait follows the client alone.
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace sentinel
