// What the benchmark's reference windows (the minimal window and the lean
// start) share: their class, which update_driver looks for, and their paints
// counted the way the updater's host window counts them, in the
// "VeneerPaintCount" property with the end of the first paint in
// "VeneerFirstPaintEnd" on the updater's clock. Header only, so that the
// minimal window stays one file of plain Win32 calls.
#pragma once

#include <windows.h>

#include <cstdint>

#include "veneer/wnd/window_counters_win.h"

namespace bench {

inline constexpr wchar_t kReferenceClassName[] = L"FirstPaint";

// After each paint: the first one leaves its end, every one its count.
inline void CountPaint(HWND window) {
  static std::uintptr_t paints = 0;
  if (paints == 0) veneer::PublishMoment(window, veneer::kFirstPaintEndProperty, veneer::MicrosecondsNow());
  SetPropW(window, veneer::kPaintCountProperty, reinterpret_cast<HANDLE>(++paints));
}

// Every message a reference window does not handle itself: at WM_DESTROY
// the properties go with the window and the program ends.
inline LRESULT DefaultReferenceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_DESTROY) return DefWindowProcW(window, message, wParam, lParam);
  RemovePropW(window, veneer::kPaintCountProperty);
  RemovePropW(window, veneer::kFirstPaintEndProperty);
  PostQuitMessage(0);
  return 0;
}

inline bool RegisterReferenceClass(HINSTANCE instance, WNDPROC windowProc, UINT style) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kReferenceClassName;
  return RegisterClassExW(&windowClass) != 0;
}

inline void RunMessageLoop() {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace bench
