// The floor for the updater's first paint: the least a Win32 program does to
// create a 302 × 202 popup window and paint it (a white fill and a frame).
// Like the updater's window it counts its paints in the "VeneerPaintCount"
// property and leaves the end of its first paint in "VeneerFirstPaintEnd"
// (the performance counter in microseconds), which the benchmark driver
// reads; WM_CLOSE ends it.
//
//   first_paint.exe
#include <windows.h>

#include <cstdint>

#include "veneer/wnd/window_counters_win.h"  // header only: the updater's clock and property names

namespace {

constexpr wchar_t kClassName[] = L"FirstPaint";
using veneer::kFirstPaintEndProperty;
using veneer::kPaintCountProperty;
std::uintptr_t paints = 0;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT client{};
      GetClientRect(window, &client);
      FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      FrameRect(dc, &client, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
      EndPaint(window, &ps);
      if (paints == 0) veneer::PublishMoment(window, kFirstPaintEndProperty, veneer::MicrosecondsNow());
      SetPropW(window, kPaintCountProperty, reinterpret_cast<HANDLE>(++paints));
      return 0;
    }
    case WM_DESTROY:
      RemovePropW(window, kPaintCountProperty);
      RemovePropW(window, kFirstPaintEndProperty);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = windowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  if (RegisterClassExW(&windowClass) == 0) return 1;
  HWND window = CreateWindowExW(0, kClassName, L"", WS_POPUP, 100, 100, 302, 202, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, SW_SHOWNORMAL);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
